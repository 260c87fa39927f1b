#pragma once
// The preview's video sink: it keeps the newest frame in one slot while the
// display is watched and asks the component for a repaint; the streaming
// thread never waits for the UI.

#include <gst/gst.h>

#include <QRect>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/media/GstPtr.h"

class TVideoFrameSlot {
 public:
  TVideoFrameSlot();
  ~TVideoFrameSlot();
  // Keeps `sample` (a reference is taken) while watched, and calls OnNewFrame.
  void Store(GstSample* sample);
  // The newest frame, or an empty handle.
  orvex::media::SamplePtr Newest() const;
  void Clear();
  std::uint64_t FramesShown() const { return frames_.load(std::memory_order_relaxed); }

  // Called on the streaming thread after each new frame, while someone
  // watches: frames nobody sees are neither kept nor wake anyone.
  std::function<void()> OnNewFrame;
  // Unwatched, the slot lets go of its frame and its sink stops holding
  // frames back until their time.
  void SetWatched(bool watched);
  bool Watched() const { return watched_; }
  // The sink that fills the slot (held weakly).
  void AttachSink(GstElement* sink);

 private:
  void FollowWatched(GstElement* sink) const;
  static void RecalculateLatency(GstElement* sink);

  mutable std::mutex mutex_;
  orvex::media::SamplePtr sample_;
  std::atomic<std::uint64_t> frames_{0};  // read without the lock by the probe and benchmarks
  std::atomic<bool> watched_{false};
  GWeakRef sink_;
};

// Where a frame of `frame` size is shown in a display of `display` size:
// all of it, or centred in the frame's shape.
QRect PictureRect(QSize frame, QSize display, bool keepAspectRatio);

// A sink for BGRx, BGR and the common YUV frames that hands them to `slot`.
GstElement* CreateVideoRenderer(const std::shared_ptr<TVideoFrameSlot>& slot);
