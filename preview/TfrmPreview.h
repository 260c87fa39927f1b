#pragma once
// The "Video Preview" window: home of the one capture engine, its stored
// configuration, the recording clock and the engine's event handlers.

#include <atomic>

#include "engine/VOduduDudiviv.h"
#include "platform/dialogs/CommonDialogs.h"
#include "widgets/TForm.h"

class QTimer;
class IRecordingStatusView;
class IFrameOverlayPainter;
class ISnapshotChoices;

class TfrmPreview : public TForm {
  Q_OBJECT

 public:
  explicit TfrmPreview(IRecordingStatusView& mainWindow);
  ~TfrmPreview() override;

  VOduduDudiviv* VOduduDudiviv1;
  QTimer* Timer1;
  orvex::dialogs::FileDialogOptions SaveDialog1;

  // The painter of the image overlays, once it exists; nullptr detaches it.
  void SetFrameOverlayPainter(IFrameOverlayPainter* painter) { overlayPainter_ = painter; }
  // Where snapshots take their format and size from (the snapshot window);
  // without one they are BMP files of the video size.
  void SetSnapshotChoices(const ISnapshotChoices* choices) { snapshotChoices_ = choices; }

  // Engine event handlers.
  void VOduduDudiviv1RecordingStarted(VOduduDudiviv* sender, const std::string& fileName);
  void VOduduDudiviv1RecordingCompleted(VOduduDudiviv* sender, const std::string& fileName, bool success);
  void VOduduDudiviv1FrameOverlayUsingDC(VOduduDudiviv* sender, const TFrameInfo& frameInfo, HDC dc);
  void VOduduDudiviv1FrameCaptureCompleted(VOduduDudiviv* sender, const TFrameData& frameData,
                                           TFrameCaptureDest destType, const std::string& fileName,
                                           bool success);
  void Timer1Timer();
  // A device went away; when that ended a recording, the user is told.

 private:
  void ApplyStoredEngineValues();
  void ShowSnapshotError(const QString& text);

  IRecordingStatusView& mainWindow_;
  std::atomic<IFrameOverlayPainter*> overlayPainter_{nullptr};
  const ISnapshotChoices* snapshotChoices_ = nullptr;
};
