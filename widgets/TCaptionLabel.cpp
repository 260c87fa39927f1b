#include "widgets/TCaptionLabel.h"

#include <QPainter>

TCaptionLabel::TCaptionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setTextFormat(Qt::PlainText);
  setAttribute(Qt::WA_TranslucentBackground);
  SetTextColor(Qt::white);
}

void TCaptionLabel::SetTextColor(const QColor& color) {
  color_ = color;
  // The palette says it too, for anything that asks the label its colour.
  QPalette p = palette();
  p.setColor(QPalette::WindowText, color);
  setPalette(p);
  update();
}

void TCaptionLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  const int flags = static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
  const QString shown = wordWrap() ? text() : fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
  p.setPen(QColor(0, 0, 0, 170));
  p.drawText(area.translated(1, 1), flags, shown);
  p.setPen(isEnabled() ? color_ : color_.darker(150));
  p.drawText(area, flags, shown);
}
