#include "widgets/TPictureButton.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include "widgets/Pictures.h"

namespace {

constexpr int kMargin = 5;  // between the picture and the button's edge
constexpr qreal kRadius = 6;

// Grey with the picture's own lightness, half see-through: a disabled button
// keeps its shape but plainly does not answer.
QImage Faded(const QImage& source) {
  QImage image = source.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = line[x];
      const int grey = 96 + qGray(c) * 5 / 8;
      line[x] = qRgba(grey, grey, grey, qAlpha(c) * 9 / 20);
    }
  }
  image.setDevicePixelRatio(source.devicePixelRatio());
  return image;
}

}  // namespace

TPictureButton::TPictureButton(QWidget* parent) : QPushButton(parent) {
  setFlat(true);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::TabFocus);
}

TPictureButton::TPictureButton(const QString& picture, QWidget* parent) : TPictureButton(parent) {
  setIcon(orvex::widgets::PictureIcon(picture));
  // Without its picture (a build without resources) the button still says what it is.
  if (icon().isNull()) setText(picture);
}

void TPictureButton::SetGlyphs(const QIcon& up, const QIcon& down) {
  const bool first = up_.isNull() && down_.isNull();
  up_ = up;
  down_ = down;
  setIcon(isDown() ? down_ : up_);
  if (first) {
    connect(this, &QPushButton::pressed, this, [this] { setIcon(down_); });
    connect(this, &QPushButton::released, this, [this] { setIcon(up_); });
  }
}

TPictureButton::TLook TPictureButton::Look() const {
  if (!isEnabled()) return TLook::Disabled;
  if (isDown() || isChecked()) return TLook::Pressed;
  if (hovered_) return TLook::Hover;
  return TLook::Normal;
}

QSize TPictureButton::sizeHint() const {
  if (icon().isNull()) return QPushButton::sizeHint();
  return iconSize() + QSize(2 * kMargin, 2 * kMargin);
}

void TPictureButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QPushButton::enterEvent(event);
}

void TPictureButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QPushButton::leaveEvent(event);
}

void TPictureButton::changeEvent(QEvent* event) {
  // A button disabled under the pointer gets no leave event; it must not
  // light up again when it comes back.
  if (event->type() == QEvent::EnabledChange && !isEnabled()) hovered_ = false;
  QPushButton::changeEvent(event);
}

void TPictureButton::PaintPlate(QPainter& p, TLook look) const {
  if (look != TLook::Hover && look != TLook::Pressed) return;
  const QRectF plate = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient face(0, 0, 0, height());
  if (look == TLook::Hover) {
    face.setColorAt(0, QColor(255, 255, 255, 235));
    face.setColorAt(1, QColor(0xd6, 0xe6, 0xfa, 235));
    p.setPen(QPen(QColor(0x4a, 0x7d, 0xc0), 1));
  } else {
    face.setColorAt(0, QColor(0xa9, 0xc3, 0xe4));
    face.setColorAt(1, QColor(0xc9, 0xdb, 0xf2));
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x5f), 1));
  }
  p.setBrush(face);
  p.drawRoundedRect(plate, kRadius, kRadius);
}

QPixmap TPictureButton::GlyphPixmap(TLook look) const {
  const QPixmap pixmap = icon().pixmap(iconSize(), devicePixelRatioF());
  if (look != TLook::Disabled || pixmap.isNull()) return pixmap;
  return QPixmap::fromImage(Faded(pixmap.toImage()));
}

void TPictureButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const TLook look = Look();
  PaintPlate(p, look);

  if (icon().isNull()) {
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
  } else {
    const QPixmap glyph = GlyphPixmap(look);
    const QSize size = glyph.deviceIndependentSize().toSize();
    QPoint at((width() - size.width()) / 2, (height() - size.height()) / 2);
    if (look == TLook::Pressed) at += QPoint(1, 1);
    p.drawPixmap(at, glyph);
  }

  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(2, 2, -2, -2);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }
}
