#pragma once
// Every hint of the program as a balloon: installed on the application, it
// takes the tooltip event of any control whose hint (toolTip()) is set and
// shows the hint in a TBalloonTip with the header "Info" instead of Qt's
// plain tooltip. The hint text stays in toolTip(), where code and tests read
// it. The balloon goes when the pointer leaves the control, on any click, key
// or wheel turn, when the control's window goes away, or after a while.

#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;
class TBalloonTip;

class TBalloonHints : public QObject {
  Q_OBJECT

 public:
  explicit TBalloonHints(QObject* parent = nullptr);
  ~TBalloonHints() override;

  // Shows the hint of `control` for the pointer at `globalPos`; false, and
  // nothing shown, when the control has no hint.
  bool ShowHint(QWidget* control, const QPoint& globalPos);
  void HideHint();

  // The balloon, once one was shown; nullptr before.
  TBalloonTip* Balloon() const { return balloon_; }
  bool IsShown() const;
  // The control whose hint shows now; nullptr when none does.
  QWidget* Control() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static QPoint TargetFor(QWidget* control, const QPoint& globalPos);

  TBalloonTip* balloon_ = nullptr;
  QPointer<QWidget> control_;
  QTimer timeout_;
};
