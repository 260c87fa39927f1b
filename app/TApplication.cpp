#include "app/TApplication.h"

#include <QMetaObject>
#include <QThread>

#include "app/Forms.h"
#include "app/TfrmMain.h"
#include "dialogs/TfrmConfiguration.h"
#include "dialogs/TfrmOverlay.h"
#include "dialogs/TfrmSnapShot.h"
#include "dialogs/TfrmVideoProcessing.h"
#include "platform/dialogs/CommonDialogs.h"
#include "platform/kernel/UnhandledException.h"
#include "platform/registry/RegKey.h"
#include "preview/TfrmPreview.h"
#include "widgets/Pictures.h"
#include "widgets/TBalloonHints.h"
#include "widgets/TOrvexStyle.h"

TfrmMain* frmMain = nullptr;
TfrmPreview* frmPreview = nullptr;
TfrmConfiguration* frmConfiguration = nullptr;
TfrmVideoProcessing* frmVideoProcessing = nullptr;
TfrmSnapShot* frmSnapShot = nullptr;
TfrmOverlay* frmOverlay = nullptr;

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("orvex");
  setApplicationVersion("1.4");
  // Only the main window ends the program, whatever else is open.
  setQuitOnLastWindowClosed(false);
  SetTitle(kTitle);
  // The desktop matches the windows to the desktop entry by this name.
  setDesktopFileName("orvex");
  setWindowIcon(orvex::widgets::ApplicationIcon());
  setStyle(new TOrvexStyle);
  setPalette(style()->standardPalette());
  balloonHints_ = new TBalloonHints(this);
  installEventFilter(balloonHints_);
  orvex::kernel::SetUnhandledExceptionHandler([this](std::exception_ptr error) {
    if (QThread::currentThread() == thread()) {
      ShowException(error);
    } else {
      QMetaObject::invokeMethod(
          this, [this, error] { ShowException(error); }, Qt::QueuedConnection);
    }
  });
  // A broken settings file set aside or a save that failed where no caller
  // could be told: the user hears of it.
  orvex::reg::SetNoticeHandler([this](const std::string& text) {
    const QString notice = QString::fromStdString(text);
    if (QThread::currentThread() == thread()) {
      ShowNotice(notice);
    } else {
      QMetaObject::invokeMethod(
          this, [this, notice] { ShowNotice(notice); }, Qt::QueuedConnection);
    }
  });
}

TApplication::~TApplication() {
  DestroyForms();
  // Its balloon is a window, which must go while the application still stands.
  removeEventFilter(balloonHints_);
  delete balloonHints_;
  orvex::reg::SetNoticeHandler(nullptr);
  orvex::kernel::SetUnhandledExceptionHandler(nullptr);
}

void TApplication::CreateForms() {
  auto created = [this](QWidget* form) {
    if (OnFormCreated) OnFormCreated(form);
  };
  created(frmMain = new TfrmMain(title_));
  created(frmPreview = new TfrmPreview(*frmMain));
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  created(frmConfiguration = new TfrmConfiguration(engine));
  created(frmVideoProcessing = new TfrmVideoProcessing(engine));
  created(frmSnapShot = new TfrmSnapShot(engine));
  frmPreview->SetSnapshotChoices(frmSnapShot);
  created(frmOverlay = new TfrmOverlay(engine, frmPreview->ImageSlots()));
  frmPreview->SetFrameOverlayPainter(&frmPreview->ImageCompositor());
}

int TApplication::Run() {
  frmMain->show();
  exec();
  return 0;
}

template <typename T>
static void DestroyForm(T*& form) {
  delete form;
  form = nullptr;
}

void TApplication::DestroyForms() {
  // Detaching waits for a frame still in the handler, so none reads the image slots as they go.
  if (frmPreview) {
    frmPreview->DetachImageOverlay();
    frmPreview->SetFrameOverlayPainter(nullptr);
  }
  DestroyForm(frmOverlay);
  if (frmPreview) frmPreview->SetSnapshotChoices(nullptr);
  DestroyForm(frmSnapShot);
  DestroyForm(frmVideoProcessing);
  DestroyForm(frmConfiguration);
  DestroyForm(frmPreview);
  DestroyForm(frmMain);
}

void TApplication::ShowException(std::exception_ptr error) {
  orvex::dialogs::CommonDialogs().MessageBox(activeWindow(), title_,
                                             QString::fromStdString(orvex::kernel::DescribeException(error)),
                                             orvex::dialogs::MsgIcon::Stop, orvex::dialogs::MsgButtons::Ok);
}

void TApplication::ShowNotice(const QString& text) {
  orvex::dialogs::CommonDialogs().MessageBox(activeWindow(), title_, text, orvex::dialogs::MsgIcon::Warning,
                                             orvex::dialogs::MsgButtons::Ok);
}

// An exception that escapes an event handler is shown and the program goes on.
bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowException(std::current_exception());
    return false;
  }
}
