#include "engine/recovery/AviFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvex::recovery {

namespace {

constexpr std::size_t kWindowSize = 64 * 1024;

}  // namespace

TAviFile::~TAviFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool TAviFile::Open(const std::string& path, bool writable, std::string& error) {
  fd_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOFOLLOW);
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
    error = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "it is not a regular file";
    return false;
  }
  size_ = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool TAviFile::TryLock() { return fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }

bool TAviFile::ReadDirect(std::uint64_t offset, void* out, std::size_t count) const {
  auto* bytes = static_cast<std::uint8_t*>(out);
  while (count > 0) {
    const ssize_t n = ::pread(fd_, bytes, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    offset += static_cast<std::uint64_t>(n);
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

bool TAviFile::Read(std::uint64_t offset, void* out, std::size_t count) const {
  if (fd_ < 0 || offset > size_ || count > size_ - offset) return false;
  if (count > kWindowSize / 4) return ReadDirect(offset, out, count);
  if (offset < windowStart_ || offset + count > windowStart_ + window_.size()) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, size_ - offset));
    window_.resize(length);
    windowStart_ = offset;
    if (!ReadDirect(offset, window_.data(), length)) {
      window_.clear();
      return false;
    }
  }
  std::memcpy(out, window_.data() + (offset - windowStart_), count);
  return true;
}

bool TAviFile::Write(std::uint64_t offset, const void* data, std::size_t count) {
  window_.clear();
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::uint64_t at = offset;
  std::size_t left = count;
  while (left > 0) {
    const ssize_t n = ::pwrite(fd_, bytes, left, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : ENOSPC;
      return false;
    }
    bytes += n;
    at += static_cast<std::uint64_t>(n);
    left -= static_cast<std::size_t>(n);
  }
  size_ = std::max(size_, offset + count);
  return true;
}

bool TAviFile::Truncate(std::uint64_t size) {
  window_.clear();
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    error_ = errno;
    return false;
  }
  size_ = size;
  return true;
}

bool TAviFile::Sync() {
  if (::fsync(fd_) == 0) return true;
  error_ = errno;
  return false;
}

std::string TAviFile::ErrorText() const { return std::strerror(error_ ? error_ : EIO); }

}  // namespace orvex::recovery
