#include "engine/frames/VideoRenderer.h"

#include <utility>

TVideoFrameSlot::TVideoFrameSlot() { g_weak_ref_init(&sink_, nullptr); }

TVideoFrameSlot::~TVideoFrameSlot() {
  Clear();
  g_weak_ref_clear(&sink_);
}

void TVideoFrameSlot::Store(GstSample* sample) {
  std::function<void()> notify;
  orvex::media::SamplePtr previous;  // let go of outside the lock
  {
    std::lock_guard lock(mutex_);
    ++frames_;
    // A frame nobody will paint is not kept: at 1080p each one is 8 MB the
    // pool upstream would otherwise have to allocate again.
    previous = std::exchange(sample_,
                             watched_ ? orvex::media::SamplePtr::Borrow(sample) : orvex::media::SamplePtr());
    if (watched_) notify = OnNewFrame;
  }
  if (notify) notify();
}

void TVideoFrameSlot::SetWatched(bool watched) {
  orvex::media::ElementPtr sink;
  {
    orvex::media::SamplePtr previous;  // let go of outside the lock
    std::lock_guard lock(mutex_);
    const bool changed = watched_ != watched;
    watched_ = watched;
    if (!watched) previous = std::exchange(sample_, orvex::media::SamplePtr());
    if (changed) sink.reset(static_cast<GstElement*>(g_weak_ref_get(&sink_)));
    if (sink) FollowWatched(sink.get());
  }
  // A sink that waits for the clock again needs the graph's latency, which
  // was worked out without it; frames would otherwise count as late.
  if (sink) RecalculateLatency(sink.get());
}

void TVideoFrameSlot::AttachSink(GstElement* sink) {
  std::lock_guard lock(mutex_);
  g_weak_ref_set(&sink_, sink);
  FollowWatched(sink);
}

// Waiting for a frame's time only matters to someone who looks: unwatched,
// frames pass at once and none is held back for the clock.
void TVideoFrameSlot::FollowWatched(GstElement* sink) const {
  g_object_set(sink, "sync", watched_ ? TRUE : FALSE, nullptr);
}

void TVideoFrameSlot::RecalculateLatency(GstElement* sink) {
  orvex::media::ElementPtr top;
  for (GstObject* parent = gst_object_get_parent(GST_OBJECT(sink)); parent;
       parent = gst_object_get_parent(parent))
    top.reset(GST_ELEMENT(parent));
  if (top && GST_IS_BIN(top.get())) gst_bin_recalculate_latency(GST_BIN(top.get()));
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

// fakesink's hand-off: the frame with the caps it was negotiated in.
void OnHandoff(GstElement*, GstBuffer* buffer, GstPad* pad, gpointer data) {
  const orvex::media::CapsPtr caps(gst_pad_get_current_caps(pad));
  const orvex::media::SamplePtr sample(gst_sample_new(buffer, caps.get(), nullptr, nullptr));
  static_cast<std::shared_ptr<TVideoFrameSlot>*>(data)->get()->Store(sample.get());
}

void FreeSlot(gpointer data, GClosure*) { delete static_cast<std::shared_ptr<TVideoFrameSlot>*>(data); }

}  // namespace

// A fakesink behind a caps filter rather than an appsink: an appsink keeps
// the last frame it handed out (in the sample it reuses) until the next one.
GstElement* CreateVideoRenderer(const std::shared_ptr<TVideoFrameSlot>& slot) {
  orvex::media::ElementPtr bin(GST_ELEMENT(gst_object_ref_sink(gst_bin_new(nullptr))));
  GstElement* filter = gst_element_factory_make("capsfilter", "Renderer Format");
  if (!filter || !gst_bin_add(GST_BIN(bin.get()), filter)) return nullptr;
  GstElement* sink = gst_element_factory_make("fakesink", "Renderer Sink");
  if (!sink || !gst_bin_add(GST_BIN(bin.get()), sink)) return nullptr;
  // The camera's YUV is converted as it is painted (TFramePainter).
  const orvex::media::CapsPtr caps(gst_caps_from_string("video/x-raw,format={BGRx,BGR,I420,YUY2,UYVY,NV12}"));
  g_object_set(filter, "caps", caps.get(), nullptr);
  // Shows frames at their time while watched (see AttachSink).
  g_object_set(sink, "qos", TRUE, "enable-last-sample", FALSE, "signal-handoffs", TRUE, nullptr);
  slot->AttachSink(sink);
  g_signal_connect_data(sink, "handoff", G_CALLBACK(&OnHandoff), new std::shared_ptr<TVideoFrameSlot>(slot),
                        &FreeSlot, GConnectFlags{});
  const orvex::media::PadPtr target(gst_element_get_static_pad(filter, "sink"));
  if (!gst_element_link(filter, sink) ||
      !gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", target.get())))
    return nullptr;
  // Floating again, as a newly made element is, for the bin it is added to.
  g_object_force_floating(G_OBJECT(bin.get()));
  return bin.release();
}
