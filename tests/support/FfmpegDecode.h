#pragma once
// Reads picture files back with ffmpeg, a decoder that shares no code with ours.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvex::test {

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // R, G, B per pixel, rows from the top down
  std::string error;              // ffmpeg's complaint when decoding failed

  bool ok() const { return error.empty(); }
  const std::uint8_t* At(int x, int y) const {
    return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
  }
};

// Decodes the picture numbered `frameIndex` (from 0) of `file` into RGB24.
DecodedPicture DecodeWithFfmpeg(const std::filesystem::path& file, int frameIndex = 0);

// Single-quotes `text` for /bin/sh.
std::string ShellQuote(const std::string& text);

// Runs a command through /bin/sh, returns what it wrote to standard output.
std::string RunCommand(const std::string& commandLine, int* exitStatus);

}  // namespace orvex::test
