// What the next start does with the journals recordings leave behind, what an
// interrupted or failing repair leaves, and the sync that keeps a recording's
// data on the disk while it is written.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/recovery/AviFile.h"
#include "engine/recovery/AviHeader.h"
#include "engine/recovery/AviPlan.h"
#include "engine/recovery/AviScan.h"
#include "engine/recovery/DurableFiles.h"
#include "engine/recovery/PeriodicFileSync.h"
#include "engine/recovery/RecordingJournal.h"
#include "engine/recovery/UndoLog.h"
#include "engine/recovery/UnfinishedRecordings.h"
#include "tests/engine/recovery/AviSamples.h"
#include "tests/support/TempDir.h"
#include "tests/support/TmpfsMount.h"

namespace orvex::recovery {
namespace {

namespace fs = std::filesystem;
using test::SampleKind;

const std::string& Interrupted() {
  static const std::string bytes = test::Unfinished(test::RecordSample(SampleKind::RawWithSound, 45));
  return bytes;
}

const std::string& FinishedVideo() {
  static const std::string bytes = test::RecordSample(SampleKind::RawVideo, 10);
  return bytes;
}

enum class Left { Interrupted, Finished, StillRecording, FileGone, JournalDamaged, OtherStreams };

struct StartCase {
  const char* name;
  Left left;
  const char* message;  // what the start says; empty: nothing
  bool journalStays;
};

class StartTest : public ::testing::TestWithParam<StartCase> {
 protected:
  test::TempDir settings;
  test::TempDir videos;
};

TEST_P(StartTest, TellsOnceAndLeavesNoJournalBehind) {
  const StartCase& c = GetParam();
  const std::string file = (videos / "clip.avi").string();
  test::WriteFile(file, c.left == Left::Finished ? FinishedVideo() : Interrupted());
  const bool videoOnly = c.left == Left::OtherStreams || c.left == Left::Finished;
  const std::vector<std::string> streams =
      videoOnly ? std::vector<std::string>{"video 32x24 RGB32"}
                : std::vector<std::string>{"video 32x24 RGB32", "audio PCM 16-bit"};
  TJournalLock recording;
  std::string error;
  ASSERT_TRUE(OpenJournal({file, "2026-12-09 10:00:00", streams}, settings.str(), recording, error)) << error;
  const std::string journal = JournalPathFor(file);
  if (c.left != Left::StillRecording) recording.Release();  // the recording process died
  if (c.left == Left::FileGone) fs::remove(file);
  if (c.left == Left::JournalDamaged)
    test::WriteFile(journal, "Orvex Ziru recording journal 1\nfile=clip.avi\n");

  std::vector<std::string> messages;
  for (const auto& notice : RepairUnfinishedRecordings(settings.str())) messages.push_back(notice.text);
  const std::string expected =
      std::string(c.message) == "repaired"
          ? "The recording " + file + " was not finished; it was repaired (00:00:01 kept)"
      : std::string(c.message) == "damaged journal"
          ? "The journal " + journal + " of an interrupted recording cannot be read; it was removed"
      : std::string(c.message) == "other streams"
          ? "The recording " + file +
                " cannot be repaired: it does not hold the streams that were recorded; it was "
                "left as it is"
          : "";
  EXPECT_EQ(messages, expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected});
  EXPECT_EQ(fs::exists(journal), c.journalStays);
  EXPECT_EQ(ListedJournals(settings.str()).size(), c.journalStays ? 1u : 0u);
  EXPECT_TRUE(RepairUnfinishedRecordings(settings.str()).empty()) << "told once";
}

INSTANTIATE_TEST_SUITE_P(
    Journals, StartTest,
    ::testing::Values(StartCase{"Interrupted", Left::Interrupted, "repaired", false},
                      StartCase{"FinishedAfterAll", Left::Finished, "", false},
                      StartCase{"StillRecording", Left::StillRecording, "", true},
                      StartCase{"RecordingDeletedSince", Left::FileGone, "", false},
                      StartCase{"JournalDamaged", Left::JournalDamaged, "damaged journal", false},
                      StartCase{"AnotherFileUnderItsName", Left::OtherStreams, "other streams", false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RepairRecording, RefusesAFileThatIsBeingRecordedAndTakesOverAnInterruptedOnesJournal) {
  test::TempDir settings, videos;
  const std::string file = (videos / "clip.avi").string();
  test::WriteFile(file, Interrupted());
  TJournalLock recording;
  std::string error;
  ASSERT_TRUE(OpenJournal({file, "", {"video", "audio"}}, settings.str(), recording, error)) << error;
  const TRepairResult busy = RepairRecording(file, settings.str());
  EXPECT_EQ(busy.outcome, TRepairOutcome::CannotRepair);
  EXPECT_EQ(busy.reason, "it is being recorded");
  EXPECT_TRUE(test::ReadFile(file) == Interrupted()) << "the file was changed";
  recording.Release();
  EXPECT_EQ(RepairRecording(file, settings.str()).outcome, TRepairOutcome::Repaired);
  EXPECT_FALSE(fs::exists(JournalPathFor(file)));
  EXPECT_TRUE(ListedJournals(settings.str()).empty());
}

// As a crash in the middle of a repair leaves it: the undo file written, the
// file cut and half of the new index appended.
void InterruptRepair(const std::string& file) {
  TAviFile avi;
  std::string why;
  ASSERT_TRUE(avi.Open(file, true, why)) << why;
  const auto header = ReadAviHeader(avi, why);
  ASSERT_TRUE(header) << why;
  const auto scan = ScanAviData(avi, *header, why);
  ASSERT_TRUE(scan) << why;
  const auto plan = PlanRepair(avi, *header, *scan, why);
  ASSERT_TRUE(plan) << why;
  TUndoLog undo;
  ASSERT_TRUE(CaptureUndo(avi, *plan, avi.Size(), undo, why)) << why;
  ASSERT_TRUE(WriteFileDurably(UndoLogPathFor(file), SerializeUndo(undo), why)) << why;
  ASSERT_TRUE(avi.Truncate(plan->cut));
  ASSERT_TRUE(avi.Write(plan->cut, plan->appended.data(), plan->appended.size() / 2));
  ASSERT_TRUE(avi.Write(0, "RIFX", 4));
}

TEST(InterruptedRepair, IsUndoneAndDoneAgainByTheNextRepair) {
  test::TempDir dir;
  const std::string clean = (dir / "clean.avi").string(), crashed = (dir / "crashed.avi").string();
  const std::string torn = Interrupted().substr(0, Interrupted().size() - 100);
  test::WriteFile(clean, torn);
  test::WriteFile(crashed, torn);
  ASSERT_EQ(RepairAviFile(clean).outcome, TRepairOutcome::Repaired);
  InterruptRepair(crashed);
  ASSERT_TRUE(fs::exists(UndoLogPathFor(crashed)));
  const TRepairResult result = RepairAviFile(crashed);
  EXPECT_EQ(result.outcome, TRepairOutcome::Repaired) << result.reason;
  EXPECT_TRUE(test::ReadFile(crashed) == test::ReadFile(clean)) << "not repaired as without the crash";
  EXPECT_FALSE(fs::exists(UndoLogPathFor(crashed)));
}

TEST(FailingRepair, OnAFullDiskLeavesTheFileAsItWas) {
  test::TempDir dir;
  test::TmpfsMount disk(dir / "disk", "size=8m,mode=0700");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a file system here";
  // Many small frames: the index needs several pages, the undo file one.
  const std::string bytes = test::Unfinished(test::RecordSample(SampleKind::Mjpeg, 1500));
  const std::string file = (dir / "disk" / "clip.avi").string();
  test::WriteFile(file, bytes);
  disk.LeaveFree(8192);
  const TRepairResult result = RepairAviFile(file);
  EXPECT_EQ(result.outcome, TRepairOutcome::CannotRepair);
  EXPECT_NE(result.reason.find("No space left on device"), std::string::npos) << result.reason;
  EXPECT_TRUE(test::ReadFile(file) == bytes) << "the file was changed";
  EXPECT_FALSE(fs::exists(UndoLogPathFor(file)));
}

TEST(PeriodicFileSync, SyncsAFileOverAndOverOnceItAppears) {
  test::TempDir dir;
  const std::string file = (dir / "clip.avi").string();
  TPeriodicFileSync sync(file, std::chrono::milliseconds(5));
  test::WriteFile(file, "RIFF");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (sync.Syncs() < 3 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_GE(sync.Syncs(), 3u);
}

}  // namespace
}  // namespace orvex::recovery
