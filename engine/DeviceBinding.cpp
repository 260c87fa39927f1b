#include "engine/DeviceBinding.h"

#include <algorithm>

#include "engine/BusyCursor.h"
#include "engine/DeviceStore.h"
#include "engine/TSyncManager.h"
#include "engine/VideoInputNames.h"
#include "platform/media/InputSwitch.h"

namespace {
std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// An index read from the store names an entry of its list, else the first.
int StoredIndex(int index, int count) { return index >= 0 && index < count ? index : 0; }

// A device without inputs still has its one "-Default-" input 0.
int InputCount(const std::string& inputsText) {
  return std::max(1, static_cast<int>(TextLines(inputsText).size()));
}

// The process's list of `kind`, once the devices are listed.
TDevices* ListedDevices(TDevicesKind kind) {
  TSyncManager* manager = TSyncManager::Instance();
  return manager && manager->EnumerationDone() ? &manager->Lists().List(kind) : nullptr;
}
}  // namespace

// Sizes and subtypes from the device's formats, stored for the next binding.
void TDeviceBinding::DiscoverVideoDevice() {
  const auto& descriptor = d_.Video.Info.Descriptor;
  host_.Report(true, sv_Info,
               "one-time video device discovery:\r\n" + d_.Video.DisplayName + "\r\nplease wait...",
               i_begin_discovering_device);
  host_.LogLine("BEGIN Discovering " + d_.Video.DisplayName);
  d_.Sizes.Clear();
  d_.Subtypes.clear();
  if (descriptor.capabilities.empty()) host_.LogLine("ERROR: NO OUPTUT PIN FOUND IN FORMAT DISCOVERING");
  for (const auto& cap : descriptor.capabilities)
    if (!cap.subtype.empty() &&
        std::find(d_.Subtypes.begin(), d_.Subtypes.end(), cap.subtype) == d_.Subtypes.end())
      d_.Subtypes.push_back(cap.subtype);
  d_.Sizes.OnAdded = [this](const std::string& size) {
    host_.Report(true, sv_Info, "video size: " + size, i_discovering_device);
  };
  d_.Sizes.AddFromCapabilities(descriptor.capabilities);
  d_.Sizes.OnAdded = nullptr;
  if (d_.Video.Info.IsDV) {
    d_.Sizes.MakeDV();
  } else {
    d_.Sizes.ChooseDefaultAfterDiscovery();
  }
  const auto inputs = VideoInputNames(descriptor.inputs);
  d_.VideoValues.SetText(vv_VideoInputs, JoinLines(inputs));
  d_.VideoValues.SetBool(vv_IsVideoCrossbarAvail, !inputs.empty());
  d_.VideoValues.SetBool(vv_DeviceDiscovered, d_.Sizes.Count() > 0);
  device_store::SaveFormats(d_.Video.Info.Key, d_.Sizes.Entries(), d_.Subtypes);
  host_.LogLine(std::string("Digital video in: ") + (d_.Video.Info.IsDV ? "YES" : "no"));
  host_.LogLine("END Discovering " + d_.Video.DisplayName);
  host_.Report(true, sv_Info, "end of device discovery", i_end_discovering_device);
}

bool TDeviceBinding::BindVideo() {
  TDevices* list = ListedDevices(lk_VideoDevices);
  if (!list || p_.VideoSource != vs_VideoCaptureDevice) return false;
  if (list->Count() == 0) {
    host_.NoVideoDevices();
    return false;
  }
  if (p_.VideoDevice < 0 || !host_.IndexCheck(p_.VideoDevice, list->Count(), "video capture device"))
    return false;
  if (bindingVideo_) return false;
  bindingVideo_ = true;
  busy_cursor::Scope busy(p_.BusyCursor, p_.NormalCursor);
  if (d_.VideoIndex >= 0) device_store::SaveDevice(d_.Video.Info.Key, d_.VideoValues);
  d_.VideoIndex = p_.VideoDevice;
  list->Entry(d_.VideoIndex, d_.Video);

  const int count = p_.StoreDeviceSettingsInRegistry ? kVideoDeviceValueCount : kVideoDiscoveryValueCount;
  d_.VideoValues.Reset();
  if (!device_store::LoadDevice(d_.Video.Info.Key, d_.VideoValues, count)) d_.VideoValues.Reset();
  std::vector<std::string> sizes;
  device_store::LoadFormats(d_.Video.Info.Key, sizes, d_.Subtypes);
  d_.Sizes.Assign(sizes);
  d_.VideoReady = d_.Sizes.Count() > 0 && !d_.Subtypes.empty();
  if (!d_.VideoReady) {
    host_.LogLine("ERROR when loading from registry: Formats or Subtypes empty");
    DiscoverVideoDevice();
    d_.VideoReady = d_.Sizes.Count() > 0;
  }
  d_.VideoInputsText = d_.VideoValues.Text(vv_VideoInputs);
  TDeviceValues& v = d_.VideoValues;
  v.SetInt(vv_VideoSize, StoredIndex(v.Int(vv_VideoSize), d_.Sizes.Count()));
  v.SetInt(vv_VideoInput, StoredIndex(v.Int(vv_VideoInput), InputCount(d_.VideoInputsText)));
  v.SetInt(vv_VideoSubtype, StoredIndex(v.Int(vv_VideoSubtype), static_cast<int>(d_.Subtypes.size())));
  device_store::SaveDevice(d_.Video.Info.Key, d_.VideoValues);
  bindingVideo_ = false;
  if (d_.VideoReady) {
    ApplyBoundVideoSize();
    host_.LogLine("call change video device");
    host_.DeviceSelected(true);
    host_.LogLine("end call change video device");
  }
  return d_.VideoReady;
}

void TDeviceBinding::ApplyBoundVideoSize() {
  int w = 0, h = 0;
  if (!ResolveVideoSize(-1, w, h)) {
    w = 320;
    h = 240;
  }
  d_.VideoWidth = w;
  d_.VideoHeight = h;
  host_.VideoSizeChanged();
}

bool TDeviceBinding::DiscoverAudioDevice() {
  host_.Report(true, sv_Info,
               "one-time audio device discovery:\r\n" + d_.Audio.DisplayName + "\r\nplease wait...",
               i_begin_discovering_device);
  host_.LogLine("BEGIN Discovering " + d_.Audio.DisplayName);
  std::vector<std::string> names;
  for (const auto& input : d_.Audio.Info.Descriptor.inputs) names.push_back(input.name);
  d_.AudioValues.SetBool(av_AIsSoundCard, names.size() > 4);
  d_.AudioValues.SetBool(av_AIsAudioCrossbarAvail, false);
  host_.LogLine("audio crossbar available on audio device: no");
  d_.AudioValues.SetText(av_AudioInputs, JoinLines(names));
  d_.AudioValues.SetInt(av_AudioInput, 0);
  host_.LogLine("Audio pin list");
  for (const auto& name : names) host_.LogLine(name);
  host_.LogLine("END Discovering " + d_.Audio.DisplayName);
  host_.Report(true, sv_Info, "end of device discovery", i_end_discovering_device);
  return true;
}

bool TDeviceBinding::BindAudio() {
  TDevices* list = ListedDevices(lk_AudioDevices);
  if (!list || p_.VideoSource != vs_VideoCaptureDevice) return false;
  if (list->Count() == 0 || p_.AudioDevice < 0) return false;
  if (!host_.IndexCheck(p_.AudioDevice, list->Count(), "audio capture device") || bindingAudio_) return false;
  bindingAudio_ = true;
  busy_cursor::Scope busy(p_.BusyCursor, p_.NormalCursor);
  if (d_.AudioIndex >= 0) device_store::SaveDevice(d_.Audio.Info.Key, d_.AudioValues);
  d_.AudioIndex = p_.AudioDevice;
  list->Entry(d_.AudioIndex, d_.Audio);
  d_.AudioValues.Reset();
  const int count = p_.StoreDeviceSettingsInRegistry ? kAudioDeviceValueCount : kAudioDiscoveryValueCount;
  if (!device_store::LoadDevice(d_.Audio.Info.Key, d_.AudioValues, count) &&
      !d_.AudioValues.Bool(av_DeviceDiscovered))
    d_.AudioValues.Reset();
  if (!d_.AudioValues.Bool(av_DeviceDiscovered) && DiscoverAudioDevice())
    d_.AudioValues.SetBool(av_DeviceDiscovered, true);
  d_.AudioInputsText = d_.AudioValues.Text(av_AudioInputs);
  d_.AudioValues.SetInt(av_AudioInput,
                        StoredIndex(d_.AudioValues.Int(av_AudioInput), InputCount(d_.AudioInputsText)));
  device_store::SaveDevice(d_.Audio.Info.Key, d_.AudioValues);
  const bool discovered = d_.AudioValues.Bool(av_DeviceDiscovered);
  if (discovered) {
    RouteAudioInput();
    host_.DeviceSelected(false);
  }
  bindingAudio_ = false;
  return discovered;
}

void TDeviceBinding::Release() {
  if (d_.VideoIndex >= 0) device_store::SaveDevice(d_.Video.Info.Key, d_.VideoValues);
  if (d_.AudioIndex >= 0) device_store::SaveDevice(d_.Audio.Info.Key, d_.AudioValues);
}

bool TDeviceBinding::ChooseVideoInput(int index, GstElement* running) {
  const auto lines = TextLines(d_.VideoInputsText);
  if (host_.Report(index < 0 || index > static_cast<int>(lines.size()), sv_Error,
                   "Video input index out of range", e_index_out_of_range))
    return false;
  const bool changed = index != d_.VideoValues.Int(vv_VideoInput);
  d_.VideoValues.SetInt(vv_VideoInput, index);
  d_.VideoValues.SetText(vv_VideoInputName, index < static_cast<int>(lines.size()) ? lines[index] : "");
  return RouteVideoInput(running) && changed;
}

bool TDeviceBinding::ChooseAudioInput(int index) {
  if (index < 0) return false;
  const bool changed = index != d_.AudioValues.Int(av_AudioInput);
  d_.AudioValues.SetInt(av_AudioInput, index);
  RouteAudioInput();
  return changed;
}

// The capture card's crossbar is a V4L2 input switch here. A running device
// switches at once, through the element that holds it; a device at rest
// takes the input now (V4L2) or when its element is made.
bool TDeviceBinding::RouteVideoInput(GstElement* running) {
  const auto& descriptor = d_.Video.Info.Descriptor;
  const int input = d_.VideoValues.Int(vv_VideoInput);
  if (descriptor.inputs.empty() || input >= static_cast<int>(descriptor.inputs.size())) return true;
  const std::string path = descriptor.isTestDevice ? "" : descriptor.devicePath;
  if (!orvex::media::SwitchVideoInput(running, path, input)) {
    host_.Report(true, sv_Error, "Cannot route video crossbar input", e_failed_to_connect_crossbar_pin);
    return false;
  }
  d_.VideoValues.SetText(vv_AMVideoCrossbar, std::to_string(input));
  return true;
}

void TDeviceBinding::RouteAudioInput() {
  const auto lines = TextLines(d_.AudioInputsText);
  const int count = static_cast<int>(lines.size());
  const int input = StoredIndex(d_.AudioValues.Int(av_AudioInput), count);
  d_.AudioValues.SetInt(av_AudioInput, input);
  d_.AudioValues.SetText(av_AudioInputName, input < count ? lines[input] : "");
}

bool TDeviceBinding::ChooseVideoSize(int index, bool resizeNow) {
  if (index < 0 || index >= d_.Sizes.Count()) return false;
  const bool changed = index != d_.VideoValues.Int(vv_VideoSize);
  d_.VideoValues.SetInt(vv_VideoSize, index);
  int w = 0, h = 0;
  if (resizeNow && ResolveVideoSize(index, w, h)) {
    d_.VideoWidth = w;
    d_.VideoHeight = h;
    host_.VideoSizeChanged();
  }
  return changed;
}

void TDeviceBinding::CheckVideoSizeChoice() {
  if (d_.VideoValues.Int(vv_VideoSize) < d_.Sizes.Count()) return;
  d_.VideoValues.SetInt(vv_VideoSize, 0);
  host_.Report(true, sv_Error, "VideoSize index out of range, default size used", e_index_out_of_range);
}

bool TDeviceBinding::ResolveVideoSize(int index, int& width, int& height) {
  if (index == -1) {
    d_.VideoValues.SetInt(vv_VideoSize, StoredIndex(d_.VideoValues.Int(vv_VideoSize), d_.Sizes.Count()));
    index = d_.VideoValues.Int(vv_VideoSize);
  }
  if (d_.Video.Info.IsDV) {
    // DV frames are 576 lines in PAL, 480 in NTSC.
    const bool pal = d_.VideoValues.Bool(vv_IsDVPal);
    static const int kWidths[] = {360, 88, 180, 360, 720};
    static const int kPalHeights[] = {288, 72, 144, 288, 576};
    static const int kNtscHeights[] = {240, 60, 120, 240, 480};
    if (index < 0 || index > 4) return false;
    width = kWidths[index];
    height = pal ? kPalHeights[index] : kNtscHeights[index];
    return true;
  }
  return d_.Sizes.Resolve(index, width, height);
}

void TDeviceBinding::UseRunningSize(int width, int height) {
  d_.VideoWidth = width;
  d_.VideoHeight = height;
  host_.VideoSizeChanged();
}

std::string TDeviceBinding::SelectedSubtype() const {
  const int selected = d_.VideoValues.Int(vv_VideoSubtype);
  return selected >= 0 && selected < static_cast<int>(d_.Subtypes.size()) ? d_.Subtypes[selected] : "";
}

void TDeviceBinding::LoadGlobals() { device_store::LoadGlobals(d_.LastRecordingFileName, d_.LastClipPlayed); }

void TDeviceBinding::SaveGlobals() { device_store::SaveGlobals(d_.LastRecordingFileName, d_.LastClipPlayed); }
