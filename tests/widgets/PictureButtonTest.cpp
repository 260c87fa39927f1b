// The picture button: its four looks as the pointer, the mouse button and
// the enabled state change them, what each look paints, and the two glyphs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>

#include "widgets/Pictures.h"
#include "widgets/TPictureButton.h"

using Look = TPictureButton::TLook;

namespace {

void Send(QWidget* w, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  if (type == QEvent::Enter) {
    QEnterEvent enter(at, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &enter);
    return;
  }
  if (type == QEvent::Leave) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    return;
  }
  const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
  QMouseEvent mouse(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &mouse);
}

// How many painted pixels are clearly coloured rather than grey.
int ColouredPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() > 0 && c.hsvSaturation() > 80) ++count;
    }
  return count;
}

QImage Paint(TPictureButton& b) {
  QImage image(b.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  b.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

class PictureButton : public ::testing::Test {
 protected:
  void SetUp() override {
    button.setIconSize(QSize(40, 40));
    button.resize(50, 50);
    button.show();
  }
  TPictureButton button{"btnStart", nullptr};
};

}  // namespace

TEST_F(PictureButton, FollowsThePointerTheMouseButtonAndTheEnabledState) {
  EXPECT_EQ(button.Look(), Look::Normal);
  EXPECT_TRUE(button.isFlat());
  EXPECT_TRUE(button.text().isEmpty()) << "a picture, no caption";
  Send(&button, QEvent::Enter);
  EXPECT_EQ(button.Look(), Look::Hover);
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
  Send(&button, QEvent::MouseButtonPress);
  EXPECT_EQ(button.Look(), Look::Pressed);
  Send(&button, QEvent::MouseButtonRelease);
  EXPECT_EQ(button.Look(), Look::Hover);
  EXPECT_EQ(clicks, 1);
  Send(&button, QEvent::Leave);
  EXPECT_EQ(button.Look(), Look::Normal);

  // Disabled under the pointer: no leave comes, yet enabled again it must
  // not stay lit.
  Send(&button, QEvent::Enter);
  button.setEnabled(false);
  EXPECT_EQ(button.Look(), Look::Disabled);
  Send(&button, QEvent::MouseButtonPress);
  Send(&button, QEvent::MouseButtonRelease);
  EXPECT_EQ(clicks, 1) << "a disabled button does not answer";
  button.setEnabled(true);
  EXPECT_EQ(button.Look(), Look::Normal);
}

TEST_F(PictureButton, EachLookPaintsDifferentlyAndDisabledIsGrey) {
  const QImage normal = Paint(button);
  EXPECT_GT(ColouredPixels(normal), 100) << "the red record sign";
  Send(&button, QEvent::Enter);
  const QImage hover = Paint(button);
  Send(&button, QEvent::MouseButtonPress);
  const QImage pressed = Paint(button);
  Send(&button, QEvent::MouseButtonRelease);
  Send(&button, QEvent::Leave);
  button.setEnabled(false);
  const QImage disabled = Paint(button);

  EXPECT_NE(hover, normal);
  EXPECT_NE(pressed, hover);
  EXPECT_NE(disabled, normal);
  EXPECT_EQ(ColouredPixels(disabled), 0) << "the picture turns grey";
  // The plate of hover and pressed fills the corners; normal and disabled
  // show the window behind.
  EXPECT_EQ(normal.pixelColor(3, 3).alpha(), 0);
  EXPECT_EQ(disabled.pixelColor(3, 3).alpha(), 0);
  EXPECT_GT(hover.pixelColor(3, 3).alpha(), 0);
  EXPECT_GT(pressed.pixelColor(3, 3).alpha(), 0);
}

TEST_F(PictureButton, ShowsTheDownGlyphWhileHeld) {
  const QIcon up = orvex::widgets::PictureIcon("SnapShotUp");
  const QIcon down = orvex::widgets::PictureIcon("SnapShotDown");
  button.SetGlyphs(up, down);
  EXPECT_EQ(button.icon().cacheKey(), up.cacheKey());
  Send(&button, QEvent::MouseButtonPress);
  EXPECT_EQ(button.icon().cacheKey(), down.cacheKey());
  Send(&button, QEvent::MouseButtonRelease);
  EXPECT_EQ(button.icon().cacheKey(), up.cacheKey());
  // Set again, the glyphs swap once per press, not twice.
  button.SetGlyphs(up, down);
  emit button.pressed();
  EXPECT_EQ(button.icon().cacheKey(), down.cacheKey());
  emit button.released();
  EXPECT_EQ(button.icon().cacheKey(), up.cacheKey());
}

TEST(PictureButtonWithoutPicture, SaysWhatItIs) {
  TPictureButton button("no such picture", nullptr);
  EXPECT_TRUE(button.icon().isNull());
  EXPECT_FALSE(button.text().isEmpty());
}
