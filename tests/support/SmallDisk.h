#pragma once
// A real disk that fills: a small tmpfs mounted for one test (root only) and
// unmounted when the test ends, however it ends.

#include <filesystem>
#include <memory>
#include <string>

namespace orvex::test {

class SmallDisk {
 public:
  // Mounts a tmpfs of `size` ("40m") on `at`, which is created.
  SmallDisk(const std::filesystem::path& at, const std::string& size);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  // Why it could not be mounted, for the skip message.
  const std::string& Why() const { return why_; }
  const std::filesystem::path& path() const { return at_; }

 private:
  std::filesystem::path at_;
  bool mounted_ = false;
  std::string why_;
};

// Takes away root's power to ignore file permissions from the calling thread
// while it lives, so a folder without write permission refuses root as well.
class WithoutPermissionOverride {
 public:
  WithoutPermissionOverride();
  ~WithoutPermissionOverride();
  WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
  WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace orvex::test
