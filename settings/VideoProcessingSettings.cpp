#include "settings/VideoProcessingSettings.h"

#include <algorithm>

#include "settings/SettingsStore.h"

namespace orvex::settings {
namespace {

using T = TVideoProcessingSettings;

const std::vector<SettingsField<T>>& Fields() {
  static const std::vector<SettingsField<T>> fields = {
      {"Brightness", &T::Brightness}, {"Contrast", &T::Contrast},         {"Hue", &T::Hue},
      {"Saturation", &T::Saturation}, {"Rotation", &T::Rotation},         {"Mirror", &T::Mirror},
      {"GrayScale", &T::GrayScale},   {"InvertColors", &T::InvertColors},
  };
  return fields;
}

int Adjustment(int value) { return std::clamp(value, -255, 255); }

}  // namespace

TVideoProcessingSettings TVideoProcessingSettings::Read() {
  TVideoProcessingSettings s;
  ReadGroup(s, Fields());
  s.Brightness = Adjustment(s.Brightness);
  s.Contrast = Adjustment(s.Contrast);
  s.Hue = Adjustment(s.Hue);
  s.Saturation = Adjustment(s.Saturation);
  if (s.Rotation != 0 && s.Rotation != 90 && s.Rotation != 180 && s.Rotation != 270) s.Rotation = 0;
  return s;
}

void TVideoProcessingSettings::Write() const { WriteGroup(*this, Fields()); }

}  // namespace orvex::settings
