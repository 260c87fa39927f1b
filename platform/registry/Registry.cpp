#include "platform/registry/Registry.h"

#include <bit>
#include <cstring>

#include "platform/registry/Hive.h"

namespace orvex::reg {

static_assert(std::endian::native == std::endian::little, "REG_BINARY doubles are stored little-endian");

TRegistry::TRegistry() = default;

TRegistry::TRegistry(KeyAccess access) : access_(access) {}

TRegistry::~TRegistry() {
  const RegResult result = key_.Close();
  if (!result.ok()) PostNotices({result.message});
}

void TRegistry::setRootKey(Root root) {
  CloseKey();
  root_ = root;
}

std::string TRegistry::Resolve(std::string_view key) const {
  if (!key.empty() && key.front() == '\\') return std::string(key.substr(1));
  if (!key_.IsOpen() || currentPath_.empty()) return std::string(key);
  std::string base = currentPath_;
  if (base.back() == '\\') base.pop_back();
  return key.empty() ? base : base + '\\' + std::string(key);
}

bool TRegistry::Open(std::string_view key, KeyAccess access, bool canCreate) {
  const std::string path = Resolve(key);
  RegKey opened;
  const RegResult result =
      canCreate ? RegKey::Create(root_, path, access, opened) : RegKey::Open(root_, path, access, opened);
  if (!result.ok()) {
    lastError_ = result.message;
    return false;
  }
  lastError_.clear();
  CloseKey();
  key_ = std::move(opened);
  currentPath_ = path;
  return true;
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate) { return Open(key, access_, canCreate); }

bool TRegistry::OpenKeyReadOnly(std::string_view key) { return Open(key, KeyAccess::Read, false); }

void TRegistry::CloseKey() {
  if (!key_.IsOpen()) return;
  const std::string path = currentPath_;
  currentPath_.clear();
  const RegResult result = key_.Close();
  if (!result.ok()) throw ERegistryException("Failed to save the key '" + path + "': " + result.message);
}

bool TRegistry::CreateKey(std::string_view key) {
  RegKey created;
  RegResult result = RegKey::Create(root_, Resolve(key), KeyAccess::Full, created);
  if (result.ok()) result = created.Close();
  lastError_ = result.message;
  return result.ok();
}

bool TRegistry::KeyExists(std::string_view key) {
  RegKey found;
  return RegKey::Open(root_, Resolve(key), KeyAccess::Read, found).ok();
}

bool TRegistry::DeleteKey(std::string_view key) {
  const std::string path = Resolve(key);
  const auto names = SplitKeyPath(path);
  if (!names || names->empty()) {
    lastError_ = "\"" + path + "\" cannot be deleted";
    return false;
  }
  std::string parent;
  for (std::size_t i = 0; i + 1 < names->size(); ++i) parent += (*names)[i] + '\\';
  RegKey parentKey;
  RegResult result = RegKey::Open(root_, parent, KeyAccess::Full, parentKey);
  if (result.ok()) result = parentKey.DeleteSubKeyTree(names->back());
  if (result.ok()) result = parentKey.Close();
  lastError_ = result.message;
  return result.ok();
}

bool TRegistry::HasSubKeys() const { return !GetKeyNames().empty(); }

std::vector<std::string> TRegistry::GetKeyNames() const {
  std::vector<std::string> names;
  if (!key_.SubKeyNames(names).ok()) names.clear();
  return names;
}

std::vector<std::string> TRegistry::GetValueNames() const {
  std::vector<std::string> names;
  if (!key_.ValueNames(names).ok()) names.clear();
  return names;
}

std::optional<RegValue> TRegistry::ReadValue(std::string_view name) const {
  RegValue value;
  if (!key_.Query(name, value).ok()) return std::nullopt;
  return value;
}

bool TRegistry::ValueExists(std::string_view name) const { return ReadValue(name).has_value(); }

std::optional<std::uint32_t> TRegistry::GetDataType(std::string_view name) const {
  const auto value = ReadValue(name);
  return value ? std::optional(value->type) : std::nullopt;
}

std::optional<std::int32_t> TRegistry::ReadInteger(std::string_view name) const {
  const auto value = ReadValue(name);
  return value ? value->AsDword() : std::nullopt;
}

std::optional<bool> TRegistry::ReadBool(std::string_view name) const {
  const auto value = ReadInteger(name);
  return value ? std::optional(*value != 0) : std::nullopt;
}

std::optional<std::string> TRegistry::ReadString(std::string_view name) const {
  const auto value = ReadValue(name);
  if (!value) return std::string();
  if (value->type != REG_SZ) return std::nullopt;
  return value->data;
}

std::optional<std::vector<std::uint8_t>> TRegistry::ReadBinaryData(std::string_view name) const {
  const auto value = ReadValue(name);
  if (!value || value->type != REG_BINARY) return std::nullopt;
  return std::vector<std::uint8_t>(value->data.begin(), value->data.end());
}

std::optional<double> TRegistry::ReadFloat(std::string_view name) const {
  const auto value = ReadValue(name);
  if (!value || value->type != REG_BINARY || value->data.size() != sizeof(double)) return std::nullopt;
  double result;
  std::memcpy(&result, value->data.data(), sizeof result);
  return result;
}

void TRegistry::WriteValue(std::string_view name, RegValue value) {
  RegResult result;
  if (key_.IsOpen()) {
    result = key_.Set(name, std::move(value));
  } else {
    result = RegResult::Fail(RegStatus::AccessDenied, lastError_.empty() ? "no key is open" : lastError_);
  }
  if (!result.ok()) {
    throw ERegistryException("Failed to set data for '" + std::string(name) + "': " + result.message);
  }
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t value) {
  WriteValue(name, RegValue::Dword(value));
}

void TRegistry::WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteString(std::string_view name, std::string_view value) {
  WriteValue(name, RegValue::Text(std::string(value)));
}

void TRegistry::WriteBinaryData(std::string_view name, const void* data, std::size_t size) {
  WriteValue(name,
             RegValue::Binary(size ? std::string(static_cast<const char*>(data), size) : std::string()));
}

void TRegistry::WriteBinaryData(std::string_view name, const std::vector<std::uint8_t>& data) {
  WriteBinaryData(name, data.data(), data.size());
}

void TRegistry::WriteFloat(std::string_view name, double value) {
  WriteBinaryData(name, &value, sizeof value);
}

bool TRegistry::DeleteValue(std::string_view name) {
  if (!key_.IsOpen()) return false;
  return key_.DeleteValue(name).ok();
}

}  // namespace orvex::reg
