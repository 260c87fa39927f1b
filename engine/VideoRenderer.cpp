#include "engine/VideoRenderer.h"

#include <gst/app/gstappsink.h>

TVideoFrameSlot::~TVideoFrameSlot() { Clear(); }

void TVideoFrameSlot::Store(GstSample* sample) {
  std::function<void()> notify;
  {
    std::lock_guard lock(mutex_);
    if (sample_) gst_sample_unref(sample_);
    sample_ = gst_sample_ref(sample);
    ++frames_;
    notify = OnNewFrame;
  }
  if (notify) notify();
}

GstSample* TVideoFrameSlot::Newest() const {
  std::lock_guard lock(mutex_);
  return sample_ ? gst_sample_ref(sample_) : nullptr;
}

void TVideoFrameSlot::Clear() {
  std::lock_guard lock(mutex_);
  if (sample_) gst_sample_unref(sample_);
  sample_ = nullptr;
}

namespace {

GstFlowReturn OnNewSample(GstAppSink* sink, gpointer data) {
  GstSample* sample = gst_app_sink_pull_sample(sink);
  if (!sample) return GST_FLOW_OK;
  static_cast<std::shared_ptr<TVideoFrameSlot>*>(data)->get()->Store(sample);
  gst_sample_unref(sample);
  return GST_FLOW_OK;
}

void FreeSlot(gpointer data) { delete static_cast<std::shared_ptr<TVideoFrameSlot>*>(data); }

}  // namespace

GstElement* CreateVideoRenderer(const std::shared_ptr<TVideoFrameSlot>& slot) {
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  if (!sink) return nullptr;
  GstCaps* caps = gst_caps_from_string("video/x-raw,format={BGRx,BGR}");
  // Shows frames at their time; a late frame is dropped rather than queued.
  g_object_set(sink, "caps", caps, "sync", TRUE, "max-buffers", 1, "drop", TRUE, "enable-last-sample", FALSE,
               "qos", TRUE, nullptr);
  gst_caps_unref(caps);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = &OnNewSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, new std::shared_ptr<TVideoFrameSlot>(slot),
                             &FreeSlot);
  return sink;
}
