#include "widgets/Pictures.h"

#include <QFile>
#include <QGuiApplication>

namespace orvex::widgets {

namespace {
QString DoublePath(const QString& name) { return ":/pictures/" + name + "@2x.png"; }
}  // namespace

QString PicturePath(const QString& name) { return ":/pictures/" + name + ".png"; }

QPixmap Picture(const QString& name, qreal devicePixelRatio) {
  if (devicePixelRatio >= 1.5) {
    QPixmap twice(DoublePath(name));
    if (!twice.isNull()) {
      twice.setDevicePixelRatio(2.0);
      return twice;
    }
  }
  return QPixmap(PicturePath(name));
}

QIcon PictureIcon(const QString& name) {
  if (!QFile::exists(PicturePath(name))) return QIcon();
  QIcon icon;
  icon.addFile(PicturePath(name));
  if (QFile::exists(DoublePath(name))) icon.addFile(DoublePath(name));
  return icon;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString path = QString(":/pictures/orvex-%1.png").arg(size);
    if (QFile::exists(path)) icon.addFile(path, QSize(size, size));
  }
  return icon;
}

}  // namespace orvex::widgets
