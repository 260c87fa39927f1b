#include "engine/TVdvGraph.h"

#include <cerrno>

TVdvGraph::TVdvGraph(const std::string& name)
    : pipeline_(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(name.c_str())))) {
  const orvex::media::BusPtr bus(gst_element_get_bus(pipeline_.get()));
  gst_bus_set_sync_handler(bus.get(), &TVdvGraph::OnSyncMessage, this, nullptr);
}

TVdvGraph::~TVdvGraph() {
  gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
  const orvex::media::BusPtr bus(gst_element_get_bus(pipeline_.get()));
  gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
}

void TVdvGraph::SetMessageHandler(MessageHandler handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

GstBusSyncReply TVdvGraph::OnSyncMessage(GstBus*, GstMessage* message, gpointer data) {
  auto* self = static_cast<TVdvGraph*>(data);
  // A dropped message is ours to free; kept, it would hold its source and so
  // the whole pipeline alive.
  const orvex::media::MessagePtr dropped(message);
  MessageHandler handler;
  {
    std::lock_guard lock(self->mutex_);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS &&
        GST_MESSAGE_SRC(message) == GST_OBJECT(self->pipeline_.get())) {
      self->eosSeen_ = true;
      self->ended_.notify_all();
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
      if (GstElement* source = self->LosableSourceOf(message)) {
        self->failedSources_.push_back(source);
      } else {
        self->errorSeen_ = true;
        self->ended_.notify_all();
      }
    }
    handler = self->handler_;
  }
  if (handler) handler(message);
  return GST_BUS_DROP;
}

GstElement* TVdvGraph::Add(GstElement* element, const std::string& name) {
  if (!element) return nullptr;
  if (!name.empty()) gst_object_set_name(GST_OBJECT(element), name.c_str());
  if (!gst_bin_add(GST_BIN(pipeline_.get()), element)) return nullptr;
  return element;
}

GstElement* TVdvGraph::Make(const char* factory, const std::string& name) {
  return Add(gst_element_factory_make(factory, nullptr), name);
}

GstElement* TVdvGraph::Find(const std::string& name) const {
  // The bin keeps the element alive; the caller borrows it.
  const orvex::media::ElementPtr element(gst_bin_get_by_name(GST_BIN(pipeline_.get()), name.c_str()));
  return element.get();
}

bool TVdvGraph::Link(GstElement* from, GstElement* to) { return from && to && gst_element_link(from, to); }

bool TVdvGraph::LinkFiltered(GstElement* from, GstElement* to, const std::string& caps) {
  if (!from || !to) return false;
  const orvex::media::CapsPtr filter(gst_caps_from_string(caps.c_str()));
  return filter && gst_element_link_filtered(from, to, filter.get());
}

bool TVdvGraph::LinkRequest(GstElement* from, GstElement* to, const char* padTemplate) {
  if (!from || !to) return false;
  const orvex::media::PadPtr sink(gst_element_request_pad_simple(to, padTemplate));
  if (!sink) return false;
  const orvex::media::PadPtr src(gst_element_get_static_pad(from, "src"));
  return src && gst_pad_link(src.get(), sink.get()) == GST_PAD_LINK_OK;
}

bool TVdvGraph::SetState(GstState state, std::chrono::milliseconds timeout) {
  const GstStateChangeReturn r = gst_element_set_state(pipeline_.get(), state);
  if (r == GST_STATE_CHANGE_FAILURE) return false;
  if (r == GST_STATE_CHANGE_ASYNC) {
    GstState current = GST_STATE_VOID_PENDING;
    const auto waited = gst_element_get_state(pipeline_.get(), &current, nullptr,
                                              static_cast<GstClockTime>(timeout.count()) * GST_MSECOND);
    return waited != GST_STATE_CHANGE_FAILURE && !errorSeen_;
  }
  return !errorSeen_;
}

GstState TVdvGraph::CurrentState() const {
  GstState current = GST_STATE_VOID_PENDING;
  gst_element_get_state(pipeline_.get(), &current, nullptr, 0);
  return current;
}

void TVdvGraph::AddLosableSource(GstElement* source) {
  std::lock_guard lock(mutex_);
  losableSources_.push_back(source);
}

// Under mutex_.
GstElement* TVdvGraph::LosableSourceOf(GstMessage* message) const {
  for (GstElement* source : losableSources_)
    if (GST_MESSAGE_SRC(message) == GST_OBJECT(source) ||
        gst_object_has_as_ancestor(GST_MESSAGE_SRC(message), GST_OBJECT(source)))
      return source;
  return nullptr;
}

// A failed source usually ended its stream itself; where it did not, the end
// goes in below it, or the writer would wait for that stream for ever.
void TVdvGraph::EndStreamsOfFailedSources() {
  std::vector<GstElement*> failed;
  {
    std::lock_guard lock(mutex_);
    failed = failedSources_;
  }
  for (GstElement* source : failed) {
    const orvex::media::PadPtr src(gst_element_get_static_pad(source, "src"));
    const orvex::media::PadPtr peer(src ? gst_pad_get_peer(src.get()) : nullptr);
    if (peer && !GST_PAD_IS_EOS(peer.get())) gst_pad_send_event(peer.get(), gst_event_new_eos());
  }
}

bool TVdvGraph::SendEndOfStreamAndWait(std::chrono::milliseconds deadline) {
  // After an error the end never arrives: don't wait for it.
  if (errorSeen_) return false;
  EndStreamsOfFailedSources();
  gst_element_send_event(pipeline_.get(), gst_event_new_eos());
  std::unique_lock lock(mutex_);
  ended_.wait_for(lock, deadline, [this] { return eosSeen_ || errorSeen_; });
  return eosSeen_ && !errorSeen_;
}

std::int64_t TVdvGraph::RunningTime() const {
  const orvex::media::ClockPtr clock(gst_element_get_clock(pipeline_.get()));
  if (!clock) return -1;
  const GstClockTime now = gst_clock_get_time(clock.get());
  const GstClockTime base = gst_element_get_base_time(pipeline_.get());
  return now >= base ? static_cast<std::int64_t>(now - base) : -1;
}

int TVdvGraph::ErrorNumberOf(const GError* error) {
  if (!error || error->domain != GST_RESOURCE_ERROR) return 0;
  switch (error->code) {
    case GST_RESOURCE_ERROR_NO_SPACE_LEFT: return ENOSPC;
    case GST_RESOURCE_ERROR_NOT_AUTHORIZED: return EACCES;
    case GST_RESOURCE_ERROR_NOT_FOUND: return ENOENT;
    case GST_RESOURCE_ERROR_BUSY: return EBUSY;
    case GST_RESOURCE_ERROR_OPEN_WRITE:
    case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
    case GST_RESOURCE_ERROR_WRITE:
    case GST_RESOURCE_ERROR_CLOSE:
    case GST_RESOURCE_ERROR_SYNC: return EIO;
    default: return 0;
  }
}
