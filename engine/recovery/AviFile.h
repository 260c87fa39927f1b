#pragma once
// One open file read and written at given offsets. Every read is checked
// against the file's size first, so a size read from the file itself can
// never make us read past its end or allocate by it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex::recovery {

class TAviFile {
 public:
  TAviFile() = default;
  ~TAviFile();
  TAviFile(const TAviFile&) = delete;
  TAviFile& operator=(const TAviFile&) = delete;

  // Opens `path` for reading (and writing); false with `error` set when it cannot.
  bool Open(const std::string& path, bool writable, std::string& error);
  // An exclusive lock without waiting: false while another process holds one.
  bool TryLock();

  std::uint64_t Size() const { return size_; }
  // Reads exactly `count` bytes at `offset`; false when they are not all in the file.
  bool Read(std::uint64_t offset, void* out, std::size_t count) const;
  bool Write(std::uint64_t offset, const void* data, std::size_t count);
  bool Truncate(std::uint64_t size);
  bool Sync();
  // Why the last write, truncation or sync failed.
  std::string ErrorText() const;

 private:
  bool ReadDirect(std::uint64_t offset, void* out, std::size_t count) const;

  int fd_ = -1;
  std::uint64_t size_ = 0;
  int error_ = 0;
  // Chunk headers are small and close together: read them through a window.
  mutable std::vector<std::uint8_t> window_;
  mutable std::uint64_t windowStart_ = 0;
};

}  // namespace orvex::recovery
