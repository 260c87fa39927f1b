#include "engine/recovery/RecordingJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "engine/recovery/DurableFiles.h"

namespace orvex::recovery {

namespace fs = std::filesystem;

namespace {

constexpr char kFirstLine[] = "Orvex Ziru recording journal 1";
constexpr std::size_t kMaxJournal = 16 * 1024;
constexpr std::size_t kMaxEntry = 4096;
constexpr std::size_t kMaxStreams = 16;
constexpr std::size_t kMaxListed = 256;

// One entry per journal, named by a hash of the journal's path.
std::string EntryPath(const std::string& settingsFolder, const std::string& journalPath) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : journalPath) hash = (hash ^ c) * 1099511628211ull;
  char name[32];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return (fs::path(JournalListFolder(settingsFolder)) / name).string();
}

bool Printable(const std::string& text) {
  return std::none_of(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; });
}

}  // namespace

TExpectedStreams TRecordingJournal::Expected() const {
  TExpectedStreams expected;
  for (const std::string& s : streams) {
    expected.video += s.rfind("video", 0) == 0;
    expected.audio += s.rfind("audio", 0) == 0;
  }
  return expected;
}

std::string JournalPathFor(const std::string& recording) { return recording + ".journal"; }

std::string JournalListFolder(const std::string& settingsFolder) {
  return (fs::path(settingsFolder) / "unfinished-recordings").string();
}

std::string FormatJournal(const TRecordingJournal& journal) {
  std::string text =
      std::string(kFirstLine) + "\nfile=" + journal.file + "\nstarted=" + journal.started + "\n";
  for (const std::string& stream : journal.streams) text += "stream=" + stream + "\n";
  return text;
}

std::optional<TRecordingJournal> ParseJournal(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kFirstLine) return std::nullopt;
  TRecordingJournal journal;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq == std::string::npos || line.size() > kMaxEntry) return std::nullopt;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "file")
      journal.file = value;
    else if (key == "started")
      journal.started = value;
    else if (key == "stream" && journal.streams.size() < kMaxStreams)
      journal.streams.push_back(value);
    else
      return std::nullopt;
  }
  if (journal.file.empty() || journal.file[0] != '/' || !Printable(journal.file)) return std::nullopt;
  return journal;
}

std::optional<TRecordingJournal> ReadJournal(const std::string& path) {
  std::string text;
  if (!ReadSmallFile(path, kMaxJournal, text)) return std::nullopt;
  return ParseJournal(text);
}

TJournalLock::~TJournalLock() { Release(); }

bool TJournalLock::TryAcquire(const std::string& path) {
  Release();
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
  Release();
  return false;
}

void TJournalLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool OpenJournal(const TRecordingJournal& journal, const std::string& settingsFolder, TJournalLock& lock,
                 std::string& error) {
  if (!Printable(journal.file)) {
    error = "the file name holds a line break";
    return false;
  }
  const std::string path = JournalPathFor(journal.file);
  std::error_code ec;
  fs::create_directories(JournalListFolder(settingsFolder), ec);
  // Listed only once it is locked, so no other start of the program takes it for an interrupted one.
  if (!WriteFileDurably(path, FormatJournal(journal), error)) return false;
  if (!lock.TryAcquire(path)) {
    error = "it cannot be locked";
    RemoveDurably(path);
    return false;
  }
  if (!WriteFileDurably(EntryPath(settingsFolder, path), path + "\n", error)) {
    lock.Release();
    RemoveDurably(path);
    return false;
  }
  return true;
}

void CloseJournal(const std::string& journalPath, const std::string& settingsFolder) {
  RemoveDurably(EntryPath(settingsFolder, journalPath));
  RemoveDurably(journalPath);
}

std::vector<std::string> ListedJournals(const std::string& settingsFolder) {
  std::vector<std::string> journals;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(JournalListFolder(settingsFolder), ec)) {
    if (journals.size() >= kMaxListed) break;
    const std::string name = entry.path().filename().string();
    if (name.size() != 16 || name.find_first_not_of("0123456789abcdef") != std::string::npos) continue;
    std::string text;
    const bool read = ReadSmallFile(entry.path().string(), kMaxEntry, text);
    if (read && !text.empty() && text.back() == '\n') text.pop_back();
    const bool valid = read && !text.empty() && text[0] == '/' && Printable(text) &&
                       EntryPath(settingsFolder, text) == entry.path().string();
    if (valid)
      journals.push_back(text);
    else
      RemoveDurably(entry.path().string());
  }
  std::sort(journals.begin(), journals.end());
  return journals;
}

}  // namespace orvex::recovery
