// Draws the main window's background and button pictures, and the snapshot
// button's glyphs, into a folder; the build runs it and compiles the result
// into the program as Qt resources.
//
//   orvex_draw_pictures <folder>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {

// Kept in step with the main window's layout.
constexpr int kBackgroundWidth = 464;
constexpr int kBackgroundHeight = 236;
constexpr int kIconSize = 40;
constexpr int kGlyphSize = 32;

const QColor kInk(0x1f, 0x3a, 0x5f);
const QColor kRed(0xd0, 0x21, 0x2b);

QImage Canvas(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Background(QPainter& p) {
  QLinearGradient sky(0, 0, 0, kBackgroundHeight);
  sky.setColorAt(0, QColor(0x27, 0x4b, 0x7a));
  sky.setColorAt(1, QColor(0x0e, 0x1c, 0x30));
  p.fillRect(0, 0, kBackgroundWidth, kBackgroundHeight, sky);
  // The panel behind the buttons and the strip of the status line.
  p.setPen(QPen(QColor(255, 255, 255, 160), 1));
  p.setBrush(QColor(0xe4, 0xeb, 0xf4));
  p.drawRoundedRect(QRectF(6.5, 70.5, kBackgroundWidth - 13, 66), 8, 8);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 110));
  p.drawRect(0, kBackgroundHeight - 32, kBackgroundWidth, 32);
}

void Gear(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.translate(20, 20);
  for (int i = 0; i < 8; ++i) {
    p.drawRect(QRectF(-3.5, -17, 7, 8));
    p.rotate(45);
  }
  p.drawEllipse(QPointF(0, 0), 11.5, 11.5);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(0, 0), 4.5, 4.5);
}

void Record(QPainter& p) {
  p.setPen(QPen(kRed.darker(140), 2));
  p.setBrush(kRed);
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
  p.setBrush(QColor(0x9e, 0xc5, 0xf0));
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
  QFont font("Sans");
  font.setBold(true);
  font.setPixelSize(24);
  p.setFont(font);
  p.setPen(kInk);
  p.drawText(QRectF(4, 4, 32, 32), Qt::AlignCenter, "?");
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
  p.setBrush(down ? QColor(0xff, 0xd4, 0x3b) : QColor(0x9e, 0xc5, 0xf0));
  p.drawEllipse(QPointF(24.5, 13), 2, 2);
}

bool Save(const QString& folder, const QString& name, int width, int height,
          const std::function<void(QPainter&)>& draw) {
  QImage image = Canvas(width, height);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
  }
  const QString path = QDir(folder).filePath(name + ".png");
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "orvex_draw_pictures: cannot write %s\n", qPrintable(path));
  return false;
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
  bool ok = Save(folder, "background", kBackgroundWidth, kBackgroundHeight, Background);
  const std::pair<const char*, void (*)(QPainter&)> buttons[] = {{"btnConfiguration", Gear},
                                                                 {"btnStart", Record},
                                                                 {"btnStop", Stop},
                                                                 {"btnPreview", Preview},
                                                                 {"btnVideoProcessing", Sliders},
                                                                 {"btnOverlay", Overlay},
                                                                 {"btnSnapShot", Camera},
                                                                 {"btnHelp", Help}};
  for (const auto& [name, draw] : buttons) ok = Save(folder, name, kIconSize, kIconSize, draw) && ok;
  for (const bool down : {false, true})
    ok = Save(folder, down ? "SnapShotDown" : "SnapShotUp", kGlyphSize, kGlyphSize,
              [down](QPainter& p) { SnapShotGlyph(p, down); }) &&
         ok;
  return ok ? 0 : 1;
}
