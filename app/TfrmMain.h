#pragma once
// The main window: the program's control panel. It hands the capture
// choices of the settings dialog to the engine, starts and stops recording
// and opens the other windows. The about box opens from the window's context
// menu (right click) or a click on the version label.

#include <QPointer>

#include "platform/dialogs/CommonDialogs.h"
#include "preview/RecordingStatusView.h"
#include "widgets/TForm.h"

class QLabel;
class TAboutBox;
class TCaptionLabel;
class TLinkLabel;
class TPictureButton;

class TfrmMain : public TForm, public IRecordingStatusView {
  Q_OBJECT

 public:
  static constexpr const char* kVersion = "v1.4";
  static constexpr const char* kWebAddress = "https://www.brevantix.example/orvex";

  explicit TfrmMain(const QString& title);
  ~TfrmMain() override;

  QLabel* Image1;  // the background picture
  TPictureButton* btnConfiguration;
  TPictureButton* btnStart;
  TPictureButton* btnStop;
  TPictureButton* btnPreview;
  TPictureButton* btnVideoProcessing;
  TPictureButton* btnOverlay;
  TPictureButton* btnSnapShot;
  TPictureButton* btnHelp;
  TCaptionLabel* lblStatus;
  TCaptionLabel* MMLabel1;
  TCaptionLabel* MMLabel3;
  TLinkLabel* MMLabel4;
  orvex::dialogs::FileDialogOptions SaveDialog1;

  // Hands the choices held by the capture settings dialog's lists to the engine.
  void ApplyCaptureSettings();

  void btnConfigurationClick();
  void btnStartClick();
  void btnStopClick();
  void btnPreviewClick();
  void btnVideoProcessingClick();
  void btnOverlayClick();
  void btnSnapShotClick();
  void btnHelpClick();
  void MMLabel4Click();
  // Opens the about box (not modal to the other windows); it goes when closed.
  void ShowAboutBox();
  // The about box while it is open, else nullptr.
  TAboutBox* AboutBox() const;

  void SetStatusText(const QString& text) override;
  void SetConfigurationEnabled(bool enabled) override;
  void RecordingFailed(const QString& text) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void FormClose() override;

 private:
  TPictureButton* AddButton(const char* name, const QString& hint, int slot, bool enabled);
  void SetVideoButtonsEnabled(bool enabled);

  bool shown_ = false;
  QPointer<TAboutBox> aboutBox_;
};
