#include <filesystem>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "tests/engine/GraphFixture.h"
#include "tests/support/FfmpegDecode.h"

using orvex::test::WaitUntil;
namespace fs = std::filesystem;

namespace {
struct Capture {
  int width = 0, height = 0;
  TFrameCaptureDest dest = fc_TBitmap;
  std::string fileName;
  bool success = false;
  orvex::gdi::COLORREF corner = 0;
};
}  // namespace

class FrameCaptureTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    engine->setFrameGrabber(fg_BothStreams);
    engine->setOnFrameCaptureCompleted([this](VOduduDudiviv*, const TFrameData& data, TFrameCaptureDest dest,
                                              const std::string& name, bool ok) {
      Capture c;
      c.width = data.Bitmap->Width();
      c.height = data.Bitmap->Height();
      c.dest = dest;
      c.fileName = name;
      c.success = ok;
      c.corner = data.Bitmap->Pixel(1, 1);
      captures.push_back(c);
    });
  }
  bool WaitForCaptures(std::size_t n) {
    return WaitUntil([&] { return captures.size() >= n; }, 5000);
  }
  std::vector<Capture> captures;
};

TEST_F(FrameCaptureTest, ABitmapOfTheGrabbersSizeArrivesOnce) {
  EXPECT_FALSE(engine->CaptureFrame(fc_TBitmap, "")) << "refused while no graph runs";
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  ASSERT_TRUE(engine->CaptureFrame(fc_TBitmap, ""));
  EXPECT_FALSE(engine->CaptureFrame(fc_TBitmap, "")) << "refused while one is waiting";
  ASSERT_TRUE(WaitForCaptures(1));
  orvex::test::PumpEvents(200);
  ASSERT_EQ(captures.size(), 1u);
  EXPECT_EQ(captures[0].width, 352);
  EXPECT_EQ(captures[0].height, 288);
  EXPECT_EQ(captures[0].dest, fc_TBitmap);
  EXPECT_EQ(captures[0].fileName, "");
  EXPECT_TRUE(captures[0].success);
}

TEST_F(FrameCaptureTest, NoGrabberNoCapture) {
  engine->setFrameGrabber(fg_Disabled);
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  EXPECT_FALSE(engine->CaptureFrame(fc_TBitmap, ""));
}

// The zoom works on the frame as it leaves the processing, so a quarter turn
// stands the capture on its side.
TEST_F(FrameCaptureTest, ZoomSizesTheBitmapFromTheProcessedFrame) {
  struct Row {
    TVideoRotation rotation;
    int width, height;
  };
  engine->setVideoSize(4);  // 640x480
  engine->setFrameCaptureZoomSize(50);
  ASSERT_TRUE(engine->StartPreview());
  for (const Row& row :
       {Row{rt_0_deg, 320, 240}, Row{rt_90_deg, 240, 320}, Row{rt_270_deg_mirror, 240, 320}}) {
    SCOPED_TRACE(row.rotation);
    engine->setVideoProcessing_Rotation(row.rotation);
    ASSERT_TRUE(WaitForFrames(2));
    captures.clear();
    ASSERT_TRUE(WaitUntil([&] { return engine->CaptureFrame(fc_TBitmap, ""); }));
    ASSERT_TRUE(WaitForCaptures(1));
    EXPECT_EQ(captures[0].width, row.width);
    EXPECT_EQ(captures[0].height, row.height);
  }
}

TEST_F(FrameCaptureTest, OverlaysAreInTheCaptureUnlessAskedOtherwise) {
  // The hook paints a red square at the top left of every frame.
  engine->setOnFrameOverlayUsingDC([](VOduduDudiviv*, const TFrameInfo&, HDC dc) {
    dc->SelectedBitmap()->FillRect(orvex::gdi::RECT{0, 0, 8, 8}, orvex::gdi::RGB(255, 0, 0));
  });
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  ASSERT_TRUE(engine->CaptureFrame(fc_TBitmap, ""));
  ASSERT_TRUE(WaitForCaptures(1));
  EXPECT_EQ(captures[0].corner, orvex::gdi::RGB(255, 0, 0));

  engine->setFrameCaptureWithoutOverlay(true);  // rebuilds the preview
  ASSERT_TRUE(WaitForFrames(2));
  ASSERT_TRUE(engine->CaptureFrame(fc_TBitmap, ""));
  ASSERT_TRUE(WaitForCaptures(2));
  EXPECT_NE(captures[1].corner, orvex::gdi::RGB(255, 0, 0));
}

TEST_F(FrameCaptureTest, FilesGetAutomaticNamesPerExtension) {
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  for (TFrameCaptureDest dest : {fc_BmpFile, fc_BmpFile, fc_JpegFile}) {
    ASSERT_TRUE(engine->CaptureFrame(dest, ""));
    ASSERT_TRUE(WaitForCaptures(captures.size() + 1));
  }
  EXPECT_EQ(captures[0].fileName, storage.str() + "/vg000001.bmp");
  EXPECT_EQ(captures[1].fileName, storage.str() + "/vg000002.bmp");
  EXPECT_EQ(captures[2].fileName, storage.str() + "/vg000001.jpg");
  for (const auto& c : captures) {
    EXPECT_TRUE(c.success);
    const auto decoded = orvex::test::DecodeWithFfmpeg(c.fileName);
    EXPECT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.width, 352);
  }
}

TEST_F(FrameCaptureTest, AGivenNameIsNormalisedAndItsFolderMade) {
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  const std::string name = (storage / "new" / "folder" / "snap.png").string();
  ASSERT_TRUE(engine->CaptureFrame(fc_JpegFile, name));
  ASSERT_TRUE(WaitForCaptures(1));
  EXPECT_EQ(captures[0].fileName, (storage / "new" / "folder" / "snap.jpg").string());
  EXPECT_TRUE(captures[0].success);
  EXPECT_TRUE(fs::exists(storage / "new" / "folder" / "snap.jpg"));
}
