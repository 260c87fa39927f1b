// The preview window on the desktop: it follows the video as far as the
// screen allows until the user sizes it, switches full screen, and keeps its
// place between runs unless the kept place is of no use.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "engine/TSyncManager.h"
#include "preview/RecordingStatusView.h"
#include "preview/TfrmPreview.h"
#include "settings/PreviewWindowSettings.h"
#include "tests/support/EngineProbe.h"
#include "tests/support/TempDir.h"

using orvex::settings::TPreviewWindowSettings;

namespace {

struct NoMainWindow : IRecordingStatusView {
  void SetStatusText(const QString&) override {}
  void SetConfigurationEnabled(bool) override {}
};

class PreviewWindowPlace : public ::testing::Test {
 protected:
  PreviewWindowPlace() {
    const char* previous = std::getenv("ORVEX_CONFIG_DIR");
    previous_ = previous ? previous : "";
    setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
    TSyncManager::Free();
  }
  ~PreviewWindowPlace() override {
    preview.reset();
    TSyncManager::Free();
    setenv("ORVEX_CONFIG_DIR", previous_.c_str(), 1);
  }

  TfrmPreview& Open() {
    preview = std::make_unique<TfrmPreview>(main);
    return *preview;
  }
  // The engine's video changed size, as binding or a new size choice does.
  void VideoOf(QSize size) {
    VOduduDudiviv& engine = *preview->VOduduDudiviv1;
    EngineProbe(engine).Devices().VideoWidth = size.width();
    EngineProbe(engine).Devices().VideoHeight = size.height();
    engine.VideoSizeChanged();
  }
  static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

  orvex::test::TempDir config;
  NoMainWindow main;
  std::unique_ptr<TfrmPreview> preview;

 private:
  std::string previous_;
};

}  // namespace

TEST_F(PreviewWindowPlace, FollowsTheVideoWithinTheScreenUntilTheUserSizesIt) {
  TfrmPreview& w = Open();
  const QSize area = Available().size();
  ASSERT_GE(area.width(), 640);
  ASSERT_GE(area.height(), 480);
  VideoOf({640, 480});
  EXPECT_EQ(w.size(), QSize(640, 480)) << "a video that fits is shown 1:1";
  w.show();

  VideoOf({1920, 1080});
  EXPECT_LE(w.frameGeometry().width(), area.width());
  EXPECT_LE(w.frameGeometry().height(), area.height());
  const QSize frame = w.frameGeometry().size() - w.size();
  EXPECT_TRUE(w.frameGeometry().width() == area.width() || w.frameGeometry().height() == area.height())
      << "as large as the screen allows: " << w.width() << "x" << w.height() << " in " << area.width() << "x"
      << area.height() << " with a frame of " << frame.width() << "x" << frame.height();
  EXPECT_NEAR(double(w.width()) / w.height(), 16.0 / 9.0, 0.01) << "its shape kept";
  EXPECT_TRUE(Available().contains(w.frameGeometry())) << "and on the screen";
  EXPECT_EQ(w.VOduduDudiviv1->geometry(), w.rect()) << "the picture fills the window";
  // A frame of the video's size painted: the display asks for that size again.
  w.VOduduDudiviv1->resize(1920, 1080);
  emit w.VOduduDudiviv1->DisplaySizeChanged({1920, 1080});
  EXPECT_EQ(w.VOduduDudiviv1->geometry(), w.rect()) << "and goes on filling it";

  w.resize(400, 400);  // the user's size
  EXPECT_TRUE(w.UserSized());
  VideoOf({320, 240});
  EXPECT_EQ(w.size(), QSize(400, 400)) << "kept: the picture scales in it";
  EXPECT_EQ(w.VOduduDudiviv1->geometry(), QRect(0, 0, 400, 400));
  EXPECT_LT(w.minimumWidth(), 400);
  EXPECT_NE(w.minimumSize(), w.maximumSize()) << "resizable";
}

TEST_F(PreviewWindowPlace, DoubleClickSwitchesFullScreenAndEscapeLeavesIt) {
  TfrmPreview& w = Open();
  w.show();
  const QRect normal = w.geometry();
  const QPointF at(10, 10);
  QMouseEvent twice(QEvent::MouseButtonDblClick, at, w.VOduduDudiviv1->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w.VOduduDudiviv1, &twice);  // on the picture
  EXPECT_TRUE(w.isFullScreen());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &escape);
  EXPECT_FALSE(w.isFullScreen());
  EXPECT_EQ(w.geometry(), normal);
  QCoreApplication::sendEvent(w.VOduduDudiviv1, &twice);
  EXPECT_TRUE(w.isFullScreen());
  QCoreApplication::sendEvent(w.VOduduDudiviv1, &twice);
  EXPECT_FALSE(w.isFullScreen()) << "a second double-click goes back too";
}

TEST_F(PreviewWindowPlace, ThePlaceIsKeptForTheNextRun) {
  const QRect place = QRect(Available().topLeft() + QPoint(30, 40), QSize(300, 200));
  TfrmPreview& w = Open();
  w.show();
  w.setGeometry(place);
  w.ToggleFullScreen();  // the place kept is the window's, not the full screen's
  preview.reset();
  const auto stored = TPreviewWindowSettings::Read();
  EXPECT_EQ(QRect(stored.PreviewLeft, stored.PreviewTop, stored.PreviewWidth, stored.PreviewHeight), place);

  TfrmPreview& again = Open();
  EXPECT_EQ(again.geometry(), place);
  EXPECT_TRUE(again.UserSized());
  VideoOf({640, 480});
  EXPECT_EQ(again.geometry(), place) << "a restored size is the user's";
}

TEST_F(PreviewWindowPlace, AKeptPlaceOfNoUseIsPassedOver) {
  const QRect area = Available();
  struct Row {
    const char* what;
    int left, top, width, height;
  };
  const Row rows[] = {
      {"off every screen", area.right() + 5000, area.top(), 300, 200},
      {"barely on a screen", area.right() - 10, area.top(), 300, 200},
      {"too small to use", area.left(), area.top(), 5, 5},
      {"larger than any screen", area.left(), area.top(), area.width() * 3, area.height()},
      {"beyond any desktop", 2000000000, 2000000000, 2000000000, 2000000000},
      {"negative size", area.left(), area.top(), -300, -200},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TPreviewWindowSettings stored;
    stored.PreviewLeft = row.left;
    stored.PreviewTop = row.top;
    stored.PreviewWidth = row.width;
    stored.PreviewHeight = row.height;
    stored.Write();
    TfrmPreview& w = Open();
    EXPECT_FALSE(w.UserSized());
    EXPECT_EQ(w.size(), QSize(369, 305)) << "the size of a first run";
    w.show();
    EXPECT_TRUE(area.contains(w.frameGeometry())) << "centred on the screen";
    preview.reset();
  }
}
