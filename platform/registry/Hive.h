#pragma once
// One registry root of one settings folder, shared by every open key of the
// process: the tree as last read or written, the changes not yet saved, and
// the file they are saved to. Every member locks; keys call nothing else.

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/RegKey.h"

namespace orvex::reg {

struct RegFileProblems;

class Hive {
 public:
  static std::shared_ptr<Hive> ForRoot(Root root);

  Hive(Root root, std::filesystem::path folder);

  RegResult OpenKey(const KeyPath& path, KeyAccess access, bool create, bool* created);
  RegResult Query(const KeyPath& path, std::string_view name, RegValue& out);
  RegResult SetValue(const KeyPath& path, std::string_view name, RegValue value);
  RegResult DeleteValue(const KeyPath& path, std::string_view name);
  RegResult DeleteTree(const KeyPath& path);
  RegResult SubKeyNames(const KeyPath& path, std::vector<std::string>& out);
  RegResult ValueNames(const KeyPath& path, std::vector<std::string>& out);
  // Writes the unsaved changes to the file; nothing to do when there are none.
  RegResult Commit();

 private:
  struct Change {
    enum Kind { CreateKey, SetValue, DeleteValue, DeleteTree } kind;
    KeyPath path;
    std::string name;
    RegValue value;
  };
  // Tells file contents apart. Time stamps cannot: an edit in place within
  // the same clock tick keeps size and time.
  struct Digest {
    std::size_t size;
    std::size_t hash;
    bool operator==(const Digest&) const = default;
  };
  using Notices = std::vector<std::string>;

  static Digest DigestOf(std::string_view bytes);
  void Refresh(bool folderLocked, Notices& notices);
  void AdoptTree(std::unique_ptr<KeyNode> base, std::optional<Digest> digest);
  void SetAside(const RegFileProblems& problems, std::unique_ptr<KeyNode> kept, const Digest& digest,
                Notices& notices);
  RegResult CheckWritable() const;
  RegResult WriteFile(const std::string& text);
  void RemoveStaleTemporaries() const;
  void Record(Change change);
  static void Apply(const Change& change, KeyNode& tree);
  const KeyNode* FindKey(const KeyPath& path) const;

  std::mutex mutex_;
  const Root root_;
  const std::filesystem::path folder_;
  const std::filesystem::path file_;
  std::unique_ptr<KeyNode> tree_;
  bool loaded_ = false;
  std::optional<Digest> digest_;  // of the file the tree came from; none when there is no file
  std::string blocked_;           // why the file on disk must not be replaced
  std::vector<Change> unsaved_;
};

void PostNotices(const std::vector<std::string>& notices);

}  // namespace orvex::reg
