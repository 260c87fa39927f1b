#pragma once
// Checks recorded files with ffprobe and ffmpeg, which share no code with ours.

#include <filesystem>
#include <string>
#include <vector>

namespace orvex::test {

struct ProbedStream {
  std::string codecType;  // "video" or "audio"
  std::string codecName;  // "rawvideo", "mjpeg", "pcm_s16le", ...
  int width = 0;
  int height = 0;
  long frames = 0;          // counted by decoding
  long declaredFrames = 0;  // as the file's header says
  int sampleRate = 0;
  int channels = 0;
};

struct ProbedFile {
  std::string formatName;  // "avi"
  double duration = 0;     // seconds, as the file's header says
  std::vector<ProbedStream> streams;
  std::string error;
  const ProbedStream* First(const std::string& codecType) const;
};

ProbedFile ProbeFile(const std::filesystem::path& file);

// Decodes every stream to the end; answers ffmpeg's complaints (empty when none).
std::string DecodeErrors(const std::filesystem::path& file);

// What ffprobe says about the file at its warning level (empty when nothing).
std::string ProbeWarnings(const std::filesystem::path& file);

// How far ffmpeg decodes the first video and the first audio stream.
struct DecodedStreams {
  long videoFrames = 0;
  double videoSeconds = 0;
  double audioSeconds = 0;
};
DecodedStreams DecodeStreams(const std::filesystem::path& file);

// The length in seconds that the file's header and index give; 0 when they
// give none (a file that was never finished).
double ContainerDuration(const std::filesystem::path& file);

}  // namespace orvex::test
