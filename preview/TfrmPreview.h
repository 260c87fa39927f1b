#pragma once
// The "Video Preview" window: home of the one capture engine, its stored
// configuration, the recording clock and the engine's event handlers. The
// window follows the video's size as far as the screen allows, until the
// user sizes it; double-click switches full screen, Escape leaves it, and
// its place and size are kept for the next run.

#include <atomic>

#include "engine/VOduduDudiviv.h"
#include "platform/dialogs/CommonDialogs.h"
#include "preview/ImageOverlayCompositor.h"
#include "preview/ImageOverlaySlots.h"
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

  // The three overlay images (the overlay window edits them) and the
  // compositor that lays them onto every frame.
  TImageOverlaySlots& ImageSlots() { return imageSlots_; }
  IFrameOverlayPainter& ImageCompositor() { return imageCompositor_; }
  // The painter of the image overlays, once it exists; nullptr detaches it.
  void SetFrameOverlayPainter(IFrameOverlayPainter* painter) { overlayPainter_ = painter; }
  // Where snapshots take their format and size from (the snapshot window);
  // without one they are BMP files of the video size.
  void SetSnapshotChoices(const ISnapshotChoices* choices) { snapshotChoices_ = choices; }
  // The engine gets the images' hook while an image shows, and only then.
  void FollowImageVisibility();
  // For good: no frame reaches the image slots from now on, whatever shows.
  void DetachImageOverlay();

  // Engine event handlers.
  void VOduduDudiviv1RecordingStarted(VOduduDudiviv* sender, const std::string& fileName);
  void VOduduDudiviv1RecordingCompleted(VOduduDudiviv* sender, const std::string& fileName, bool success);
  void VOduduDudiviv1FrameOverlayUsingDC(VOduduDudiviv* sender, const TFrameInfo& frameInfo, HDC dc);

  void VOduduDudiviv1FrameCaptureCompleted(VOduduDudiviv* sender, const TFrameData& frameData,
                                           TFrameCaptureDest destType, const std::string& fileName,
                                           bool success);
  void Timer1Timer();
  // A device went away; when that ended a recording, the user is told.

  // Switches between full screen and the window.
  void ToggleFullScreen();
  // Whether the user sized the window (or a size was restored), so that it
  // no longer follows the video.
  bool UserSized() const { return userSized_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void FormClose() override;

 private:
  void FollowVideoSize(QSize video);
  void FitToKnownFrame();
  QSize FrameSize() const;
  void RestorePlace();
  void StorePlace();
  void ApplyStoredEngineValues();
  void ShowSnapshotError(const QString& text);

  IRecordingStatusView& mainWindow_;
  TImageOverlaySlots imageSlots_;
  TImageOverlayCompositor imageCompositor_{imageSlots_};
  std::atomic<IFrameOverlayPainter*> overlayPainter_{nullptr};
  const ISnapshotChoices* snapshotChoices_ = nullptr;
  QSize requestedSize_;  // the client size the window last set for itself
  QSize video_;          // the size the display last asked for
  QSize fittedFrame_;    // the window frame's size when it was fitted
  bool userSized_ = false;
  bool shown_ = false;  // this run: only then is there a place to keep
};
