#include "engine/recovery/UnfinishedRecordings.h"

#include <filesystem>

#include "engine/recovery/RecordingJournal.h"
#include "engine/recovery/UndoLog.h"

namespace orvex::recovery {

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// The journal stays while an undo is pending, so the next start finishes it.
void CloseUnlessUndoPending(const std::string& journalPath, const std::string& recording,
                            const std::string& settingsFolder) {
  if (!Exists(UndoLogPathFor(recording))) CloseJournal(journalPath, settingsFolder);
}

}  // namespace

std::vector<TRecoveryNotice> RepairUnfinishedRecordings(const std::string& settingsFolder,
                                                        const std::string& skipRecording) {
  std::vector<TRecoveryNotice> notices;
  for (const std::string& journalPath : ListedJournals(settingsFolder)) {
    if (!Exists(journalPath)) {
      CloseJournal(journalPath, settingsFolder);
      continue;
    }
    TJournalLock lock;
    if (!lock.TryAcquire(journalPath)) continue;  // a recording still running
    const auto journal = ReadJournal(journalPath);
    if (!journal || JournalPathFor(journal->file) != journalPath) {
      notices.push_back(
          {"The journal " + journalPath + " of an interrupted recording cannot be read; it was removed",
           true});
      CloseJournal(journalPath, settingsFolder);
      continue;
    }
    if (journal->file == skipRecording) continue;
    if (!Exists(journal->file)) {  // deleted or moved since: nothing to repair
      CloseJournal(journalPath, settingsFolder);
      continue;
    }
    const TRepairResult result = RepairAviFile(journal->file, journal->Expected());
    if (result.outcome != TRepairOutcome::Complete)
      notices.push_back(
          {RepairMessage(journal->file, result), result.outcome == TRepairOutcome::CannotRepair});
    CloseUnlessUndoPending(journalPath, journal->file, settingsFolder);
  }
  return notices;
}

TRepairResult RepairRecording(const std::string& recording, const std::string& settingsFolder) {
  const std::string journalPath = JournalPathFor(recording);
  if (!Exists(journalPath)) return RepairAviFile(recording);
  TJournalLock lock;
  if (!lock.TryAcquire(journalPath)) return {TRepairOutcome::CannotRepair, 0, "it is being recorded"};
  const auto journal = ReadJournal(journalPath);
  const bool ours = journal && journal->file == recording;
  const TRepairResult result =
      ours ? RepairAviFile(recording, journal->Expected()) : RepairAviFile(recording);
  CloseUnlessUndoPending(journalPath, recording, settingsFolder);
  return result;
}

}  // namespace orvex::recovery
