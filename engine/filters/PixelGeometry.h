#pragma once
// The transform's pixel work: quarter turns clockwise, a left-right mirror of
// the turned picture, and half-size deinterlacing (the even field: every other
// line and column from the first, so odd sizes round up). When both are asked
// for, the picture is halved first and then turned.

#include <cstddef>
#include <cstdint>

namespace vdv_filters {

struct TGeometry {
  int rotation = 0;  // TVideoRotation: 0..3 quarter turns clockwise, +4 mirrored after turning
  bool halfSize = false;

  bool identity() const { return rotation == 0 && !halfSize; }
  bool swapsDimensions() const { return (rotation & 1) != 0; }
};

// The output size of a `width` x `height` input.
inline void OutputSize(const TGeometry& g, int width, int height, int* outWidth, int* outHeight) {
  if (g.halfSize) width = (width + 1) / 2, height = (height + 1) / 2;
  *outWidth = g.swapsDimensions() ? height : width;
  *outHeight = g.swapsDimensions() ? width : height;
}

// The widest vector instructions the pixel work may use (by default the best
// this processor has); tests lower it to check every path against the others.
enum class TVectorLevel { Scalar, Sse2, Ssse3, Avx2 };
void LimitVectorLevel(TVectorLevel level);

// Writes the whole output frame; `src` is `width` x `height`, rows top first,
// of 4 (BGRx), 3 (BGR) or 1 (a plane of I420) bytes a pixel.
void TransformFrame(const TGeometry& g, const std::uint8_t* src, std::ptrdiff_t srcStride, int width,
                    int height, std::uint8_t* dst, std::ptrdiff_t dstStride, int bytesPerPixel);

}  // namespace vdv_filters
