#include "engine/TDevices.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

using orvex::media::DeviceCategory;

namespace {

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

DeviceCategory CategoryOf(TDevicesKind kind) {
  switch (kind) {
    case lk_VideoDevices: return DeviceCategory::VideoInput;
    case lk_AudioDevices: return DeviceCategory::AudioInput;
    case lk_VideoCompressors: return DeviceCategory::VideoCompressor;
    default: return DeviceCategory::AudioCompressor;
  }
}

struct OrderWord {
  const char* word;
  const char* unless;
};
constexpr OrderWord kVideoCompressorOrder[] = {
    {"MPEG-4", nullptr}, {"MPEG", nullptr}, {"DIVX", nullptr}, {"XVID", nullptr}, {"MJPEG", nullptr}};
constexpr OrderWord kAudioCompressorOrder[] = {
    {"WINDOWS MEDIA AUDIO V2", nullptr}, {"PCM", "ADPCM"}, {"MPEG", nullptr}};

}  // namespace

TDevices::TDevices(TDevicesKind kind, TDevices* partner) : kind_(kind), partner_(partner) {
  static const char* const kNames[] = {"video device", "audio device", "video compressor",
                                       "audio compressor"};
  name_ = kNames[kind];
  if (kind == lk_VideoCompressors) exclusions_ = {"ENCODER DMO", "XLDECOMPRESS"};
  if (kind == lk_AudioCompressors) exclusions_ = {"ENCODER DMO"};
}

std::string TDevices::KeyOf(const std::string& monikerDisplayName, const std::string& friendlyName) {
  std::string key;
  for (unsigned char c : monikerDisplayName + friendlyName)
    if (std::isalnum(c) || c == ' ' || c == '-' || c == '{' || c == '}' || c >= 0x80)
      key += static_cast<char>(c);
  return key;
}

// IEEE 1394 AV/C names carry "vendor-model" after "\\?\avc#".
void TDevices::VendorAndModel(const std::string& displayName, std::string& vendor, std::string& model) {
  vendor.clear();
  model.clear();
  const std::string marker = "\\\\?\\avc#";
  const auto at = Upper(displayName).find(Upper(marker));
  if (at == std::string::npos) return;
  std::string text = displayName.substr(at + marker.size());
  text = text.substr(0, text.find('#'));
  std::replace(text.begin(), text.end(), '&', ' ');
  const auto dash = text.size() > 1 ? text.find('-', 1) : std::string::npos;
  if (dash == std::string::npos) {
    vendor = model = text;
  } else {
    vendor = text.substr(0, dash);
    model = text.substr(dash + 1);
  }
}

int TDevices::NextOrdinal(const std::string& friendlyName) const {
  int highest = 0;
  for (const auto& e : entries_)
    if (e.Info.FriendlyName == friendlyName) highest = std::max(highest, e.Info.Ordinal);
  return highest + 1;
}

TDeviceEntry* TDevices::FindKey(const std::string& key) {
  for (auto& e : entries_)
    if (e.Info.Key == key) return &e;
  return nullptr;
}

void TDevices::ResetPresence(bool movedOnes) {
  std::lock_guard lock(mutex_);
  for (auto& e : entries_)
    if (e.Info.Moved == movedOnes) {
      e.Info.PreviouslyPresent = e.Info.Present;
      e.Info.Present = false;
    }
}

void TDevices::AppendMoved(TDeviceEntry entry, const LogFn& log) {
  std::lock_guard lock(mutex_);
  entry.Info.Ordinal = NextOrdinal(entry.Info.FriendlyName);
  entries_.push_back(std::move(entry));
  log("l= " + std::to_string(entries_.size()) + ", adding " + entries_.back().DisplayName);
}

void TDevices::Rebuild(orvex::media::IDeviceSource& source, const LogFn& log) {
  log("rebuilding " + name_);
  ResetPresence(false);
  if (kind_ == lk_VideoDevices && partner_) partner_->ResetPresence(true);
  bool movedAny = false;
  {
    std::lock_guard lock(mutex_);
    const auto devices = source.Enumerate(CategoryOf(kind_));
    log(std::string("instance: create sys dev enum: YES"));
    for (const auto& device : devices) {
      if (device.friendlyName.empty()) continue;
      const std::string key = KeyOf(device.monikerDisplayName, device.friendlyName);
      const std::string upperName = Upper(device.friendlyName);
      if (std::any_of(exclusions_.begin(), exclusions_.end(),
                      [&](const std::string& word) { return Contains(upperName, word); }))
        continue;
      TDeviceEntry* known = FindKey(key);
      if (!known && kind_ == lk_VideoDevices && partner_) known = partner_->FindKey(key);
      if (known) {
        known->Info.Present = true;
        known->Info.Descriptor = device;
        continue;
      }
      TDeviceEntry entry;
      TCapDeviceInfo& info = entry.Info;
      info.Key = key;
      info.FriendlyName = device.friendlyName;
      info.IsWDM = device.isWdm;
      info.IsDV = Contains(device.friendlyName, "Microsoft DV");
      info.Present = true;
      info.Category = CategoryOf(kind_);
      info.Descriptor = device;
      VendorAndModel(device.monikerDisplayName, info.Vendor, info.Model);
      info.Ordinal = NextOrdinal(info.FriendlyName);
      entry.DisplayName = info.FriendlyName;
      if (info.Ordinal > 1) entry.DisplayName += " #" + std::to_string(info.Ordinal);
      if (kind_ == lk_VideoDevices) entry.DisplayName += info.IsWDM ? " (WDM)" : " (vfw)";
      // Capture cards list their sound part as a video device; it belongs with the audio devices.
      if (kind_ == lk_VideoDevices && partner_ && Contains(Upper(entry.DisplayName), "AUDIO")) {
        info.Moved = true;
        partner_->AppendMoved(std::move(entry), log);
        movedAny = true;
        continue;
      }
      entries_.push_back(std::move(entry));
      log("l= " + std::to_string(entries_.size()) + ", adding " + entries_.back().DisplayName);
    }
    if (kind_ == lk_VideoCompressors || kind_ == lk_AudioCompressors) ReorderCompressors(entries_, kind_);
  }
  log("rebuilded " + name_);
  if (movedAny) partner_->Rebuild(source, log);
}

void TDevices::ReorderCompressors(std::vector<TDeviceEntry>& entries, TDevicesKind kind) {
  const OrderWord* begin =
      kind == lk_VideoCompressors ? std::begin(kVideoCompressorOrder) : std::begin(kAudioCompressorOrder);
  const OrderWord* end =
      kind == lk_VideoCompressors ? std::end(kVideoCompressorOrder) : std::end(kAudioCompressorOrder);
  std::size_t front = 0;
  for (const OrderWord* w = begin; w != end; ++w) {
    for (std::size_t i = front; i < entries.size(); ++i) {
      const std::string name = Upper(entries[i].DisplayName);
      if (!Contains(name, w->word) || (w->unless && Contains(name, w->unless))) continue;
      std::swap(entries[i], entries[front]);
      ++front;
    }
  }
}

int TDevices::Count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(entries_.size());
}

std::string TDevices::DisplayName(int index) const {
  std::lock_guard lock(mutex_);
  return index >= 0 && index < static_cast<int>(entries_.size()) ? entries_[index].DisplayName : "";
}

bool TDevices::Entry(int index, TDeviceEntry& entry) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(entries_.size())) return false;
  entry = entries_[index];
  return true;
}

std::vector<TDeviceEntry> TDevices::Entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::string TDevices::Text() const {
  std::lock_guard lock(mutex_);
  std::string text;
  for (const auto& e : entries_) text += e.DisplayName + "\n";
  return text;
}

std::string AudioFormatsText() {
  static const int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
  std::string text = "default\n";
  for (int rate : kRates)
    for (int bits : {8, 16})
      for (int channels : {1, 2}) {
        char line[64];
        std::snprintf(line, sizeof line, "%u Hz, %u-bit %s\n", rate, bits, channels == 1 ? "Mono" : "Stereo");
        text += line;
      }
  return text;
}

TDeviceLists::TDeviceLists()
    : AudioDevices(lk_AudioDevices),
      VideoDevices(lk_VideoDevices, &AudioDevices),
      VideoCompressors(lk_VideoCompressors),
      AudioCompressors(lk_AudioCompressors) {}

void TDeviceLists::EnumerateAll(orvex::media::IDeviceSource& source, const TDevices::LogFn& log) {
  DiscoveryState = ds_Running;
  AudioDevices.Rebuild(source, log);
  VideoDevices.Rebuild(source, log);
  VideoCompressors.Rebuild(source, log);
  AudioCompressors.Rebuild(source, log);
  AudioFormats = AudioFormatsText();
  DiscoveryState = ds_Done;
}

TDevices& TDeviceLists::List(TDevicesKind kind) {
  switch (kind) {
    case lk_VideoDevices: return VideoDevices;
    case lk_AudioDevices: return AudioDevices;
    case lk_VideoCompressors: return VideoCompressors;
    default: return AudioCompressors;
  }
}
