#pragma once
// The one registry key that holds every user choice, and the access rule of
// its four groups: each value is read by itself and a failed read (missing,
// wrong type) keeps the value's default; a group is written value by value in
// its table order, and the first failing write ends it with an exception.

#include <string>
#include <variant>
#include <vector>

#include "platform/registry/Registry.h"

namespace orvex::settings {

inline constexpr reg::Root kSettingsRoot = reg::Root::HKEY_LOCAL_MACHINE;
inline constexpr const char* kSettingsKey = "Software\\Brevantix\\Orvex";

// A value of a group: its name in the key and the member that holds it.
// Integers are REG_DWORD, booleans REG_DWORD 0 or 1, strings REG_SZ.
template <class Group>
struct SettingsField {
  const char* name;
  std::variant<int Group::*, bool Group::*, std::string Group::*> member;
};

// Opens the settings key with create-if-missing and full access; the outcome
// is not checked, because a key that cannot be opened simply fails every read
// (defaults) and the first write (an exception for the user).
reg::TRegistry& OpenSettingsKey(reg::TRegistry& reg);

// Overwrites the members of `group` (which hold the defaults) with the
// values that read well.
template <class Group>
void ReadGroup(Group& group, const std::vector<SettingsField<Group>>& fields) {
  reg::TRegistry reg;
  OpenSettingsKey(reg);
  for (const auto& field : fields) {
    if (const auto member = std::get_if<int Group::*>(&field.member)) {
      if (const auto value = reg.ReadInteger(field.name)) group.*(*member) = *value;
    } else if (const auto flag = std::get_if<bool Group::*>(&field.member)) {
      if (const auto value = reg.ReadBool(field.name)) group.*(*flag) = *value;
    } else if (const auto text = std::get_if<std::string Group::*>(&field.member)) {
      if (const auto value = reg.ReadString(field.name)) group.*(*text) = *value;
    }
  }
}

// Throws reg::ERegistryException when a value cannot be written or the key
// cannot be saved.
template <class Group>
void WriteGroup(const Group& group, const std::vector<SettingsField<Group>>& fields) {
  reg::TRegistry reg;
  OpenSettingsKey(reg);
  for (const auto& field : fields) {
    if (const auto member = std::get_if<int Group::*>(&field.member)) {
      reg.WriteInteger(field.name, group.*(*member));
    } else if (const auto flag = std::get_if<bool Group::*>(&field.member)) {
      reg.WriteBool(field.name, group.*(*flag));
    } else if (const auto text = std::get_if<std::string Group::*>(&field.member)) {
      reg.WriteString(field.name, group.*(*text));
    }
  }
  reg.CloseKey();
}

}  // namespace orvex::settings
