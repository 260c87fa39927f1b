#pragma once
// The frame grabber's picture adjustments on packed BGR (3 bytes a pixel) and
// BGRx (4 bytes) frames, worked in place.
//
// Brightness, contrast, saturation, hue, grey scale and negative are all
// linear in R, G and B, so together they are one 3x3 matrix and an offset per
// channel, applied in fixed point with a single clamp at the end:
//   contrast   k = 259 (c + 255) / (255 (259 - c))       0 -> 1, -255 -> 0 (flat grey), 255 -> 129.5
//              scales around 128; brightness b adds b after it (255 = white)
//   saturation s = 1 + v / 255 below 0 (-255 -> grey), 1 + 2 v / 255 above (255 -> 3x)
//   hue        turns the chroma plane of BT.601 YCbCr by v * 180 / 255 degrees
//              (positive: red towards yellow), luma kept
//   grey       BT.601 luma in every channel; negative 255 - v after everything else
// Full-size deinterlace rebuilds every odd line as the mean of the even lines
// around it (the last odd line copies the one above); the flips mirror the frame.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/filters/FilterInterfaces.h"

namespace vdv_filters {

// The adjustments that make up the colour matrix, clamped to -255..255.
struct TColorSettings {
  int brightness = 0, contrast = 0, saturation = 0, hue = 0;
  bool grey = false, negative = false;
  bool operator==(const TColorSettings&) const = default;
};

// out[c] = clamp((coef[c][0] B + coef[c][1] G + coef[c][2] R + offset[c]) >> shift), c = B, G, R.
struct TColorMatrix {
  std::int16_t coef[3][3] = {};
  std::int32_t offset[3] = {};
  int shift = 0;
  bool identity = true;
};

TColorMatrix BuildColorMatrix(const TColorSettings& settings);

// One row of pixels; the scalar form is the reference the vector forms must equal.
void ColorRowScalar(const TColorMatrix& m, std::uint8_t* row, int width, int bytesPerPixel);
using TColorRowFn = void (*)(const TColorMatrix& m, std::uint8_t* row, int width);
struct TColorRowVariant {
  const char* name;
  TColorRowFn row;
};
// Every form this processor can run for 3 or 4 bytes a pixel, fastest last.
std::vector<TColorRowVariant> ColorRowVariants(int bytesPerPixel);
TColorRowFn BestColorRow(int bytesPerPixel);

// Whole frames, top row first; `stride` is the distance from one row to the next.
void DeinterlaceFullSize(std::uint8_t* pixels, std::ptrdiff_t stride, int width, int height,
                         int bytesPerPixel);
void FlipHorizontal(std::uint8_t* pixels, std::ptrdiff_t stride, int width, int height, int bytesPerPixel);
void FlipVertical(std::uint8_t* pixels, std::ptrdiff_t stride, int width, int height, int bytesPerPixel);

// Applies a processing block to frames of one negotiated format. The matrix is
// rebuilt only when the block's values change; nothing is allocated per frame.
class TPixelProcessor {
 public:
  // bytesPerPixel 3 (BGR) or 4 (BGRx); picks the row routine for the frames to come.
  void Configure(int bytesPerPixel, int width, int height);
  bool configured() const { return bytesPerPixel_ != 0; }
  void Process(const TProcessingBlock& block, std::uint8_t* pixels, std::ptrdiff_t stride);
  // Whether Process() would change any pixel of a frame.
  bool Changes(const TProcessingBlock& block);

 private:
  // Rebuilds the matrix when the block's colour values changed; whether it is the identity.
  bool UpdateMatrix(const TProcessingBlock& block);

  int bytesPerPixel_ = 0, width_ = 0, height_ = 0;
  TColorRowFn colorRow_ = nullptr;
  TColorSettings settings_;
  TColorMatrix matrix_;
};

}  // namespace vdv_filters
