#include "engine/RecordingGuard.h"

#include <chrono>
#include <ctime>
#include <filesystem>

#include "engine/recovery/DurableFiles.h"
#include "platform/registry/RegKey.h"

namespace {

// Twice the rate asked for, so a slow sync still leaves every second covered.
constexpr auto kSyncInterval = std::chrono::milliseconds(500);

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace

TRecordingGuard::TRecordingGuard(std::string file, std::string settingsFolder)
    : file_(std::move(file)), settingsFolder_(std::move(settingsFolder)) {}

std::unique_ptr<TRecordingGuard> TRecordingGuard::Start(const std::string& file,
                                                        const std::vector<std::string>& streams,
                                                        std::string& problem) {
  std::unique_ptr<TRecordingGuard> guard(new TRecordingGuard(file, orvex::reg::ConfigFolder().string()));
  const orvex::recovery::TRecordingJournal journal{file, Now(), streams};
  if (!orvex::recovery::OpenJournal(journal, guard->settingsFolder_, guard->lock_, problem)) return nullptr;
  return guard;
}

TRecordingGuard::~TRecordingGuard() {
  if (!finished_) Finish(false);
}

void TRecordingGuard::FileOpened() {
  if (!sync_) sync_ = std::make_unique<orvex::recovery::TPeriodicFileSync>(file_, kSyncInterval);
}

void TRecordingGuard::Finish(bool finished) {
  finished_ = true;
  sync_.reset();
  // The finished file must be on the disk before its journal goes; a file
  // the writer never wrote to has nothing to repair.
  std::error_code ec;
  const bool empty = std::filesystem::file_size(file_, ec) == 0 && !ec;
  if ((finished && orvex::recovery::SyncFileAndFolder(file_)) || (!finished && empty))
    orvex::recovery::CloseJournal(orvex::recovery::JournalPathFor(file_), settingsFolder_);
  lock_.Release();
}
