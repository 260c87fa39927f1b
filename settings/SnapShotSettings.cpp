#include "settings/SnapShotSettings.h"

#include "settings/SettingsStore.h"

namespace orvex::settings {
namespace {

using T = TSnapShotSettings;

const std::vector<SettingsField<T>>& Fields() {
  static const std::vector<SettingsField<T>> fields = {
      {"SnapShotFormat", &T::SnapShotFormat},
      {"SnapShotSize", &T::SnapShotSize},
      {"SnapShotCustomW", &T::SnapShotCustomW},
      {"SnapShotCustomH", &T::SnapShotCustomH},
  };
  return fields;
}

int Code(int value) { return value >= 0 && value <= 2 ? value : 0; }
int Pixels(int value, int fallback) { return value > 0 && value <= 65535 ? value : fallback; }

}  // namespace

TSnapShotSettings TSnapShotSettings::Read() {
  TSnapShotSettings s;
  ReadGroup(s, Fields());
  s.SnapShotFormat = Code(s.SnapShotFormat);
  s.SnapShotSize = Code(s.SnapShotSize);
  s.SnapShotCustomW = Pixels(s.SnapShotCustomW, 640);
  s.SnapShotCustomH = Pixels(s.SnapShotCustomH, 480);
  return s;
}

void TSnapShotSettings::Write() const { WriteGroup(*this, Fields()); }

}  // namespace orvex::settings
