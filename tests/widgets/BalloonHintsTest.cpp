// Hints as balloons: which control's hint shows, what the balloon says, that
// Qt's own tooltip stays away, when the balloon goes, and that it stays on
// the screen and never takes the focus.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>
#include <QVBoxLayout>

#include "widgets/TBalloonHints.h"
#include "widgets/TBalloonTip.h"

namespace {

class BalloonHints : public ::testing::Test {
 protected:
  void SetUp() override {
    qApp->installEventFilter(&hints);
    window.resize(300, 200);
    auto* layout = new QVBoxLayout(&window);
    button = new QPushButton("Go", &window);
    button->setToolTip("Start Recording");
    edit = new QLineEdit(&window);
    box = new QCheckBox("Mirror", &window);  // no hint of its own
    layout->addWidget(button);
    layout->addWidget(edit);
    layout->addWidget(box);
    window.setToolTip("The window's own hint");
    window.show();
    edit->setFocus();
  }
  void TearDown() override { qApp->removeEventFilter(&hints); }

  // What Qt sends when the pointer rests on `w`.
  bool Hover(QWidget* w) {
    const QPoint at(5, 5);
    QHelpEvent help(QEvent::ToolTip, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &help);
    return hints.IsShown();
  }

  TBalloonHints hints;
  QWidget window;
  QPushButton* button;
  QLineEdit* edit;
  QCheckBox* box;
};

}  // namespace

TEST_F(BalloonHints, AControlsHintShowsAsABalloonHeadedInfo) {
  ASSERT_TRUE(Hover(button));
  TBalloonTip* balloon = hints.Balloon();
  EXPECT_EQ(balloon->Header(), "Info");
  EXPECT_EQ(balloon->Text(), "Start Recording");
  EXPECT_EQ(hints.Control(), button);
  EXPECT_FALSE(QToolTip::isVisible()) << "the plain tooltip stays away";
  EXPECT_EQ(button->toolTip(), "Start Recording") << "the hint stays where code reads it";
  // It hangs below the pointer, so it covers nothing it explains.
  const QPoint pointer = button->mapToGlobal(QPoint(5, 5));
  EXPECT_EQ(balloon->Target().x(), pointer.x());
  EXPECT_GT(balloon->geometry().top(), pointer.y());
  EXPECT_TRUE(balloon->TailOnTop());
  EXPECT_EQ(window.focusWidget(), edit) << "showing a hint takes no focus";
  EXPECT_NE(QApplication::activeWindow(), balloon);
  EXPECT_TRUE(balloon->testAttribute(Qt::WA_ShowWithoutActivating));

  button->setEnabled(false);
  hints.HideHint();
  EXPECT_TRUE(Hover(button)) << "disabled controls explain themselves too";
}

TEST_F(BalloonHints, AControlWithoutAHintShowsItsParentsAndNoneShowsNothing) {
  ASSERT_TRUE(Hover(box));
  EXPECT_EQ(hints.Balloon()->Text(), "The window's own hint");
  EXPECT_EQ(hints.Control(), &window);
  hints.HideHint();
  window.setToolTip(QString());
  EXPECT_FALSE(Hover(box));
}

TEST_F(BalloonHints, GoesOnAClickAKeyLeavingTheControlOrAChangedHint) {
  const auto hover = [this] {
    hints.HideHint();
    return Hover(button);
  };
  ASSERT_TRUE(hover());
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), edit->mapToGlobal(QPointF(1, 1)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(edit, &press);
  EXPECT_FALSE(hints.IsShown()) << "a click anywhere";

  ASSERT_TRUE(hover());
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(edit, &key);
  EXPECT_FALSE(hints.IsShown()) << "a key";

  ASSERT_TRUE(hover());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(edit, &leave);
  EXPECT_TRUE(hints.IsShown()) << "leaving another control changes nothing";
  QApplication::sendEvent(button, &leave);
  EXPECT_FALSE(hints.IsShown()) << "leaving the control";

  ASSERT_TRUE(hover());
  button->setToolTip("Stop Recording");
  EXPECT_EQ(hints.Balloon()->Text(), "Stop Recording") << "a hint that changes while shown";
  button->setToolTip(QString());
  EXPECT_FALSE(hints.IsShown());

  button->setToolTip("Start Recording");
  ASSERT_TRUE(hover());
  window.hide();
  EXPECT_FALSE(hints.IsShown()) << "the window went";
}

// At the screen's foot and right edge the balloon opens upwards and moves
// left, its tail still on the point.
TEST(BalloonTip, StaysOnTheScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  TBalloonTip balloon;
  const QString text = "A hint long enough to be wrapped over more than one line of the balloon's text";
  for (const QPoint target : {area.topLeft(), area.bottomRight(), QPoint(area.right(), area.top() + 5),
                              QPoint(area.left() + 3, area.bottom() - 2), area.center()}) {
    SCOPED_TRACE(testing::Message() << target.x() << "," << target.y());
    balloon.ShowAt(target, text);
    EXPECT_TRUE(area.contains(balloon.geometry()));
    EXPECT_EQ(balloon.TailOnTop(), target.y() < area.center().y() || target == area.center());
    const int tipY = balloon.TailOnTop() ? balloon.geometry().top() : balloon.geometry().bottom();
    EXPECT_LE(std::abs(tipY - target.y()), 1);
    EXPECT_TRUE(balloon.geometry().left() <= target.x() && target.x() <= balloon.geometry().right());
    EXPECT_LE(balloon.width(), 300) << "long hints wrap";
  }
}
