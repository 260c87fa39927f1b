#include "engine/TVdvWorker.h"

#include <filesystem>

#include "engine/TDualThread.h"
#include "engine/VOduduDudiviv.h"

void TVdvEvents::ClearAll() {
  OnRecordingStarted.Set(nullptr);
  OnRecordingCompleted.Set(nullptr);
  OnFrameCaptureCompleted.Set(nullptr);
  OnFrameProgress.Set(nullptr);
  OnLog.Set(nullptr);
  OnReinitializing.Set(nullptr);
  OnVideoDeviceSelected.Set(nullptr);
  OnAudioDeviceSelected.Set(nullptr);
  OnDiskFull.Set(nullptr);
  OnDeviceArrivalOrRemoval.Set(nullptr);
  OnPreviewStarted.Set(nullptr);
  OnInactive.Set(nullptr);
  OnDeviceLost.Set(nullptr);
  OnNoVideoDevices.Set(nullptr);
  OnFrameOverlayUsingDC.Set(nullptr);
}

TVdvWorker::TVdvWorker(VOduduDudiviv& owner) : Owner(owner) {
  std::error_code ec;
  P.StoragePath = std::filesystem::current_path(ec).string();
}

// Stops whatever runs, then drops what is still queued.
TVdvWorker::~TVdvWorker() {
  StopGraph();
  StopTaskWorker();
  requests_.Clear();
  events_.Clear();
}

bool TVdvWorker::HandleAllocated() const { return Owner.HandleAllocated(); }
