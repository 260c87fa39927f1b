#pragma once
// A plain reading of the GIF files we write, down to the LZW codes, written the
// way a decoder reads them and independent of the encoder.

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::test {

struct GifCode {
  int code = 0;
  int width = 0;     // bits the code was read with
  int nextFree = 0;  // the decoder's next free code before this one was read
};

struct GifFile {
  std::string signature;  // "GIF87a"
  int screenWidth = 0, screenHeight = 0, screenFields = 0;
  int left = 0, top = 0, width = 0, height = 0, imageFields = 0;
  std::vector<std::uint8_t> colorTable;  // RGB triples
  int minCodeSize = 0;
  std::vector<int> blockLengths;  // data sub-blocks, without the terminator
  std::vector<GifCode> codes;
  std::vector<std::uint8_t> indices;
  std::size_t bytesAfterTrailer = 0;
  std::string error;  // empty when the file and its codes are well formed
};

GifFile ReadGif(const std::vector<std::uint8_t>& bytes);

}  // namespace orvex::test
