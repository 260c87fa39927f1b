#include <gtest/gtest.h>

#include <QLabel>
#include <QTimer>

#include "app/Forms.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "dialogs/TfrmConfiguration.h"
#include "dialogs/TfrmOverlay.h"
#include "dialogs/TfrmSnapShot.h"
#include "dialogs/TfrmVideoProcessing.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "preview/TfrmPreview.h"
#include "tests/support/EngineProbe.h"
#include "tests/support/Wait.h"
#include "widgets/TCaptionLabel.h"

namespace {

TApplication& App() { return *static_cast<TApplication*>(QCoreApplication::instance()); }

class WindowSet : public ::testing::Test {
 protected:
  void SetUp() override {
    App().OnFormCreated = [this](QWidget* form) { created.push_back(form->objectName()); };
    App().CreateForms();
    App().OnFormCreated = nullptr;
  }
  void TearDown() override { App().DestroyForms(); }

  QStringList created;
};

}  // namespace

TEST_F(WindowSet, SixWindowsInCreationOrderWithTheirCaptionsAndSizes) {
  EXPECT_EQ(created, (QStringList{"frmMain", "frmPreview", "frmConfiguration", "frmVideoProcessing",
                                  "frmSnapShot", "frmOverlay"}));
  EXPECT_EQ(frmMain->windowTitle(), "Orvex Ziru");
  EXPECT_EQ(frmPreview->windowTitle(), "Video Preview");
  EXPECT_EQ(frmConfiguration->windowTitle(), "Program Settings");
  EXPECT_EQ(frmVideoProcessing->windowTitle(), "Video Processing");
  EXPECT_EQ(frmSnapShot->windowTitle(), "SnapShot");
  EXPECT_EQ(frmOverlay->windowTitle(), "Video Overlay");

  EXPECT_EQ(frmConfiguration->size(), QSize(332, 311));
  EXPECT_EQ(frmVideoProcessing->size(), QSize(227, 404));
  EXPECT_EQ(frmSnapShot->size(), QSize(218, 205));
  EXPECT_EQ(frmOverlay->size(), QSize(362, 529));
  // The preview window takes the size of the engine control it holds.
  EXPECT_EQ(frmPreview->VOduduDudiviv1->size(), QSize(369, 305));
  EXPECT_EQ(frmPreview->size(), frmPreview->VOduduDudiviv1->size());

  EXPECT_EQ(frmMain->MMLabel3->text(), "v1.4");
  EXPECT_EQ(frmMain->lblStatus->text(), "Ready");
}

TEST_F(WindowSet, OnlyTheMainWindowIsShownAndBordersMatchTheirRoles) {
  frmMain->show();
  for (QWidget* w :
       QList<QWidget*>{frmPreview, frmConfiguration, frmVideoProcessing, frmSnapShot, frmOverlay})
    EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
  EXPECT_TRUE(frmMain->isVisible());
  EXPECT_TRUE(frmMain->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(frmMain->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(frmPreview->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(frmPreview->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(frmMain->minimumSize(), frmMain->maximumSize()) << "not resizable";
}

TEST_F(WindowSet, ClosingAnyOtherWindowOnlyHidesIt) {
  frmMain->show();
  for (TForm* w : QList<TForm*>{frmPreview, frmVideoProcessing, frmSnapShot, frmOverlay}) {
    w->ShowAndRaise();
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->isVisible());
    w->ShowAndRaise();  // the same window comes back
    EXPECT_TRUE(w->isVisible());
    w->hide();
  }
  EXPECT_TRUE(frmMain->isVisible());
  EXPECT_NE(frmPreview, nullptr);
}

TEST_F(WindowSet, ClosingAModalDialogWithItsCloseBoxAnswersCancel) {
  QTimer::singleShot(0, [] { frmConfiguration->close(); });
  EXPECT_EQ(frmConfiguration->ShowModal(), mrCancel);
  EXPECT_FALSE(frmConfiguration->isVisible());
}

TEST_F(WindowSet, ClosingTheMainWindowEndsTheLoopWithExitCodeZero) {
  QTimer::singleShot(0, [] { frmMain->close(); });
  EXPECT_EQ(App().Run(), 0);
  EXPECT_FALSE(frmPreview->VOduduDudiviv1->OnFrameOverlayUsingDC()) << "the overlay hook stays attached";
}

TEST_F(WindowSet, ShutdownDetachesTheOverlayHookBeforeTheOverlayDialogGoes) {
  // Two images show: freeing the first as the dialog goes leaves one showing.
  const TBitmap picture(8, 8, orvex::gdi::PixelFormat::Rgb32);
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(frmPreview->ImageSlots().Install(i, picture, 0, 0, false, true));
  EXPECT_TRUE(frmPreview->VOduduDudiviv1->OnFrameOverlayUsingDC());
  QStringList destroyed;
  bool hookAttachedWhenOverlayWent = true;
  for (QWidget* w :
       QList<QWidget*>{frmMain, frmPreview, frmConfiguration, frmVideoProcessing, frmSnapShot, frmOverlay})
    QObject::connect(w, &QObject::destroyed, [&destroyed, name = w->objectName()] { destroyed << name; });
  VOduduDudiviv* engine = frmPreview->VOduduDudiviv1;
  QObject::connect(frmOverlay, &QObject::destroyed,
                   [&] { hookAttachedWhenOverlayWent = static_cast<bool>(engine->OnFrameOverlayUsingDC()); });

  frmMain->close();
  App().DestroyForms();
  EXPECT_FALSE(hookAttachedWhenOverlayWent);
  EXPECT_EQ(destroyed, (QStringList{"frmOverlay", "frmSnapShot", "frmVideoProcessing", "frmConfiguration",
                                    "frmPreview", "frmMain"}));
  EXPECT_EQ(frmMain, nullptr);
  EXPECT_EQ(frmOverlay, nullptr);
}

namespace {
class Throwing : public QObject {
 protected:
  bool event(QEvent*) override { throw std::runtime_error("disk on fire"); }
};
}  // namespace

TEST_F(WindowSet, AnExceptionFromAHandlerIsShownInTheErrorBoxAndTheProgramGoesOn) {
  orvex::dialogs::ScriptedDialogs script;
  Throwing object;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&object, &event);
  QCoreApplication::sendEvent(&object, &event);
  const auto boxes = script.CallsOf(orvex::dialogs::ScriptedDialogs::Kind::MessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Orvex Ziru");
  EXPECT_EQ(boxes[0].text, "disk on fire");
  EXPECT_EQ(boxes[0].icon, orvex::dialogs::MsgIcon::Stop);
}

TEST_F(WindowSet, AnExceptionFromAnEngineEventHandlerIsShownToo) {
  orvex::dialogs::ScriptedDialogs script;
  VOduduDudiviv* engine = frmPreview->VOduduDudiviv1;
  engine->HandleNeeded();
  engine->setOnInactive([](VOduduDudiviv*) { throw std::runtime_error("handler failed"); });
  EngineProbe(*engine).QueueEvent(qe_Inactive);
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return !script.Calls().empty(); }, 2000));
  EXPECT_EQ(script.Calls()[0].text, "handler failed");
}
