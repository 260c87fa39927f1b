#include "engine/TVdvWorker.h"

#include <QMetaObject>
#include <filesystem>

#include "engine/RecordingGuard.h"
#include "engine/TVdvGraph.h"
#include "engine/VOduduDudiviv.h"
#include "engine/frames/VideoRenderer.h"
#include "platform/gdi/DeviceContext.h"

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

TVdvWorker::TVdvWorker(VOduduDudiviv& owner)
    : Owner(owner),
      FrameSlot(std::make_shared<TVideoFrameSlot>()),
      tasks_({[this](int request) { RunRequestNow(request); },
              [this](const TEventRecord& record) { Deliver(record); },
              [this] {
                if (GraphActive) PollFrames();
              },
              [this] { return Destroying.load(); }, [this] { return GraphActive && !Frames.Free(); }}) {
  std::error_code ec;
  P.StoragePath = std::filesystem::current_path(ec).string();
  // One repaint request at a time, whatever the frame rate.
  FrameSlot->OnNewFrame = [this] {
    if (repaintQueued_.exchange(true)) return;
    QMetaObject::invokeMethod(
        &Owner,
        [this] {
          repaintQueued_ = false;
          Owner.FrameShown();
        },
        Qt::QueuedConnection);
  };
}

// Stops whatever runs, then drops what is still queued.
TVdvWorker::~TVdvWorker() {
  StopGraph();
  StopTaskWorker();
  tasks_.Clear();
}

bool TVdvWorker::HandleAllocated() const { return Owner.HandleAllocated(); }

void TVdvWorker::DrawOverlays(orvex::gdi::Bitmap& frame, const TFrameInfo& info) {
  orvex::gdi::DeviceContext dc;
  // A frame that cannot be selected gets no text, but the hook still runs with the DC.
  if (dc.SelectBitmap(&frame) && P.TextOverlay_Enabled) {
    const TTextOverlayStyle style{P.TextOverlay_Left,  P.TextOverlay_Top,     P.TextOverlay_Right,
                                  P.TextOverlay_Align, P.TextOverlay_BkColor, P.TextOverlay_Transparent};
    TextOverlay.Draw(dc, info, style);
  }
  if (!Destroying && !Stopping) Events.OnFrameOverlayUsingDC.Call(&Owner, info, &dc);
}

// Made lazily: an engine that never shows text never loads a font.
void TVdvWorker::SyncTextOverlayFont() {
  if (!P.TextOverlay_Enabled && !TextOverlay.HasFont()) return;
  std::string error;
  if (!TextOverlay.SyncFont(P.TextOverlay_Font, &error))
    Report(true, sv_Warning, "text overlay font: " + error + ", the default font is used", e_failed);
}
