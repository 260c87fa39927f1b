#pragma once
// The colour conversions the capture path makes on every frame, done with
// libyuv's SIMD rows: camera YUV (YUY2, UYVY, NV12, I420; BT.601) or BGR into
// the grabber's BGRx, BGRx or BGR into the I420 an encoder takes, packed or
// semi-planar YUV into I420, and BGRx back into a camera's YUY2.

#include <gst/video/video.h>

#include <cstdint>
#include <vector>

namespace orvex::media {

// `info` set to `format` at the size of `like`, with its rate, aspect and
// interlacing: GStreamer's converter takes only frames that agree on those.
bool InfoLike(GstVideoInfo& info, GstVideoFormat format, const GstVideoInfo& like);

class FastConversion {
 public:
  // What the RGB is for. Kept (a recording, a snapshot, the grabber's
  // pixels): chroma spread smoothly, as videoconvert does, and only the
  // matrices libyuv gets exactly right. Only shown: chroma repeated (one pass
  // instead of two), and libyuv's BT.709 rows too, whose slightly
  // dark saturated blue a moving picture does not show.
  enum class Purpose { Keep, Show };
  explicit FastConversion(Purpose purpose = Purpose::Keep) : purpose_(purpose) {}

  // Whether `in` -> `out` has a fast path; when not, convert another way.
  static bool Covers(const GstVideoInfo& in, const GstVideoInfo& out, Purpose purpose = Purpose::Keep);

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
  Purpose purpose_;
};

}  // namespace orvex::media
