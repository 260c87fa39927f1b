#include "settings/SettingsStore.h"

namespace orvex::settings {

reg::TRegistry& OpenSettingsKey(reg::TRegistry& reg) {
  reg.setRootKey(kSettingsRoot);
  reg.setAccess(reg::KeyAccess::Full);
  reg.OpenKey(kSettingsKey, true);
  return reg;
}

}  // namespace orvex::settings
