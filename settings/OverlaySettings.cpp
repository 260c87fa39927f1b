#include "settings/OverlaySettings.h"

#include <algorithm>

#include "platform/registry/Utf.h"
#include "settings/SettingsStore.h"

namespace orvex::settings {
namespace {

using T = TOverlaySettings;

const std::vector<SettingsField<T>>& Fields() {
  static const std::vector<SettingsField<T>> fields = {
      {"OverlayText", &T::OverlayText},
      {"OverlayFontName", &T::OverlayFontName},
      {"OverlayFontSize", &T::OverlayFontSize},
      {"OverlayFontColor", &T::OverlayFontColor},
      {"OverlayBackColor", &T::OverlayBackColor},
      {"OverlayTextPosition", &T::OverlayTextPosition},
      {"Image1Position", &T::Image1Position},
      {"Image2Position", &T::Image2Position},
      {"Image3Position", &T::Image3Position},
      {"OverlayFontBold", &T::OverlayFontBold},
      {"OverlayFontItalic", &T::OverlayFontItalic},
      {"OverlayFontUnderline", &T::OverlayFontUnderline},
      {"OverlayFontStrikeOut", &T::OverlayFontStrikeOut},
      {"OverlayBackTransparent", &T::OverlayBackTransparent},
      {"OverlayTextVisible", &T::OverlayTextVisible},
      {"Image1Transparent", &T::Image1Transparent},
      {"Image2Transparent", &T::Image2Transparent},
      {"Image3Transparent", &T::Image3Transparent},
      {"Image1Visible", &T::Image1Visible},
      {"Image2Visible", &T::Image2Visible},
      {"Image3Visible", &T::Image3Visible},
  };
  return fields;
}

int Position(int code) { return code >= 0 && code <= 5 ? code : 0; }

// Beyond these no font draws, and the pixel height would overflow.
constexpr int kMinFontSize = 1;
constexpr int kMaxFontSize = 500;

}  // namespace

TOverlaySettings TOverlaySettings::Read() {
  TOverlaySettings s;
  ReadGroup(s, Fields());
  // A missing value reads as empty text, and an empty name never replaces
  // the font's own.
  if (s.OverlayFontName.empty()) s.OverlayFontName = kDefaultOverlayFontName;
  s.OverlayFontName = std::string(reg::CodePointPrefix(s.OverlayFontName, kMaxFontNameLength));
  s.OverlayFontSize = std::clamp(s.OverlayFontSize, kMinFontSize, kMaxFontSize);
  s.OverlayTextPosition = Position(s.OverlayTextPosition);
  s.Image1Position = Position(s.Image1Position);
  s.Image2Position = Position(s.Image2Position);
  s.Image3Position = Position(s.Image3Position);
  return s;
}

void TOverlaySettings::Write() const { WriteGroup(*this, Fields()); }

}  // namespace orvex::settings
