#pragma once
// Keeps a recording from filling its disk. It watches the data on its way
// into the AVI writer; once the next piece would leave less than the floor
// free, nothing more goes in and the owner is told, so the recording can
// end as at any stop and the writer still has room for its index.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

typedef struct _GstElement GstElement;

class TDiskSpaceGuard : public std::enable_shared_from_this<TDiskSpaceGuard> {
 public:
  // `onFull` runs once, on a streaming thread.
  TDiskSpaceGuard(std::string file, std::uint64_t floorBytes, std::function<void()> onFull);

  // Watches every input of `mux` linked so far; the probes keep the guard alive.
  void Watch(GstElement* mux);

  // Answers whether `bytes` more may go to the file (streaming threads).
  bool Admit(std::uint64_t bytes);

 private:
  bool RoomFor(std::uint64_t bytes);

  const std::string file_;
  const std::uint64_t floor_;
  const std::function<void()> onFull_;
  std::atomic<bool> tripped_{false};
  std::mutex mutex_;
  std::uint64_t knownFree_ = 0;  // at the last look at the drive
  std::uint64_t sinceLook_ = 0;  // bytes admitted since
  std::chrono::steady_clock::time_point lastLook_{};
  bool looked_ = false;
};
