#include "widgets/TForm.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

TForm::TForm(const QString& caption, TBorderStyle border, bool minimizeBox, QWidget* parent)
    : QWidget(parent, Qt::Window), border_(border) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
  if (border == TBorderStyle::Dialog) flags |= Qt::Dialog;
  if (minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (border == TBorderStyle::Sizeable) flags |= Qt::WindowMaximizeButtonHint;
  setWindowFlags(flags);
  setWindowTitle(caption);
}

TForm::~TForm() = default;

void TForm::SetClientSize(int width, int height) {
  if (border_ == TBorderStyle::Sizeable)
    resize(width, height);
  else
    setFixedSize(width, height);
}

int TForm::ShowModal() {
  modalResult_ = mrNone;
  const Qt::WindowModality previous = windowModality();
  setWindowModality(Qt::ApplicationModal);
  ShowAndRaise();
  QEventLoop loop;
  modalLoop_ = &loop;
  if (modalResult_ == mrNone) loop.exec(QEventLoop::DialogExec);
  modalLoop_ = nullptr;
  hide();
  setWindowModality(previous);
  return modalResult_;
}

void TForm::SetModalResult(int result) {
  modalResult_ = result;
  if (result != mrNone && modalLoop_) modalLoop_->quit();
}

void TForm::ShowAndRaise() {
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void TForm::showEvent(QShowEvent* event) {
  // A window the program has placed already (a remembered place) stays there.
  if (!centred_ && !testAttribute(Qt::WA_Moved)) {
    centred_ = true;
    CenterOnScreen();
  }
  QWidget::showEvent(event);
}

void TForm::closeEvent(QCloseEvent* event) {
  FormClose();
  // The close box of a modal form answers Cancel.
  if (modalLoop_ && modalResult_ == mrNone) SetModalResult(mrCancel);
  event->accept();
}

void TForm::CenterOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  QRect frame = frameGeometry();
  frame.moveCenter(area.center());
  move(frame.topLeft());
}
