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
  long frames = 0;        // counted by decoding
  int sampleRate = 0;
  int channels = 0;
};

struct ProbedFile {
  std::string formatName;  // "avi"
  std::vector<ProbedStream> streams;
  std::string error;
  const ProbedStream* First(const std::string& codecType) const;
};

ProbedFile ProbeFile(const std::filesystem::path& file);

// Decodes every stream to the end; answers ffmpeg's complaints (empty when none).
std::string DecodeErrors(const std::filesystem::path& file);

// The length in seconds that the file's header and index give; 0 when they
// give none (a file that was never finished).
double ContainerDuration(const std::filesystem::path& file);

}  // namespace orvex::test
