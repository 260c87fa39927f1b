#include "platform/registry/KeyTree.h"

#include <algorithm>
#include <iterator>

#include "platform/registry/Utf.h"

namespace orvex::reg {

RegValue RegValue::Dword(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  return {REG_DWORD, std::move(bytes)};
}

RegValue RegValue::Text(std::string text) { return {REG_SZ, std::move(text)}; }

RegValue RegValue::Binary(std::string bytes) { return {REG_BINARY, std::move(bytes)}; }

std::optional<std::int32_t> RegValue::AsDword() const {
  if (type != REG_DWORD || data.size() != 4) return std::nullopt;
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(data[i]);
  return static_cast<std::int32_t>(u);
}

namespace {

// A name must fit on one line of the file; tabs do, as on Windows.
bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7F;
  });
}

}  // namespace

bool IsValidKeyName(std::string_view name) {
  return !name.empty() && name.find('\\') == std::string_view::npos && !HasControlCharacter(name) &&
         IsValidUtf8(name) && CodePointCount(name) <= kMaxKeyNameLength;
}

bool IsValidValueName(std::string_view name) {
  return !HasControlCharacter(name) && IsValidUtf8(name) && CodePointCount(name) <= kMaxValueNameLength;
}

std::optional<KeyPath> SplitKeyPath(std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  KeyPath names;
  if (path.empty()) return names;
  while (true) {
    const std::size_t cut = path.find('\\');
    const std::string_view name = path.substr(0, cut);
    if (!IsValidKeyName(name) || names.size() == kMaxKeyDepth) return std::nullopt;
    names.emplace_back(name);
    if (cut == std::string_view::npos) return names;
    path.remove_prefix(cut + 1);
  }
}

KeyNode::KeyNode(std::string name) : name_(std::move(name)) {}
KeyNode::~KeyNode() = default;

KeyNode* KeyNode::Child(std::string_view name) {
  const auto it = children_.find(FoldCase(name));
  return it == children_.end() ? nullptr : it->second.get();
}

const KeyNode* KeyNode::Child(std::string_view name) const { return const_cast<KeyNode*>(this)->Child(name); }

KeyNode& KeyNode::EnsureChild(std::string_view name) {
  auto& slot = children_[FoldCase(name)];
  if (!slot) slot = std::make_unique<KeyNode>(std::string(name));
  return *slot;
}

bool KeyNode::RemoveChild(std::string_view name) { return children_.erase(FoldCase(name)) > 0; }

KeyNode* KeyNode::Find(const KeyPath& path) {
  KeyNode* node = this;
  for (const auto& name : path) {
    node = node->Child(name);
    if (!node) return nullptr;
  }
  return node;
}

const KeyNode* KeyNode::Find(const KeyPath& path) const { return const_cast<KeyNode*>(this)->Find(path); }

KeyNode& KeyNode::Ensure(const KeyPath& path) {
  KeyNode* node = this;
  for (const auto& name : path) node = &node->EnsureChild(name);
  return *node;
}

bool KeyNode::RemoveTree(const KeyPath& path) {
  if (path.empty()) return false;
  KeyNode* parent = Find(KeyPath(path.begin(), path.end() - 1));
  return parent && parent->RemoveChild(path.back());
}

void KeyNode::Clear() {
  children_.clear();
  values_.clear();
  valueIndex_.clear();
}

const RegValue* KeyNode::Value(std::string_view name) const {
  const auto it = valueIndex_.find(FoldCase(name));
  return it == valueIndex_.end() ? nullptr : &it->second->value;
}

void KeyNode::SetValue(std::string_view name, RegValue value) {
  std::string folded = FoldCase(name);
  const auto it = valueIndex_.find(folded);
  if (it != valueIndex_.end()) {
    it->second->value = std::move(value);
    return;
  }
  values_.push_back({std::string(name), folded, std::move(value)});
  valueIndex_.emplace(std::move(folded), std::prev(values_.end()));
}

bool KeyNode::RemoveValue(std::string_view name) {
  const auto it = valueIndex_.find(FoldCase(name));
  if (it == valueIndex_.end()) return false;
  values_.erase(it->second);
  valueIndex_.erase(it);
  return true;
}

std::vector<const KeyNode*> KeyNode::Children() const {
  std::vector<const KeyNode*> list;
  list.reserve(children_.size());
  for (const auto& [folded, child] : children_) list.push_back(child.get());
  return list;
}

}  // namespace orvex::reg
