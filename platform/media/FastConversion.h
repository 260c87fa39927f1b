#pragma once
// The colour conversions the capture path makes on every frame, done with
// libyuv's SIMD rows: camera YUV (YUY2, UYVY, NV12, I420; BT.601) or BGR into
// the grabber's BGRx, BGRx or BGR into the I420 an encoder takes, packed or
// semi-planar YUV into I420, and BGRx back into a camera's YUY2.

#include <gst/video/video.h>

#include <cstdint>
#include <vector>

namespace orvex::media {

class FastConversion {
 public:
  // How chroma shared by neighbouring pixels is spread over them in RGB:
  // smoothly, as videoconvert does (for what is kept), or by repeating it
  // (for what is only shown: one pass instead of two).
  enum class Chroma { Smooth, Nearest };
  explicit FastConversion(Chroma chroma = Chroma::Smooth) : chroma_(chroma) {}

  // Whether `in` -> `out` has a fast path; when not, convert another way.
  static bool Covers(const GstVideoInfo& in, const GstVideoInfo& out);

  // Same sizes and a pair Covers() accepts; false when the frames do not fit.
  bool Convert(const GstVideoFrame& in, GstVideoFrame& out);

 private:
  struct TPlanes {
    std::uint8_t *y, *u, *v;
    int cw;  // chroma width and stride
  };
  // Scratch planes for a frame of `w` x `h` with chroma rows of half width.
  TPlanes Planar(int w, int h, int chromaHeight);

  // Packed or semi-planar frames split into planes for the smooth rows; kept between frames.
  std::vector<std::uint8_t> scratch_;
  Chroma chroma_;
};

}  // namespace orvex::media
