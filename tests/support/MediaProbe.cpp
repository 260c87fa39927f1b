#include "tests/support/MediaProbe.h"

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
      "stream=codec_type,codec_name,width,height,nb_read_frames,sample_rate,channels:format=format_name "
      "-of default=noprint_wrappers=0 " + ShellQuote(file.string()) + " 2>&1",
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
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "format_name") result.formatName = value;
    if (!current) continue;
    if (key == "codec_type") current->codecType = value;
    else if (key == "codec_name") current->codecName = value;
    else if (key == "width") current->width = std::atoi(value.c_str());
    else if (key == "height") current->height = std::atoi(value.c_str());
    else if (key == "nb_read_frames") current->frames = std::atol(value.c_str());
    else if (key == "sample_rate") current->sampleRate = std::atoi(value.c_str());
    else if (key == "channels") current->channels = std::atoi(value.c_str());
  }
  return result;
}

std::string DecodeErrors(const std::filesystem::path& file) {
  int status = 0;
  const std::string out = RunCommand("ffmpeg -v error -i " + ShellQuote(file.string()) + " -f null - 2>&1", &status);
  if (status != 0 && out.empty()) return "ffmpeg exited with " + std::to_string(status);
  return out;
}

double ContainerDuration(const std::filesystem::path& file) {
  int status = 0;
  const std::string out = RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " +
                                         ShellQuote(file.string()) + " 2>/dev/null",
                                     &status);
  return status == 0 ? std::atof(out.c_str()) : 0;
}

}  // namespace orvex::test
