#pragma once
// The main window: the program's control panel. It hands the capture
// choices of the settings dialog to the engine, starts and stops recording
// and opens the other windows.

#include "platform/dialogs/CommonDialogs.h"
#include "preview/RecordingStatusView.h"
#include "widgets/TForm.h"

class QLabel;
class QPushButton;

class TfrmMain : public TForm, public IRecordingStatusView {
  Q_OBJECT

 public:
  static constexpr const char* kVersion = "v1.4";
  static constexpr const char* kWebAddress = "https://www.brevantix.example/orvex";
  static constexpr const char* kHelpFile = "Orvex.chm";

  explicit TfrmMain(const QString& title);
  ~TfrmMain() override;

  QLabel* Image1;  // the background picture
  QPushButton* btnConfiguration;
  QPushButton* btnStart;
  QPushButton* btnStop;
  QPushButton* btnPreview;
  QPushButton* btnVideoProcessing;
  QPushButton* btnOverlay;
  QPushButton* btnSnapShot;
  QPushButton* btnHelp;
  QLabel* lblStatus;
  QLabel* MMLabel1;
  QLabel* MMLabel3;
  QLabel* MMLabel4;
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

  void SetStatusText(const QString& text) override;
  void SetConfigurationEnabled(bool enabled) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void FormClose() override;

 private:
  QPushButton* AddButton(const char* name, const QString& hint, int slot, bool enabled);
  void SetVideoButtonsEnabled(bool enabled);

  bool shown_ = false;
};
