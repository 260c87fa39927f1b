#include "app/TfrmMain.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "app/Forms.h"
#include "preview/TfrmPreview.h"

namespace {
constexpr int kClientWidth = 480;
constexpr int kClientHeight = 260;
}  // namespace

TfrmMain::TfrmMain(const QString& title) : TForm(title, TBorderStyle::Single, /*minimizeBox=*/true) {
  setObjectName("frmMain");
  SetClientSize(kClientWidth, kClientHeight);

  btnConfiguration = new QPushButton(this);
  btnConfiguration->setObjectName("btnConfiguration");
  btnConfiguration->setToolTip("Program Settings");
  btnConfiguration->setGeometry(16, 16, 48, 48);

  lblStatus = new QLabel("Ready", this);
  lblStatus->setObjectName("lblStatus");
  lblStatus->setGeometry(16, kClientHeight - 32, kClientWidth - 32, 20);

  MMLabel3 = new QLabel(this);
  MMLabel3->setObjectName("MMLabel3");
  MMLabel3->setGeometry(kClientWidth - 64, 8, 56, 20);
  MMLabel3->setText("v1.4");
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::SetStatusText(const QString& text) { lblStatus->setText(text); }

void TfrmMain::SetConfigurationEnabled(bool enabled) { btnConfiguration->setEnabled(enabled); }

// Closing the main window ends the program; the image overlay must not be
// drawn any more once the windows start going away.
void TfrmMain::FormClose() {
  if (frmPreview) frmPreview->VOduduDudiviv1->setOnFrameOverlayUsingDC(nullptr);
  QCoreApplication::quit();
}
