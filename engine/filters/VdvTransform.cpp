#include "engine/filters/VdvTransform.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

#include <algorithm>

#include "engine/filters/HResult.h"
#include "engine/filters/PixelGeometry.h"

GST_DEBUG_CATEGORY_STATIC(orvex_vdv_transform_debug);
#define GST_CAT_DEFAULT orvex_vdv_transform_debug

namespace vdv_filters {
namespace {

struct OrvexVdvTransform {
  GstVideoFilter parent;
  TGeometry wanted;  // under the object lock: set by SetParams, read by negotiation
  TGeometry active;  // streaming thread: the geometry of the negotiated caps
};

struct OrvexVdvTransformClass {
  GstVideoFilterClass parent_class;
};

G_DEFINE_TYPE(OrvexVdvTransform, orvex_vdv_transform, GST_TYPE_VIDEO_FILTER)

OrvexVdvTransform* Self(gpointer p) { return reinterpret_cast<OrvexVdvTransform*>(p); }

#define VDV_TRANSFORM_CAPS \
  "video/x-raw, format=(string){ BGRx, BGR, I420 }, width=(int)[1, max], height=(int)[1, max]"
GstStaticPadTemplate g_sinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(VDV_TRANSFORM_CAPS));
GstStaticPadTemplate g_srcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS(VDV_TRANSFORM_CAPS));

TGeometry Wanted(GstBaseTransform* trans) {
  GST_OBJECT_LOCK(trans);
  const TGeometry g = Self(trans)->wanted;
  GST_OBJECT_UNLOCK(trans);
  return g;
}

void SetIntOrRange(GstStructure* s, const char* field, gint64 lo, gint64 hi) {
  lo = std::clamp<gint64>(lo, 1, G_MAXINT);
  hi = std::clamp<gint64>(hi, lo, G_MAXINT);
  if (lo == hi)
    gst_structure_set(s, field, G_TYPE_INT, static_cast<int>(lo), nullptr);
  else
    gst_structure_set(s, field, GST_TYPE_INT_RANGE, static_cast<int>(lo), static_cast<int>(hi), nullptr);
}

// Halving takes the first of each pair of lines, so n becomes (n + 1) / 2 and
// an output n comes from 2n - 1 or 2n.
void HalveField(GstStructure* s, const char* field, bool forward) {
  const GValue* v = gst_structure_get_value(s, field);
  if (v == nullptr) return;
  gint64 lo = 1, hi = G_MAXINT;
  if (G_VALUE_HOLDS_INT(v)) {
    lo = hi = g_value_get_int(v);
  } else if (GST_VALUE_HOLDS_INT_RANGE(v)) {
    lo = gst_value_get_int_range_min(v);
    hi = gst_value_get_int_range_max(v);
  }
  if (forward)
    SetIntOrRange(s, field, (lo + 1) / 2, (hi + 1) / 2);
  else
    SetIntOrRange(s, field, 2 * lo - 1, 2 * hi);
}

void SwapFields(GstStructure* s) {
  GValue w = G_VALUE_INIT, h = G_VALUE_INIT;
  const GValue* pw = gst_structure_get_value(s, "width");
  const GValue* ph = gst_structure_get_value(s, "height");
  if (pw != nullptr) g_value_init(&w, G_VALUE_TYPE(pw)), g_value_copy(pw, &w);
  if (ph != nullptr) g_value_init(&h, G_VALUE_TYPE(ph)), g_value_copy(ph, &h);
  gst_structure_remove_fields(s, "width", "height", nullptr);
  if (ph != nullptr) gst_structure_take_value(s, "width", &h);
  if (pw != nullptr) gst_structure_take_value(s, "height", &w);
  int n = 0, d = 0;
  if (gst_structure_get_fraction(s, "pixel-aspect-ratio", &n, &d) && n > 0)
    gst_structure_set(s, "pixel-aspect-ratio", GST_TYPE_FRACTION, d, n, nullptr);
}

GstCaps* TransformCaps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps, GstCaps* filter) {
  const TGeometry g = Wanted(trans);
  const bool forward = direction == GST_PAD_SINK;
  g_autoptr(GstCaps) mapped = gst_caps_new_empty();
  for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
    GstStructure* s = gst_structure_copy(gst_caps_get_structure(caps, i));
    // Forward: halve, then turn; backward: turn back, then double.
    if (g.swapsDimensions() && !forward) SwapFields(s);
    if (g.halfSize) HalveField(s, "width", forward), HalveField(s, "height", forward);
    if (g.swapsDimensions() && forward) SwapFields(s);
    mapped = gst_caps_merge_structure_full(mapped, s, gst_caps_features_copy(gst_caps_get_features(caps, i)));
  }
  g_autoptr(GstCaps) templ = gst_static_pad_template_get_caps(forward ? &g_srcTemplate : &g_sinkTemplate);
  GstCaps* result = gst_caps_intersect_full(mapped, templ, GST_CAPS_INTERSECT_FIRST);
  if (filter != nullptr)
    gst_caps_take(&result, gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST));
  GST_DEBUG_OBJECT(trans, "%" GST_PTR_FORMAT " -> %" GST_PTR_FORMAT, static_cast<void*>(caps),
                   static_cast<void*>(result));
  return result;
}

// The other side's size follows from this side's; where halving allows two
// source sizes, the even one.
GstCaps* FixateCaps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps, GstCaps* othercaps) {
  othercaps = gst_caps_make_writable(gst_caps_truncate(othercaps));
  const GstStructure* in = gst_caps_get_structure(caps, 0);
  GstStructure* out = gst_caps_get_structure(othercaps, 0);
  const TGeometry g = Wanted(trans);
  int w = 0, h = 0;
  if (gst_structure_get_int(in, "width", &w) && gst_structure_get_int(in, "height", &h)) {
    int ow = w, oh = h;
    if (direction == GST_PAD_SINK) {
      OutputSize(g, w, h, &ow, &oh);
    } else {
      if (g.swapsDimensions()) std::swap(ow, oh);
      if (g.halfSize) ow *= 2, oh *= 2;
    }
    gst_structure_fixate_field_nearest_int(out, "width", ow);
    gst_structure_fixate_field_nearest_int(out, "height", oh);
  }
  if (const char* format = gst_structure_get_string(in, "format"))
    gst_structure_fixate_field_string(out, "format", format);
  return gst_caps_fixate(othercaps);
}

// Of every plane: I420's three are turned one by one.
int BytesPerPixel(const GstVideoInfo* info) {
  switch (GST_VIDEO_INFO_FORMAT(info)) {
    case GST_VIDEO_FORMAT_BGRx: return 4;
    case GST_VIDEO_FORMAT_BGR: return 3;
    case GST_VIDEO_FORMAT_I420: return 1;
    default: return 0;
  }
}

gboolean SetInfo(GstVideoFilter* filter, GstCaps*, GstVideoInfo* in, GstCaps*, GstVideoInfo* out) {
  const TGeometry g = Wanted(GST_BASE_TRANSFORM(filter));
  int ow = 0, oh = 0;
  OutputSize(g, GST_VIDEO_INFO_WIDTH(in), GST_VIDEO_INFO_HEIGHT(in), &ow, &oh);
  if (BytesPerPixel(in) == 0 || GST_VIDEO_INFO_FORMAT(in) != GST_VIDEO_INFO_FORMAT(out) ||
      GST_VIDEO_INFO_WIDTH(out) != ow || GST_VIDEO_INFO_HEIGHT(out) != oh) {
    GST_WARNING_OBJECT(filter, "caps do not match rotation %d, half size %d", g.rotation, g.halfSize);
    return FALSE;
  }
  Self(filter)->active = g;
  gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(filter), g.identity());
  return TRUE;
}

// A chroma plane turns as its picture does: its sizes round up as the
// picture's halves do, so the turned plane fits the turned picture.
GstFlowReturn TransformVideoFrame(GstVideoFilter* filter, GstVideoFrame* in, GstVideoFrame* out) {
  for (guint p = 0; p < GST_VIDEO_FRAME_N_PLANES(in); ++p)
    TransformFrame(Self(filter)->active, static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(in, p)),
                   GST_VIDEO_FRAME_PLANE_STRIDE(in, p), GST_VIDEO_FRAME_COMP_WIDTH(in, p),
                   GST_VIDEO_FRAME_COMP_HEIGHT(in, p),
                   static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(out, p)),
                   GST_VIDEO_FRAME_PLANE_STRIDE(out, p), BytesPerPixel(&in->info));
  return GST_FLOW_OK;
}

void orvex_vdv_transform_class_init(OrvexVdvTransformClass* klass) {
  GST_DEBUG_CATEGORY_INIT(orvex_vdv_transform_debug, "orvexvdvtransform", 0,
                          "Orvex rotation and deinterlace");
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &g_sinkTemplate);
  gst_element_class_add_static_pad_template(element, &g_srcTemplate);
  gst_element_class_set_static_metadata(element, "Orvex transform", "Filter/Converter/Video",
                                        "Turns, mirrors or halves frames for the capture engine",
                                        "Orvex Ziru");
  auto* base = GST_BASE_TRANSFORM_CLASS(klass);
  base->transform_caps = TransformCaps;
  base->fixate_caps = FixateCaps;
  base->passthrough_on_same_caps = FALSE;
  auto* video = GST_VIDEO_FILTER_CLASS(klass);
  video->set_info = SetInfo;
  video->transform_frame = TransformVideoFrame;
}

void orvex_vdv_transform_init(OrvexVdvTransform* self) {
  self->wanted = {};
  self->active = {};
}

}  // namespace

GstElement* NewTransform() {
  auto* element = static_cast<GstElement*>(g_object_new(orvex_vdv_transform_get_type(), nullptr));
  gst_object_set_name(GST_OBJECT(element), "TrnfFltr");
  return element;
}

std::int32_t TransformSetParams(GstElement* element, const TTransformParams* block) {
  if (block == nullptr) return E_POINTER;
  if (element == nullptr || !G_TYPE_CHECK_INSTANCE_TYPE(element, orvex_vdv_transform_get_type()))
    return E_INVALIDARG;
  const bool quarterTurn = (block->Rotation & 1) != 0;
  if (block->Rotation < 0 || block->Rotation > 7 || block->SwapDimensions > 1 ||
      (block->SwapDimensions != 0) != quarterTurn) {
    GST_WARNING_OBJECT(element, "refusing rotation %d with swap %d", block->Rotation, block->SwapDimensions);
    return E_INVALIDARG;
  }
  TGeometry g;
  if (block->Active != 0) g = {block->Rotation, block->HalfSizeDeinterlace != 0};
  GST_OBJECT_LOCK(element);
  Self(element)->wanted = g;
  GST_OBJECT_UNLOCK(element);
  // Renegotiates a running element; before linking it only marks the pad.
  gst_base_transform_reconfigure_src(GST_BASE_TRANSFORM(element));
  return S_OK;
}

}  // namespace vdv_filters
