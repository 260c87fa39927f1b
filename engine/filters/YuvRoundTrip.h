#pragma once
// A mode-8 grabber on I420 or YUY2 frames: the adjustments, overlays and captures work
// on RGB, so a frame that needs them is converted into a scratch RGB frame and,
// when they may have changed it, back again. Frames that need nothing pass
// without either conversion. Nothing is allocated per frame.

#include <gst/video/video.h>

#include "platform/media/FastConversion.h"

namespace vdv_filters {

class TYuvRoundTrip {
 public:
  TYuvRoundTrip() = default;
  TYuvRoundTrip(const TYuvRoundTrip&) = delete;
  TYuvRoundTrip& operator=(const TYuvRoundTrip&) = delete;
  ~TYuvRoundTrip() { Release(); }

  // For frames of `yuv`, worked on as `rgb` (BGRx or BGR); false when either
  // way has no converter.
  bool Configure(const GstVideoInfo& yuv, GstVideoFormat rgb);
  const GstVideoInfo& RgbInfo() const { return rgbInfo_; }

  // The scratch frame, filled from `yuv`; unmap it with Unmap().
  bool ToRgb(const GstVideoFrame& yuv, GstVideoFrame& rgb);
  // Writes the scratch frame back into `yuv`.
  bool FromRgb(const GstVideoFrame& rgb, GstVideoFrame& yuv);
  static void Unmap(GstVideoFrame& rgb) { gst_video_frame_unmap(&rgb); }

 private:
  bool Convert(GstVideoConverter* general, const GstVideoFrame& in, GstVideoFrame& out);
  void Release();

  GstVideoInfo rgbInfo_{};
  GstBuffer* scratch_ = nullptr;
  orvex::media::FastConversion fast_;
  // GStreamer's converter for a way FastConversion does not cover.
  GstVideoConverter* toRgb_ = nullptr;
  GstVideoConverter* fromRgb_ = nullptr;
};

}  // namespace vdv_filters
