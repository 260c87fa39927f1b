// Device lists, binding and discovery, inputs and frame sizes of an engine.

#include <algorithm>

#include "engine/BusyCursor.h"
#include "engine/DeviceStore.h"
#include "engine/TLog.h"
#include "engine/TSyncManager.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "engine/VideoInputNames.h"
#include "engine/filters/PixelGeometry.h"
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
}  // namespace

TDevices* TVdvWorker::DeviceList(TDevicesKind kind) const {
  TSyncManager* manager = TSyncManager::Instance();
  return manager && manager->EnumerationDone() ? &manager->Lists().List(kind) : nullptr;
}

int TVdvWorker::VideoDevicesCount() const {
  const TDevices* list = DeviceList(lk_VideoDevices);
  return list ? list->Count() : 0;
}

int TVdvWorker::AudioDevicesCount() const {
  const TDevices* list = DeviceList(lk_AudioDevices);
  return list ? list->Count() : 0;
}

void TVdvWorker::CallDeviceSelected(bool video) {
  if (Destroying) return;
  auto handler = video ? Events.OnVideoDeviceSelected.Get() : Events.OnAudioDeviceSelected.Get();
  if (handler) (*handler)(&Owner);
}

// Sizes and subtypes from the device's formats, stored for the next binding.
void TVdvWorker::DiscoverVideoDevice() {
  TBoundDevices& d = Devices;
  const auto& descriptor = d.Video.Info.Descriptor;
  Report(true, sv_Info, "one-time video device discovery:\r\n" + d.Video.DisplayName + "\r\nplease wait...",
         i_begin_discovering_device);
  LogLine("BEGIN Discovering " + d.Video.DisplayName);
  d.Sizes.Clear();
  d.Subtypes.clear();
  if (descriptor.capabilities.empty()) LogLine("ERROR: NO OUPTUT PIN FOUND IN FORMAT DISCOVERING");
  for (const auto& cap : descriptor.capabilities)
    if (!cap.subtype.empty() &&
        std::find(d.Subtypes.begin(), d.Subtypes.end(), cap.subtype) == d.Subtypes.end())
      d.Subtypes.push_back(cap.subtype);
  d.Sizes.OnAdded = [this](const std::string& size) {
    Report(true, sv_Info, "video size: " + size, i_discovering_device);
  };
  d.Sizes.AddFromCapabilities(descriptor.capabilities);
  d.Sizes.OnAdded = nullptr;
  if (d.Video.Info.IsDV) {
    d.Sizes.MakeDV();
  } else {
    d.Sizes.ChooseDefaultAfterDiscovery();
  }
  const auto inputs = VideoInputNames(descriptor.inputs);
  d.VideoValues.SetText(vv_VideoInputs, JoinLines(inputs));
  d.VideoValues.SetBool(vv_IsVideoCrossbarAvail, !inputs.empty());
  d.VideoValues.SetBool(vv_DeviceDiscovered, d.Sizes.Count() > 0);
  device_store::SaveFormats(d.Video.Info.Key, d.Sizes.Entries(), d.Subtypes);
  LogLine(std::string("Digital video in: ") + (d.Video.Info.IsDV ? "YES" : "no"));
  LogLine("END Discovering " + d.Video.DisplayName);
  Report(true, sv_Info, "end of device discovery", i_end_discovering_device);
}

bool TVdvWorker::BindVideoDevice() {
  if (!EnumerationDone() || P.VideoSource != vs_VideoCaptureDevice) return false;
  TDevices* list = DeviceList(lk_VideoDevices);
  if (list->Count() == 0) {
    QueueEvent(qe_NoVideoDevices);
    return false;
  }
  if (P.VideoDevice < 0 || !IndexCheck(P.VideoDevice, list->Count(), "video capture device")) return false;
  if (bindingVideo_) return false;
  bindingVideo_ = true;
  busy_cursor::Scope busy(P.BusyCursor, P.NormalCursor);
  TBoundDevices& d = Devices;
  if (d.VideoIndex >= 0) device_store::SaveDevice(d.Video.Info.Key, d.VideoValues);
  d.VideoIndex = P.VideoDevice;
  list->Entry(d.VideoIndex, d.Video);

  const int count = P.StoreDeviceSettingsInRegistry ? kVideoDeviceValueCount : kVideoDiscoveryValueCount;
  d.VideoValues.Reset();
  if (!device_store::LoadDevice(d.Video.Info.Key, d.VideoValues, count)) d.VideoValues.Reset();
  std::vector<std::string> sizes;
  device_store::LoadFormats(d.Video.Info.Key, sizes, d.Subtypes);
  d.Sizes.Assign(sizes);
  d.VideoReady = d.Sizes.Count() > 0 && !d.Subtypes.empty();
  if (!d.VideoReady) {
    LogLine("ERROR when loading from registry: Formats or Subtypes empty");
    DiscoverVideoDevice();
    d.VideoReady = d.Sizes.Count() > 0;
  }
  d.VideoInputsText = d.VideoValues.Text(vv_VideoInputs);
  TDeviceValues& v = d.VideoValues;
  v.SetInt(vv_VideoSize, StoredIndex(v.Int(vv_VideoSize), d.Sizes.Count()));
  v.SetInt(vv_VideoInput, StoredIndex(v.Int(vv_VideoInput), InputCount(d.VideoInputsText)));
  v.SetInt(vv_VideoSubtype, StoredIndex(v.Int(vv_VideoSubtype), static_cast<int>(d.Subtypes.size())));
  device_store::SaveDevice(d.Video.Info.Key, d.VideoValues);
  bindingVideo_ = false;
  if (d.VideoReady) {
    ApplyBoundVideoSize();
    LogLine("call change video device");
    CallDeviceSelected(true);
    LogLine("end call change video device");
  }
  return d.VideoReady;
}

void TVdvWorker::ApplyBoundVideoSize() {
  int w = 0, h = 0;
  if (!ResolveVideoSize(-1, w, h)) {
    w = 320;
    h = 240;
  }
  Devices.VideoWidth = w;
  Devices.VideoHeight = h;
  Owner.VideoSizeChanged();
}

bool TVdvWorker::DiscoverAudioDevice() {
  TBoundDevices& d = Devices;
  Report(true, sv_Info, "one-time audio device discovery:\r\n" + d.Audio.DisplayName + "\r\nplease wait...",
         i_begin_discovering_device);
  LogLine("BEGIN Discovering " + d.Audio.DisplayName);
  std::vector<std::string> names;
  for (const auto& input : d.Audio.Info.Descriptor.inputs) names.push_back(input.name);
  d.AudioValues.SetBool(av_AIsSoundCard, names.size() > 4);
  d.AudioValues.SetBool(av_AIsAudioCrossbarAvail, false);
  LogLine("audio crossbar available on audio device: no");
  d.AudioValues.SetText(av_AudioInputs, JoinLines(names));
  d.AudioValues.SetInt(av_AudioInput, 0);
  LogLine("Audio pin list");
  for (const auto& name : names) LogLine(name);
  LogLine("END Discovering " + d.Audio.DisplayName);
  Report(true, sv_Info, "end of device discovery", i_end_discovering_device);
  return true;
}

bool TVdvWorker::BindAudioDevice() {
  if (!EnumerationDone() || P.VideoSource != vs_VideoCaptureDevice) return false;
  TDevices* list = DeviceList(lk_AudioDevices);
  if (list->Count() == 0 || P.AudioDevice < 0) return false;
  if (!IndexCheck(P.AudioDevice, list->Count(), "audio capture device") || bindingAudio_) return false;
  bindingAudio_ = true;
  busy_cursor::Scope busy(P.BusyCursor, P.NormalCursor);
  TBoundDevices& d = Devices;
  if (d.AudioIndex >= 0) device_store::SaveDevice(d.Audio.Info.Key, d.AudioValues);
  d.AudioIndex = P.AudioDevice;
  list->Entry(d.AudioIndex, d.Audio);
  d.AudioValues.Reset();
  const int count = P.StoreDeviceSettingsInRegistry ? kAudioDeviceValueCount : kAudioDiscoveryValueCount;
  if (!device_store::LoadDevice(d.Audio.Info.Key, d.AudioValues, count) &&
      !d.AudioValues.Bool(av_DeviceDiscovered))
    d.AudioValues.Reset();
  if (!d.AudioValues.Bool(av_DeviceDiscovered) && DiscoverAudioDevice())
    d.AudioValues.SetBool(av_DeviceDiscovered, true);
  d.AudioInputsText = d.AudioValues.Text(av_AudioInputs);
  d.AudioValues.SetInt(av_AudioInput,
                       StoredIndex(d.AudioValues.Int(av_AudioInput), InputCount(d.AudioInputsText)));
  device_store::SaveDevice(d.Audio.Info.Key, d.AudioValues);
  const bool discovered = d.AudioValues.Bool(av_DeviceDiscovered);
  if (discovered) {
    RouteAudioInput();
    CallDeviceSelected(false);
  }
  bindingAudio_ = false;
  return discovered;
}

void TVdvWorker::ReleaseDevices() {
  if (Devices.VideoIndex >= 0) device_store::SaveDevice(Devices.Video.Info.Key, Devices.VideoValues);
  if (Devices.AudioIndex >= 0) device_store::SaveDevice(Devices.Audio.Info.Key, Devices.AudioValues);
}

void TVdvWorker::SetVideoDevice(int index) {
  P.VideoDevice = index;
  if (index == -1 || !EnumerationDone()) return;
  const int count = VideoDevicesCount();
  if (!IndexCheck(index, count, "video capture device") || count == 0 || !Initialized) return;
  if (Devices.VideoIndex != index) {
    if (State != es_Stopped) {
      AutoRefresh("dsvdev");
      return;
    }
    if (!Owner.Loading()) BindVideoDevice();
  }
  if (autoStartPending_ && State == es_Stopped && !Owner.Loading()) autoStartDue_ = true;
}

void TVdvWorker::SetAudioDevice(int index) {
  P.AudioDevice = index;
  if (index == -1 || !EnumerationDone()) return;
  const int count = AudioDevicesCount();
  if (!IndexCheck(index, count, "audio capture device") || count == 0) return;
  if (Devices.AudioIndex == index || !Initialized) return;
  if (State != es_Stopped) {
    AutoRefresh("dsadev");
  } else if (!Owner.Loading()) {
    BindAudioDevice();
  }
}

void TVdvWorker::SetVideoInput(int index) {
  const auto lines = TextLines(Devices.VideoInputsText);
  if (Report(index < 0 || index > static_cast<int>(lines.size()), sv_Error, "Video input index out of range",
             e_index_out_of_range))
    return;
  const bool changed = index != Devices.VideoValues.Int(vv_VideoInput);
  Devices.VideoValues.SetInt(vv_VideoInput, index);
  Devices.VideoValues.SetText(vv_VideoInputName, index < static_cast<int>(lines.size()) ? lines[index] : "");
  if (!RouteVideoInput()) return;
  if (changed) CallDeviceSelected(true);
}

void TVdvWorker::SetAudioInput(int index) {
  if (index < 0) return;
  const bool changed = index != Devices.AudioValues.Int(av_AudioInput);
  Devices.AudioValues.SetInt(av_AudioInput, index);
  RouteAudioInput();
  if (changed) CallDeviceSelected(false);
}

// The capture card's crossbar is a V4L2 input switch here. A running device
// switches at once, through the element that holds it; a device at rest
// takes the input now (V4L2) or when its element is made.
bool TVdvWorker::RouteVideoInput() {
  const auto& descriptor = Devices.Video.Info.Descriptor;
  const int input = Devices.VideoValues.Int(vv_VideoInput);
  if (descriptor.inputs.empty() || input >= static_cast<int>(descriptor.inputs.size())) return true;
  const std::string path = descriptor.isTestDevice ? "" : descriptor.devicePath;
  if (!orvex::media::SwitchVideoInput(Built.DeviceElement, path, input)) {
    Report(true, sv_Error, "Cannot route video crossbar input", e_failed_to_connect_crossbar_pin);
    return false;
  }
  Devices.VideoValues.SetText(vv_AMVideoCrossbar, std::to_string(input));
  return true;
}

void TVdvWorker::RouteAudioInput() {
  const auto lines = TextLines(Devices.AudioInputsText);
  const int count = static_cast<int>(lines.size());
  const int input = StoredIndex(Devices.AudioValues.Int(av_AudioInput), count);
  Devices.AudioValues.SetInt(av_AudioInput, input);
  Devices.AudioValues.SetText(av_AudioInputName, input < count ? lines[input] : "");
}

void TVdvWorker::SetVideoSize(int index) {
  if (index < 0 || index >= Devices.Sizes.Count()) return;
  const bool changed = index != Devices.VideoValues.Int(vv_VideoSize);
  Devices.VideoValues.SetInt(vv_VideoSize, index);
  int w = 0, h = 0;
  if (State == es_Stopped && ResolveVideoSize(index, w, h)) {
    Devices.VideoWidth = w;
    Devices.VideoHeight = h;
    Owner.VideoSizeChanged();
  }
  if (!changed) return;
  CallDeviceSelected(true);
  AutoRefresh("dsvsz");
}

void TVdvWorker::SetCompressor(bool video, int index) {
  int& current = video ? P.VideoCompressor : P.AudioCompressor;
  if (index == current) return;
  const TDevices* list = DeviceList(video ? lk_VideoCompressors : lk_AudioCompressors);
  if (!IndexCheck(index, list ? list->Count() : 0, video ? "video compressor" : "audio compressor")) return;
  current = index;
}

bool TVdvWorker::ResolveVideoSize(int index, int& width, int& height) {
  TBoundDevices& d = Devices;
  if (index == -1) {
    d.VideoValues.SetInt(vv_VideoSize, StoredIndex(d.VideoValues.Int(vv_VideoSize), d.Sizes.Count()));
    index = d.VideoValues.Int(vv_VideoSize);
  }
  if (d.Video.Info.IsDV) {
    // DV frames are 576 lines in PAL, 480 in NTSC.
    const bool pal = d.VideoValues.Bool(vv_IsDVPal);
    static const int kWidths[] = {360, 88, 180, 360, 720};
    static const int kPalHeights[] = {288, 72, 144, 288, 576};
    static const int kNtscHeights[] = {240, 60, 120, 240, 480};
    if (index < 0 || index > 4) return false;
    width = kWidths[index];
    height = pal ? kPalHeights[index] : kNtscHeights[index];
    return true;
  }
  return d.Sizes.Resolve(index, width, height);
}

void TVdvWorker::FrameSize(int& width, int& height) const {
  const bool built = GraphActive && SettingsTaken;
  const TVideoRotation rotation = built ? Settings.Rotation : P.VideoProcessing_Rotation;
  const TVideoDeinterlacing deinterlacing =
      built ? Settings.Deinterlacing : P.VideoProcessing_Deinterlacing.load();
  vdv_filters::OutputSize({rotation, deinterlacing == di_HalfSize}, Devices.VideoWidth, Devices.VideoHeight,
                          &width, &height);
}

std::string TVdvWorker::VideoSizesText() const {
  if (!Initialized || VideoDevicesCount() == 0 || Devices.Sizes.Count() == 0) return "";
  return Devices.Sizes.VideoSizesText();
}

void TVdvWorker::LoadGlobals() {
  device_store::LoadGlobals(Devices.LastRecordingFileName, Devices.LastClipPlayed);
}

void TVdvWorker::SaveGlobals() {
  device_store::SaveGlobals(Devices.LastRecordingFileName, Devices.LastClipPlayed);
}
