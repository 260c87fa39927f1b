#include "settings/CaptureSettings.h"

#include "settings/SettingsStore.h"

namespace orvex::settings {
namespace {

using T = TCaptureSettings;

const std::vector<SettingsField<T>>& Fields() {
  static const std::vector<SettingsField<T>> fields = {
      {"SecondVideoSource", &T::SecondVideoSource}, {"SecondVideoInput", &T::SecondVideoInput},
      {"SecondVideoSize", &T::SecondVideoSize},     {"SecondVideoCompression", &T::SecondVideoCompression},
      {"SecondAudioSource", &T::SecondAudioSource}, {"SecondAudioInput", &T::SecondAudioInput},
      {"SecondAudioFormat", &T::SecondAudioFormat}, {"SecondAudioCompression", &T::SecondAudioCompression},
  };
  return fields;
}

int NotNegative(int index) { return index < 0 ? 0 : index; }

}  // namespace

int IndexInList(int index, int count) { return index >= 0 && index < count ? index : 0; }

TCaptureSettings TCaptureSettings::Read(const TCaptureListSizes& lists) {
  TCaptureSettings s;
  ReadGroup(s, Fields());
  s.SecondVideoSource = IndexInList(s.SecondVideoSource, lists.videoDevices);
  s.SecondVideoInput = NotNegative(s.SecondVideoInput);
  s.SecondVideoSize = NotNegative(s.SecondVideoSize);
  s.SecondVideoCompression = IndexInList(s.SecondVideoCompression, lists.videoCompressors);
  s.SecondAudioSource = IndexInList(s.SecondAudioSource, lists.audioDevices);
  s.SecondAudioInput = NotNegative(s.SecondAudioInput);
  s.SecondAudioFormat = NotNegative(s.SecondAudioFormat);
  s.SecondAudioCompression = IndexInList(s.SecondAudioCompression, lists.audioCompressors);
  return s;
}

void TCaptureSettings::Write() const { WriteGroup(*this, Fields()); }

}  // namespace orvex::settings
