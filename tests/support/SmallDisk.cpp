#include "tests/support/SmallDisk.h"

#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvex::test {

SmallDisk::SmallDisk(const std::filesystem::path& at, const std::string& size) : at_(at) {
  std::error_code ec;
  std::filesystem::create_directories(at, ec);
  if (::geteuid() != 0) {
    why_ = "mounting a small tmpfs needs root";
    return;
  }
  const std::string options = "size=" + size;
  if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    why_ = std::string("mounting a small tmpfs is not allowed here: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

// Detached even while a file on it is still open, so nothing stays mounted.
SmallDisk::~SmallDisk() {
  if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
}

struct WithoutPermissionOverride::Saved {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
};

WithoutPermissionOverride::WithoutPermissionOverride() {
  auto saved = std::make_unique<Saved>();
  if (::syscall(SYS_capget, &saved->header, saved->data) != 0) return;
  __user_cap_data_struct reduced[2] = {saved->data[0], saved->data[1]};
  for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
    reduced[cap / 32].effective &= ~(1u << (cap % 32));
  if (::syscall(SYS_capset, &saved->header, reduced) == 0) saved_ = std::move(saved);
}

WithoutPermissionOverride::~WithoutPermissionOverride() {
  if (saved_) ::syscall(SYS_capset, &saved_->header, saved_->data);
}

}  // namespace orvex::test
