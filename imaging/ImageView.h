#pragma once
// A borrowed picture handed to the writers: a frame or a bitmap's pixel memory,
// read in place without a copy.

#include <cstddef>
#include <cstdint>

namespace orvex::imaging {

// Bytes are stored B, G, R (, X) per pixel, as in a DIB. The X byte is never read.
enum class TPixelLayout { Bgrx32, Bgr24 };

struct TImageView {
  const std::uint8_t* pixels = nullptr;  // first row in memory (the bottom row when bottomUp)
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;  // bytes from one row in memory to the next, at least width * bytes per pixel
  TPixelLayout layout = TPixelLayout::Bgrx32;
  bool bottomUp = false;  // rows stored from the bottom of the picture up, as in a bottom-up DIB

  bool Empty() const { return width <= 0 || height <= 0; }
  int BytesPerPixel() const { return layout == TPixelLayout::Bgrx32 ? 4 : 3; }
  // Row `y` counted from the top of the picture.
  const std::uint8_t* Row(int y) const { return pixels + (bottomUp ? height - 1 - y : y) * stride; }
};

// Throws EImageError when a non-empty view cannot be read safely (no pixels, stride too small).
void CheckImageView(const TImageView& view);

}  // namespace orvex::imaging
