#pragma once
// The program's built-in pictures. Each is drawn at build time twice, at its
// own size and at twice that size, and these helpers hand out the drawing
// that suits the screen, so nothing is ever scaled up and blurred.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace orvex::widgets {

// The main window's background; the window takes its size from it.
inline constexpr int kBackgroundWidth = 464;
inline constexpr int kBackgroundHeight = 236;

// ":/pictures/<name>.png", the drawing at its own size.
QString PicturePath(const QString& name);

// The drawing of `name` for a screen of `devicePixelRatio`: from 1.5 up the
// one drawn at twice the size, carrying that ratio so it covers the same
// logical size. Null when there is no such picture.
QPixmap Picture(const QString& name, qreal devicePixelRatio);

// The picture as an icon holding both drawings; painting it picks the one
// that suits the window it is painted in. Null when there is no such picture.
QIcon PictureIcon(const QString& name);

// The application icon in every size drawn for it.
QIcon ApplicationIcon();

}  // namespace orvex::widgets
