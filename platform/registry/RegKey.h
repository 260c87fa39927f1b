#pragma once
// Open registry keys with the failure semantics of the Win32 calls they stand
// in for (RegCreateKeyEx, RegOpenKeyEx, RegQueryValueEx, RegSetValueEx,
// RegDeleteValue, RegDeleteTree, RegEnumKeyEx, RegEnumValue, RegCloseKey).
//
// Each root lives in one file, <folder>/HKEY_LOCAL_MACHINE.reg and
// <folder>/HKEY_CURRENT_USER.reg. A key's writes are visible to every key of
// the process at once and reach the file when the key is closed: the file is
// rewritten through a temporary file, fsync and rename, so it is always
// either the old or the new one. Opening a key re-reads the file when another
// program changed it. Two programs writing the same root do not lose each
// other's work: a close replays this program's unsaved changes (value by
// value, key by key) onto the file as it is on disk, under a lock on the
// folder; where both wrote the same value, the later close wins.
//
// A file with lines that cannot be read is renamed to
// <file>.corrupt-YYYYMMDD-HHMMSS (with -2, -3... when taken), never
// overwritten, and what could be read of it becomes the root's new file; a
// notice tells how many lines were dropped. A file that is no registry file
// at all is set aside the same way and the root starts empty. A folder or
// file that cannot be written makes every open for full access fail, as
// missing rights do on Windows.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/KeyTree.h"

namespace orvex::reg {

enum class Root { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER };
enum class KeyAccess { Read, Full };

const char* RootName(Root root);

// $ORVEX_CONFIG_DIR, else $XDG_CONFIG_HOME/orvex, else ~/.config/orvex; read
// anew at every open, so a changed environment takes effect at once.
std::filesystem::path ConfigFolder();
std::filesystem::path RootFile(Root root);

enum class RegStatus { Ok, NotFound, AccessDenied, InvalidName, InvalidData, IoError };

struct RegResult {
  RegStatus status = RegStatus::Ok;
  std::string message;  // why it failed, for the user; empty on success

  bool ok() const { return status == RegStatus::Ok; }
  static RegResult Fail(RegStatus status, std::string message) { return {status, std::move(message)}; }
};

class Hive;

class RegKey {
 public:
  RegKey();
  // Closes the key; a failure to save is passed to the notice handler.
  ~RegKey();
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;

  // Opens `path` (names separated by "\", no case), creating missing keys.
  // `created` tells whether the key was new.
  static RegResult Create(Root root, std::string_view path, KeyAccess access, RegKey& out,
                          bool* created = nullptr);
  static RegResult Open(Root root, std::string_view path, KeyAccess access, RegKey& out);

  bool IsOpen() const { return hive_ != nullptr; }
  KeyAccess Access() const { return access_; }

  RegResult Query(std::string_view name, RegValue& out) const;
  RegResult Set(std::string_view name, RegValue value);
  RegResult DeleteValue(std::string_view name);
  // Deletes the sub-key at the relative `subPath` with all below it.
  RegResult DeleteSubKeyTree(std::string_view subPath);
  RegResult SubKeyNames(std::vector<std::string>& out) const;
  RegResult ValueNames(std::vector<std::string>& out) const;

  // Saves the root's file when this key wrote anything; the key is closed
  // whatever the outcome.
  RegResult Close();

 private:
  RegResult CheckWritable() const;

  std::shared_ptr<Hive> hive_;
  KeyPath path_;
  KeyAccess access_ = KeyAccess::Read;
  bool written_ = false;
};

// Receives messages the user should see although no call failed: a broken
// file set aside, a save that failed in a destructor. The default handler
// prints them to standard error. Pass nullptr to restore it.
void SetNoticeHandler(std::function<void(const std::string&)> handler);

// Called with the finished temporary file just before it replaces the root's
// file; lets tests stop a save at its most delicate moment.
void SetBeforeReplaceHookForTesting(std::function<void(const std::filesystem::path&)> hook);

}  // namespace orvex::reg
