#include "engine/recovery/DurableFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orvex::recovery {

namespace {

bool WriteAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

void SyncFolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  // GCC 12 at -O2 and above sees an overlapping copy here that cannot happen
  // (its bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
  if (folder.empty()) folder = ".";
#pragma GCC diagnostic pop
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool SyncFileAndFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  SyncFolderOf(path);
  return ok;
}

bool WriteFileDurably(const std::string& path, const std::string& content, std::string& error) {
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  const bool ok = ::fchmod(fd, 0600) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
  const int saved = errno;
  ::close(fd);
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    error = std::strerror(ok ? errno : saved);
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolderOf(path);
  return true;
}

void RemoveDurably(const std::string& path) {
  if (::unlink(path.c_str()) == 0) SyncFolderOf(path);
}

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& content) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  struct stat info {};
  bool ok =
      ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) <= limit;
  if (ok) {
    content.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (ok && done < content.size()) {
      const ssize_t n = ::read(fd, content.data() + done, content.size() - done);
      if (n < 0 && errno == EINTR) continue;
      ok = n > 0;
      if (ok) done += static_cast<std::size_t>(n);
    }
  }
  ::close(fd);
  return ok;
}

}  // namespace orvex::recovery
