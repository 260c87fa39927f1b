#pragma once
// An exclusive lock on a file being written, seen by every program that asks
// for one (flock): two recordings never write into the same file.

#include <string>

namespace orvex::kernel {

class ExclusiveFileLock {
 public:
  ExclusiveFileLock() = default;
  ~ExclusiveFileLock() { Release(); }
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

  // Opens `path` for writing, creating it when missing but never truncating
  // it, and locks it. Answers 0, or the error number: EWOULDBLOCK when
  // another writer holds the lock, else what opening said (EACCES, ENOENT,
  // EISDIR, EROFS...). Devices and pipes are taken as they are, unlocked.
  int Acquire(const std::string& path);
  // Gives the lock up; the file stays.
  void Release();
  bool Held() const { return fd_ >= 0; }
  // Whether Acquire made the file.
  bool Created() const { return created_; }

 private:
  int fd_ = -1;
  bool created_ = false;
};

}  // namespace orvex::kernel
