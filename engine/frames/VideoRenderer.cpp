#include "engine/frames/VideoRenderer.h"

#include <gst/app/gstappsink.h>

TVideoFrameSlot::~TVideoFrameSlot() { Clear(); }

void TVideoFrameSlot::Store(GstSample* sample) {
  std::function<void()> notify;
  {
    std::lock_guard lock(mutex_);
    sample_ = orvex::media::SamplePtr::Borrow(sample);
    ++frames_;
    if (watched_) notify = OnNewFrame;
  }
  if (notify) notify();
}

orvex::media::SamplePtr TVideoFrameSlot::Newest() const {
  std::lock_guard lock(mutex_);
  return sample_;
}

void TVideoFrameSlot::Clear() {
  std::lock_guard lock(mutex_);
  sample_.reset();
}

QRect PictureRect(QSize frame, QSize display, bool keepAspectRatio) {
  if (!keepAspectRatio || frame.isEmpty()) return QRect(QPoint(0, 0), display);
  const QSize fitted = frame.scaled(display, Qt::KeepAspectRatio);
  return QRect(QPoint((display.width() - fitted.width()) / 2, (display.height() - fitted.height()) / 2),
               fitted);
}

namespace {

GstFlowReturn OnNewSample(GstAppSink* sink, gpointer data) {
  const orvex::media::SamplePtr sample(gst_app_sink_pull_sample(sink));
  if (!sample) return GST_FLOW_OK;
  static_cast<std::shared_ptr<TVideoFrameSlot>*>(data)->get()->Store(sample.get());
  return GST_FLOW_OK;
}

void FreeSlot(gpointer data) { delete static_cast<std::shared_ptr<TVideoFrameSlot>*>(data); }

}  // namespace

GstElement* CreateVideoRenderer(const std::shared_ptr<TVideoFrameSlot>& slot) {
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  if (!sink) return nullptr;
  const orvex::media::CapsPtr caps(gst_caps_from_string("video/x-raw,format={BGRx,BGR}"));
  // Shows frames at their time; a late frame is dropped rather than queued.
  g_object_set(sink, "caps", caps.get(), "sync", TRUE, "max-buffers", 1, "drop", TRUE, "enable-last-sample",
               FALSE, "qos", TRUE, nullptr);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = &OnNewSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, new std::shared_ptr<TVideoFrameSlot>(slot),
                             &FreeSlot);
  return sink;
}
