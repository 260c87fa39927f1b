#include "platform/media/Capabilities.h"

#include <gst/gst.h>

#include <algorithm>

#include "platform/media/GstPtr.h"
#include "platform/media/Media.h"

namespace orvex::media {
namespace {

struct RawName {
  const char* gst;
  const char* program;
};

// Raw formats named as capture drivers name them; BGR byte order is what
// those drivers call RGB.
constexpr RawName kRawNames[] = {
    {"YUY2", "YUY2"},    {"UYVY", "UYVY"},    {"YVYU", "YVYU"},  {"I420", "I420"},  {"YV12", "YV12"},
    {"NV12", "NV12"},    {"NV21", "NV21"},    {"BGR", "RGB24"},  {"BGRx", "RGB32"}, {"BGRA", "RGB32"},
    {"RGB16", "RGB565"}, {"RGB15", "RGB555"}, {"GRAY8", "Y800"}, {"YUV9", "YUV9"},  {"Y41B", "Y41P"},
};

struct CompressedName {
  const char* mediaType;
  const char* program;
};

constexpr CompressedName kCompressedNames[] = {
    {"image/jpeg", "MJPG"}, {"video/x-h264", "H264"}, {"video/x-h265", "HEVC"},
    {"video/x-dv", "dvsd"}, {"video/mpeg", "MPEG"},   {"video/x-vp8", "VP80"},
};

void ReadRange(const GstStructure* s, const char* field, int& own, int& min, int& max) {
  const GValue* v = gst_structure_get_value(s, field);
  if (!v) return;
  if (G_VALUE_HOLDS_INT(v)) {
    own = min = max = g_value_get_int(v);
  } else if (GST_VALUE_HOLDS_INT_RANGE(v)) {
    min = gst_value_get_int_range_min(v);
    max = gst_value_get_int_range_max(v);
    own = max;
  } else if (GST_VALUE_HOLDS_LIST(v) && gst_value_list_get_size(v) > 0) {
    own = min = max = 0;
    for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
      const GValue* item = gst_value_list_get_value(v, i);
      if (!G_VALUE_HOLDS_INT(item)) continue;
      const int value = g_value_get_int(item);
      if (i == 0) own = min = max = value;
      min = std::min(min, value);
      max = std::max(max, value);
    }
  }
}

void ReadFramerates(const GstStructure* s, StreamCapability& cap) {
  const GValue* v = gst_structure_get_value(s, "framerate");
  if (!v) return;
  auto fraction = [](const GValue* f) {
    return Fraction{gst_value_get_fraction_numerator(f), gst_value_get_fraction_denominator(f)};
  };
  if (GST_VALUE_HOLDS_FRACTION(v)) {
    cap.framerates.push_back(fraction(v));
  } else if (GST_VALUE_HOLDS_FRACTION_RANGE(v)) {
    cap.framerateRange = true;
    cap.framerates.push_back(fraction(gst_value_get_fraction_range_min(v)));
    cap.framerates.push_back(fraction(gst_value_get_fraction_range_max(v)));
  } else if (GST_VALUE_HOLDS_LIST(v)) {
    for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
      const GValue* item = gst_value_list_get_value(v, i);
      if (GST_VALUE_HOLDS_FRACTION(item)) cap.framerates.push_back(fraction(item));
    }
  }
}

StreamCapability FromStructure(const GstStructure* s, const std::string& rawFormat) {
  StreamCapability cap;
  const std::string mediaType = gst_structure_get_name(s);
  cap.subtype = SubtypeName(mediaType, rawFormat);
  ReadRange(s, "width", cap.width, cap.minWidth, cap.maxWidth);
  ReadRange(s, "height", cap.height, cap.minHeight, cap.maxHeight);
  cap.hasVideoHeader = cap.width > 0 && cap.height > 0;
  ReadFramerates(s, cap);
  GstStructure* copy = gst_structure_copy(s);
  if (!rawFormat.empty()) gst_structure_set(copy, "format", G_TYPE_STRING, rawFormat.c_str(), nullptr);
  GCharPtr text(gst_structure_to_string(copy));
  cap.caps = text.get();
  gst_structure_free(copy);
  return cap;
}

}  // namespace

std::string SubtypeName(const std::string& mediaType, const std::string& rawFormat) {
  if (mediaType == "video/x-raw") {
    for (const RawName& n : kRawNames)
      if (rawFormat == n.gst) return n.program;
    return rawFormat;
  }
  for (const CompressedName& n : kCompressedNames)
    if (mediaType == n.mediaType) return n.program;
  return mediaType.rfind("video/", 0) == 0 ? mediaType.substr(6) : std::string();
}

std::vector<StreamCapability> CapabilitiesFromCaps(const GstCaps* caps) {
  std::vector<StreamCapability> result;
  if (!caps || gst_caps_is_any(caps)) return result;
  for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
    const GstStructure* s = gst_caps_get_structure(caps, i);
    const std::string mediaType = gst_structure_get_name(s);
    if (mediaType.rfind("video/", 0) != 0 && mediaType != "image/jpeg") continue;
    const GValue* format = gst_structure_get_value(s, "format");
    if (format && GST_VALUE_HOLDS_LIST(format)) {
      for (guint k = 0; k < gst_value_list_get_size(format); ++k) {
        const GValue* item = gst_value_list_get_value(format, k);
        if (G_VALUE_HOLDS_STRING(item)) result.push_back(FromStructure(s, g_value_get_string(item)));
      }
    } else {
      const char* raw = format && G_VALUE_HOLDS_STRING(format) ? g_value_get_string(format) : "";
      result.push_back(FromStructure(s, raw));
    }
  }
  return result;
}

std::vector<StreamCapability> CapabilitiesFromCapsString(const std::string& text) {
  InitMedia();
  CapsPtr caps(gst_caps_from_string(text.c_str()));
  return CapabilitiesFromCaps(caps.get());
}

std::string CapsForFormat(const std::string& subtype, int width, int height, Fraction fps) {
  std::string caps;
  for (const RawName& n : kRawNames)
    if (subtype == n.program) {
      caps = std::string("video/x-raw,format=") + n.gst;
      break;
    }
  if (caps.empty())
    for (const CompressedName& n : kCompressedNames)
      if (subtype == n.program) {
        caps = n.mediaType;
        break;
      }
  if (caps.empty()) return caps;
  if (width > 0 && height > 0)
    caps += ",width=" + std::to_string(width) + ",height=" + std::to_string(height);
  if (fps.num > 0 && fps.den > 0)
    caps += ",framerate=" + std::to_string(fps.num) + "/" + std::to_string(fps.den);
  return caps;
}

}  // namespace orvex::media
