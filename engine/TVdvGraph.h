#pragma once
// One media graph: a GStreamer pipeline with named elements, its state
// changes, and the messages its elements post, handed to the engine.

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/GstPtr.h"

class TVdvGraph {
 public:
  // Called on the thread that posted the message; must not block.
  using MessageHandler = std::function<void(GstMessage* message)>;

  explicit TVdvGraph(const std::string& name);
  ~TVdvGraph();
  TVdvGraph(const TVdvGraph&) = delete;
  TVdvGraph& operator=(const TVdvGraph&) = delete;

  GstElement* Pipeline() const { return pipeline_.get(); }
  void SetMessageHandler(MessageHandler handler);

  // Adds a (floating) element under `name`; answers it, or nullptr when it
  // could not be created or added.
  GstElement* Add(GstElement* element, const std::string& name);
  GstElement* Make(const char* factory, const std::string& name);
  GstElement* Find(const std::string& name) const;
  bool Link(GstElement* from, GstElement* to);
  bool LinkFiltered(GstElement* from, GstElement* to, const std::string& caps);
  // Links `from` to a new request pad of `to` named after `padTemplate`.
  bool LinkRequest(GstElement* from, GstElement* to, const char* padTemplate);

  // Sets the state and waits for it (or for an error) up to `timeout`.
  bool SetState(GstState state, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  GstState CurrentState() const;

  // A device source whose failure (a camera unplugged, a microphone its sound
  // server took away) ends only its own stream: the other streams can still
  // be ended and the file finished.
  void AddLosableSource(GstElement* source);

  // Ends the streams so every sink (the AVI writer above all) finishes its
  // file; answers whether the end arrived before the deadline or an error.
  bool SendEndOfStreamAndWait(std::chrono::milliseconds deadline);

  // Pipeline clock time minus base time, in nanoseconds; -1 when not running.
  std::int64_t RunningTime() const;

  // The system error number an element's error stands for (ENOSPC for a
  // full disk, EACCES, EIO...), or 0 when it is not about a resource.
  static int ErrorNumberOf(const GError* error);

 private:
  static GstBusSyncReply OnSyncMessage(GstBus* bus, GstMessage* message, gpointer self);
  GstElement* LosableSourceOf(GstMessage* message) const;
  void EndStreamsOfFailedSources();

  orvex::media::ElementPtr pipeline_;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool eosSeen_ = false;
  std::atomic<bool> errorSeen_{false};
  std::vector<GstElement*> losableSources_;  // owned by the pipeline
  std::vector<GstElement*> failedSources_;
  MessageHandler handler_;
};
