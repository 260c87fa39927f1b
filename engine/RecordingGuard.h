#pragma once
// Keeps a recording recoverable while it runs: its journal next to the file
// (listed in the settings folder, so the next start finds it) and the file's
// data synced to the disk twice a second. A recording that finishes is
// synced and its journal removed; one that does not keeps its journal, and
// the next start of the program repairs the file.

#include <memory>
#include <string>
#include <vector>

#include "engine/recovery/PeriodicFileSync.h"
#include "engine/recovery/RecordingJournal.h"

class TRecordingGuard {
 public:
  // Writes the journal of `file`; empty with `problem` set when it cannot
  // (the recording goes on, only without the journal).
  static std::unique_ptr<TRecordingGuard> Start(const std::string& file,
                                                const std::vector<std::string>& streams,
                                                std::string& problem);
  ~TRecordingGuard();

  // The writer has opened the file: from now on its data is synced.
  void FileOpened();
  // The writer has closed the file; `finished` when it completed it.
  void Finish(bool finished);

 private:
  TRecordingGuard(std::string file, std::string settingsFolder);

  const std::string file_;
  const std::string settingsFolder_;
  orvex::recovery::TJournalLock lock_;
  std::unique_ptr<orvex::recovery::TPeriodicFileSync> sync_;
  bool finished_ = false;
};
