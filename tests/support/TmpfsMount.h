#pragma once
// A small file system of a test's own, to fill up or make read-only; only
// root may mount one, so tests skip without it. Unmounted however the test ends.

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <string>

#include "tests/support/TempDir.h"

namespace orvex::test {

class TmpfsMount {
 public:
  TmpfsMount(const std::filesystem::path& where, const std::string& size) : where_(where) {
    std::filesystem::create_directories(where);
    mounted_ = mount("tmpfs", where.c_str(), "tmpfs", 0, ("size=" + size + ",mode=0700").c_str()) == 0;
  }
  ~TmpfsMount() {
    if (mounted_) umount2(where_.c_str(), MNT_DETACH);
  }
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;

  bool mounted() const { return mounted_; }
  bool MakeReadOnly() {
    return mount(nullptr, where_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  // Fills it with a file of its own until about `bytes` are left free.
  void LeaveFree(std::uintmax_t bytes) const {
    struct statvfs info {};
    if (statvfs(where_.c_str(), &info) != 0) return;
    const std::uintmax_t free = static_cast<std::uintmax_t>(info.f_bavail) * info.f_frsize;
    if (free > bytes) WriteFile(where_ / "filler", std::string(free - bytes, 'x'));
  }

 private:
  std::filesystem::path where_;
  bool mounted_ = false;
};

}  // namespace orvex::test
