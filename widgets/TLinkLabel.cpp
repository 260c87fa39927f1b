#include "widgets/TLinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setTextFormat(Qt::PlainText);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
  SetColors(QColor(0x9e, 0xc5, 0xf0), QColor(0xd8, 0xea, 0xff));
}

void TLinkLabel::SetColors(const QColor& normal, const QColor& hover) {
  normal_ = normal;
  hover_ = hover;
  ApplyColor();
}

void TLinkLabel::ApplyColor() {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, hovered_ ? hover_ : normal_);
  setPalette(p);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    event->accept();
    return;
  }
  QLabel::mousePressEvent(event);
}

// Like a button: the click counts where the button is let go over the link.
void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    event->accept();
    emit clicked();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

void TLinkLabel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      event->accept();
      emit clicked();
      return;
    default: QLabel::keyPressEvent(event);
  }
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  ApplyColor();
  QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
  hovered_ = false;
  ApplyColor();
  QLabel::leaveEvent(event);
}

void TLinkLabel::focusInEvent(QFocusEvent* event) {
  update();
  QLabel::focusInEvent(event);
}

void TLinkLabel::focusOutEvent(QFocusEvent* event) {
  update();
  QLabel::focusOutEvent(event);
}

void TLinkLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QPainter p(this);
  QStyleOptionFocusRect focus;
  focus.initFrom(this);
  focus.rect = QRect(QPoint(0, 0), QSize(fontMetrics().horizontalAdvance(text()) + 4, height()));
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
}
