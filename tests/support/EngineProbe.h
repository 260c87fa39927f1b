#pragma once
// The one way tests look behind the engine's door: each method reaches one
// piece of the worker's state or one of its steps, so tests never name the
// worker's members themselves.

#include <gst/gst.h>

#include <cstdint>
#include <string>

#include "engine/BoundDevices.h"
#include "engine/TVdvGraph.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "engine/frames/FramePainter.h"
#include "engine/frames/VideoRenderer.h"

class EngineProbe {
 public:
  explicit EngineProbe(VOduduDudiviv& engine) : e_(engine), w_(*engine.worker_) {}

  // Reports and checks.
  bool Report(bool condition, int severity, const std::string& message, TLogType code) {
    return w_.Report(condition, severity, message, code);
  }
  bool IndexCheck(int index, int count, const std::string& noun) { return w_.IndexCheck(index, count, noun); }
  bool StateCheck(bool deviceCheck, bool allowPreview, bool allowPlayer, int severity = sv_Error) {
    return w_.StateCheck(deviceCheck, allowPreview, allowPlayer, severity);
  }

  // Run state as the operations see it.
  void SetState(TEngineState state) { w_.State = state; }
  void SetStopping(bool on) { w_.Stopping = on; }
  void SetDestroying(bool on) { w_.Destroying = on; }
  bool PreviewWanted() const { return w_.PreviewWanted; }
  void SetPreviewWanted(bool on) { w_.PreviewWanted = on; }
  void AutoRefresh(const std::string& tag) { w_.AutoRefresh(tag); }

  // Queued events and the task worker's step.
  void QueueEvent(TQueuedEvent event) { w_.QueueEvent(event); }
  void TaskStep(bool threadMode) { w_.TaskStep(threadMode); }
  std::size_t PendingEvents() const { return w_.PendingEvents(); }
  int NotificationIntervalMs() const { return w_.NotificationIntervalMs(); }
  void SetCurrentFileName(const std::string& name) { w_.CurrentFileName = name; }

  // The overlay step.
  bool OverlayNeeded() const { return w_.OverlayNeeded; }
  void DrawOverlays(orvex::gdi::Bitmap& frame, const TFrameInfo& info) { w_.DrawOverlays(frame, info); }
  void ExpandText(const TFrameInfo& info, std::string& out) const { w_.TextOverlay.ExpandText(info, out); }
  bool RaiseFrameOverlay(VOduduDudiviv* engine, const TFrameInfo& info, HDC dc) {
    return w_.Events.OnFrameOverlayUsingDC.Call(engine, info, dc);
  }

  // Devices and the preview's newest frame.
  TBoundDevices& Devices() { return w_.Binding.d_; }
  bool BindVideoDevice() { return w_.BindVideoDevice(); }
  bool BindAudioDevice() { return w_.BindAudioDevice(); }
  // A new reference to the newest frame shown, or nullptr.
  GstSample* NewestFrame() const { return w_.FrameSlot->Newest().release(); }
  std::uint64_t FramesShown() const { return w_.FrameSlot->FramesShown(); }
  // Frames converted straight into the window's image as they were painted.
  std::uint64_t FramesPaintedDirectly() const { return e_.painter_->DirectFrames(); }
  // The element of the running graph by its name, or nullptr (no reference added).
  GstElement* GraphElement(const std::string& name) const {
    return w_.Graph ? w_.Graph->Find(name) : nullptr;
  }

 private:
  VOduduDudiviv& e_;
  TVdvWorker& w_;
};
