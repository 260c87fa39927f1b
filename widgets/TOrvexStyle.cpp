#include "widgets/TOrvexStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

const QColor kInk(0x1f, 0x3a, 0x5f);
const QColor kGreyLine(0x9a, 0xa3, 0xae);
const QColor kGreyFace(0xe6, 0xe9, 0xed);
const QColor kGreyMark(0x8c, 0x94, 0x9e);

bool Enabled(const QStyleOption* o) { return o->state & QStyle::State_Enabled; }
bool Hovered(const QStyleOption* o) { return Enabled(o) && (o->state & QStyle::State_MouseOver); }
bool Sunken(const QStyleOption* o) { return Enabled(o) && (o->state & QStyle::State_Sunken); }

QColor Border(const QStyleOption* o) {
  if (!Enabled(o)) return kGreyLine;
  return Hovered(o) ? TOrvexStyle::Accent() : kInk;
}

QBrush Face(const QStyleOption* o, const QRectF& r) {
  if (!Enabled(o)) return kGreyFace;
  QLinearGradient face(r.topLeft(), r.bottomLeft());
  face.setColorAt(0, Sunken(o) ? QColor(0xd6, 0xe4, 0xf6) : Qt::white);
  face.setColorAt(1, Sunken(o) ? QColor(0xc3, 0xd6, 0xf0) : QColor(0xe4, 0xec, 0xf6));
  return face;
}

}  // namespace

QColor TOrvexStyle::FormColor() { return QColor(0xdd, 0xe7, 0xf4); }
QColor TOrvexStyle::Accent() { return QColor(0x2a, 0x6c, 0xc8); }

TOrvexStyle::TOrvexStyle() : QProxyStyle(QStyleFactory::create("Fusion")) { setObjectName("orvex"); }

QPalette TOrvexStyle::standardPalette() const {
  QPalette p = baseStyle()->standardPalette();
  const QColor form = FormColor();
  p.setColor(QPalette::Window, form);
  p.setColor(QPalette::Button, form.lighter(106));
  p.setColor(QPalette::Base, Qt::white);
  p.setColor(QPalette::AlternateBase, form.lighter(108));
  p.setColor(QPalette::WindowText, Qt::black);
  p.setColor(QPalette::ButtonText, Qt::black);
  p.setColor(QPalette::Text, Qt::black);
  p.setColor(QPalette::Highlight, Accent());
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, Accent());
  p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xf0));
  p.setColor(QPalette::ToolTipText, Qt::black);
  p.setColor(QPalette::Light, form.lighter(125));
  p.setColor(QPalette::Midlight, form.lighter(110));
  p.setColor(QPalette::Mid, form.darker(130));
  p.setColor(QPalette::Dark, form.darker(160));
  p.setColor(QPalette::Shadow, form.darker(250));
  // Disabled text must read as "off" and still be legible on the form colour.
  for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
    p.setColor(QPalette::Disabled, role, QColor(0x7f, 0x88, 0x94));
  p.setColor(QPalette::Disabled, QPalette::Base, form.lighter(104));
  p.setColor(QPalette::Disabled, QPalette::Button, form);
  return p;
}

void TOrvexStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
  switch (element) {
    case PE_IndicatorCheckBox: DrawCheckIndicator(option, painter); return;
    case PE_IndicatorRadioButton: DrawRadioIndicator(option, painter); return;
    default: QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
}

void TOrvexStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const {
  if (control == CC_Slider) {
    DrawSlider(option, painter, widget);
    return;
  }
  QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void TOrvexStyle::DrawCheckIndicator(const QStyleOption* o, QPainter* p) const {
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(o->rect).adjusted(0.5, 0.5, -0.5, -0.5);
  const bool on = o->state & State_On;
  const bool partly = o->state & State_NoChange;
  p->setPen(QPen(Border(o), 1));
  if ((on || partly) && Enabled(o)) {
    p->setBrush(Hovered(o) ? Accent().lighter(115) : Accent());
  } else {
    p->setBrush(Face(o, box));
  }
  p->drawRoundedRect(box, 2.5, 2.5);
  const QColor mark = Enabled(o) ? Qt::white : kGreyMark;
  const qreal u = box.width() / 12.0;
  if (on) {
    QPainterPath tick;
    tick.moveTo(box.left() + 2.6 * u, box.top() + 6.2 * u);
    tick.lineTo(box.left() + 5 * u, box.top() + 8.6 * u);
    tick.lineTo(box.left() + 9.4 * u, box.top() + 3.4 * u);
    p->setPen(QPen(mark, std::max(1.5, 1.8 * u), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->setBrush(Qt::NoBrush);
    p->drawPath(tick);
  } else if (partly) {
    p->setPen(QPen(mark, std::max(1.5, 1.8 * u), Qt::SolidLine, Qt::RoundCap));
    p->drawLine(QPointF(box.left() + 3 * u, box.center().y()),
                QPointF(box.right() - 3 * u, box.center().y()));
  }
  p->restore();
}

void TOrvexStyle::DrawRadioIndicator(const QStyleOption* o, QPainter* p) const {
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  const QRectF disc = QRectF(o->rect).adjusted(0.5, 0.5, -0.5, -0.5);
  p->setPen(QPen(Border(o), 1));
  p->setBrush(Face(o, disc));
  p->drawEllipse(disc);
  if (o->state & State_On) {
    p->setPen(Qt::NoPen);
    p->setBrush(Enabled(o) ? (Hovered(o) ? Accent().lighter(115) : Accent()) : kGreyMark);
    const qreal r = disc.width() * 0.27;
    p->drawEllipse(disc.center(), r, r);
  }
  p->restore();
}

// A thin track filled from the minimum up to the handle, tick marks where the
// slider asks for them, and a pill-shaped handle across the track. Where the
// handle sits is Fusion's, so dragging and clicking stay as they were.
void TOrvexStyle::DrawSlider(const QStyleOptionComplex* option, QPainter* p, const QWidget* widget) const {
  const auto* o = qstyleoption_cast<const QStyleOptionSlider*>(option);
  if (!o) return QProxyStyle::drawComplexControl(CC_Slider, option, p, widget);
  const bool vertical = o->orientation == Qt::Vertical;
  const QRect groove = subControlRect(CC_Slider, o, SC_SliderGroove, widget);
  const QRect handle = subControlRect(CC_Slider, o, SC_SliderHandle, widget);
  p->save();
  p->setRenderHint(QPainter::Antialiasing);

  if (o->subControls & SC_SliderTickmarks && o->tickPosition != QSlider::NoTicks) {
    const int length = pixelMetric(PM_SliderLength, o, widget);
    const int span = (vertical ? o->rect.height() : o->rect.width()) - length;
    const int interval = o->tickInterval > 0 ? o->tickInterval : std::max(1, o->pageStep);
    p->setPen(QPen(Enabled(o) ? kInk : kGreyLine, 1));
    for (int v = o->minimum; v <= o->maximum; v += interval) {
      const qreal at = sliderPositionFromValue(o->minimum, o->maximum, v, span, o->upsideDown) +
                       length / 2.0 + (vertical ? o->rect.top() : o->rect.left()) + 0.5;
      const auto mark = [&](qreal from, qreal to) {
        vertical ? p->drawLine(QPointF(from, at), QPointF(to, at))
                 : p->drawLine(QPointF(at, from), QPointF(at, to));
      };
      const int lo = vertical ? o->rect.left() : o->rect.top();
      const int hi = vertical ? o->rect.right() : o->rect.bottom();
      if (o->tickPosition & QSlider::TicksAbove) mark(lo + 0.5, lo + 4.5);
      if (o->tickPosition & QSlider::TicksBelow) mark(hi + 0.5, hi - 3.5);
    }
  }

  // The track, 5 pixels across, in the middle of the groove.
  const qreal thick = 5;
  const QRectF track =
      vertical
          ? QRectF(groove.center().x() - thick / 2 + 0.5, groove.top() + 0.5, thick, groove.height() - 1)
          : QRectF(groove.left() + 0.5, groove.center().y() - thick / 2 + 0.5, groove.width() - 1, thick);
  p->setPen(QPen(Enabled(o) ? kInk.lighter(160) : kGreyLine, 1));
  p->setBrush(Enabled(o) ? QColor(0xf4, 0xf7, 0xfb) : kGreyFace);
  p->drawRoundedRect(track, thick / 2, thick / 2);
  // The part from the minimum to the handle.
  QRectF filled = track;
  const bool minAtEnd = o->upsideDown;  // the minimum at the bottom or the right
  if (vertical) {
    minAtEnd ? filled.setTop(handle.center().y()) : filled.setBottom(handle.center().y());
  } else {
    minAtEnd ? filled.setLeft(handle.center().x()) : filled.setRight(handle.center().x());
  }
  p->setPen(Qt::NoPen);
  p->setBrush(Enabled(o) ? Accent() : kGreyMark);
  p->drawRoundedRect(filled.adjusted(0.5, 0.5, -0.5, -0.5), thick / 2, thick / 2);

  // The handle.
  if (o->subControls & SC_SliderHandle) {
    QStyleOption look = *o;
    const bool active = o->activeSubControls & SC_SliderHandle;
    if (!active) look.state &= ~(State_MouseOver | State_Sunken);
    const QRectF knob = QRectF(handle).adjusted(1.5, 1.5, -1.5, -1.5);
    p->setPen(QPen(Border(&look), 1));
    p->setBrush(Face(&look, knob));
    p->drawRoundedRect(knob, 3.5, 3.5);
    if (Enabled(o)) {
      // Grip lines across the handle.
      p->setPen(QPen(kInk.lighter(170), 1));
      const QPointF c = knob.center();
      for (const int d : {-2, 0, 2}) {
        vertical ? p->drawLine(QPointF(c.x() - 4, c.y() + d), QPointF(c.x() + 4, c.y() + d))
                 : p->drawLine(QPointF(c.x() + d, c.y() - 4), QPointF(c.x() + d, c.y() + 4));
      }
    }
    if (o->state & State_HasFocus) {
      p->setPen(QPen(Accent(), 1, Qt::DotLine));
      p->setBrush(Qt::NoBrush);
      p->drawRoundedRect(QRectF(handle).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
  }
  p->restore();
}
