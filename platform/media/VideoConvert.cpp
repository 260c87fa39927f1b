#include "platform/media/VideoConvert.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

#include <atomic>
#include <new>

#include "platform/media/FastConversion.h"

namespace orvex::media {
namespace {

struct OrvexVideoConvert {
  GstVideoFilter parent;
  // Streaming thread only, apart from the counts.
  FastConversion* fast;
  GstVideoConverter* general;  // for the pairs FastConversion does not cover
  std::atomic<unsigned long long>* fastFrames;
  std::atomic<unsigned long long>* generalFrames;
};

struct OrvexVideoConvertClass {
  GstVideoFilterClass parent_class;
};

G_DEFINE_TYPE(OrvexVideoConvert, orvex_video_convert, GST_TYPE_VIDEO_FILTER)

OrvexVideoConvert* Self(gpointer p) { return reinterpret_cast<OrvexVideoConvert*>(p); }

GstStaticPadTemplate g_sinkTemplate = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(GST_VIDEO_CAPS_MAKE(GST_VIDEO_FORMATS_ALL)));
GstStaticPadTemplate g_srcTemplate = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS(GST_VIDEO_CAPS_MAKE(GST_VIDEO_FORMATS_ALL)));

void DropGeneral(OrvexVideoConvert* self) {
  if (self->general) gst_video_converter_free(self->general);
  self->general = nullptr;
}

// Any format and colorimetry on the other side; size, rate and aspect stay.
GstCaps* TransformCaps(GstBaseTransform*, GstPadDirection, GstCaps* caps, GstCaps* filter) {
  GstCaps* result = gst_caps_new_empty();
  for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
    GstStructure* s = gst_structure_copy(gst_caps_get_structure(caps, i));
    gst_structure_remove_fields(s, "format", "colorimetry", "chroma-site", nullptr);
    result = gst_caps_merge_structure_full(result, s, gst_caps_features_copy(gst_caps_get_features(caps, i)));
  }
  if (filter) {
    GstCaps* both = gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(result);
    result = both;
  }
  return result;
}

bool IsYuv(const GstStructure* s) {
  const gchar* format = gst_structure_get_string(s, "format");
  const GstVideoFormatInfo* info =
      format ? gst_video_format_get_info(gst_video_format_from_string(format)) : nullptr;
  return info && GST_VIDEO_FORMAT_INFO_IS_YUV(info);
}

// YUV into other YUV of the same colours only changes its layout, which is
// cheap; other colours would mean converting every value. So the input's
// colorimetry is kept where the other side leaves it open (left out, it
// would become the default of the frame size: BT.709 for HD).
void KeepYuvColours(const GstStructure* in, GstStructure* out) {
  const gchar* colorimetry = gst_structure_get_string(in, "colorimetry");
  gst_structure_fixate_field(out, "format");
  if (!colorimetry || !IsYuv(in) || !IsYuv(out)) return;
  if (gst_structure_has_field(out, "colorimetry"))
    gst_structure_fixate_field_string(out, "colorimetry", colorimetry);
  else
    gst_structure_set(out, "colorimetry", G_TYPE_STRING, colorimetry, nullptr);
}

// Keeps the input's format and colorimetry where the other side allows them, so
// a converter with nothing to convert passes frames through.
GstCaps* FixateCaps(GstBaseTransform*, GstPadDirection, GstCaps* caps, GstCaps* othercaps) {
  GstCaps* same = gst_caps_intersect_full(othercaps, caps, GST_CAPS_INTERSECT_FIRST);
  if (!gst_caps_is_empty(same)) {
    gst_caps_unref(othercaps);
    return gst_caps_fixate(same);
  }
  gst_caps_unref(same);
  othercaps = gst_caps_make_writable(gst_caps_truncate(othercaps));
  if (!gst_caps_is_empty(caps) && !gst_caps_is_empty(othercaps))
    KeepYuvColours(gst_caps_get_structure(caps, 0), gst_caps_get_structure(othercaps, 0));
  return gst_caps_fixate(othercaps);
}

gboolean SetInfo(GstVideoFilter* filter, GstCaps*, GstVideoInfo* in, GstCaps*, GstVideoInfo* out) {
  OrvexVideoConvert* self = Self(filter);
  DropGeneral(self);
  if (in->width != out->width || in->height != out->height) return FALSE;
  if (gst_video_info_is_equal(in, out)) {
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(filter), TRUE);
    return TRUE;
  }
  gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(filter), FALSE);
  if (!FastConversion::Covers(*in, *out)) self->general = gst_video_converter_new(in, out, nullptr);
  return self->general || FastConversion::Covers(*in, *out);
}

GstFlowReturn TransformFrame(GstVideoFilter* filter, GstVideoFrame* in, GstVideoFrame* out) {
  OrvexVideoConvert* self = Self(filter);
  if (self->general) {
    gst_video_converter_frame(self->general, in, out);
    self->generalFrames->fetch_add(1, std::memory_order_relaxed);
    return GST_FLOW_OK;
  }
  if (!self->fast->Convert(*in, *out)) {
    GST_ELEMENT_ERROR(filter, STREAM, FORMAT, (nullptr), ("cannot convert the frame"));
    return GST_FLOW_ERROR;
  }
  self->fastFrames->fetch_add(1, std::memory_order_relaxed);
  return GST_FLOW_OK;
}

void Finalize(GObject* object) {
  OrvexVideoConvert* self = Self(object);
  DropGeneral(self);
  delete self->fast;
  delete self->fastFrames;
  delete self->generalFrames;
  G_OBJECT_CLASS(orvex_video_convert_parent_class)->finalize(object);
}

void orvex_video_convert_class_init(OrvexVideoConvertClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = Finalize;
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &g_sinkTemplate);
  gst_element_class_add_static_pad_template(element, &g_srcTemplate);
  gst_element_class_set_static_metadata(element, "Orvex video converter", "Filter/Converter/Video",
                                        "Converts between video formats, the webcam ones with SIMD rows",
                                        "Orvex Ziru");
  auto* base = GST_BASE_TRANSFORM_CLASS(klass);
  base->transform_caps = TransformCaps;
  base->fixate_caps = FixateCaps;
  base->passthrough_on_same_caps = TRUE;
  auto* video = GST_VIDEO_FILTER_CLASS(klass);
  video->set_info = SetInfo;
  video->transform_frame = TransformFrame;
}

void orvex_video_convert_init(OrvexVideoConvert* self) {
  self->fast = new FastConversion;
  self->general = nullptr;
  self->fastFrames = new std::atomic<unsigned long long>(0);
  self->generalFrames = new std::atomic<unsigned long long>(0);
}

}  // namespace

GstElement* NewVideoConvert() {
  return static_cast<GstElement*>(g_object_new(orvex_video_convert_get_type(), nullptr));
}

TConvertCounts VideoConvertCounts(GstElement* element) {
  if (!element || !G_TYPE_CHECK_INSTANCE_TYPE(element, orvex_video_convert_get_type())) return {};
  OrvexVideoConvert* self = Self(element);
  return {self->fastFrames->load(), self->generalFrames->load()};
}

}  // namespace orvex::media
