#include "tests/support/FfmpegDecode.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace orvex::test {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string RunCommand(const std::string& commandLine, int* exitStatus) {
  std::string output;
  FILE* pipe = ::popen(commandLine.c_str(), "r");
  if (!pipe) {
    *exitStatus = -1;
    return output;
  }
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = ::pclose(pipe);
  *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

namespace {

// Parses ffmpeg's binary PPM ("P6 <width> <height> 255" and the pixels).
bool ParsePpm(const std::string& data, DecodedPicture& picture) {
  std::istringstream header(data);
  std::string magic;
  int maxValue = 0;
  header >> magic >> picture.width >> picture.height >> maxValue;
  if (!header || magic != "P6" || maxValue != 255) return false;
  const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;  // one whitespace byte
  const std::size_t size = static_cast<std::size_t>(picture.width) * picture.height * 3;
  if (data.size() != start + size) return false;
  picture.rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(start), data.end());
  return true;
}

}  // namespace

DecodedPicture DecodeWithFfmpeg(const std::filesystem::path& file, int frameIndex) {
  DecodedPicture picture;
  const std::filesystem::path log = file.string() + ".ffmpeg.log";
  const std::string select =
      frameIndex > 0 ? " -vf " + ShellQuote("select=eq(n\\," + std::to_string(frameIndex) + ")") : "";
  const std::string command = "ffmpeg -nostdin -v error -i " + ShellQuote(file.string()) + select +
                              " -frames:v 1 -f image2pipe -c:v ppm -pix_fmt rgb24 - 2>" +
                              ShellQuote(log.string());
  int status = 0;
  const std::string output = RunCommand(command, &status);
  std::ifstream logFile(log);
  std::stringstream messages;
  messages << logFile.rdbuf();
  std::filesystem::remove(log);
  if (status != 0 || !messages.str().empty())
    picture.error = "ffmpeg exit " + std::to_string(status) + ": " + messages.str();
  else if (!ParsePpm(output, picture))
    picture.error = "ffmpeg gave no readable picture";
  return picture;
}

}  // namespace orvex::test
