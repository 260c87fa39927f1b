// `--record` when the disk fills: the recording ends as at any stop, the
// file is finished up to its last frame, and one line on standard error
// says why.

#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>

#include "app/HeadlessRecording.h"
#include "engine/VOduduDudiviv.h"
#include "platform/kernel/DiskSpace.h"
#include "platform/media/testdevices/TestDevices.h"
#include "preview/TfrmPreview.h"
#include "tests/app/MainWindowSupport.h"
#include "tests/support/MediaProbe.h"

namespace {

// A drive that has room until the recording is under way, then has less than
// a recording must leave free; the real drive again afterwards.
class FillingDrive {
 public:
  FillingDrive() {
    full_ = false;
    orvex::kernel::SetDriveQueryForTesting([](const std::string&) {
      return orvex::kernel::DriveInfo{full_ ? std::uint64_t{24000000} : std::uint64_t{1} << 40,
                                      orvex::kernel::DriveKind::Local};
    });
    // Filled once frames are being written.
    watch_.setInterval(20);
    QObject::connect(&watch_, &QTimer::timeout, [] {
      if (frmPreview && frmPreview->VOduduDudiviv1->RecordingElapsedSeconds() > 1.0) full_ = true;
    });
    watch_.start();
  }
  ~FillingDrive() { orvex::kernel::SetDriveQueryForTesting(nullptr); }

 private:
  static inline std::atomic<bool> full_{false};
  QTimer watch_;
};

}  // namespace

TEST(HeadlessRecording, ADiskThatFillsEndsItWithAFinishedFileAndOneLineSayingSo) {
  orvex::media::testdevices::SetDefaultDevices(true);
  SettingsFolder settings;
  QCoreApplication::processEvents();  // device news of earlier tests goes to no engine
  orvex::test::TempDir videos;
  const std::string file = (videos / "clip.avi").string();
  int exitCode = -1;
  std::string said;
  {
    FillingDrive drive;
    testing::internal::CaptureStderr();
    exitCode = RecordHeadless(App(), file, 20);
    said = testing::internal::GetCapturedStderr();
    App().DestroyForms();
  }
  orvex::media::testdevices::SetDefaultDevices(false);
  EXPECT_EQ(exitCode, 1);
  const auto line = said.find("orvex: The disk is full: the recording was stopped at 00:00:0");
  ASSERT_NE(line, std::string::npos) << said;
  EXPECT_EQ(said.find(" and saved up to there\n", line), line + 62) << said;
  EXPECT_GT(orvex::test::ContainerDuration(file), 0.9) << "the header and index were written";
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

// The seconds asked for are the clip's: the graph's start is not counted in
// them, and the frames that arrive while it stops are a few at most.
TEST(HeadlessRecording, TheClipIsAsLongAsAsked) {
  orvex::media::testdevices::SetDefaultDevices(true);
  SettingsFolder settings;
  QCoreApplication::processEvents();
  orvex::test::TempDir videos;
  const std::string file = (videos / "clip.avi").string();
  testing::internal::CaptureStderr();
  const int exitCode = RecordHeadless(App(), file, 1.5);
  const std::string said = testing::internal::GetCapturedStderr();
  App().DestroyForms();
  orvex::media::testdevices::SetDefaultDevices(false);
  ASSERT_EQ(exitCode, 0) << said;
  EXPECT_GE(orvex::test::ContainerDuration(file), 1.5);
  EXPECT_LT(orvex::test::ContainerDuration(file), 1.7);
}
