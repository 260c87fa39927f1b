#include "platform/registry/RegKey.h"

#include "platform/registry/Hive.h"
#include "platform/registry/Utf.h"

namespace orvex::reg {
namespace {

// GCC 12 at -O2 and above sees an overlapping copy in this concatenation that
// cannot happen (its bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
RegResult InvalidKeyName(std::string_view path) {
  return RegResult::Fail(RegStatus::InvalidName, "\"" + std::string(path) + "\" is not a valid key name");
}
#pragma GCC diagnostic pop

RegResult OpenOrCreate(Root root, std::string_view path, KeyAccess access, bool create, bool* created,
                       std::shared_ptr<Hive>& hive, KeyPath& names) {
  const auto split = SplitKeyPath(path);
  if (!split) return InvalidKeyName(path);
  auto found = Hive::ForRoot(root);
  bool isNew = false;
  RegResult result = found->OpenKey(*split, access, create, &isNew);
  if (result.ok()) {
    hive = std::move(found);
    names = *split;
    if (created) *created = isNew;
  }
  return result;
}

}  // namespace

RegKey::RegKey() = default;

RegKey::~RegKey() {
  const RegResult result = Close();
  if (!result.ok()) PostNotices({result.message});
}

RegKey::RegKey(RegKey&& other) noexcept
    : hive_(std::move(other.hive_)),
      path_(std::move(other.path_)),
      access_(other.access_),
      written_(other.written_) {
  other.written_ = false;
}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    const RegResult result = Close();
    if (!result.ok()) PostNotices({result.message});
    hive_ = std::move(other.hive_);
    path_ = std::move(other.path_);
    access_ = other.access_;
    written_ = other.written_;
    other.written_ = false;
  }
  return *this;
}

RegResult RegKey::Create(Root root, std::string_view path, KeyAccess access, RegKey& out, bool* created) {
  bool isNew = false;
  RegKey key;
  RegResult result = OpenOrCreate(root, path, access, true, &isNew, key.hive_, key.path_);
  if (!result.ok()) return result;
  key.access_ = access;
  key.written_ = isNew;  // a new key must reach the file even when it stays empty
  if (created) *created = isNew;
  out = std::move(key);
  return result;
}

RegResult RegKey::Open(Root root, std::string_view path, KeyAccess access, RegKey& out) {
  RegKey key;
  RegResult result = OpenOrCreate(root, path, access, false, nullptr, key.hive_, key.path_);
  if (!result.ok()) return result;
  key.access_ = access;
  out = std::move(key);
  return result;
}

RegResult RegKey::CheckWritable() const {
  if (!hive_) return RegResult::Fail(RegStatus::AccessDenied, "no key is open");
  if (access_ != KeyAccess::Full) {
    return RegResult::Fail(RegStatus::AccessDenied, "the key is open for reading only");
  }
  return {};
}

RegResult RegKey::Query(std::string_view name, RegValue& out) const {
  if (!hive_) return RegResult::Fail(RegStatus::NotFound, "no key is open");
  return hive_->Query(path_, name, out);
}

RegResult RegKey::Set(std::string_view name, RegValue value) {
  if (RegResult r = CheckWritable(); !r.ok()) return r;
  if (!IsValidValueName(name)) return RegResult::Fail(RegStatus::InvalidName, "the value name is not valid");
  if (value.data.size() > kMaxValueDataSize) {
    return RegResult::Fail(RegStatus::InvalidData,
                           "the data is longer than " + std::to_string(kMaxValueDataSize) + " bytes");
  }
  if (value.type == REG_SZ && (!IsValidUtf8(value.data) || value.data.find('\0') != std::string::npos)) {
    return RegResult::Fail(RegStatus::InvalidData, "the text is not valid UTF-8 text");
  }
  RegResult result = hive_->SetValue(path_, name, std::move(value));
  written_ = written_ || result.ok();
  return result;
}

RegResult RegKey::DeleteValue(std::string_view name) {
  if (RegResult r = CheckWritable(); !r.ok()) return r;
  RegResult result = hive_->DeleteValue(path_, name);
  written_ = written_ || result.ok();
  return result;
}

RegResult RegKey::DeleteSubKeyTree(std::string_view subPath) {
  if (RegResult r = CheckWritable(); !r.ok()) return r;
  const auto relative = SplitKeyPath(subPath);
  if (!relative || relative->empty() || path_.size() + relative->size() > kMaxKeyDepth) {
    return InvalidKeyName(subPath);
  }
  KeyPath full = path_;
  full.insert(full.end(), relative->begin(), relative->end());
  RegResult result = hive_->DeleteTree(full);
  written_ = written_ || result.ok();
  return result;
}

RegResult RegKey::SubKeyNames(std::vector<std::string>& out) const {
  if (!hive_) return RegResult::Fail(RegStatus::NotFound, "no key is open");
  return hive_->SubKeyNames(path_, out);
}

RegResult RegKey::ValueNames(std::vector<std::string>& out) const {
  if (!hive_) return RegResult::Fail(RegStatus::NotFound, "no key is open");
  return hive_->ValueNames(path_, out);
}

RegResult RegKey::Close() {
  std::shared_ptr<Hive> hive = std::move(hive_);
  hive_.reset();
  path_.clear();
  const bool written = written_;
  written_ = false;
  if (!hive || !written) return {};
  return hive->Commit();
}

}  // namespace orvex::reg
