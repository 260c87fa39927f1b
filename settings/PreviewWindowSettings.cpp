#include "settings/PreviewWindowSettings.h"

#include "settings/SettingsStore.h"

namespace orvex::settings {
namespace {

using T = TPreviewWindowSettings;

const std::vector<SettingsField<T>>& Fields() {
  static const std::vector<SettingsField<T>> fields = {
      {"PreviewLeft", &T::PreviewLeft},
      {"PreviewTop", &T::PreviewTop},
      {"PreviewWidth", &T::PreviewWidth},
      {"PreviewHeight", &T::PreviewHeight},
  };
  return fields;
}

constexpr int kLargestDesktop = 100000;

bool Within(int value, int low) { return value >= low && value <= kLargestDesktop; }

}  // namespace

TPreviewWindowSettings TPreviewWindowSettings::Read() {
  TPreviewWindowSettings s;
  ReadGroup(s, Fields());
  if (!Within(s.PreviewLeft, -kLargestDesktop) || !Within(s.PreviewTop, -kLargestDesktop) ||
      !Within(s.PreviewWidth, 0) || !Within(s.PreviewHeight, 0))
    s = {};
  return s;
}

void TPreviewWindowSettings::Write() const { WriteGroup(*this, Fields()); }

}  // namespace orvex::settings
