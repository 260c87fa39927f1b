#pragma once
// TRegistry: the accessor the program uses for its settings, one open key at
// a time under a chosen root, released (and saved) on every path.
//
//   TRegistry reg;
//   reg.setRootKey(Root::HKEY_LOCAL_MACHINE);
//   reg.OpenKey("Software\\Brevantix\\Orvex", true);   // outcome may be ignored
//   const int brightness = reg.ReadInteger("Brightness").value_or(0);
//   reg.WriteInteger("Brightness", brightness);        // throws ERegistryException
//   reg.CloseKey();                                    // throws when saving fails
//
// Reads answer an empty optional when they fail (value missing, of another
// type or size, or no key open); ReadString alone answers "" for a missing
// value. Writes throw ERegistryException with a message for the user
// ("Failed to set data for 'Brightness': <reason>") when no key is open, the
// key was opened read-only, or the open failed; the reason of a failed open
// is carried into that message. A key path starting with "\" is taken from
// the root; any other path is relative to the open key, if one is open.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegKey.h"

namespace orvex::reg {

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistry {
 public:
  // HKEY_CURRENT_USER with full access, as on Windows.
  TRegistry();
  explicit TRegistry(KeyAccess access);
  // Closes the open key; a failure to save goes to the notice handler.
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  Root RootKey() const { return root_; }
  // Closes the open key first.
  void setRootKey(Root root);
  KeyAccess Access() const { return access_; }
  void setAccess(KeyAccess access) { access_ = access; }
  // Path of the open key without the leading "\"; empty when none is open.
  const std::string& CurrentPath() const { return currentPath_; }
  bool IsKeyOpen() const { return key_.IsOpen(); }
  // Why the last OpenKey, OpenKeyReadOnly, CreateKey or DeleteKey failed.
  const std::string& LastError() const { return lastError_; }

  // Opens `key` with the accessor's access, creating it when `canCreate`.
  // On failure the key open before stays open.
  bool OpenKey(std::string_view key, bool canCreate);
  bool OpenKeyReadOnly(std::string_view key);
  // Saves what the open key wrote; throws ERegistryException when the file
  // cannot be saved (the key is closed all the same).
  void CloseKey();

  bool CreateKey(std::string_view key);
  bool KeyExists(std::string_view key);
  // Deletes the key with everything below it.
  bool DeleteKey(std::string_view key);
  bool HasSubKeys() const;
  std::vector<std::string> GetKeyNames() const;
  std::vector<std::string> GetValueNames() const;

  bool ValueExists(std::string_view name) const;
  std::optional<std::uint32_t> GetDataType(std::string_view name) const;
  std::optional<RegValue> ReadValue(std::string_view name) const;
  std::optional<std::int32_t> ReadInteger(std::string_view name) const;
  std::optional<bool> ReadBool(std::string_view name) const;
  std::optional<std::string> ReadString(std::string_view name) const;
  std::optional<std::vector<std::uint8_t>> ReadBinaryData(std::string_view name) const;
  // An 8-byte REG_BINARY holding a double.
  std::optional<double> ReadFloat(std::string_view name) const;

  void WriteInteger(std::string_view name, std::int32_t value);
  void WriteBool(std::string_view name, bool value);
  void WriteString(std::string_view name, std::string_view value);
  void WriteBinaryData(std::string_view name, const void* data, std::size_t size);
  void WriteBinaryData(std::string_view name, const std::vector<std::uint8_t>& data);
  void WriteFloat(std::string_view name, double value);
  void WriteValue(std::string_view name, RegValue value);
  bool DeleteValue(std::string_view name);

 private:
  std::string Resolve(std::string_view key) const;
  bool Open(std::string_view key, KeyAccess access, bool canCreate);

  Root root_ = Root::HKEY_CURRENT_USER;
  KeyAccess access_ = KeyAccess::Full;
  RegKey key_;
  std::string currentPath_;
  std::string lastError_;
};

}  // namespace orvex::reg
