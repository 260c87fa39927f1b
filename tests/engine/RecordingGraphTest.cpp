#include <filesystem>

#include "engine/BoundDevices.h"
#include "platform/kernel/DiskSpace.h"
#include "platform/media/testdevices/TestPattern.h"
#include "tests/engine/GraphFixture.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/MediaProbe.h"

using orvex::test::WaitUntil;
namespace fs = std::filesystem;

namespace {

struct RecordingEvents {
  std::vector<std::string> started;
  std::vector<std::pair<std::string, bool>> completed;
  int diskFull = 0;
};

}  // namespace

class RecordingTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    engine->setOnRecordingStarted([this](VOduduDudiviv*, const std::string& f) { events.started.push_back(f); });
    engine->setOnRecordingCompleted(
        [this](VOduduDudiviv*, const std::string& f, bool ok) { events.completed.emplace_back(f, ok); });
    engine->setOnDiskFull([this](VOduduDudiviv*) { ++events.diskFull; });
    engine->setFrameGrabber(fg_BothStreams);
  }
  void TearDown() override {
    orvex::kernel::SetDriveQueryForTesting(nullptr);
    GraphTest::TearDown();
  }

  // Records for about `ms` milliseconds and waits for the completion event.
  bool Record(int ms) {
    if (!engine->StartRecording()) return false;
    orvex::test::PumpEvents(ms);
    engine->StopRecording();
    return WaitUntil([&] { return !events.completed.empty(); }, 5000);
  }

  RecordingEvents events;
};

TEST_F(RecordingTest, ARecordingIsAFinishedAviThatPlayersReadToTheEnd) {
  const std::string file = (storage / "clip.avi").string();
  engine->setRecordingFileName(file);
  ASSERT_TRUE(Record(2000));
  EXPECT_EQ(engine->EngineState(), es_Stopped);
  ASSERT_EQ(events.started, (std::vector<std::string>{file}));
  ASSERT_EQ(events.completed.size(), 1u);
  EXPECT_EQ(events.completed[0], std::make_pair(file, true));
  EXPECT_GE(engine->RecordingElapsedSeconds(), 1.5) << "the clock keeps the length of the last recording";

  const auto probe = orvex::test::ProbeFile(file);
  ASSERT_TRUE(probe.error.empty()) << probe.error;
  EXPECT_EQ(probe.formatName, "avi");
  const auto* video = probe.First("video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->width, 352);
  EXPECT_EQ(video->height, 288);
  // About two seconds at 30 frames per second.
  EXPECT_NEAR(video->frames, engine->RecordingElapsedSeconds() * 30, 6);
  EXPECT_EQ(probe.First("audio"), nullptr);
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

TEST_F(RecordingTest, WithTheMicrophoneTheFileHasSound) {
  ASSERT_GE(microphone, 0);
  engine->setAudioDevice(microphone);
  engine->setAudioRecording(true);
  engine->setAudioFormat(af_44100_16b_2ch);
  const std::string file = (storage / "sound.avi").string();
  engine->setRecordingFileName(file);
  ASSERT_TRUE(Record(1500));
  const auto probe = orvex::test::ProbeFile(file);
  ASSERT_TRUE(probe.error.empty()) << probe.error;
  const auto* audio = probe.First("audio");
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->codecName, "pcm_s16le");
  EXPECT_EQ(audio->sampleRate, 44100);
  EXPECT_EQ(audio->channels, 2);
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

TEST_F(RecordingTest, AutomaticNamesCountOnFromTheFolder) {
  engine->setRecordingFileName("");
  ASSERT_TRUE(Record(400));
  EXPECT_EQ(events.completed.back().first, storage.str() + "/vg000001.avi");
  events.completed.clear();
  ASSERT_TRUE(Record(400));
  EXPECT_EQ(events.completed.back().first, storage.str() + "/vg000002.avi");
  EXPECT_TRUE(fs::exists(storage / "vg000002.avi"));
}

TEST_F(RecordingTest, NumberingContinuesAfterTheHighestFileThere) {
  orvex::test::WriteFile(storage / "vg000041.avi", "old");
  ASSERT_TRUE(Record(400));
  EXPECT_EQ(events.completed.back().first, storage.str() + "/vg000042.avi");
}

TEST_F(RecordingTest, AFullDiskAtTheStartRefusesTheRecordingAndKeepsTheNumber) {
  orvex::kernel::SetDriveQueryForTesting([](const std::string&) {
    return orvex::kernel::DriveInfo{24999999, orvex::kernel::DriveKind::Local};
  });
  EXPECT_FALSE(engine->StartRecording());
  EXPECT_TRUE(HasReport("ERROR: failed to start Recording"));
  EXPECT_TRUE(WaitUntil([&] { return events.diskFull == 1; }));
  EXPECT_FALSE(fs::exists(storage / "vg000001.avi"));
  orvex::kernel::SetDriveQueryForTesting(nullptr);
  ASSERT_TRUE(Record(400));
  EXPECT_EQ(events.completed.back().first, storage.str() + "/vg000001.avi") << "the failed start gave its number back";
}

TEST_F(RecordingTest, StartingTwiceOrStoppingAPreviewOnlyReports) {
  ASSERT_TRUE(engine->StartPreview());
  engine->StopRecording();
  EXPECT_TRUE(HasReport("ERROR: not recording"));
  EXPECT_EQ(engine->EngineState(), es_Previewing);
  ASSERT_TRUE(engine->StartRecording());
  EXPECT_FALSE(engine->StartRecording());
  EXPECT_TRUE(HasReport("ERROR: first stop recording"));
  EXPECT_EQ(engine->EngineState(), es_Recording);
  engine->StopRecording();
  EXPECT_TRUE(WaitUntil([&] { return events.completed.size() == 1 && events.completed[0].second; }));
}

TEST_F(RecordingTest, CompressedRecordingsUseTheChosenEncoder) {
  int mjpeg = -1;
  const std::string names = engine->VideoCompressors();
  std::size_t start = 0;
  for (int i = 0; start < names.size(); ++i) {
    const auto end = names.find('\n', start);
    if (names.substr(start, end - start) == "libav MJPEG (Motion JPEG) encoder") mjpeg = i;
    start = end + 1;
  }
  if (mjpeg < 0) GTEST_SKIP() << "no MJPEG encoder installed";
  engine->setVideoCompressor(mjpeg);
  engine->setCompressionMode(cm_CompressOnTheFly);
  engine->setCompressionType(ct_Video);
  const std::string file = (storage / "mjpeg.avi").string();
  engine->setRecordingFileName(file);
  ASSERT_TRUE(Record(1000));
  const auto probe = orvex::test::ProbeFile(file);
  ASSERT_NE(probe.First("video"), nullptr) << probe.error;
  EXPECT_EQ(probe.First("video")->codecName, "mjpeg");
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

TEST_F(RecordingTest, ADiskThatFailsDuringTheRecordingStopsItWithoutHanging) {
  // /dev/full refuses every write with "no space left on device"; the drive
  // looks roomy when the recording starts and full once it runs.
  static std::atomic<bool> full{false};
  full = false;
  orvex::kernel::SetDriveQueryForTesting([](const std::string&) {
    return orvex::kernel::DriveInfo{full ? std::uint64_t{0} : std::uint64_t{1} << 40, orvex::kernel::DriveKind::Local};
  });
  engine->setRecordingFileName("/dev/full");
  engine->StartRecording();
  full = true;
  ASSERT_TRUE(WaitUntil([&] { return events.diskFull == 1; }, 5000));
  ASSERT_TRUE(WaitUntil([&] { return !events.completed.empty(); }, 5000));
  EXPECT_FALSE(events.completed[0].second);
  EXPECT_EQ(engine->EngineState(), es_Stopped);
  // The program goes on: a preview starts again.
  EXPECT_TRUE(engine->StartPreview());
}

TEST_F(RecordingTest, AFullDiskLeavesAFileThatPlaysUpToItsLastFrame) {
  const fs::path mount = storage / "small";
  fs::create_directories(mount);
  if (std::system(("mount -t tmpfs -o size=30m tmpfs " + mount.string() + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "mounting a small tmpfs needs root";
  const std::string file = (mount / "full.avi").string();
  engine->setRecordingFileName(file);
  ASSERT_TRUE(engine->StartRecording());
  EXPECT_TRUE(WaitUntil([&] { return events.diskFull == 1 && !events.completed.empty(); }, 15000));
  ASSERT_FALSE(events.completed.empty());
  EXPECT_FALSE(events.completed[0].second);
  const auto probe = orvex::test::ProbeFile(file);
  const auto* video = probe.First("video");
  EXPECT_TRUE(video && video->frames > 10) << probe.error;
  std::system(("umount " + mount.string()).c_str());
}

TEST_F(RecordingTest, ClosingWhileRecordingStillFinishesTheFile) {
  const std::string file = (storage / "closing.avi").string();
  engine->setRecordingFileName(file);
  ASSERT_TRUE(engine->StartRecording());
  orvex::test::PumpEvents(1000);
  host.reset();  // the program closes: the engine goes with its window
  engine = nullptr;
  const auto probe = orvex::test::ProbeFile(file);
  const auto* video = probe.First("video");
  ASSERT_NE(video, nullptr) << probe.error;
  EXPECT_GT(video->frames, 20);
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

// Players read JPEG in AVI as full-range BT.601 at every size; HD frames
// must not come out in BT.709 colours (yellow once read as 187,203,4).
TEST_F(RecordingTest, EveryMjpegEncoderKeepsTheColoursOfHdFrames) {
  using orvex::media::testdevices::TestPattern;
  const auto compressors = TextLines(engine->VideoCompressors());
  const auto sizes = TextLines(engine->VideoSizes());
  engine->setVideoInput(orvex::media::testdevices::kInputSVideo);  // still colour bars
  engine->setCompressionMode(cm_CompressOnTheFly);
  engine->setCompressionType(ct_Video);
  int encoders = 0;
  for (int c = 0; c < static_cast<int>(compressors.size()); ++c) {
    if (compressors[c].find("JPEG") == std::string::npos) continue;
    ++encoders;
    for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1920, 1080}}) {
      const std::string size = std::to_string(width) + "x" + std::to_string(height);
      SCOPED_TRACE(compressors[c] + " " + size);
      const auto at = std::find(sizes.begin(), sizes.end(), size);
      ASSERT_NE(at, sizes.end());
      engine->setVideoSize(static_cast<int>(at - sizes.begin()));
      engine->setVideoCompressor(c);
      const fs::path file = storage / ("bars" + std::to_string(c) + "_" + size + ".avi");
      engine->setRecordingFileName(file.string());
      events.completed.clear();
      ASSERT_TRUE(Record(300));
      const auto picture = orvex::test::DecodeWithFfmpeg(file);
      ASSERT_TRUE(picture.ok()) << picture.error;
      ASSERT_EQ(picture.width, width);
      ASSERT_EQ(picture.height, height);
      // The middle of each bar, clear of the blur at its edges.
      for (int bar = 0; bar < TestPattern::kBarCount; ++bar) {
        const int x = (2 * bar + 1) * width / (2 * TestPattern::kBarCount);
        const int y = height / 3;
        const auto want = TestPattern::Expected(false, 0, width, height, x, y);
        const std::uint8_t* got = picture.At(x, y);
        EXPECT_NEAR(got[0], want.r, 6) << "bar " << bar;
        EXPECT_NEAR(got[1], want.g, 6) << "bar " << bar;
        EXPECT_NEAR(got[2], want.b, 6) << "bar " << bar;
      }
    }
  }
  EXPECT_GE(encoders, 2) << compressors.size() << " compressors listed";
}
