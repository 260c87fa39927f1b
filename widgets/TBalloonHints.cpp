#include "widgets/TBalloonHints.h"

#include <QHelpEvent>
#include <QWidget>

#include "widgets/TBalloonTip.h"

namespace {
// Long enough to read the hint twice.
int ShowMilliseconds(const QString& text) { return 8000 + 60 * static_cast<int>(text.size()); }
}  // namespace

TBalloonHints::TBalloonHints(QObject* parent) : QObject(parent) {
  timeout_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, &TBalloonHints::HideHint);
}

TBalloonHints::~TBalloonHints() { delete balloon_; }

bool TBalloonHints::IsShown() const { return balloon_ && balloon_->isVisible(); }

QWidget* TBalloonHints::Control() const { return IsShown() ? control_.data() : nullptr; }

// The tail points at the control just under the pointer, so the balloon
// never covers what it explains.
QPoint TBalloonHints::TargetFor(QWidget* control, const QPoint& globalPos) {
  const int bottom = control->mapToGlobal(QPoint(0, control->height())).y();
  return QPoint(globalPos.x(), std::clamp(bottom, globalPos.y() + 4, globalPos.y() + 22));
}

bool TBalloonHints::ShowHint(QWidget* control, const QPoint& globalPos) {
  const QString hint = control ? control->toolTip() : QString();
  if (hint.isEmpty()) return false;
  // The pointer resting again on the same control leaves the balloon alone.
  if (IsShown() && control_ == control && balloon_->Text() == hint) return true;
  if (!balloon_) balloon_ = new TBalloonTip;
  control_ = control;
  balloon_->ShowAt(TargetFor(control, globalPos), hint);
  timeout_.start(ShowMilliseconds(hint));
  return true;
}

void TBalloonHints::HideHint() {
  timeout_.stop();
  control_ = nullptr;
  if (balloon_) balloon_->hide();
}

bool TBalloonHints::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      auto* control = qobject_cast<QWidget*>(watched);
      // A control without a hint lets the event go on to its parent, as Qt does.
      if (!control || control == balloon_) return false;
      return ShowHint(control, static_cast<QHelpEvent*>(event)->globalPos());
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
      if (IsShown()) HideHint();
      break;
    case QEvent::Leave:
    case QEvent::Hide:
      if (IsShown() && watched == control_) HideHint();
      break;
    case QEvent::WindowDeactivate:
      if (IsShown() && control_ && watched == control_->window()) HideHint();
      break;
    case QEvent::ToolTipChange:
      if (IsShown() && watched == control_) {
        if (control_->toolTip().isEmpty()) {
          HideHint();
        } else {
          balloon_->ShowAt(balloon_->Target(), control_->toolTip());
        }
      }
      break;
    default: break;
  }
  return false;
}
