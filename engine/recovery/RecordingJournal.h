#pragma once
// The journal of a recording in progress: a small file next to the
// recording that names it and its streams, listed in the settings folder so
// the next start of the program finds it. The recording process holds a lock
// on it; a journal nobody holds belongs to a recording that was interrupted.

#include <optional>
#include <string>
#include <vector>

#include "engine/recovery/AviRepair.h"

namespace orvex::recovery {

struct TRecordingJournal {
  std::string file;                  // the recording, an absolute path
  std::string started;               // local date and time of the start
  std::vector<std::string> streams;  // "video 352x288 RGB32", "audio 44100 Hz 16-bit mono"

  TExpectedStreams Expected() const;
};

std::string JournalPathFor(const std::string& recording);
// The folder, inside the settings folder, that lists the journals.
std::string JournalListFolder(const std::string& settingsFolder);

std::string FormatJournal(const TRecordingJournal& journal);
// Reads a journal's text; empty when it is not a journal or is damaged.
std::optional<TRecordingJournal> ParseJournal(const std::string& text);

// An open journal file with an exclusive lock on it.
class TJournalLock {
 public:
  TJournalLock() = default;
  ~TJournalLock();
  TJournalLock(const TJournalLock&) = delete;
  TJournalLock& operator=(const TJournalLock&) = delete;
  // Takes the lock without waiting; false when the file is missing or another process holds it.
  bool TryAcquire(const std::string& path);
  void Release();

 private:
  int fd_ = -1;
};

// Writes the journal next to its recording, locks it and lists it; false with `error` set when it cannot.
bool OpenJournal(const TRecordingJournal& journal, const std::string& settingsFolder, TJournalLock& lock,
                 std::string& error);
// Unlists and removes the journal at `journalPath`.
void CloseJournal(const std::string& journalPath, const std::string& settingsFolder);

// The journals listed in the settings folder (entries that name none are dropped).
std::vector<std::string> ListedJournals(const std::string& settingsFolder);
// Reads the journal at `path`; empty when it cannot be read or is damaged.
std::optional<TRecordingJournal> ReadJournal(const std::string& path);

}  // namespace orvex::recovery
