#include <gst/app/gstappsrc.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <optional>

#include "engine/BoundDevices.h"
#include "engine/GraphBuilder.h"
#include "engine/TLog.h"
#include "engine/recovery/RecordingJournal.h"
#include "engine/recovery/UnfinishedRecordings.h"
#include "platform/gdi/Bitmap.h"
#include "platform/kernel/DiskSpace.h"
#include "platform/kernel/ExclusiveFileLock.h"
#include "platform/media/Compressors.h"
#include "platform/media/Media.h"
#include "platform/media/VideoConvert.h"
#include "platform/media/testdevices/TestPattern.h"
#include "tests/engine/GraphFixture.h"
#include "tests/support/EngineProbe.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/TmpfsMount.h"

using orvex::test::WaitUntil;
namespace fs = std::filesystem;

namespace {

struct RecordingEvents {
  std::vector<std::string> started;
  std::vector<std::pair<std::string, bool>> completed;
  int diskFull = 0;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const auto end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The position of `line` in a list of lines, -1 when it is not there.
int LineIndex(const std::string& text, const std::string& line) {
  const auto lines = Lines(text);
  const auto found = std::find(lines.begin(), lines.end(), line);
  return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

}  // namespace

class RecordingTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    engine->setOnRecordingStarted(
        [this](VOduduDudiviv*, const std::string& f) { events.started.push_back(f); });
    engine->setOnRecordingCompleted(
        [this](VOduduDudiviv*, const std::string& f, bool ok) { events.completed.emplace_back(f, ok); });
    engine->setOnDiskFull([this](VOduduDudiviv*) { ++events.diskFull; });
    engine->setFrameGrabber(fg_BothStreams);
  }
  void TearDown() override {
    orvex::kernel::SetDriveQueryForTesting(nullptr);
    GraphTest::TearDown();
  }

  // Records until the recording clock reached `ms` milliseconds (however
  // long a busy machine takes for that) and waits for the completion event.
  bool Record(int ms) {
    if (!engine->StartRecording()) return false;
    WaitUntil([&] { return engine->RecordingElapsedSeconds() * 1000 >= ms; }, ms + 15000);
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
  // Two seconds at 30 frames per second at most; a busy machine may drop some.
  EXPECT_LE(video->frames, engine->RecordingElapsedSeconds() * 30 + 2);
  EXPECT_GE(video->frames, 10);
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

// The graph as far as it was built, for whoever reads the log afterwards.
TEST_F(RecordingTest, AFailedBuildLeavesItsGraphBesideTheLogOnlyWhenTheLogIsOn) {
  const auto dotFiles = [&] {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(storage.path()))
      if (entry.path().extension() == ".dot") found.push_back(entry.path());
    return found;
  };
  orvex::kernel::SetDriveQueryForTesting([](const std::string&) {
    return orvex::kernel::DriveInfo{24999999, orvex::kernel::DriveKind::Local};
  });
  struct LogAndDriveBack {
    ~LogAndDriveBack() {
      TLog::Instance().Close();
      orvex::kernel::SetDriveQueryForTesting(nullptr);
    }
  } back;
  EXPECT_FALSE(engine->StartRecording());
  EXPECT_TRUE(dotFiles().empty()) << "no log, no graph file";

  TLog::Instance().Open((storage / "vodudulog.rtf").string());
  EXPECT_FALSE(engine->StartRecording());
  const auto files = dotFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_NE(files[0].filename().string().find("build-failed"), std::string::npos) << files[0];
  const std::string dot = orvex::test::ReadFile(files[0]);
  EXPECT_EQ(dot.rfind("digraph", 0), 0u);
  EXPECT_NE(dot.find("VOduduDudiviv"), std::string::npos) << "the pipeline is drawn";
  EXPECT_NE(TLog::Instance().Document().find("graph written to " + files[0].string()), std::string::npos);
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
  EXPECT_EQ(events.completed.back().first, storage.str() + "/vg000001.avi")
      << "the failed start gave its number back";
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
    return orvex::kernel::DriveInfo{full ? std::uint64_t{0} : std::uint64_t{1} << 40,
                                    orvex::kernel::DriveKind::Local};
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
  const orvex::test::TmpfsMount disk(storage / "small", "size=30m");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const std::string file = (disk.path() / "full.avi").string();
  engine->setRecordingFileName(file);
  ASSERT_TRUE(engine->StartRecording());
  EXPECT_TRUE(WaitUntil([&] { return events.diskFull == 1 && !events.completed.empty(); }, 15000));
  ASSERT_FALSE(events.completed.empty());
  EXPECT_FALSE(events.completed[0].second);
  const auto probe = orvex::test::ProbeFile(file);
  const auto* video = probe.First("video");
  EXPECT_TRUE(video && video->frames > 10) << probe.error;
}

TEST_F(RecordingTest, ClosingWhileRecordingStillFinishesTheFile) {
  const std::string file = (storage / "closing.avi").string();
  engine->setRecordingFileName(file);
  ASSERT_TRUE(engine->StartRecording());
  ASSERT_TRUE(WaitUntil([&] { return engine->RecordingElapsedSeconds() >= 1; }, 15000));
  host.reset();  // the program closes: the engine goes with its window
  engine = nullptr;
  const auto probe = orvex::test::ProbeFile(file);
  const auto* video = probe.First("video");
  ASSERT_NE(video, nullptr) << probe.error;
  EXPECT_GT(video->frames, 5);
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

TEST_F(RecordingTest, AJournalIsKeptWhileRecordingAndANormalStopLeavesTheFileAsWritten) {
  namespace recovery = orvex::recovery;
  const std::string file = (storage / "journal.avi").string();
  engine->setRecordingFileName(file);
  ASSERT_TRUE(engine->StartRecording());
  EXPECT_TRUE(fs::exists(recovery::JournalPathFor(file)));
  EXPECT_EQ(recovery::ListedJournals(config.str()).size(), 1u);
  EXPECT_TRUE(recovery::RepairUnfinishedRecordings(config.str()).empty())
      << "a running recording is left alone";
  orvex::test::PumpEvents(1000);
  engine->StopRecording();
  ASSERT_TRUE(WaitUntil([&] { return !events.completed.empty(); }));
  EXPECT_FALSE(fs::exists(recovery::JournalPathFor(file)));
  EXPECT_TRUE(recovery::ListedJournals(config.str()).empty());
  const std::string written = orvex::test::ReadFile(file);
  EXPECT_TRUE(recovery::RepairUnfinishedRecordings(config.str()).empty());
  EXPECT_EQ(recovery::RepairAviFile(file).outcome, recovery::TRepairOutcome::Complete);
  EXPECT_TRUE(orvex::test::ReadFile(file) == written) << "nothing touches a finished recording";
}

TEST(RecordingWriter, WhatItIsGivenIsInTheFileAtOnce) {
  orvex::media::InitMedia();
  orvex::test::TempDir dir;
  const std::string file = (dir / "clip.avi").string();
  GstElement* pipeline = gst_parse_launch("appsrc name=source ! filesink name=writer", nullptr);
  ASSERT_NE(pipeline, nullptr);
  GstElement* writer = gst_bin_get_by_name(GST_BIN(pipeline), "writer");
  GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
  ConfigureRecordingWriter(writer, file);
  ASSERT_NE(gst_element_set_state(pipeline, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
  for (int i = 0; i < 3; ++i) {
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, 1000, nullptr);
    gst_buffer_memset(buffer, 0, 'a' + i, 1000);
    gst_app_src_push_buffer(GST_APP_SRC(source), buffer);
  }
  const bool written = WaitUntil([&] {
    GstStructure* stats = nullptr;
    g_object_get(writer, "stats", &stats, nullptr);
    guint64 rendered = 0;
    if (stats) gst_structure_get_uint64(stats, "rendered", &rendered);
    if (stats) gst_structure_free(stats);
    return rendered == 3;
  });
  EXPECT_TRUE(written);
  // No end of stream yet: a program killed now would leave all of it.
  EXPECT_EQ(fs::file_size(file), 3000u);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(source);
  gst_object_unref(writer);
  gst_object_unref(pipeline);
}

// A start that fails leaves no file of its own behind and never touches the
// user's: not a file another recording is writing, not one that held data,
// not even an empty one.
TEST_F(RecordingTest, AStartThatFailsLeavesNoFileOfItsOwnAndTheUsersAsTheyWere) {
  const int h263 = LineIndex(engine->VideoCompressors(), "libav H.263 / H.263-1996 encoder");
  const int vga = LineIndex(engine->VideoSizes(), "640x480");
  ASSERT_GE(h263, 0);
  ASSERT_GE(vga, 0);
  struct Row {
    const char* name;
    bool heldByAnother;
    bool unsuitableCompressor;  // H.263 takes no 640 x 480 pictures
    std::optional<std::string> before;
    TLogType code;
  } const rows[] = {
      {"held by another recording", true, false, "the first recording", e_file_in_use},
      {"new file", false, true, std::nullopt, e_video_compressor_not_suitable},
      {"the user's file", false, true, "the user's", e_video_compressor_not_suitable},
      {"the user's empty file", false, true, "", e_video_compressor_not_suitable},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path file = storage / "clip.avi";
    fs::remove(file);
    if (row.before) orvex::test::WriteFile(file, *row.before);
    orvex::kernel::ExclusiveFileLock other;
    if (row.heldByAnother) {
      ASSERT_EQ(other.Acquire(file.string()), 0);
    }
    engine->setCompressionMode(row.unsuitableCompressor ? cm_CompressOnTheFly : cm_NoCompression);
    engine->setCompressionType(ct_Video);
    engine->setVideoCompressor(h263);
    engine->setVideoSize(row.unsuitableCompressor ? vga : 0);
    engine->setRecordingFileName(file.string());
    EXPECT_FALSE(engine->StartRecording());
    const auto failure = engine->RecordingFailure();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->Code, row.code) << failure->Detail;
    EXPECT_EQ(fs::exists(file), row.before.has_value());
    if (row.before) {
      EXPECT_EQ(orvex::test::ReadFile(file), *row.before);
    }
    EXPECT_TRUE(events.started.empty());
  }
}

// Every compressor the capture settings offer records two seconds of the test
// camera (and microphone) into a file that ffmpeg decodes.
struct CompressorRow {
  bool video;
  std::string name;     // what the list shows ("... #2" for the second of a name)
  std::string factory;  // names the test
};

void PrintTo(const CompressorRow& row, std::ostream* out) { *out << row.name; }

std::vector<CompressorRow> ListedCompressors() {
  orvex::media::InitMedia();
  std::vector<CompressorRow> rows;
  for (const bool video : {true, false}) {
    const auto listed = orvex::media::AviCompressors(video ? orvex::media::DeviceCategory::VideoCompressor
                                                           : orvex::media::DeviceCategory::AudioCompressor);
    std::map<std::string, int> seen;
    for (const auto& compressor : listed) {
      const int ordinal = ++seen[compressor.friendlyName];
      const std::string suffix = ordinal > 1 ? " #" + std::to_string(ordinal) : "";
      rows.push_back({video, compressor.friendlyName + suffix, compressor.monikerDisplayName});
    }
  }
  return rows;
}

class CompressorRecording : public RecordingTest, public testing::WithParamInterface<CompressorRow> {};

TEST_P(CompressorRecording, RecordsAFileFfmpegDecodes) {
  const CompressorRow& row = GetParam();
  const std::string names = row.video ? engine->VideoCompressors() : engine->AudioCompressors();
  const int position = LineIndex(names, row.name);
  ASSERT_GE(position, 0) << names;
  engine->setCompressionMode(cm_CompressOnTheFly);
  if (row.video) {
    engine->setVideoCompressor(position);
    engine->setCompressionType(ct_Video);
  } else {
    ASSERT_GE(microphone, 0);
    engine->setAudioDevice(microphone);
    engine->setAudioRecording(true);
    engine->setAudioCompressor(position);
    engine->setCompressionType(ct_Audio);
    engine->setVideoSize(LineIndex(engine->VideoSizes(), "160x120"));  // little raw video beside it
  }
  const fs::path file = storage / "clip.avi";
  engine->setRecordingFileName(file.string());
  ASSERT_TRUE(engine->StartRecording()) << engine->RecordingFailure().value_or(TRecordingFailure{}).Detail;
  ASSERT_TRUE(WaitUntil([&] { return engine->RecordingElapsedSeconds() >= 2.0 || !events.completed.empty(); },
                        20000));
  engine->StopRecording();
  ASSERT_TRUE(WaitUntil([&] { return !events.completed.empty(); }));
  EXPECT_TRUE(events.completed[0].second) << engine->RecordingFailure().value_or(TRecordingFailure{}).Detail;
  const auto probe = orvex::test::ProbeFile(file);
  const auto* stream = probe.First(row.video ? "video" : "audio");
  ASSERT_NE(stream, nullptr) << probe.error;
  if (row.video) {
    EXPECT_GT(stream->frames, 30);
  }
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

std::string CompressorTestName(const testing::TestParamInfo<CompressorRow>& row) {
  std::string name = (row.param.video ? "video_" : "audio_") + row.param.factory;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Listed, CompressorRecording, testing::ValuesIn(ListedCompressors()),
                         CompressorTestName);
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

// A webcam: the test camera offering MJPG alone, as one without RGB does.
class WebcamRecordingTest : public RecordingTest {
  ScopedCameraFormats mjpg_{"MJPG"};
};

// Decoded MJPG goes to the encoder without a conversion outside the grabber,
// turned in I420 where asked; the adjustments are in the file all the same.
TEST_F(WebcamRecordingTest, FramesReachTheEncoderUnconvertedUnlessTheirPixelsAreWorkedOn) {
  using orvex::media::testdevices::TestPattern;
  const auto compressors = TextLines(engine->VideoCompressors());
  const auto jpeg = std::find_if(compressors.begin(), compressors.end(),
                                 [](const std::string& c) { return c.find("JPEG") != std::string::npos; });
  if (jpeg == compressors.end()) GTEST_SKIP() << "no JPEG encoder installed";
  engine->setVideoInput(orvex::media::testdevices::kInputSVideo);  // still colour bars
  engine->setCompressionMode(cm_CompressOnTheFly);
  engine->setCompressionType(ct_Video);
  engine->setVideoCompressor(static_cast<int>(jpeg - compressors.begin()));
  for (const auto& [brightness, rotation] :
       {std::pair{0, rt_0_deg}, std::pair{60, rt_0_deg}, std::pair{0, rt_180_deg}}) {
    const std::string name = std::to_string(brightness) + "_" + std::to_string(rotation);
    SCOPED_TRACE("brightness and rotation " + name);
    engine->setVideoProcessing_Brightness(brightness);
    engine->setVideoProcessing_Rotation(rotation);
    const fs::path file = storage / ("webcam" + name + ".avi");
    engine->setRecordingFileName(file.string());
    events.completed.clear();
    ASSERT_TRUE(engine->StartRecording());
    ASSERT_TRUE(WaitUntil([&] { return engine->RecordingElapsedSeconds() >= 0.3; }, 15000));
    unsigned long long conversions = 0;
    for (const char* element : {"Color Space Converter", "VIDC Converter"}) {
      GstElement* converter = EngineProbe(*engine).GraphElement(element);
      ASSERT_NE(converter, nullptr) << element;
      const auto counts = orvex::media::VideoConvertCounts(converter);
      conversions += counts.fast + counts.general;
    }
    EXPECT_EQ(conversions, 0u) << "a frame of the recording was converted outside the grabber";
    gboolean qos = TRUE;
    g_object_get(EngineProbe(*engine).GraphElement("MJPEG Decompressor"), "qos", &qos, nullptr);
    EXPECT_FALSE(qos) << "a late window could make the decoder skip frames of the file";
    int capturedWidth = 0;
    engine->setOnFrameCaptureCompleted(
        [&](VOduduDudiviv*, const TFrameData& data, TFrameCaptureDest, const std::string&, bool) {
          capturedWidth = data.Bitmap ? data.Bitmap->Width() : -1;
        });
    ASSERT_TRUE(engine->CaptureFrame(fc_TBitmap, ""));
    EXPECT_TRUE(WaitUntil([&] { return capturedWidth != 0; }, 5000));
    EXPECT_EQ(capturedWidth, engine->VideoWidth()) << "a capture during the recording got its frame";
    engine->StopRecording();
    ASSERT_TRUE(WaitUntil([&] { return !events.completed.empty(); }, 5000));
    const auto picture = orvex::test::DecodeWithFfmpeg(file);
    ASSERT_TRUE(picture.ok()) << picture.error;
    for (int bar = 0; bar < TestPattern::kBarCount; ++bar) {
      const int x = (2 * bar + 1) * picture.width / (2 * TestPattern::kBarCount), y = picture.height / 3;
      const auto want = TestPattern::Expected(false, 0, picture.width, picture.height, x, y);
      const bool turned = rotation == rt_180_deg;
      const std::uint8_t* got =
          turned ? picture.At(picture.width - 1 - x, picture.height - 1 - y) : picture.At(x, y);
      EXPECT_NEAR(got[1], std::min(255, want.g + brightness), 8) << "bar " << bar;
    }
  }
}
