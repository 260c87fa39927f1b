#include "platform/kernel/ExclusiveFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvex::kernel {

int ExclusiveFileLock::Acquire(const std::string& path) {
  Release();
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
    return S_ISDIR(existing.st_mode) ? EISDIR : 0;
  // 0666: the user's umask decides, as for any new file.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  const bool created = fd >= 0;
  if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    return EWOULDBLOCK;
  }
  // A file system without locks (some network shares) records unlocked.
  fd_ = fd;
  created_ = created;
  return 0;
}

void ExclusiveFileLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  created_ = false;
}

}  // namespace orvex::kernel
