#include "imaging/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <random>
#include <system_error>

namespace orvex::imaging {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const char* what, const fs::path& path, int error) {
  throw EImageError(std::string(what) + " \"" + path.string() + "\". " +
                    std::generic_category().message(error));
}

// The temporary file until it has taken the target's name; removed on every failure.
class TempFile {
 public:
  TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }
  void Commit() { committed_ = true; }

 private:
  int fd_;
  std::string path_;
  bool committed_ = false;
};

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const fs::path& target) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("Cannot write file", target, n < 0 ? errno : EIO);
    done += static_cast<std::size_t>(n);
  }
}

// Writing through a symbolic link updates the file it points to, as opening it would.
fs::path ResolveTarget(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  fs::path target = fs::weakly_canonical(path, ec);
  return ec ? path : target;
}

// A new empty file in `folder` under an unused name, made with `mode` less
// the umask (and as a default ACL says), as any new file is.
int CreateTempFile(const fs::path& folder, const std::string& stem, mode_t mode, std::string& name) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(6, ' ');
    for (char& c : suffix) c = kLetters[pick(random)];
    name = (folder / ("." + stem + "." + suffix)).string();
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

void WriteImageFile(const fs::path& requested, std::span<const std::uint8_t> bytes, TFileAccess access) {
  if (requested.empty() || !requested.has_filename()) Fail("Cannot create file", requested, ENOENT);
  const fs::path path = ResolveTarget(requested);

  struct stat existing {};
  const bool replacing = ::stat(path.c_str(), &existing) == 0;
  if (replacing) {
    if (S_ISDIR(existing.st_mode)) Fail("Cannot create file", requested, EISDIR);
    if (::access(path.c_str(), W_OK) != 0) Fail("Cannot create file", requested, errno);
  }

  // Short enough for any file system's name limit, whatever the target's name length.
  const std::string stem = path.filename().string().substr(0, 100);
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::string name;
  const bool usualNew = access == TFileAccess::Usual && !replacing;
  const int fd = CreateTempFile(folder, stem, usualNew ? 0666 : 0600, name);
  if (fd < 0) Fail("Cannot create file", requested, errno);
  TempFile temp(fd, name);
  // A replaced file keeps its mode; where the file system keeps none this fails harmlessly.
  if (access == TFileAccess::Usual && replacing) ::fchmod(fd, existing.st_mode & 07777);

  WriteAll(temp.fd(), bytes, requested);
  if (::fsync(temp.fd()) != 0) Fail("Cannot write file", requested, errno);
  if (temp.Close() != 0) Fail("Cannot write file", requested, errno);
  if (::rename(temp.path().c_str(), path.c_str()) != 0) Fail("Cannot create file", requested, errno);
  temp.Commit();
}

void WriteImageStream(std::ostream& stream, std::span<const std::uint8_t> bytes) {
  if (stream)
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (stream) stream.flush();
  if (!stream) throw EImageError("Cannot write the picture: the output stream refused the data");
}

}  // namespace orvex::imaging
