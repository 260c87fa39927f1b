#include "tests/support/TmpfsMount.h"

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "tests/support/TempDir.h"

namespace orvex::test {

TmpfsMount::TmpfsMount(const std::filesystem::path& where, const std::string& options) : where_(where) {
  std::error_code ec;
  std::filesystem::create_directories(where, ec);
  mounted_ = ::geteuid() == 0 && ::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TmpfsMount::~TmpfsMount() {
  // Detached, so a file still open somewhere cannot keep the mount alive.
  if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
}

bool TmpfsMount::MakeReadOnly() {
  return mounted_ && ::mount(nullptr, where_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

void TmpfsMount::LeaveFree(std::uintmax_t bytes) const {
  struct statvfs info {};
  if (::statvfs(where_.c_str(), &info) != 0) return;
  const std::uintmax_t free = static_cast<std::uintmax_t>(info.f_bavail) * info.f_frsize;
  if (free > bytes) WriteFile(where_ / "filler", std::string(free - bytes, 'x'));
}

}  // namespace orvex::test
