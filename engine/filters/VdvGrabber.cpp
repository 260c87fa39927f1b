#include "engine/filters/VdvGrabber.h"

#include <gst/base/gstbasetransform.h>
#include <gst/video/video.h>

#include <atomic>

#include "engine/filters/HResult.h"
#include "engine/filters/PixelProcessing.h"
#include "engine/filters/YuvRoundTrip.h"

GST_DEBUG_CATEGORY_STATIC(orvex_vdv_grabber_debug);
#define GST_CAT_DEFAULT orvex_vdv_grabber_debug

namespace vdv_filters {
namespace {

// The engine writes the block from its own thread (the frame callback does it
// on ours), so every field is read as an atomic.
template <typename T>
T Load(T& field) {
  return std::atomic_ref<T>(field).load(std::memory_order_relaxed);
}

TProcessingBlock LoadBlock(TProcessingBlock& b) {
  TProcessingBlock out;
  out.Brightness = Load(b.Brightness);
  out.Contrast = Load(b.Contrast);
  out.Saturation = Load(b.Saturation);
  out.Hue = Load(b.Hue);
  out.GrayScale = Load(b.GrayScale);
  out.InvertColors = Load(b.InvertColors);
  out.FullSizeDeinterlace = Load(b.FullSizeDeinterlace);
  out.FlipHorizontal = Load(b.FlipHorizontal);
  out.FlipVertical = Load(b.FlipVertical);
  out.ProcessingActive = Load(b.ProcessingActive);
  return out;
}

// Everything C++ of one instance; the parameter block's address is handed
// out, so it lives exactly as long as the element.
struct GrabberState {
  TGrabberParams params;
  std::atomic<std::int32_t> mode{gm_Dummy};
  bool mayModify = false;  // fixed at creation
  // Streaming thread only (set_caps and transform_ip).
  GstVideoInfo info{};
  TPixelProcessor processor;
  bool yuv = false;  // I420 or YUY2 frames, worked on in RGB only when something needs their pixels
  TYuvRoundTrip roundTrip;
};

struct OrvexVdvGrabber {
  GstBaseTransform parent;
  GrabberState* state;
};

struct OrvexVdvGrabberClass {
  GstBaseTransformClass parent_class;
};

G_DEFINE_TYPE(OrvexVdvGrabber, orvex_vdv_grabber, GST_TYPE_BASE_TRANSFORM)

GrabberState& State(gpointer p) { return *reinterpret_cast<OrvexVdvGrabber*>(p)->state; }

GstStaticPadTemplate g_sinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
GstStaticPadTemplate g_srcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);

// Mode 8 works on the RGB format the engine chose for it, or on either when
// the block names neither; or on I420 or YUY2, which it turns into that RGB
// only for the frames whose pixels are wanted.
GstCaps* ModifyCaps(GrabberState& st) {
  switch (Load(st.params.RGBFormat)) {
    case gf_RGB32: return gst_caps_from_string("video/x-raw, format=(string){ BGRx, I420, YUY2 }");
    case gf_RGB24: return gst_caps_from_string("video/x-raw, format=(string){ BGR, I420, YUY2 }");
    default: return gst_caps_from_string("video/x-raw, format=(string){ BGRx, BGR, I420, YUY2 }");
  }
}

GstVideoFormat WorkingRgb(GrabberState& st) {
  return Load(st.params.RGBFormat) == gf_RGB24 ? GST_VIDEO_FORMAT_BGR : GST_VIDEO_FORMAT_BGRx;
}

GstCaps* TransformCaps(GstBaseTransform* trans, GstPadDirection, GstCaps* caps, GstCaps* filter) {
  GrabberState& st = State(trans);
  GstCaps* result = gst_caps_ref(caps);
  if (st.mayModify) {
    g_autoptr(GstCaps) rgb = ModifyCaps(st);
    gst_caps_take(&result, gst_caps_intersect_full(rgb, caps, GST_CAPS_INTERSECT_FIRST));
  }
  if (filter != nullptr)
    gst_caps_take(&result, gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST));
  return result;
}

gboolean SetCaps(GstBaseTransform* trans, GstCaps* incaps, GstCaps*) {
  GrabberState& st = State(trans);
  if (!st.mayModify) return TRUE;
  GstVideoInfo info;
  if (!gst_video_info_from_caps(&info, incaps)) return FALSE;
  st.yuv = GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_I420 ||
           GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_YUY2;
  if (st.yuv && !st.roundTrip.Configure(info, WorkingRgb(st))) return FALSE;
  const GstVideoInfo& rgb = st.yuv ? st.roundTrip.RgbInfo() : info;
  int bytesPerPixel = 0;
  if (GST_VIDEO_INFO_FORMAT(&rgb) == GST_VIDEO_FORMAT_BGRx)
    bytesPerPixel = 4;
  else if (GST_VIDEO_INFO_FORMAT(&rgb) == GST_VIDEO_FORMAT_BGR)
    bytesPerPixel = 3;
  else
    return FALSE;
  st.info = info;
  st.processor.Configure(bytesPerPixel, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
  return TRUE;
}

// The buffer's running time in 100-ns units, -1 when it has none.
std::int64_t SampleStart(GstBaseTransform* trans, GstBuffer* buffer) {
  const GstClockTime pts = GST_BUFFER_PTS(buffer);
  if (!GST_CLOCK_TIME_IS_VALID(pts) || trans->segment.format != GST_FORMAT_TIME) return -1;
  const GstClockTime running = gst_segment_to_running_time(&trans->segment, GST_FORMAT_TIME, pts);
  return GST_CLOCK_TIME_IS_VALID(running) ? static_cast<std::int64_t>(running / 100) : -1;
}

TFrameDescription Describe(const GstVideoFrame& frame) {
  TFrameDescription d;
  const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
  const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
  const auto bits = static_cast<std::uint16_t>(GST_VIDEO_FRAME_COMP_PSTRIDE(&frame, 0) * 8);
  auto* pixels = static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
  d.Dib.dsBm = {0, width, height, stride, 1, bits, pixels};
  d.Dib.dsBmih.biWidth = width;
  d.Dib.dsBmih.biHeight = -height;
  d.Dib.dsBmih.biBitCount = bits;
  d.Dib.dsBmih.biSizeImage = static_cast<std::uint32_t>(stride) * static_cast<std::uint32_t>(height);
  d.Pixels = pixels;
  return d;
}

// The adjustments, then the frame callback, on an RGB frame.
void ProcessAndHandOver(GstBaseTransform* trans, GrabberState& st, const TProcessingBlock& block,
                        GstVideoFrame& frame, GstBuffer* buffer) {
  if (block.ProcessingActive == 1)
    st.processor.Process(block, static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                         GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0));
  if (TFrameCallback callback = Load(st.params.FrameCallback)) {
    const TFrameDescription d = Describe(frame);
    callback(&st.params, SampleStart(trans, buffer), 0, 0, buffer,
             static_cast<std::int32_t>(gst_buffer_get_size(buffer)), d.Pixels, nullptr, &d);
  }
}

void GrabFrame(GstBaseTransform* trans, GrabberState& st, GstBuffer* buffer) {
  GstVideoFrame frame;
  if (!gst_video_frame_map(&frame, &st.info, buffer, GST_MAP_READWRITE)) {
    GST_WARNING_OBJECT(trans, "cannot map a frame for writing; passed on untouched");
    return;
  }
  ProcessAndHandOver(trans, st, LoadBlock(st.params.Processing), frame, buffer);
  gst_video_frame_unmap(&frame);
}

// The frame callback of a YUV frame whose pixels nobody wants (or that cannot
// be read): its size and time, no pixels, so the frame clock stays exact.
void HandOverWithoutPixels(GstBaseTransform* trans, GrabberState& st, GstBuffer* buffer) {
  TFrameCallback callback = Load(st.params.FrameCallback);
  if (!callback) return;
  TFrameDescription d;
  d.Dib.dsBm.bmWidth = d.Dib.dsBmih.biWidth = GST_VIDEO_INFO_WIDTH(&st.info);
  d.Dib.dsBm.bmHeight = GST_VIDEO_INFO_HEIGHT(&st.info);
  d.Dib.dsBmih.biHeight = -GST_VIDEO_INFO_HEIGHT(&st.info);
  callback(&st.params, SampleStart(trans, buffer), 0, 0, buffer,
           static_cast<std::int32_t>(gst_buffer_get_size(buffer)), nullptr, nullptr, &d);
}

// YUV: into RGB only when the adjustments or the engine want the pixels,
// and back only when either may have changed them.
void GrabYuvFrame(GstBaseTransform* trans, GrabberState& st, GstBuffer* buffer) {
  const TProcessingBlock block = LoadBlock(st.params.Processing);
  const bool adjusts = block.ProcessingActive == 1 && st.processor.Changes(block);
  const std::uint8_t use = Load(st.params.PixelUse);
  if (!adjusts && use == pu_None) return HandOverWithoutPixels(trans, st, buffer);
  const bool writes = adjusts || use == pu_ReadWrite;
  GstVideoFrame yuv, rgb;
  if (!gst_video_frame_map(&yuv, &st.info, buffer, writes ? GST_MAP_READWRITE : GST_MAP_READ)) {
    GST_WARNING_OBJECT(trans, "cannot map a frame; passed on untouched");
    return HandOverWithoutPixels(trans, st, buffer);
  }
  const bool converted = st.roundTrip.ToRgb(yuv, rgb);
  if (converted) {
    ProcessAndHandOver(trans, st, block, rgb, buffer);
    if (writes && !st.roundTrip.FromRgb(rgb, yuv)) GST_WARNING_OBJECT(trans, "cannot convert a frame back");
    TYuvRoundTrip::Unmap(rgb);
  }
  gst_video_frame_unmap(&yuv);
  if (!converted) {
    GST_WARNING_OBJECT(trans, "cannot convert a frame to RGB; passed on untouched");
    HandOverWithoutPixels(trans, st, buffer);
  }
}

GstFlowReturn TransformIp(GstBaseTransform* trans, GstBuffer* buffer) {
  GrabberState& st = State(trans);
  switch (st.mode.load(std::memory_order_relaxed)) {
    case gm_RGB:
      if (st.mayModify) (st.yuv ? GrabYuvFrame : GrabFrame)(trans, st, buffer);
      break;
    case gm_Notify:
      if (TNotifyCallback notify = Load(st.params.NotifyCallback))
        notify(&st.params, 0, buffer, SampleStart(trans, buffer), 0, 0);
      break;
    case gm_Sample:
      if (TSampleCallback sample = Load(st.params.SampleCallback)) sample(&st.params, buffer);
      break;
    default: break;
  }
  return GST_FLOW_OK;
}

void Finalize(GObject* object) {
  delete reinterpret_cast<OrvexVdvGrabber*>(object)->state;
  G_OBJECT_CLASS(orvex_vdv_grabber_parent_class)->finalize(object);
}

void orvex_vdv_grabber_class_init(OrvexVdvGrabberClass* klass) {
  GST_DEBUG_CATEGORY_INIT(orvex_vdv_grabber_debug, "orvexvdvgrabber", 0, "Orvex frame grabber");
  G_OBJECT_CLASS(klass)->finalize = Finalize;
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &g_sinkTemplate);
  gst_element_class_add_static_pad_template(element, &g_srcTemplate);
  gst_element_class_set_static_metadata(element, "Orvex frame grabber", "Filter/Effect/Video",
                                        "Adjusts frames and hands them to the capture engine", "Orvex Ziru");
  auto* base = GST_BASE_TRANSFORM_CLASS(klass);
  base->transform_caps = TransformCaps;
  base->set_caps = SetCaps;
  base->transform_ip = TransformIp;
  base->transform_ip_on_passthrough = TRUE;
}

void orvex_vdv_grabber_init(OrvexVdvGrabber* self) {
  self->state = new GrabberState;
  self->state->params.Version = kFilterVersion;
  gst_base_transform_set_in_place(GST_BASE_TRANSFORM(self), TRUE);
}

}  // namespace

GstElement* NewGrabber(bool mayModify) {
  auto* self = static_cast<OrvexVdvGrabber*>(g_object_new(orvex_vdv_grabber_get_type(), nullptr));
  GrabberState& st = *self->state;
  st.mayModify = mayModify;
  st.mode.store(mayModify ? gm_RGB : gm_Dummy);
  // Only mode 8 writes; the others hand on the very buffer they got.
  gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(self), !mayModify);
  return GST_ELEMENT(self);
}

std::int32_t GrabberGetParams(GstElement* element, std::int32_t mode, TGrabberParams** block) {
  if (block == nullptr) return E_POINTER;
  *block = nullptr;
  if (element == nullptr || !G_TYPE_CHECK_INSTANCE_TYPE(element, orvex_vdv_grabber_get_type()))
    return E_INVALIDARG;
  GrabberState& st = State(element);
  const bool valid = st.mayModify ? mode == gm_RGB : (mode >= gm_Sample && mode <= gm_Clear);
  if (!valid) {
    GST_WARNING_OBJECT(element, "mode %d does not suit this grabber", mode);
    return E_INVALIDARG;
  }
  st.mode.store(mode);
  if (GST_OBJECT_PARENT(element) == nullptr) gst_object_set_name(GST_OBJECT(element), GrabberModeName(mode));
  *block = &st.params;
  return S_OK;
}

}  // namespace vdv_filters
