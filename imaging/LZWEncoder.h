#pragma once
// GIF's variable-length-code LZW coder for the colour indices of one image.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvex::imaging {

class TLZWEncoder {
 public:
  static constexpr int kMaxCodeBits = 12;
  // Codes up to 4094 are assigned; a miss with 4095 as the next free code clears instead.
  static constexpr int kClearAtCode = 4095;

  TLZWEncoder();
  ~TLZWEncoder();
  TLZWEncoder(const TLZWEncoder&) = delete;
  TLZWEncoder& operator=(const TLZWEncoder&) = delete;

  // Appends a GIF image data block for `indices` (rows top down) to `out`: the minimum code
  // size byte, the codes cut into data sub-blocks of up to 255 bytes, and a zero terminator.
  // `bitsPerPixel` is 1..8 (raised to 2 when below); `colourCount` is the size of the colour
  // table the indices refer to. Throws EImageError("Color not in color table") for an index
  // that is not below `colourCount`.
  void Encode(std::span<const std::uint8_t> indices, int bitsPerPixel, int colourCount,
              std::vector<std::uint8_t>& out);

 private:
  class Run;
  // child_[prefix << 8 | pixel] is the code last given to that pair; it counts only when
  // codeKey_ still holds the pair for that code, so a clear never has to wipe 2 MB.
  std::unique_ptr<std::uint16_t[]> child_;
  std::unique_ptr<std::uint32_t[]> codeKey_;
};

}  // namespace orvex::imaging
