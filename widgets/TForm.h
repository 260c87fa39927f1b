#pragma once
// A top-level window of the program: classic border styles (most of them of
// a fixed client size), centred on the screen when first shown unless the
// program placed it, and a close box that only hides it. Modal runs end with
// a modal result like the classic forms.

#include <QWidget>

class QEventLoop;

enum class TBorderStyle {
  Single,   // single border, fixed size
  Dialog,   // dialog frame
  Sizeable  // the user sizes it; a maximise box
};

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

class TForm : public QWidget {
  Q_OBJECT

 public:
  TForm(const QString& caption, TBorderStyle border, bool minimizeBox, QWidget* parent = nullptr);
  ~TForm() override;

  void SetClientSize(int width, int height);

  // Shows the form modally and returns how it was closed.
  int ShowModal();
  bool IsModal() const { return modalLoop_ != nullptr; }
  int ModalResult() const { return modalResult_; }
  // Setting a result other than mrNone ends a modal run.
  void SetModalResult(int result);

  // Shows the window, or brings it back when it is shown already: out of
  // the taskbar when minimised, raised and focused.
  void ShowAndRaise();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Called when the close box or close() ends the window; the default hides it.
  virtual void FormClose() {}

 private:
  void CenterOnScreen();

  TBorderStyle border_;
  bool centred_ = false;
  QEventLoop* modalLoop_ = nullptr;
  int modalResult_ = mrNone;
};
