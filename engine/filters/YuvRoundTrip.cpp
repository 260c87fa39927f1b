#include "engine/filters/YuvRoundTrip.h"

namespace vdv_filters {

void TYuvRoundTrip::Release() {
  if (scratch_) gst_buffer_unref(scratch_);
  if (toRgb_) gst_video_converter_free(toRgb_);
  if (fromRgb_) gst_video_converter_free(fromRgb_);
  scratch_ = nullptr;
  toRgb_ = fromRgb_ = nullptr;
}

bool TYuvRoundTrip::Configure(const GstVideoInfo& yuv, GstVideoFormat rgb) {
  Release();
  if (!orvex::media::InfoLike(rgbInfo_, rgb, yuv)) return false;
  using orvex::media::FastConversion;
  if (!FastConversion::Covers(yuv, rgbInfo_)) toRgb_ = gst_video_converter_new(&yuv, &rgbInfo_, nullptr);
  if (!FastConversion::Covers(rgbInfo_, yuv)) fromRgb_ = gst_video_converter_new(&rgbInfo_, &yuv, nullptr);
  const bool ways = (toRgb_ || FastConversion::Covers(yuv, rgbInfo_)) &&
                    (fromRgb_ || FastConversion::Covers(rgbInfo_, yuv));
  if (ways) scratch_ = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&rgbInfo_), nullptr);
  return ways && scratch_;
}

bool TYuvRoundTrip::Convert(GstVideoConverter* general, const GstVideoFrame& in, GstVideoFrame& out) {
  if (!general) return fast_.Convert(in, out);
  gst_video_converter_frame(general, &in, &out);
  return true;
}

bool TYuvRoundTrip::ToRgb(const GstVideoFrame& yuv, GstVideoFrame& rgb) {
  if (!scratch_ || !gst_video_frame_map(&rgb, &rgbInfo_, scratch_, GST_MAP_READWRITE)) return false;
  if (Convert(toRgb_, yuv, rgb)) return true;
  Unmap(rgb);
  return false;
}

bool TYuvRoundTrip::FromRgb(const GstVideoFrame& rgb, GstVideoFrame& yuv) {
  return Convert(fromRgb_, rgb, yuv);
}

}  // namespace vdv_filters
