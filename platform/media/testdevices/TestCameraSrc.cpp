#include "platform/media/testdevices/TestCameraSrc.h"

#include <gst/base/gstpushsrc.h>
#include <gst/video/video.h>

#include <array>
#include <cstdlib>
#include <string>

#include "platform/media/testdevices/JpegEncoder.h"
#include "platform/media/testdevices/TestDevices.h"
#include "platform/media/testdevices/TestPattern.h"

GST_DEBUG_CATEGORY_STATIC(orvex_test_camera_debug);
#define GST_CAT_DEFAULT orvex_test_camera_debug

namespace orvex::media::testdevices {
namespace {

constexpr int kJpegQuality = 85;
constexpr std::array<std::pair<int, int>, 6> kSizes = {
    {{640, 480}, {160, 120}, {320, 240}, {352, 288}, {1280, 720}, {1920, 1080}}};
// Raw formats by GStreamer name; nullptr stands for MJPEG.
constexpr std::array<const char*, 4> kFormats = {"YUY2", nullptr, "BGR", "BGRx"};

// Everything the streaming thread owns; `fpsN`/`fpsD` are also read by
// queries, and the clock wait is also touched by unlock(), under the object lock.
struct CameraState {
  bool negotiated = false;
  bool jpeg = false;
  GstVideoInfo info{};
  int fpsN = 30, fpsD = 1;
  TestPattern pattern;
  JpegEncoder encoder;
  GstBuffer* stillJpeg = nullptr;  // the encoded still picture, shared by every still frame
  guint64 nextFrame = 0;           // lowest frame slot not yet used
  GstClockTime lastEnd = GST_CLOCK_TIME_NONE;
  guint64 dropped = 0;
  GstClockID wait = nullptr;  // kept between frames, re-armed for each
  bool waiting = false;
  bool flushing = false;

  GstClockTime FrameTime(guint64 n) const {
    return gst_util_uint64_scale(n, static_cast<guint64>(fpsD) * GST_SECOND, static_cast<guint64>(fpsN));
  }
  void ForgetStill() {
    if (stillJpeg != nullptr) gst_buffer_unref(stillJpeg);
    stillJpeg = nullptr;
  }
  void ForgetWait() {
    if (wait != nullptr) gst_clock_id_unref(wait);
    wait = nullptr;
  }
};

struct OrvexTestCameraSrc {
  GstPushSrc parent;
  gint input;  // read by the streaming thread once per frame
  CameraState* state;
};

struct OrvexTestCameraSrcClass {
  GstPushSrcClass parent_class;
};

enum { PROP_0, PROP_INPUT };

G_DEFINE_TYPE(OrvexTestCameraSrc, orvex_test_camera_src, GST_TYPE_PUSH_SRC)

OrvexTestCameraSrc* Self(gpointer p) { return reinterpret_cast<OrvexTestCameraSrc*>(p); }

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
  if (id == PROP_INPUT)
    g_atomic_int_set(&Self(object)->input, g_value_get_int(value));
  else
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
  if (id == PROP_INPUT)
    g_value_set_int(value, g_atomic_int_get(&Self(object)->input));
  else
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void Finalize(GObject* object) {
  CameraState* st = Self(object)->state;
  st->ForgetStill();
  st->ForgetWait();
  delete st;
  G_OBJECT_CLASS(orvex_test_camera_src_parent_class)->finalize(object);
}

bool LayoutOf(GstVideoFormat format, PixelLayout* layout) {
  switch (format) {
    case GST_VIDEO_FORMAT_YUY2: *layout = PixelLayout::YUY2; return true;
    case GST_VIDEO_FORMAT_BGR: *layout = PixelLayout::BGR; return true;
    case GST_VIDEO_FORMAT_BGRx: *layout = PixelLayout::BGRx; return true;
    default: return false;
  }
}

gboolean SetCaps(GstBaseSrc* src, GstCaps* caps) {
  CameraState& st = *Self(src)->state;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  int width = 0, height = 0, fpsN = 0, fpsD = 1;
  PixelLayout layout = PixelLayout::Yuv420Full;
  const bool jpeg = gst_structure_has_name(s, "image/jpeg");
  if (jpeg) {
    if (!gst_structure_get_int(s, "width", &width) || !gst_structure_get_int(s, "height", &height) ||
        !gst_structure_get_fraction(s, "framerate", &fpsN, &fpsD))
      return FALSE;
  } else {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, caps) || !LayoutOf(GST_VIDEO_INFO_FORMAT(&info), &layout))
      return FALSE;
    st.info = info;
    width = info.width, height = info.height, fpsN = info.fps_n, fpsD = info.fps_d;
  }
  if (width < 2 || height < 2 || fpsN <= 0 || fpsD <= 0) {
    GST_WARNING_OBJECT(src, "refusing caps %" GST_PTR_FORMAT, static_cast<void*>(caps));
    return FALSE;
  }
  st.jpeg = jpeg;
  st.pattern.Configure(layout, width, height);
  if (jpeg) st.encoder.Configure(width, height, kJpegQuality);
  st.ForgetStill();
  GST_OBJECT_LOCK(src);
  st.fpsN = fpsN, st.fpsD = fpsD;
  GST_OBJECT_UNLOCK(src);
  // Keep timestamps rising across a change of frame rate.
  st.nextFrame = GST_CLOCK_TIME_IS_VALID(st.lastEnd)
                     ? gst_util_uint64_scale_ceil(st.lastEnd, static_cast<guint64>(fpsN),
                                                  static_cast<guint64>(fpsD) * GST_SECOND)
                     : 0;
  st.negotiated = true;
  return TRUE;
}

// A pool of raw frames, so the steady state does not allocate.
gboolean DecideAllocation(GstBaseSrc* src, GstQuery* query) {
  GstCaps* caps = nullptr;
  gst_query_parse_allocation(query, &caps, nullptr);
  GstVideoInfo info;
  if (caps == nullptr || !gst_video_info_from_caps(&info, caps))  // MJPEG: buffers of their own size
    return GST_BASE_SRC_CLASS(orvex_test_camera_src_parent_class)->decide_allocation(src, query);

  GstBufferPool* pool = nullptr;
  guint size = static_cast<guint>(info.size), min = 0, max = 0;
  const bool update = gst_query_get_n_allocation_pools(query) > 0;
  if (update) {
    gst_query_parse_nth_allocation_pool(query, 0, &pool, &size, &min, &max);
    size = MAX(size, static_cast<guint>(info.size));
  }
  if (pool == nullptr) pool = gst_video_buffer_pool_new();
  GstStructure* config = gst_buffer_pool_get_config(pool);
  gst_buffer_pool_config_set_params(config, caps, size, min, max);
  if (gst_query_find_allocation_meta(query, GST_VIDEO_META_API_TYPE, nullptr))
    gst_buffer_pool_config_add_option(config, GST_BUFFER_POOL_OPTION_VIDEO_META);
  gst_buffer_pool_set_config(pool, config);
  if (update)
    gst_query_set_nth_allocation_pool(query, 0, pool, size, min, max);
  else
    gst_query_add_allocation_pool(query, pool, size, min, max);
  gst_object_unref(pool);
  return GST_BASE_SRC_CLASS(orvex_test_camera_src_parent_class)->decide_allocation(src, query);
}

gboolean Start(GstBaseSrc* src) {
  CameraState& st = *Self(src)->state;
  st.nextFrame = 0;
  st.lastEnd = GST_CLOCK_TIME_NONE;
  st.dropped = 0;
  GST_OBJECT_LOCK(src);
  st.flushing = false;
  GST_OBJECT_UNLOCK(src);
  return TRUE;
}

gboolean Stop(GstBaseSrc* src) {
  CameraState& st = *Self(src)->state;
  st.ForgetStill();
  GST_OBJECT_LOCK(src);
  st.ForgetWait();
  GST_OBJECT_UNLOCK(src);
  st.negotiated = false;
  if (st.dropped != 0) GST_INFO_OBJECT(src, "dropped %" G_GUINT64_FORMAT " frames", st.dropped);
  return TRUE;
}

// A state change or flush interrupts the wait for the next slot.
gboolean Unlock(GstBaseSrc* src) {
  CameraState& st = *Self(src)->state;
  GST_OBJECT_LOCK(src);
  st.flushing = true;
  if (st.waiting) gst_clock_id_unschedule(st.wait);
  GST_OBJECT_UNLOCK(src);
  return TRUE;
}

gboolean UnlockStop(GstBaseSrc* src) {
  GST_OBJECT_LOCK(src);
  Self(src)->state->flushing = false;
  GST_OBJECT_UNLOCK(src);
  return TRUE;
}

gboolean Query(GstBaseSrc* src, GstQuery* query) {
  if (GST_QUERY_TYPE(query) != GST_QUERY_LATENCY)
    return GST_BASE_SRC_CLASS(orvex_test_camera_src_parent_class)->query(src, query);
  CameraState& st = *Self(src)->state;
  GST_OBJECT_LOCK(src);
  // A frame whose slot began while downstream was busy still goes out, up to
  // one frame time after its timestamp.
  const GstClockTime frame = st.FrameTime(1);
  GST_OBJECT_UNLOCK(src);
  gst_query_set_latency(query, TRUE, frame, GST_CLOCK_TIME_NONE);
  return TRUE;
}

// Frames sit on a fixed grid of running time at the frame rate, like the
// exposures of a real sensor. A slot that already passed while downstream
// was busy is skipped, so a slow consumer sees dropped frames, not a burst.
// The grid is ours alone: basesrc does not sync (no get_times), because its
// start-up offset would shift delivery off the grid we choose slots on.
guint64 ChooseFrame(OrvexTestCameraSrc* self) {
  CameraState& st = *self->state;
  guint64 n = st.nextFrame;
  GstElement* element = GST_ELEMENT(self);
  if (GstClock* clock = gst_element_get_clock(element)) {
    const GstClockTime now = gst_clock_get_time(clock);
    const GstClockTime base = gst_element_get_base_time(element);
    gst_object_unref(clock);
    if (now > base) {
      const guint64 slot = gst_util_uint64_scale(now - base, static_cast<guint64>(st.fpsN),
                                                 static_cast<guint64>(st.fpsD) * GST_SECOND);
      if (slot > n) {
        if (GST_CLOCK_TIME_IS_VALID(st.lastEnd)) st.dropped += slot - n;
        n = slot;
      }
    }
  }
  st.nextFrame = n + 1;
  return n;
}

// Waits until the running time reaches `time`; FLUSHING when interrupted.
GstFlowReturn WaitUntil(OrvexTestCameraSrc* self, GstClockTime time) {
  CameraState& st = *self->state;
  GstElement* element = GST_ELEMENT(self);
  GstClock* clock = gst_element_get_clock(element);
  if (clock == nullptr) return GST_FLOW_OK;  // no pipeline clock: nothing to pace by
  const GstClockTime target = gst_element_get_base_time(element) + time;
  GST_OBJECT_LOCK(self);
  if (st.flushing) {
    GST_OBJECT_UNLOCK(self);
    gst_object_unref(clock);
    return GST_FLOW_FLUSHING;
  }
  if (st.wait != nullptr && !gst_clock_id_uses_clock(st.wait, clock)) st.ForgetWait();
  if (st.wait == nullptr)
    st.wait = gst_clock_new_single_shot_id(clock, target);
  else
    gst_clock_single_shot_id_reinit(clock, st.wait, target);
  st.waiting = true;
  GST_OBJECT_UNLOCK(self);
  const GstClockReturn result = gst_clock_id_wait(st.wait, nullptr);
  GST_OBJECT_LOCK(self);
  st.waiting = false;
  GST_OBJECT_UNLOCK(self);
  gst_object_unref(clock);
  return result == GST_CLOCK_UNSCHEDULED ? GST_FLOW_FLUSHING : GST_FLOW_OK;
}

GstFlowReturn MakeRaw(OrvexTestCameraSrc* self, bool moving, guint64 n, GstBuffer** out) {
  CameraState& st = *self->state;
  GstBaseSrc* base = GST_BASE_SRC(self);
  GstBuffer* buf = nullptr;
  const GstFlowReturn ret = GST_BASE_SRC_CLASS(orvex_test_camera_src_parent_class)
                                ->alloc(base, n, static_cast<guint>(st.info.size), &buf);
  if (ret != GST_FLOW_OK) return ret;
  GstVideoFrame frame;
  if (!gst_video_frame_map(&frame, &st.info, buf, GST_MAP_WRITE)) {
    gst_buffer_unref(buf);
    GST_ELEMENT_ERROR(self, RESOURCE, WRITE, ("Could not map a video frame."), (nullptr));
    return GST_FLOW_ERROR;
  }
  std::uint8_t* planes[3] = {static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), nullptr,
                             nullptr};
  const int strides[3] = {GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), 0, 0};
  st.pattern.Render(moving, n, planes, strides);
  gst_video_frame_unmap(&frame);
  *out = buf;
  return GST_FLOW_OK;
}

GstFlowReturn MakeJpeg(OrvexTestCameraSrc* self, bool moving, guint64 n, GstBuffer** out) {
  CameraState& st = *self->state;
  // Still frames share one encoded picture: the same bytes every time.
  if (!moving && st.stillJpeg != nullptr) {
    *out = gst_buffer_copy(st.stillJpeg);
    return GST_FLOW_OK;
  }
  st.pattern.Render(moving, n, st.encoder.planes(), st.encoder.strides());
  if (!st.encoder.Encode()) {
    GST_ELEMENT_ERROR(self, STREAM, ENCODE, ("Could not encode a JPEG frame."), (nullptr));
    return GST_FLOW_ERROR;
  }
  GstBuffer* buf = gst_buffer_new_allocate(nullptr, st.encoder.size(), nullptr);
  gst_buffer_fill(buf, 0, st.encoder.data(), st.encoder.size());
  if (!moving) {
    st.stillJpeg = buf;
    buf = gst_buffer_copy(buf);
  }
  *out = buf;
  return GST_FLOW_OK;
}

GstFlowReturn Create(GstPushSrc* psrc, GstBuffer** out) {
  OrvexTestCameraSrc* self = Self(psrc);
  CameraState& st = *self->state;
  if (!st.negotiated) return GST_FLOW_NOT_NEGOTIATED;
  const guint64 n = ChooseFrame(self);
  const bool moving = g_atomic_int_get(&self->input) == kInputComposite;
  GstBuffer* buf = nullptr;
  const GstFlowReturn ret = st.jpeg ? MakeJpeg(self, moving, n, &buf) : MakeRaw(self, moving, n, &buf);
  if (ret != GST_FLOW_OK) return ret;
  const GstClockTime pts = st.FrameTime(n);
  // Made ahead, handed over when its slot begins.
  if (WaitUntil(self, pts) != GST_FLOW_OK) {
    gst_buffer_unref(buf);
    return GST_FLOW_FLUSHING;
  }
  GST_BUFFER_PTS(buf) = pts;
  GST_BUFFER_DTS(buf) = GST_CLOCK_TIME_NONE;
  GST_BUFFER_DURATION(buf) = st.FrameTime(n + 1) - pts;
  GST_BUFFER_OFFSET(buf) = n;
  GST_BUFFER_OFFSET_END(buf) = n + 1;
  st.lastEnd = pts + GST_BUFFER_DURATION(buf);
  *out = buf;
  return GST_FLOW_OK;
}

void orvex_test_camera_src_class_init(OrvexTestCameraSrcClass* klass) {
  GObjectClass* object = G_OBJECT_CLASS(klass);
  object->set_property = SetProperty;
  object->get_property = GetProperty;
  object->finalize = Finalize;
  g_object_class_install_property(
      object, PROP_INPUT,
      g_param_spec_int(
          kInputProperty, "Input", "0: Composite (a moving picture), 1: SVideo (still colour bars)",
          kInputComposite, kInputSVideo, kInputComposite,
          static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING)));

  GstElementClass* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_set_static_metadata(element, "Orvex Test Pattern Camera", "Source/Video",
                                        "A live test camera: a moving picture or still colour bars",
                                        "Orvex Ziru");
  GstCaps* caps = NewCameraCaps();
  gst_element_class_add_pad_template(element, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
  gst_caps_unref(caps);

  GstBaseSrcClass* base = GST_BASE_SRC_CLASS(klass);
  base->set_caps = SetCaps;
  base->decide_allocation = DecideAllocation;
  base->start = Start;
  base->stop = Stop;
  base->unlock = Unlock;
  base->unlock_stop = UnlockStop;
  base->query = Query;
  GST_PUSH_SRC_CLASS(klass)->create = Create;
  GST_DEBUG_CATEGORY_INIT(orvex_test_camera_debug, "orvextestcamerasrc", 0, "Orvex test camera");
}

void orvex_test_camera_src_init(OrvexTestCameraSrc* self) {
  self->state = new CameraState();
  g_atomic_int_set(&self->input, kInputComposite);
  gst_base_src_set_live(GST_BASE_SRC(self), TRUE);
  gst_base_src_set_format(GST_BASE_SRC(self), GST_FORMAT_TIME);
}

}  // namespace

GType TestCameraSrcType() { return orvex_test_camera_src_get_type(); }

namespace {

// ORVEX_TEST_CAMERA_FORMATS (e.g. "YUY2,MJPG") leaves out the others, so the
// camera offers what a webcam offers: no RGB.
bool Offered(const char* format) {
  const char* only = std::getenv("ORVEX_TEST_CAMERA_FORMATS");
  if (only == nullptr || *only == '\0') return true;
  const std::string list = std::string(",") + only + ",";
  return list.find(std::string(",") + (format ? format : "MJPG") + ",") != std::string::npos;
}

}  // namespace

GstCaps* NewCameraCaps() {
  GstCaps* caps = gst_caps_new_empty();
  for (const char* format : kFormats) {
    if (!Offered(format)) continue;
    for (auto [width, height] : kSizes) {
      GstStructure* s = format != nullptr
                            ? gst_structure_new("video/x-raw", "format", G_TYPE_STRING, format, nullptr)
                            : gst_structure_new_empty("image/jpeg");
      gst_structure_set(s, "width", G_TYPE_INT, width, "height", G_TYPE_INT, height, "pixel-aspect-ratio",
                        GST_TYPE_FRACTION, 1, 1, nullptr);
      // What a USB webcam's YUY2 says through v4l2src at every size: BT.601
      // in limited range (sRGB transfer, BT.709 primaries).
      if (format != nullptr && std::string(format) == "YUY2")
        gst_structure_set(s, "colorimetry", G_TYPE_STRING, "2:4:7:1", nullptr);
      GValue rates = G_VALUE_INIT, rate = G_VALUE_INIT;
      gst_value_list_init(&rates, 2);
      g_value_init(&rate, GST_TYPE_FRACTION);
      for (int fps : {30, 15}) {
        gst_value_set_fraction(&rate, fps, 1);
        gst_value_list_append_value(&rates, &rate);
      }
      g_value_unset(&rate);
      gst_structure_take_value(s, "framerate", &rates);
      gst_caps_append_structure(caps, s);
    }
  }
  return caps;
}

}  // namespace orvex::media::testdevices
