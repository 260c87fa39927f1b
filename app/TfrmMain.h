#pragma once
// The main window: the program's control panel.

#include "preview/RecordingStatusView.h"
#include "widgets/TForm.h"

class QLabel;
class QPushButton;

class TfrmMain : public TForm, public IRecordingStatusView {
  Q_OBJECT

 public:
  explicit TfrmMain(const QString& title);
  ~TfrmMain() override;

  QPushButton* btnConfiguration;
  QLabel* lblStatus;
  QLabel* MMLabel3;

  void SetStatusText(const QString& text) override;
  void SetConfigurationEnabled(bool enabled) override;

 protected:
  void FormClose() override;
};
