#pragma once
// The keys and values of one registry root, held in memory.

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::reg {

// Registry value types, by their Windows numbers. Types we do not interpret
// are kept as their raw bytes with their number.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
inline constexpr std::uint32_t REG_QWORD = 11;

// Limits as on Windows, plus a bound on value data so that every file we
// write is one we read back.
inline constexpr std::size_t kMaxKeyNameLength = 255;      // code points
inline constexpr std::size_t kMaxValueNameLength = 16383;  // code points
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxValueDataSize = 64 * 1024;  // bytes

struct RegValue {
  std::uint32_t type = REG_NONE;
  // REG_SZ: the text as UTF-8, without terminator. REG_DWORD: 4 bytes,
  // little-endian. Every other type: the raw bytes.
  std::string data;

  static RegValue Dword(std::int32_t value);
  static RegValue Text(std::string text);
  static RegValue Binary(std::string bytes);
  // The 32-bit value of a 4-byte REG_DWORD.
  std::optional<std::int32_t> AsDword() const;
  bool operator==(const RegValue&) const = default;
};

using KeyPath = std::vector<std::string>;

// "Software\Brevantix\Orvex" into its names. One leading and one trailing
// backslash are allowed; empty names, control characters, over-long names and
// invalid UTF-8 are not. An empty text is the root itself.
std::optional<KeyPath> SplitKeyPath(std::string_view path);
bool IsValidKeyName(std::string_view name);
bool IsValidValueName(std::string_view name);

class KeyNode {
 public:
  struct NamedValue {
    std::string name;
    std::string folded;
    RegValue value;
  };

  explicit KeyNode(std::string name = {});
  ~KeyNode();
  KeyNode(const KeyNode&) = delete;
  KeyNode& operator=(const KeyNode&) = delete;

  const std::string& Name() const { return name_; }

  KeyNode* Child(std::string_view name);
  const KeyNode* Child(std::string_view name) const;
  // Keeps the case of the first spelling.
  KeyNode& EnsureChild(std::string_view name);
  bool RemoveChild(std::string_view name);

  KeyNode* Find(const KeyPath& path);
  const KeyNode* Find(const KeyPath& path) const;
  KeyNode& Ensure(const KeyPath& path);
  // Removes the key at `path` with everything under it; false if missing.
  bool RemoveTree(const KeyPath& path);
  void Clear();

  const RegValue* Value(std::string_view name) const;
  // Replaces the data of an existing value (its name keeps its first
  // spelling and its place) or appends a new one.
  void SetValue(std::string_view name, RegValue value);
  bool RemoveValue(std::string_view name);

  // Sub-keys in the order Windows lists them (by upper-cased name); values
  // in the order they were first written.
  std::vector<const KeyNode*> Children() const;
  const std::list<NamedValue>& Values() const { return values_; }

 private:
  std::string name_;
  std::map<std::string, std::unique_ptr<KeyNode>> children_;  // by folded name
  // A list, so that removing a value costs the same however many there are.
  std::list<NamedValue> values_;
  std::map<std::string, std::list<NamedValue>::iterator, std::less<>> valueIndex_;  // by folded name
};

}  // namespace orvex::reg
