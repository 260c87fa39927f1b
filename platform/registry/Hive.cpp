#include "platform/registry/Hive.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <map>

#include "platform/registry/RegFile.h"

namespace orvex::reg {
namespace fs = std::filesystem;

namespace {

std::mutex gGlobalsMutex;
std::function<void(const std::string&)> gNoticeHandler;
std::function<void(const fs::path&)> gBeforeReplaceHook;

// GCC 12 at -O2 and above sees an overlapping copy in this concatenation that
// cannot happen (its bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }
#pragma GCC diagnostic pop
std::string ErrnoText(int error) { return std::strerror(error); }

// Holds an exclusive lock on the settings folder, so that two programs do
// not save or set aside the same root at once.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& folder)
      : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) {
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Creates the folder and its missing parents, readable by the owner only.
bool EnsureFolder(const fs::path& folder, std::string& error) {
  fs::path prefix;
  for (const auto& part : folder) {
    prefix /= part;
    struct stat st;
    if (stat(prefix.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) {
        error = Quoted(prefix) + " is not a folder";
        return false;
      }
      continue;
    }
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      error = "cannot create the settings folder " + Quoted(folder) + ": " + ErrnoText(errno);
      return false;
    }
  }
  return true;
}

bool ReadAll(int fd, std::string& out) {
  char buffer[65536];
  while (true) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buffer, static_cast<std::size_t>(n));
    if (out.size() > kMaxFileSize) return true;  // the parser reports the size
  }
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Renames without ever replacing an existing file; EEXIST when taken.
int RenameNoReplace(const fs::path& from, const fs::path& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // File systems without RENAME_NOREPLACE: a hard link fails on a taken name too.
  if (link(from.c_str(), to.c_str()) != 0) return errno;
  unlink(from.c_str());
  return 0;
}

std::string TimeSuffix() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace

void PostNotices(const std::vector<std::string>& notices) {
  if (notices.empty()) return;
  std::function<void(const std::string&)> handler;
  {
    std::lock_guard lock(gGlobalsMutex);
    handler = gNoticeHandler;
  }
  for (const auto& text : notices) {
    if (handler) {
      handler(text);
    } else {
      std::cerr << "orvex: " << text << std::endl;
    }
  }
}

void SetNoticeHandler(std::function<void(const std::string&)> handler) {
  std::lock_guard lock(gGlobalsMutex);
  gNoticeHandler = std::move(handler);
}

void SetBeforeReplaceHookForTesting(std::function<void(const fs::path&)> hook) {
  std::lock_guard lock(gGlobalsMutex);
  gBeforeReplaceHook = std::move(hook);
}

const char* RootName(Root root) {
  return root == Root::HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

fs::path ConfigFolder() {
  if (const char* dir = std::getenv("ORVEX_CONFIG_DIR"); dir && *dir) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(dir, ec);
    return ec ? fs::path(dir) : absolute;
  }
  // The base directory specification ignores relative values.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return fs::path(xdg) / "orvex";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = getpwuid(getuid());
    home = user && user->pw_dir ? user->pw_dir : "/";
  }
  return fs::path(home) / ".config" / "orvex";
}

fs::path RootFile(Root root) { return ConfigFolder() / (std::string(RootName(root)) + ".reg"); }

std::shared_ptr<Hive> Hive::ForRoot(Root root) {
  static std::mutex mutex;
  static std::map<fs::path, std::shared_ptr<Hive>> hives;
  const fs::path folder = ConfigFolder();
  std::lock_guard lock(mutex);
  auto& hive = hives[folder / RootName(root)];
  if (!hive) hive = std::make_shared<Hive>(root, folder);
  return hive;
}

Hive::Hive(Root root, fs::path folder)
    : root_(root),
      folder_(std::move(folder)),
      file_(folder_ / (std::string(RootName(root)) + ".reg")),
      tree_(std::make_unique<KeyNode>()) {}

Hive::Digest Hive::DigestOf(std::string_view bytes) {
  return {bytes.size(), std::hash<std::string_view>{}(bytes)};
}

// Reading the whole file at every open costs little (it holds a few
// kilobytes) and is the only sure way to see another program's change.
void Hive::Refresh(bool folderLocked, Notices& notices) {
  std::string bytes;
  const int fd = open(file_.c_str(), O_RDONLY | O_CLOEXEC);
  const int error = fd < 0 ? errno : (ReadAll(fd, bytes) ? 0 : errno);
  if (fd >= 0) close(fd);
  if (error == ENOENT || error == ENOTDIR) {
    if (!loaded_ || digest_) AdoptTree(std::make_unique<KeyNode>(), std::nullopt);
    blocked_.clear();
    return;
  }
  if (error != 0) {
    AdoptTree(std::make_unique<KeyNode>(), std::nullopt);
    blocked_ = "the settings file " + Quoted(file_) + " cannot be read: " + ErrnoText(error);
    return;
  }
  const Digest digest = DigestOf(bytes);
  if (loaded_ && digest_ == digest) return;
  auto tree = std::make_unique<KeyNode>();
  const RegFileProblems problems = ParseRegFile(bytes, RootName(root_), *tree);
  if (problems.None()) {
    AdoptTree(std::move(tree), digest);
    blocked_.clear();
  } else if (!folderLocked) {
    // Another program may be replacing the file right now; look again
    // under the folder lock before setting it aside.
    FolderLock lock(folder_);
    Refresh(true, notices);
  } else {
    SetAside(problems, std::move(tree), digest, notices);
  }
}

void Hive::AdoptTree(std::unique_ptr<KeyNode> base, std::optional<Digest> digest) {
  tree_ = std::move(base);
  for (const auto& change : unsaved_) Apply(change, *tree_);
  digest_ = digest;
  loaded_ = true;
}

namespace {

std::string ProblemNotice(const RegFileProblems& problems, const fs::path& file) {
  if (!problems.unreadable.empty())
    return "The settings file " + Quoted(file) + " could not be read (" + problems.unreadable + ")";
  const std::size_t n = problems.droppedLines;
  return std::to_string(n) + (n == 1 ? " line" : " lines") + " of the settings file " + Quoted(file) +
         (n == 1 ? " could not be read and was dropped (" : " could not be read and were dropped (first ") +
         problems.firstDropped + "); every other setting in it is used";
}

}  // namespace

// Only called under the folder lock. What could be read of the file is kept
// (nothing of a file that is no settings file at all); the file itself goes
// aside untouched, and what was kept replaces it at once, so that it does
// not depend on a later save.
void Hive::SetAside(const RegFileProblems& problems, std::unique_ptr<KeyNode> kept, const Digest& digest,
                    Notices& notices) {
  const std::string base = file_.string() + ".corrupt-" + TimeSuffix();
  int error = EEXIST;
  fs::path aside;
  for (int n = 1; n <= 1000 && error == EEXIST; ++n) {
    aside = n == 1 ? base : base + "-" + std::to_string(n);
    error = RenameNoReplace(file_, aside);
  }
  if (error == ENOENT) {
    AdoptTree(std::make_unique<KeyNode>(), std::nullopt);
    blocked_.clear();
    return;
  }
  const std::string what = ProblemNotice(problems, file_);
  const bool salvaged = problems.unreadable.empty();
  if (error != 0) {
    // A file that stays in place keeps its digest, so it is not read as new
    // (and reported again) at every open.
    AdoptTree(std::move(kept), digest);
    blocked_ = what + "; it could not be set aside (" + ErrnoText(error) + "), so it is left as it is.";
    notices.push_back(blocked_);
    return;
  }
  blocked_.clear();
  const std::string keptText = FormatRegFile(*kept, RootName(root_));
  AdoptTree(std::move(kept), std::nullopt);
  if (!salvaged) {
    notices.push_back(what + " and was kept as " + Quoted(aside) + "; default settings are used.");
    return;
  }
  const RegResult written = WriteFile(keptText);
  notices.push_back(what + ". The file as it was is kept as " + Quoted(aside) + "." +
                    (written.ok() ? ""
                                  : " The settings read from it could not be saved yet (" + written.message +
                                        "); the next save tries again."));
}

RegResult Hive::CheckWritable() const {
  std::string error;
  if (!EnsureFolder(folder_, error)) return RegResult::Fail(RegStatus::AccessDenied, error);
  if (faccessat(AT_FDCWD, folder_.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    return RegResult::Fail(RegStatus::AccessDenied, "the settings folder " + Quoted(folder_) +
                                                        " cannot be written: " + ErrnoText(errno));
  }
  if (faccessat(AT_FDCWD, file_.c_str(), F_OK, 0) == 0 &&
      faccessat(AT_FDCWD, file_.c_str(), W_OK, AT_EACCESS) != 0) {
    return RegResult::Fail(RegStatus::AccessDenied,
                           "the settings file " + Quoted(file_) + " cannot be written: " + ErrnoText(errno));
  }
  if (!blocked_.empty()) return RegResult::Fail(RegStatus::AccessDenied, blocked_);
  return {};
}

void Hive::RemoveStaleTemporaries() const {
  // Only called under the folder lock: every temporary file of this root
  // that exists now was left by a program that died while saving.
  const std::string prefix = file_.filename().string() + ".tmp-";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder_, ec)) {
    if (entry.path().filename().string().starts_with(prefix)) fs::remove(entry.path(), ec);
  }
}

RegResult Hive::WriteFile(const std::string& text) {
  std::string temp = file_.string() + ".tmp-XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    return RegResult::Fail(RegStatus::IoError, "cannot create a file in the settings folder " +
                                                   Quoted(folder_) + ": " + ErrnoText(errno));
  }
  bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && ok) ok = false, error = errno;
  if (ok) {
    std::function<void(const fs::path&)> hook;
    {
      std::lock_guard lock(gGlobalsMutex);
      hook = gBeforeReplaceHook;
    }
    if (hook) hook(temp);
    ok = rename(temp.c_str(), file_.c_str()) == 0;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return RegResult::Fail(RegStatus::IoError,
                           "cannot save the settings file " + Quoted(file_) + ": " + ErrnoText(error));
  }
  digest_ = DigestOf(text);
  return {};
}

RegResult Hive::Commit() {
  Notices notices;
  RegResult result;
  {
    std::lock_guard lock(mutex_);
    if (unsaved_.empty()) return {};
    result = CheckWritable();
    if (result.ok()) {
      FolderLock folderLock(folder_);
      Refresh(true, notices);
      result = CheckWritable();
      if (result.ok()) {
        RemoveStaleTemporaries();
        const std::string text = FormatRegFile(*tree_, RootName(root_));
        if (text.size() > kMaxFileSize) {
          result = RegResult::Fail(RegStatus::InvalidData, "the settings of " + std::string(RootName(root_)) +
                                                               " would not fit into " +
                                                               std::to_string(kMaxFileSize) + " bytes");
        } else {
          result = WriteFile(text);
        }
        if (result.ok()) {
          unsaved_.clear();
          if (folderLock.fd() >= 0) fsync(folderLock.fd());
        }
      }
    }
  }
  PostNotices(notices);
  return result;
}

void Hive::Apply(const Change& change, KeyNode& tree) {
  switch (change.kind) {
    case Change::CreateKey: tree.Ensure(change.path); break;
    case Change::SetValue: tree.Ensure(change.path).SetValue(change.name, change.value); break;
    case Change::DeleteValue:
      if (KeyNode* node = tree.Find(change.path)) node->RemoveValue(change.name);
      break;
    case Change::DeleteTree: tree.RemoveTree(change.path); break;
  }
}

void Hive::Record(Change change) {
  Apply(change, *tree_);
  unsaved_.push_back(std::move(change));
}

const KeyNode* Hive::FindKey(const KeyPath& path) const { return tree_->Find(path); }

RegResult Hive::OpenKey(const KeyPath& path, KeyAccess access, bool create, bool* created) {
  Notices notices;
  RegResult result;
  {
    std::lock_guard lock(mutex_);
    Refresh(false, notices);
    if (access == KeyAccess::Full) result = CheckWritable();
    if (result.ok() && !FindKey(path)) {
      if (!create) {
        result = RegResult::Fail(RegStatus::NotFound, "the key does not exist");
      } else {
        if (access != KeyAccess::Full) result = CheckWritable();
        if (result.ok()) {
          Record({Change::CreateKey, path, {}, {}});
          if (created) *created = true;
        }
      }
    }
  }
  PostNotices(notices);
  return result;
}

namespace {
RegResult KeyGone() { return RegResult::Fail(RegStatus::NotFound, "the key has been deleted"); }
}  // namespace

RegResult Hive::Query(const KeyPath& path, std::string_view name, RegValue& out) {
  std::lock_guard lock(mutex_);
  const KeyNode* node = FindKey(path);
  if (!node) return KeyGone();
  const RegValue* value = node->Value(name);
  if (!value) return RegResult::Fail(RegStatus::NotFound, "the value does not exist");
  out = *value;
  return {};
}

RegResult Hive::SetValue(const KeyPath& path, std::string_view name, RegValue value) {
  std::lock_guard lock(mutex_);
  if (!FindKey(path)) return KeyGone();
  Record({Change::SetValue, path, std::string(name), std::move(value)});
  return {};
}

RegResult Hive::DeleteValue(const KeyPath& path, std::string_view name) {
  std::lock_guard lock(mutex_);
  const KeyNode* node = FindKey(path);
  if (!node) return KeyGone();
  if (!node->Value(name)) return RegResult::Fail(RegStatus::NotFound, "the value does not exist");
  Record({Change::DeleteValue, path, std::string(name), {}});
  return {};
}

RegResult Hive::DeleteTree(const KeyPath& path) {
  std::lock_guard lock(mutex_);
  if (path.empty()) return RegResult::Fail(RegStatus::AccessDenied, "a root cannot be deleted");
  if (!FindKey(path)) return RegResult::Fail(RegStatus::NotFound, "the key does not exist");
  Record({Change::DeleteTree, path, {}, {}});
  return {};
}

RegResult Hive::SubKeyNames(const KeyPath& path, std::vector<std::string>& out) {
  std::lock_guard lock(mutex_);
  const KeyNode* node = FindKey(path);
  if (!node) return KeyGone();
  out.clear();
  for (const KeyNode* child : node->Children()) out.push_back(child->Name());
  return {};
}

RegResult Hive::ValueNames(const KeyPath& path, std::vector<std::string>& out) {
  std::lock_guard lock(mutex_);
  const KeyNode* node = FindKey(path);
  if (!node) return KeyGone();
  out.clear();
  for (const auto& value : node->Values()) out.push_back(value.name);
  return {};
}

}  // namespace orvex::reg
