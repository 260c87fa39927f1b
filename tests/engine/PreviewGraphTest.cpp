#include <gst/gst.h>

#include "engine/TLog.h"
#include "engine/frames/VideoRenderer.h"
#include "platform/gdi/Bitmap.h"
#include "tests/engine/GraphFixture.h"
#include "tests/support/EngineProbe.h"

using orvex::test::WaitUntil;

TEST_F(GraphTest, PreviewShowsTheTestCamerasPicture) {
  int started = 0;
  engine->setOnPreviewStarted([&](VOduduDudiviv*) { ++started; });
  ASSERT_TRUE(engine->StartPreview());
  EXPECT_EQ(engine->EngineState(), es_Previewing);
  ASSERT_TRUE(WaitForFrames(5)) << "no frame reached the window";
  EXPECT_TRUE(WaitUntil([&] { return started == 1; }));

  // The window shows the camera's frames at the default size.
  GstSample* sample = EngineProbe(*engine).NewestFrame();
  ASSERT_NE(sample, nullptr);
  const GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
  int width = 0, height = 0;
  gst_structure_get_int(s, "width", &width);
  gst_structure_get_int(s, "height", &height);
  gst_sample_unref(sample);
  EXPECT_EQ(width, 352);
  EXPECT_EQ(height, 288);
}

TEST_F(GraphTest, StartPreviewWithoutVideoDeviceChangesNothing) {
  engine->setVideoDevice(-1);
  EXPECT_FALSE(engine->StartPreview());
  EXPECT_EQ(engine->EngineState(), es_Stopped);
  EXPECT_TRUE(HasReport("ERROR: no video device selected"));
}

TEST_F(GraphTest, StartPreviewWhilePreviewingRebuilds) {
  int builds = 0;
  engine->setOnReinitializing([&](VOduduDudiviv*) { ++builds; });
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  ASSERT_TRUE(engine->StartPreview());
  EXPECT_EQ(builds, 2);
  EXPECT_TRUE(WaitForFrames(2));
}

TEST_F(GraphTest, ASizeBeyondTheListFallsBackToTheDefault) {
  EngineProbe(*engine).Devices().VideoValues.SetInt(vv_VideoSize, 99);
  ASSERT_TRUE(engine->StartPreview());
  EXPECT_TRUE(HasReport("ERROR: VideoSize index out of range, default size used"));
  EXPECT_EQ(engine->VideoSize(), 0);
  EXPECT_TRUE(WaitForFrames(2));
}

TEST_F(GraphTest, SettingChangesRefreshARunningPreview) {
  ASSERT_TRUE(engine->StartPreview());
  int builds = 0;
  engine->setOnReinitializing([&](VOduduDudiviv*) { ++builds; });
  engine->setVideoSize(1);  // 160x120
  EXPECT_EQ(builds, 1);
  ASSERT_TRUE(WaitForFrames(2));
  GstSample* sample = EngineProbe(*engine).NewestFrame();
  int width = 0;
  gst_structure_get_int(gst_caps_get_structure(gst_sample_get_caps(sample), 0), "width", &width);
  gst_sample_unref(sample);
  EXPECT_EQ(width, 160);
  engine->setVideoProcessing_Rotation(rt_90_deg);
  EXPECT_EQ(builds, 2);
  ASSERT_TRUE(WaitForFrames(2));
  sample = EngineProbe(*engine).NewestFrame();
  int height = 0;
  gst_structure_get_int(gst_caps_get_structure(gst_sample_get_caps(sample), 0), "height", &height);
  gst_sample_unref(sample);
  EXPECT_EQ(height, 160) << "a quarter turn swaps width and height";
}

TEST_F(GraphTest, AStartIsLoggedStepByStepWhenTheLogIsOn) {
  TLog::Instance().Open((storage / "vodudulog.rtf").string());
  ASSERT_TRUE(engine->StartPreview());
  const std::string log = TLog::Instance().Document();
  TLog::Instance().Close();
  for (const char* line : {"BEGIN RestartGraph 1", "creating base graph", "device graph created",
                           "base graph created", "BEGIN build preview", "ADR end", "END build preview",
                           "Preview BUILDOWN END", "END RestartGraph", "ch graph state running bprev"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(GraphTest, ALostCameraStopsThePreviewAndComesBack) {
  int lost = 0;
  engine->setOnDeviceLost([&](VOduduDudiviv*) { ++lost; });
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  ASSERT_TRUE(orvex::media::testdevices::Remove("orvex-test/camera-1"));
  ASSERT_TRUE(WaitUntil([&] { return lost == 1; }, 5000));
  EXPECT_EQ(engine->EngineState(), es_Stopped);
  EXPECT_TRUE(EngineProbe(*engine).PreviewWanted());

  orvex::media::testdevices::SetDefaultDevices(true);
  // The rescan after the arrival binds the device again; a start brings the picture back.
  ASSERT_TRUE(WaitUntil([&] { return engine->StartPreview(); }, 6000));
  EXPECT_TRUE(WaitForFrames(2));
}

// A new input shows at once, without a new graph: the test camera's still
// bars (the same in every frame) replace its moving picture.
TEST_F(GraphTest, AnotherInputShowsWhilePreviewing) {
  engine->setFrameGrabber(fg_BothStreams);
  std::vector<std::vector<std::uint8_t>> frames;
  engine->setOnFrameCaptureCompleted(
      [&](VOduduDudiviv*, const TFrameData& data, TFrameCaptureDest, const std::string&, bool) {
        const auto* bits = static_cast<const std::uint8_t*>(data.Bitmap->Bits());
        frames.emplace_back(bits, bits + data.Bitmap->Stride() * data.Bitmap->Height());
      });
  auto twoFramesAlike = [&] {
    frames.clear();
    for (int i = 0; i < 2; ++i) {
      const std::size_t before = frames.size();
      if (!WaitUntil([&] { return engine->CaptureFrame(fc_TBitmap, ""); }) ||
          !WaitUntil([&] { return frames.size() > before; }))
        return false;
    }
    return frames[0] == frames[1];
  };
  engine->setVideoInput(orvex::media::testdevices::kInputComposite);
  ASSERT_TRUE(engine->StartPreview());
  ASSERT_TRUE(WaitForFrames(2));
  EXPECT_FALSE(twoFramesAlike()) << "the moving picture";
  int builds = 0;
  engine->setOnReinitializing([&](VOduduDudiviv*) { ++builds; });
  engine->setVideoInput(orvex::media::testdevices::kInputSVideo);
  EXPECT_TRUE(WaitUntil(twoFramesAlike, 5000)) << "the still bars";
  EXPECT_EQ(builds, 0);
  EXPECT_EQ(engine->EngineState(), es_Previewing);
}

// With a microphone, a new audio format or rendering switch rebuilds the
// preview; the same value again, or no microphone, does not.
TEST_F(GraphTest, AudioSettingsRefreshAPreviewWithSound) {
  ASSERT_GE(microphone, 0);
  engine->setAudioDevice(microphone);
  ASSERT_TRUE(engine->StartPreview());
  int builds = 0;
  engine->setOnReinitializing([&](VOduduDudiviv*) { ++builds; });
  struct Row {
    const char* what;
    std::function<void()> change;
    int builds;
  };
  const Row rows[] = {
      {"a new format", [&] { engine->setAudioFormat(af_44100_16b_2ch); }, 1},
      {"the same format", [&] { engine->setAudioFormat(af_44100_16b_2ch); }, 0},
      {"rendering on", [&] { engine->setAudioDeviceRendering(true); }, 1},
      {"rendering on again", [&] { engine->setAudioDeviceRendering(true); }, 0},
      {"rendering off", [&] { engine->setAudioDeviceRendering(false); }, 1},
      {"no microphone", [&] { engine->setAudioDevice(-1), engine->setAudioFormat(af_8000_8b_1ch); }, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    builds = 0;
    row.change();
    EXPECT_EQ(builds, row.builds);
    EXPECT_EQ(engine->EngineState(), es_Previewing);
  }
}
