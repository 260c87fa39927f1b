#include "tests/support/MediaProbe.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "tests/support/FfmpegDecode.h"

namespace orvex::test {

const ProbedStream* ProbedFile::First(const std::string& codecType) const {
  for (const auto& s : streams)
    if (s.codecType == codecType) return &s;
  return nullptr;
}

ProbedFile ProbeFile(const std::filesystem::path& file) {
  ProbedFile result;
  int status = 0;
  const std::string out = RunCommand(
      "ffprobe -v error -count_frames -show_entries "
      "stream=codec_type,codec_name,width,height,nb_read_frames,nb_frames,sample_rate,channels:"
      "format=format_name,duration "
      "-of default=noprint_wrappers=0 " +
          ShellQuote(file.string()) + " 2>&1",
      &status);
  if (status != 0) {
    result.error = out.empty() ? "ffprobe failed" : out;
    return result;
  }
  std::istringstream lines(out);
  ProbedStream* current = nullptr;
  for (std::string line; std::getline(lines, line);) {
    if (line == "[STREAM]") {
      result.streams.emplace_back();
      current = &result.streams.back();
      continue;
    }
    if (line == "[/STREAM]") current = nullptr;
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "format_name") result.formatName = value;
    if (key == "duration" && !current) result.duration = std::atof(value.c_str());
    if (!current) continue;
    if (key == "codec_type")
      current->codecType = value;
    else if (key == "codec_name")
      current->codecName = value;
    else if (key == "width")
      current->width = std::atoi(value.c_str());
    else if (key == "height")
      current->height = std::atoi(value.c_str());
    else if (key == "nb_read_frames")
      current->frames = std::atol(value.c_str());
    else if (key == "nb_frames")
      current->declaredFrames = std::atol(value.c_str());
    else if (key == "sample_rate")
      current->sampleRate = std::atoi(value.c_str());
    else if (key == "channels")
      current->channels = std::atoi(value.c_str());
  }
  return result;
}

std::string DecodeErrors(const std::filesystem::path& file) {
  int status = 0;
  const std::string out =
      RunCommand("ffmpeg -v error -i " + ShellQuote(file.string()) + " -f null - 2>&1", &status);
  if (status != 0 && out.empty()) return "ffmpeg exited with " + std::to_string(status);
  return out;
}

std::string ProbeWarnings(const std::filesystem::path& file) {
  int status = 0;
  const std::string out = RunCommand("ffprobe -v warning " + ShellQuote(file.string()) + " 2>&1", &status);
  return status != 0 && out.empty() ? "ffprobe exited with " + std::to_string(status) : out;
}

// From ffmpeg's frame checksums: each stream's time base and the end of its last frame.
DecodedStreams DecodeStreams(const std::filesystem::path& file) {
  int status = 0;
  const std::string out = RunCommand(
      "ffmpeg -v error -i " + ShellQuote(file.string()) + " -map 0 -f framemd5 - 2>/dev/null", &status);
  std::map<int, double> timeBase, end;
  std::map<int, std::string> type;
  std::map<int, long> frames;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    int stream = 0;
    long num = 0, den = 1;
    long long dts = 0, pts = 0, duration = 0;
    char kind[16] = {};
    if (std::sscanf(line.c_str(), "#tb %d: %ld/%ld", &stream, &num, &den) == 3 && den > 0) {
      timeBase[stream] = static_cast<double>(num) / den;
    } else if (std::sscanf(line.c_str(), "#media_type %d: %15s", &stream, kind) == 2) {
      type[stream] = kind;
    } else if (line[0] != '#' &&
               std::sscanf(line.c_str(), "%d, %lld, %lld, %lld", &stream, &dts, &pts, &duration) == 4) {
      end[stream] = std::max(end[stream], (pts + duration) * timeBase[stream]);
      ++frames[stream];
    }
  }
  DecodedStreams result;
  for (const auto& [stream, kind] : type) {
    if (kind == "video" && result.videoFrames == 0) {
      result.videoFrames = frames[stream];
      result.videoSeconds = end[stream];
    } else if (kind == "audio" && result.audioSeconds == 0) {
      result.audioSeconds = end[stream];
    }
  }
  return result;
}

double ContainerDuration(const std::filesystem::path& file) {
  int status = 0;
  const std::string out = RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " +
                                         ShellQuote(file.string()) + " 2>/dev/null",
                                     &status);
  return status == 0 ? std::atof(out.c_str()) : 0;
}

}  // namespace orvex::test
