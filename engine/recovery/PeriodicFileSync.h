#pragma once
// Keeps the data of a file being written reaching the disk: a thread of its
// own syncs it at every interval, so the thread that writes never waits for
// the disk. The file may appear after the start; it is synced once it is there.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace orvex::recovery {

class TPeriodicFileSync {
 public:
  TPeriodicFileSync(std::string path, std::chrono::milliseconds interval);
  // Stops the thread after one last sync.
  ~TPeriodicFileSync();
  TPeriodicFileSync(const TPeriodicFileSync&) = delete;
  TPeriodicFileSync& operator=(const TPeriodicFileSync&) = delete;

  // How many syncs have reached the disk so far.
  std::uint64_t Syncs() const { return syncs_; }

 private:
  void Run();
  void SyncOnce();

  const std::string path_;
  const std::chrono::milliseconds interval_;
  int fd_ = -1;
  std::atomic<std::uint64_t> syncs_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace orvex::recovery
