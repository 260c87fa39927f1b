// The labels laid on the main window's picture and the about box: the link
// answers a click the way a button does, the caption text is light on any
// background.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "tests/support/Wait.h"
#include "widgets/TAboutBox.h"
#include "widgets/TCaptionLabel.h"
#include "widgets/TLinkLabel.h"

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
  QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

}  // namespace

TEST(LinkLabel, AnswersALeftClickReleasedOverItAndTheKeyboard) {
  TLinkLabel link("https://www.brevantix.example/orvex");
  link.resize(240, 22);
  int clicks = 0;
  QObject::connect(&link, &TLinkLabel::clicked, [&] { ++clicks; });
  EXPECT_TRUE(link.font().underline());
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

  Mouse(&link, QEvent::MouseButtonPress, {5, 5});
  Mouse(&link, QEvent::MouseButtonRelease, {5, 5});
  EXPECT_EQ(clicks, 1);
  Mouse(&link, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton);
  Mouse(&link, QEvent::MouseButtonRelease, {5, 5}, Qt::RightButton);
  EXPECT_EQ(clicks, 1) << "a right click is no click";
  Mouse(&link, QEvent::MouseButtonPress, {5, 5});
  Mouse(&link, QEvent::MouseButtonRelease, {5, 300});
  EXPECT_EQ(clicks, 1) << "let go away from the link: changed one's mind";
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&link, &enter);
  EXPECT_EQ(clicks, 2);

  const QColor normal = link.palette().color(QPalette::WindowText);
  QEvent in(QEvent::Enter), out(QEvent::Leave);
  QApplication::sendEvent(&link, &in);
  EXPECT_TRUE(link.Hovered());
  EXPECT_NE(link.palette().color(QPalette::WindowText), normal) << "lit under the pointer";
  QApplication::sendEvent(&link, &out);
  EXPECT_EQ(link.palette().color(QPalette::WindowText), normal);
}

// White on black and on white alike: the shadow keeps it readable on both.
TEST(CaptionLabel, DrawsLightTextWithADarkShadow) {
  for (const QColor back : {QColor(Qt::black), QColor(Qt::white)}) {
    QWidget parent;
    parent.resize(200, 30);
    parent.setAutoFillBackground(true);
    QPalette p = parent.palette();
    p.setColor(QPalette::Window, back);
    parent.setPalette(p);
    auto* label = new TCaptionLabel("Recording [00:00:07]", &parent);
    label->setGeometry(0, 0, 200, 30);
    EXPECT_EQ(label->TextColor(), QColor(Qt::white));
    const QImage image = parent.grab().toImage();
    int light = 0, dark = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const int grey = qGray(image.pixel(x, y));
        light += grey > 230;
        dark += grey < 100;
      }
    const int total = image.width() * image.height();
    EXPECT_GT(light, back == Qt::black ? 20 : total / 2) << "white text";
    EXPECT_GT(dark, back == Qt::white ? 20 : total / 2) << "its shadow";
  }
}

TEST(AboutBox, NamesTheProgramItsVersionsAndItsMaker) {
  TAboutBox box("Orvex Ziru", "Version 1.4", "Capture engine VOduduDudiviv 7.0", "https://example.org/orvex");
  EXPECT_EQ(box.windowTitle(), "About Orvex Ziru");
  EXPECT_EQ(box.Title->text(), "Orvex Ziru");
  EXPECT_EQ(box.Version->text(), "Version 1.4");
  EXPECT_EQ(box.Engine->text(), "Capture engine VOduduDudiviv 7.0");
  int opened = 0;
  QObject::connect(&box, &TAboutBox::WebLinkClicked, [&] { ++opened; });
  emit box.WebLink->clicked();
  EXPECT_EQ(opened, 1);
  box.show();
  box.OkButton->click();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

// Enter closes the box the way its OK button does; the web link is there for
// the mouse and the Tab key, not the first key pressed.
TEST(AboutBox, EnterClosesItInsteadOfOpeningTheWebSite) {
  for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
    SCOPED_TRACE(key);
    TAboutBox box("Orvex Ziru", "Version 1.4", "Capture engine", "https://example.org/orvex");
    int opened = 0;
    QObject::connect(&box, &TAboutBox::WebLinkClicked, [&] { ++opened; });
    box.show();
    box.activateWindow();
    ASSERT_TRUE(orvex::test::WaitUntil([&] { return QApplication::focusWidget() != nullptr; }, 2000));
    EXPECT_EQ(QApplication::focusWidget(), box.OkButton);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
  }
}
