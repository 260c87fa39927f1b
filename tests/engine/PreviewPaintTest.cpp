// What the display paints per frame, and that frames nobody sees wake nobody.

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>

#include "engine/frames/VideoRenderer.h"
#include "platform/media/VideoConvert.h"
#include "platform/media/testdevices/TestPattern.h"
#include "tests/engine/GraphFixture.h"
#include "tests/support/EngineProbe.h"

using orvex::test::PumpEvents;
using orvex::test::WaitUntil;

namespace {

// Counts the display's paint events (with the last region) and queued calls.
class DisplayEvents : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) lastPaint = static_cast<QPaintEvent*>(event)->region();
    if (event->type() == QEvent::MetaCall) ++queuedCalls;
    return false;
  }
  QRegion lastPaint;
  int queuedCalls = 0;
};

}  // namespace

TEST_F(GraphTest, AFrameRepaintsThePictureAloneAndTheBordersStayFilled) {
  host->resize(400, 300);
  engine->resize(400, 300);
  engine->setDisplay_KeepAspectRatio(true);
  engine->setBackgroundColor(0x0000FF);  // red
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(3));
  DisplayEvents events;
  engine->installEventFilter(&events);
  ASSERT_TRUE(WaitForFrames(3));
  engine->removeEventFilter(&events);

  // 352 x 288 fitted into 400 x 300 keeps its shape: 366 x 300, centred.
  const QRect picture = PictureRect(QSize(352, 288), engine->size(), true);
  EXPECT_EQ(picture, QRect(17, 0, 366, 300));
  EXPECT_EQ(events.lastPaint, QRegion(picture)) << "a frame repaints the borders too";
  const QImage shot = engine->grab().toImage();
  for (const int x : {2, 397}) EXPECT_EQ(shot.pixel(x, 150), qRgb(255, 0, 0)) << "border at " << x;
  EXPECT_NE(shot.pixel(30, 150), qRgb(255, 0, 0)) << "the picture is there";
}

TEST_F(GraphTest, AHiddenDisplayStopsTheFramesUntilShownOrACaptureAsksForOne) {
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  host->hide();
  DisplayEvents events;
  engine->installEventFilter(&events);
  PumpEvents(100);  // frames already past the device
  const std::uint64_t stored = EngineProbe(*engine).FramesShown();
  PumpEvents(400);
  EXPECT_EQ(EngineProbe(*engine).FramesShown(), stored) << "frames flowed to a hidden display";
  engine->removeEventFilter(&events);
  EXPECT_EQ(events.queuedCalls, 0) << "a hidden display was asked for a repaint";

  bool captured = false;
  engine->setOnFrameCaptureCompleted([&](VOduduDudiviv*, const TFrameData& data, TFrameCaptureDest,
                                         const std::string&, bool) { captured = data.Bitmap != nullptr; });
  ASSERT_TRUE(engine->CaptureFrame(fc_TBitmap, ""));
  EXPECT_TRUE(WaitUntil([&] { return captured; })) << "a capture from a hidden display got no frame";

  host->show();
  EXPECT_TRUE(WaitForFrames(2)) << "the display shows frames again";
}

// A webcam's YUY2, as the application sets the grabber up: no conversion
// before the window, one as it is painted, straight into the window's image,
// scaled there when the window is another size.
class WebcamPreviewTest : public GraphTest {
  ScopedCameraFormats yuy2_{"YUY2"};
};

TEST_F(WebcamPreviewTest, ItsYuvIsPaintedStraightIntoTheWindowInItsColours) {
  using orvex::media::testdevices::TestPattern;
  engine->setVideoInput(orvex::media::testdevices::kInputSVideo);  // still colour bars
  engine->setFrameGrabber(fg_BothStreams);
  const QSize frame(352, 288);
  ASSERT_TRUE(engine->StartPreview());
  for (const QSize window : {frame, frame / 2, frame * 3 / 2}) {
    SCOPED_TRACE(std::to_string(window.width()) + "x" + std::to_string(window.height()));
    host->resize(window);
    engine->resize(window);
    EngineProbe probe(*engine);
    const std::uint64_t direct = probe.FramesPaintedDirectly();
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_GE(probe.FramesPaintedDirectly(), direct + 3) << "the picture went through a copy";

    const QImage shown = host->screen()->grabWindow(host->winId()).toImage();
    ASSERT_EQ(shown.size(), window);
    for (int bar = 0; bar < TestPattern::kBarCount; ++bar) {
      const int x = (2 * bar + 1) * frame.width() / (2 * TestPattern::kBarCount), y = frame.height() / 3;
      const auto want = TestPattern::Expected(false, 0, frame.width(), frame.height(), x, y);
      const QColor got =
          shown.pixelColor(x * window.width() / frame.width(), y * window.height() / frame.height());
      EXPECT_NEAR(got.red(), want.r, 4) << "bar " << bar;
      EXPECT_NEAR(got.green(), want.g, 4) << "bar " << bar;
      EXPECT_NEAR(got.blue(), want.b, 4) << "bar " << bar;
    }
  }
  GstElement* converter = EngineProbe(*engine).GraphElement("Color Space Converter");
  ASSERT_NE(converter, nullptr);
  const orvex::media::TConvertCounts counts = orvex::media::VideoConvertCounts(converter);
  EXPECT_EQ(counts.fast + counts.general, 0u) << "frames were converted before the window";
}
