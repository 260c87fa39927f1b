#include "engine/recovery/PeriodicFileSync.h"

#include <fcntl.h>
#include <unistd.h>

#include "engine/recovery/DurableFiles.h"

namespace orvex::recovery {

TPeriodicFileSync::TPeriodicFileSync(std::string path, std::chrono::milliseconds interval)
    : path_(std::move(path)), interval_(interval), thread_([this] { Run(); }) {}

TPeriodicFileSync::~TPeriodicFileSync() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  if (fd_ >= 0) ::close(fd_);
}

void TPeriodicFileSync::SyncOnce() {
  if (fd_ < 0) {
    // Any descriptor of the file will do: the sync covers the file, not the descriptor.
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    SyncFolderOf(path_);  // so the new file's name survives a power cut too
  }
  if (::fdatasync(fd_) == 0) ++syncs_;
}

void TPeriodicFileSync::Run() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    wake_.wait_for(lock, interval_, [this] { return stop_; });
    lock.unlock();
    SyncOnce();
    lock.lock();
  }
}

}  // namespace orvex::recovery
