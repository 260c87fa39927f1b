// Draws every picture of the program into a folder, each once at its own
// size (name.png) and once at twice that size (name@2x.png) so that it stays
// crisp on screens with a scale of 2; the build runs it and compiles the
// result into the program as Qt resources. The application icon comes in the
// sizes a desktop asks for (orvex-16.png .. orvex-256.png).
//
//   orvex_draw_pictures <folder>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Kept in step with the main window's layout (widgets/Pictures.h).
constexpr int kBackgroundWidth = 464;
constexpr int kBackgroundHeight = 236;
constexpr int kButtonTop = 78;
constexpr int kButtonLeft = 11;
constexpr int kButtonStep = 56;

const QColor kInk(0x1f, 0x3a, 0x5f);
const QColor kRed(0xd0, 0x21, 0x2b);
const QColor kSky(0x9e, 0xc5, 0xf0);

using Draw = std::function<void(QPainter&)>;

struct Picture {
  QString name;
  int width;
  int height;
  Draw draw;
};

// ---- main window -----------------------------------------------------------

void Background(QPainter& p) {
  const int w = kBackgroundWidth;
  const int h = kBackgroundHeight;
  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, QColor(0x2d, 0x56, 0x8a));
  sky.setColorAt(0.55, QColor(0x18, 0x30, 0x52));
  sky.setColorAt(1, QColor(0x0c, 0x18, 0x2b));
  p.fillRect(0, 0, w, h, sky);

  // A faint lens in the upper right corner, the program's sign.
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 4; ++i) {
    p.setPen(QPen(QColor(255, 255, 255, 26 - i * 5), 6 - i));
    p.drawEllipse(QPointF(w - 58, 18), 58 - i * 13, 58 - i * 13);
  }
  // Sheen under the title.
  p.setPen(QPen(QColor(255, 255, 255, 60), 1));
  p.drawLine(QPointF(16, 56.5), QPointF(w - 16, 56.5));

  // The panel behind the buttons, with dividers between the button groups:
  // settings | start, stop | preview, processing, overlay, snapshot | help.
  const QRectF panel(6.5, 70.5, w - 13, 66);
  QLinearGradient face(0, panel.top(), 0, panel.bottom());
  face.setColorAt(0, QColor(0xf4, 0xf7, 0xfb));
  face.setColorAt(1, QColor(0xd5, 0xe0, 0xee));
  p.setPen(QPen(QColor(255, 255, 255, 200), 1));
  p.setBrush(face);
  p.drawRoundedRect(panel, 8, 8);
  p.setPen(QPen(QColor(0x1f, 0x3a, 0x5f, 70), 1));
  for (const int slot : {1, 3, 7}) {
    const qreal x = kButtonLeft + slot * kButtonStep - 3.5;
    p.drawLine(QPointF(x, kButtonTop + 6), QPointF(x, kButtonTop + 44));
  }

  // The strip of the status line.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 120));
  p.drawRect(0, h - 32, w, 32);
  p.setPen(QPen(QColor(255, 255, 255, 40), 1));
  p.drawLine(QPointF(0, h - 32.5), QPointF(w, h - 32.5));
}

void Gear(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.translate(20, 20);
  for (int i = 0; i < 8; ++i) {
    p.drawRoundedRect(QRectF(-3.5, -17, 7, 8), 1, 1);
    p.rotate(45);
  }
  p.drawEllipse(QPointF(0, 0), 11.5, 11.5);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(0, 0), 4.5, 4.5);
}

void Record(QPainter& p) {
  QRadialGradient shine(16, 15, 16);
  shine.setColorAt(0, kRed.lighter(140));
  shine.setColorAt(1, kRed);
  p.setPen(QPen(kRed.darker(140), 2));
  p.setBrush(shine);
  p.drawEllipse(QPointF(20, 20), 13, 13);
}

void Stop(QPainter& p) {
  p.setPen(QPen(kInk.darker(140), 2));
  p.setBrush(kInk);
  p.drawRoundedRect(QRectF(9, 9, 22, 22), 3, 3);
}

void Preview(QPainter& p) {
  p.setPen(QPen(kInk, 3));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(4, 6, 32, 22), 2, 2);
  p.drawLine(QPointF(20, 28), QPointF(20, 34));
  p.drawLine(QPointF(12, 35), QPointF(28, 35));
  QPainterPath play;
  play.moveTo(16, 11);
  play.lineTo(26, 17);
  play.lineTo(16, 23);
  play.closeSubpath();
  p.fillPath(play, kRed);
}

void Sliders(QPainter& p) {
  const int knobs[] = {26, 12, 20};
  for (int i = 0; i < 3; ++i) {
    const qreal y = 9 + i * 11;
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, y), QPointF(35, y));
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(knobs[i], y), 4.5, 4.5);
  }
}

void Overlay(QPainter& p) {
  p.setPen(QPen(kInk, 2));
  p.setBrush(kSky);
  p.drawRect(QRectF(4, 4, 24, 20));
  p.setBrush(QColor(255, 255, 255, 220));
  p.drawRect(QRectF(13, 15, 23, 21));
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  p.drawRect(QRectF(17, 19, 15, 4));
  p.drawRect(QRectF(22.5, 19, 4, 14));
}

void Camera(QPainter& p) {
  p.setPen(QPen(kInk, 2));
  p.setBrush(kInk);
  p.drawRoundedRect(QRectF(4, 12, 32, 22), 4, 4);
  p.drawRect(QRectF(13, 7, 12, 6));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(20, 23), 7.5, 7.5);
  p.setBrush(kInk);
  p.drawEllipse(QPointF(20, 23), 3.5, 3.5);
}

void Help(QPainter& p) {
  p.setPen(QPen(kInk, 2));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(20, 20), 16, 16);
  // Drawn as a path, not with a font, so it looks the same on every machine.
  QPainterPath hook;
  hook.moveTo(14, 15);
  hook.cubicTo(14, 7.5, 26, 7.5, 26, 15);
  hook.cubicTo(26, 20, 20, 20, 20, 25);
  p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(hook);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(QPointF(20, 31), 2.6, 2.6);
}

// The snapshot window's button, up and held down: held down it sinks a pixel
// and the flash lights.
void SnapShotGlyph(QPainter& p, bool down) {
  if (down) p.translate(1, 1);
  p.setPen(QPen(kInk, 2));
  p.setBrush(down ? kInk.darker(130) : kInk);
  p.drawRoundedRect(QRectF(3, 9, 26, 19), 3, 3);
  p.drawRect(QRectF(10, 5, 9, 4));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(16, 18.5), 6, 6);
  p.setBrush(kInk);
  p.drawEllipse(QPointF(16, 18.5), 2.5, 2.5);
  p.setPen(Qt::NoPen);
  p.setBrush(down ? QColor(0xff, 0xd4, 0x3b) : kSky);
  p.drawEllipse(QPointF(24.5, 13), 2, 2);
}

// ---- dialogs (16 by 16 unless said) ------------------------------------------

void Sun(QPainter& p) {
  p.setPen(QPen(QColor(0xe0, 0x8a, 0x00), 1.5, Qt::SolidLine, Qt::RoundCap));
  p.translate(8, 8);
  for (int i = 0; i < 8; ++i) {
    p.drawLine(QPointF(0, -5.5), QPointF(0, -7.5));
    p.rotate(45);
  }
  p.setBrush(QColor(0xff, 0xc8, 0x20));
  p.drawEllipse(QPointF(0, 0), 3.5, 3.5);
}

void Contrast(QPainter& p) {
  const QRectF disc(1.5, 1.5, 13, 13);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(disc);
  p.setBrush(Qt::black);
  p.drawPie(disc, 90 * 16, 180 * 16);
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(disc);
}

void Hue(QPainter& p) {
  QConicalGradient wheel(8, 8, 0);
  const QColor colours[] = {Qt::red, Qt::yellow, Qt::green, Qt::cyan, Qt::blue, Qt::magenta, Qt::red};
  for (int i = 0; i < 7; ++i) wheel.setColorAt(i / 6.0, colours[i]);
  p.setPen(QPen(kInk, 1));
  p.setBrush(wheel);
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

void Saturation(QPainter& p) {
  QPainterPath drop;
  drop.moveTo(8, 1);
  drop.cubicTo(12, 6, 14, 9, 14, 10.5);
  drop.arcTo(QRectF(2, 5, 12, 10.5), 0, -180);
  drop.cubicTo(2, 9, 4, 6, 8, 1);
  QLinearGradient fade(0, 0, 16, 0);
  fade.setColorAt(0, QColor(0x9a, 0x9a, 0x9a));
  fade.setColorAt(1, QColor(0xe0, 0x10, 0x30));
  p.setPen(QPen(kInk, 1));
  p.setBrush(fade);
  p.drawPath(drop);
}

void GrayScale(QPainter& p) {
  for (int i = 0; i < 4; ++i) p.fillRect(QRectF(1 + i * 3.5, 2, 3.5, 12), QColor::fromHsv(0, 0, 20 + i * 70));
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 1.5, 15, 13));
}

// A small landscape whose right half is shown inverted.
void Negative(QPainter& p) {
  const auto landscape = [&p](bool inverted) {
    const auto c = [inverted](QColor colour) {
      return inverted ? QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue()) : colour;
    };
    p.fillRect(QRectF(1, 2, 14, 12), c(QColor(0x70, 0xb0, 0xf0)));
    p.setPen(Qt::NoPen);
    p.setBrush(c(QColor(0xff, 0xd0, 0x30)));
    p.drawEllipse(QPointF(5, 5.5), 2.5, 2.5);
    p.setBrush(c(QColor(0x30, 0x90, 0x30)));
    p.drawEllipse(QRectF(-6, 9, 28, 14));
  };
  p.save();
  p.setClipRect(QRectF(1, 2, 7, 12));
  landscape(false);
  p.setClipRect(QRectF(8, 2, 7, 12));
  landscape(true);
  p.restore();
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 1.5, 15, 13));
}

// 32 by 32: a framed picture with an arrow turning clockwise around it.
void Rotation(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(0xd8, 0xe6, 0xf5));
  p.drawRect(QRectF(10.5, 10.5, 11, 11));
  p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(3, 3, 26, 26), 100 * 16, -290 * 16);
  // Arrow head at the end of the arc, on the left, pointing up the turn.
  QPainterPath head;
  head.moveTo(3.5, 7.5);
  head.lineTo(-0.5, 14.5);
  head.lineTo(7.5, 14);
  head.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawPath(head);
}

// A shape and its reflection across a dashed axis.
void Mirror(QPainter& p) {
  QPainterPath left;
  left.moveTo(6.5, 3);
  left.lineTo(6.5, 13);
  left.lineTo(1, 13);
  left.closeSubpath();
  p.setPen(QPen(kInk, 1));
  p.setBrush(kInk);
  p.drawPath(left);
  p.setBrush(Qt::white);
  p.drawPath(QTransform(-1, 0, 0, 1, 16, 0).map(left));
  p.setPen(QPen(kInk, 1, Qt::DashLine));
  p.drawLine(QPointF(8, 0), QPointF(8, 16));
}

// The capture settings' property-page buttons: the gear, small.
void Configure(QPainter& p) {
  p.scale(0.4, 0.4);
  Gear(p);
}

// ---- application icon (drawn on a 256 grid) ---------------------------------

void ApplicationIcon(QPainter& p) {
  QLinearGradient face(0, 0, 0, 256);
  face.setColorAt(0, QColor(0x3a, 0x6c, 0xa8));
  face.setColorAt(1, QColor(0x12, 0x26, 0x44));
  p.setPen(Qt::NoPen);
  p.setBrush(face);
  p.drawRoundedRect(QRectF(12, 12, 232, 232), 48, 48);
  // The lens: a white ring, a dark glass with a highlight.
  p.setBrush(QColor(0xf4, 0xf7, 0xfb));
  p.drawEllipse(QPointF(128, 136), 84, 84);
  QRadialGradient glass(110, 118, 70);
  glass.setColorAt(0, QColor(0x4d, 0x7f, 0xc0));
  glass.setColorAt(1, QColor(0x0c, 0x18, 0x2b));
  p.setBrush(glass);
  p.drawEllipse(QPointF(128, 136), 58, 58);
  p.setBrush(QColor(255, 255, 255, 150));
  p.drawEllipse(QPointF(106, 114), 16, 16);
  // The recording light.
  p.setBrush(kRed);
  p.drawEllipse(QPointF(204, 52), 22, 22);
}

bool Save(const QString& folder, const QString& name, int width, int height, qreal scale, const Draw& draw) {
  QImage image(qRound(width * scale), qRound(height * scale), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    draw(painter);
  }
  const QString path = QDir(folder).filePath(name + ".png");
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "orvex_draw_pictures: cannot write %s\n", qPrintable(path));
  return false;
}

std::vector<Picture> Pictures() {
  std::vector<Picture> all = {
      {"background", kBackgroundWidth, kBackgroundHeight, Background},
      {"btnConfiguration", 40, 40, Gear},
      {"btnStart", 40, 40, Record},
      {"btnStop", 40, 40, Stop},
      {"btnPreview", 40, 40, Preview},
      {"btnVideoProcessing", 40, 40, Sliders},
      {"btnOverlay", 40, 40, Overlay},
      {"btnSnapShot", 40, 40, Camera},
      {"btnHelp", 40, 40, Help},
      {"SnapShotUp", 32, 32, [](QPainter& p) { SnapShotGlyph(p, false); }},
      {"SnapShotDown", 32, 32, [](QPainter& p) { SnapShotGlyph(p, true); }},
      {"Brightness", 16, 16, Sun},
      {"Contrast", 16, 16, Contrast},
      {"Hue", 16, 16, Hue},
      {"Saturation", 16, 16, Saturation},
      {"GrayScale", 16, 16, GrayScale},
      {"Negative", 16, 16, Negative},
      {"Rotation", 32, 32, Rotation},
      {"Mirror", 16, 16, Mirror},
      {"Configure", 16, 16, Configure},
  };
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvex_draw_pictures <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "orvex_draw_pictures: cannot create %s\n", argv[1]);
    return 1;
  }
  bool ok = true;
  for (const Picture& picture : Pictures()) {
    ok = Save(folder, picture.name, picture.width, picture.height, 1, picture.draw) && ok;
    ok = Save(folder, picture.name + "@2x", picture.width, picture.height, 2, picture.draw) && ok;
  }
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    const qreal scale = size / 256.0;
    ok = Save(folder, QString("orvex-%1").arg(size), size, size, 1,
              [scale](QPainter& p) {
                p.scale(scale, scale);
                ApplicationIcon(p);
              }) &&
         ok;
  }
  return ok ? 0 : 1;
}
