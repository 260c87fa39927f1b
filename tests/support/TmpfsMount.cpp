#include "tests/support/TmpfsMount.h"

#include <sys/mount.h>
#include <unistd.h>

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

}  // namespace orvex::test
