#include "widgets/TBalloonTip.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

constexpr int kPadding = 9;
constexpr int kIcon = 16;
constexpr int kGap = 6;  // between the icon and the header, the header and the text
constexpr int kTextWidth = 260;
constexpr int kTailHeight = 10;
constexpr int kTailWidth = 16;
constexpr int kTailInset = 14;  // from the body's side to the tail's near edge
constexpr qreal kRadius = 7;

const QColor kInk(0x1f, 0x3a, 0x5f);
const QColor kInfo(0x2a, 0x6c, 0xc8);

// The sign in front of the header: a blue disc with a white "i".
void PaintInfoSign(QPainter& p, const QRectF& box) {
  p.setPen(Qt::NoPen);
  p.setBrush(kInfo);
  p.drawEllipse(box);
  p.setBrush(Qt::white);
  const qreal u = box.width() / 16;
  p.drawEllipse(QPointF(box.left() + 8 * u, box.top() + 4.5 * u), 1.4 * u, 1.4 * u);
  p.drawRoundedRect(QRectF(box.left() + 6.8 * u, box.top() + 7 * u, 2.4 * u, 6 * u), 0.6 * u, 0.6 * u);
}

}  // namespace

TBalloonTip::TBalloonTip(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                          Qt::WindowDoesNotAcceptFocus) {
  setObjectName("BalloonHint");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  QFont f = font();
  f.setPointSize(9);
  setFont(f);
}

QFont TBalloonTip::HeaderFont() const {
  QFont f = font();
  f.setBold(true);
  return f;
}

QSize TBalloonTip::BodySize() const {
  const QRect text = fontMetrics().boundingRect(QRect(0, 0, kTextWidth, 10000), Qt::TextWordWrap, text_);
  const int header = kIcon + kGap + QFontMetrics(HeaderFont()).horizontalAdvance(kHeader);
  const int width = std::max({header, text.width(), 2 * kTailInset + kTailWidth});
  const int height = std::max(kIcon, QFontMetrics(HeaderFont()).height()) + kGap + text.height();
  return QSize(width + 2 * kPadding, height + 2 * kPadding);
}

QSize TBalloonTip::sizeHint() const { return BodySize() + QSize(0, kTailHeight); }

QRect TBalloonTip::BodyRect() const {
  const QSize body = BodySize();
  return QRect(QPoint(0, tailOnTop_ ? kTailHeight : 0), body);
}

QPainterPath TBalloonTip::Outline() const {
  const QRectF body = QRectF(BodyRect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath box;
  box.addRoundedRect(body, kRadius, kRadius);
  QPainterPath tail;
  const qreal base = tailOnTop_ ? body.top() + 1 : body.bottom() - 1;
  const qreal tip = tailOnTop_ ? 0.5 : height() - 0.5;
  const qreal near = std::clamp<qreal>(tailX_ - kTailWidth / 3.0, body.left() + kRadius,
                                       body.right() - kRadius - kTailWidth);
  tail.moveTo(near, base);
  tail.lineTo(tailX_ + 0.5, tip);
  tail.lineTo(near + kTailWidth, base);
  tail.closeSubpath();
  return box.united(tail).simplified();
}

void TBalloonTip::ShowAt(const QPoint& target, const QString& text) {
  text_ = text;
  target_ = target;
  const QScreen* screen = QGuiApplication::screenAt(target);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);

  const QSize size = sizeHint();
  // Below the point unless that runs off the screen's foot.
  tailOnTop_ = target.y() + size.height() <= area.bottom() + 1 || target.y() - size.height() < area.top();
  int left = target.x() - kTailInset - kTailWidth / 3;
  left = std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
  int top = tailOnTop_ ? target.y() : target.y() - size.height();
  top = std::clamp(top, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
  tailX_ = std::clamp(target.x() - left, 0, size.width() - 1);

  setGeometry(QRect(QPoint(left, top), size));
  // Without a compositor a window cannot be see-through: the mask gives the
  // balloon its shape. The border is drawn just inside it.
  QBitmap mask(size);
  mask.fill(Qt::color0);
  {
    QPainter p(&mask);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::color1);
    p.drawPath(Outline());
  }
  setMask(mask);
  update();
  show();
  raise();
}

void TBalloonTip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRect body = BodyRect();
  QLinearGradient face(0, body.top(), 0, body.bottom());
  face.setColorAt(0, QColor(0xff, 0xff, 0xff));
  face.setColorAt(1, QColor(0xe8, 0xf0, 0xfb));
  p.fillRect(rect(), kInk);  // what the mask lets through at the very edge
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(face);
  p.drawPath(Outline());

  const int headerHeight = std::max(kIcon, QFontMetrics(HeaderFont()).height());
  const QPoint origin = body.topLeft() + QPoint(kPadding, kPadding);
  PaintInfoSign(p, QRectF(origin.x(), origin.y() + (headerHeight - kIcon) / 2.0, kIcon, kIcon));
  p.setFont(HeaderFont());
  p.setPen(kInk);
  p.drawText(QRect(origin.x() + kIcon + kGap, origin.y(), body.width(), headerHeight),
             Qt::AlignLeft | Qt::AlignVCenter, kHeader);
  p.setFont(font());
  p.setPen(Qt::black);
  p.drawText(QRect(origin.x(), origin.y() + headerHeight + kGap, body.width() - 2 * kPadding,
                   body.height() - 2 * kPadding - headerHeight - kGap),
             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
}
