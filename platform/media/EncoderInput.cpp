#include "platform/media/EncoderInput.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include "platform/media/GstPtr.h"

namespace orvex::media {
namespace {

// GStreamer's spelling: range 0-255, BT.601 matrix, transfer and primaries unknown.
constexpr char kJpegColorimetry[] = "1:4:0:0";
constexpr char kVideoColorimetry[] = "bt601";

bool WritesJpeg(GstElement* encoder) {
  PadPtr src(gst_element_get_static_pad(encoder, "src"));
  if (!src) return false;
  CapsPtr caps(gst_pad_query_caps(src.get(), nullptr));
  CapsPtr jpeg(gst_caps_from_string("image/jpeg"));
  return caps && !gst_caps_is_any(caps.get()) && gst_caps_can_intersect(caps.get(), jpeg.get());
}

bool IsYuv(const char* name) {
  const GstVideoFormat format = gst_video_format_from_string(name);
  return format != GST_VIDEO_FORMAT_UNKNOWN &&
         GST_VIDEO_FORMAT_INFO_IS_YUV(gst_video_format_get_info(format));
}

// I420 when taken, else the first YUV format the encoder lists.
std::string YuvFormatTaken(const GstCaps* accepted) {
  std::string first;
  for (guint i = 0; i < gst_caps_get_size(accepted); ++i) {
    const GstStructure* s = gst_caps_get_structure(accepted, i);
    if (!gst_structure_has_name(s, "video/x-raw")) continue;
    const GValue* formats = gst_structure_get_value(s, "format");
    if (!formats) continue;
    const guint count = GST_VALUE_HOLDS_LIST(formats) ? gst_value_list_get_size(formats) : 1;
    for (guint k = 0; k < count; ++k) {
      const GValue* v = GST_VALUE_HOLDS_LIST(formats) ? gst_value_list_get_value(formats, k) : formats;
      if (!G_VALUE_HOLDS_STRING(v)) continue;
      const char* name = g_value_get_string(v);
      if (g_strcmp0(name, "I420") == 0) return name;
      if (first.empty() && IsYuv(name)) first = name;
    }
  }
  return first;
}

}  // namespace

std::string EncoderInputCaps(GstElement* encoder) {
  PadPtr sink(encoder ? gst_element_get_static_pad(encoder, "sink") : nullptr);
  if (!sink) return "";
  CapsPtr accepted(gst_pad_query_caps(sink.get(), nullptr));
  if (!accepted || gst_caps_is_any(accepted.get())) return "";
  const std::string format = YuvFormatTaken(accepted.get());
  if (format.empty()) return "";
  return "video/x-raw,format=" + format +
         ",colorimetry=" + (WritesJpeg(encoder) ? kJpegColorimetry : kVideoColorimetry);
}

}  // namespace orvex::media
