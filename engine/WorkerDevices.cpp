// Device lists of an engine, and its requests to the device binding.

#include "engine/TLog.h"
#include "engine/TSyncManager.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "engine/filters/PixelGeometry.h"

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

void TVdvWorker::DeviceUnplugged(const std::string& id) {
  if (Destroying || !GraphActive) return;
  const TBoundDevices& d = Bound();
  const bool audioInGraph = HoldsDevice(d.Audio.Info.Key);
  if (d.Video.Info.Descriptor.monikerDisplayName != id &&
      !(audioInGraph && d.Audio.Info.Descriptor.monikerDisplayName == id))
    return;
  LostDeviceName =
      d.Video.Info.Descriptor.monikerDisplayName == id ? d.Video.DisplayName : d.Audio.DisplayName;
  DeviceLostFlag = true;
  Request(rq_GraphEvent);
}

void TVdvWorker::DevicePresenceChanged(bool present, bool video, const std::string& name, int index) {
  if (Destroying) return;
  if (present && video) BindVideoDevice();
  if (present && !video) BindAudioDevice();
  if (auto handler = Events.OnDeviceArrivalOrRemoval.Get()) (*handler)(&Owner, present, video, name, index);
}

void TVdvWorker::NoVideoDevices() { QueueEvent(qe_NoVideoDevices); }

void TVdvWorker::DeviceSelected(bool video) { CallDeviceSelected(video); }

void TVdvWorker::VideoSizeChanged() { Owner.VideoSizeChanged(); }

bool TVdvWorker::BindVideoDevice() { return Binding.BindVideo(); }

bool TVdvWorker::BindAudioDevice() { return Binding.BindAudio(); }

void TVdvWorker::ReleaseDevices() { Binding.Release(); }

void TVdvWorker::SetVideoDevice(int index) {
  P.VideoDevice = index;
  if (index == -1 || !EnumerationDone()) return;
  const int count = VideoDevicesCount();
  if (!IndexCheck(index, count, "video capture device") || count == 0 || !Initialized) return;
  if (Bound().VideoIndex != index) {
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
  if (Bound().AudioIndex == index || !Initialized) return;
  if (State != es_Stopped) {
    AutoRefresh("dsadev");
  } else if (!Owner.Loading()) {
    BindAudioDevice();
  }
}

void TVdvWorker::SetVideoInput(int index) {
  if (Binding.ChooseVideoInput(index, Built.DeviceElement)) CallDeviceSelected(true);
}

void TVdvWorker::SetAudioInput(int index) {
  if (Binding.ChooseAudioInput(index)) CallDeviceSelected(false);
}

void TVdvWorker::SetVideoSize(int index) {
  if (!Binding.ChooseVideoSize(index, State == es_Stopped)) return;
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

void TVdvWorker::FrameSize(int& width, int& height) const {
  const bool built = GraphActive && SettingsTaken;
  const TVideoRotation rotation = built ? Settings.Rotation : P.VideoProcessing_Rotation;
  const TVideoDeinterlacing deinterlacing =
      built ? Settings.Deinterlacing : P.VideoProcessing_Deinterlacing.load();
  vdv_filters::OutputSize({rotation, deinterlacing == di_HalfSize}, Bound().VideoWidth, Bound().VideoHeight,
                          &width, &height);
}

std::string TVdvWorker::VideoSizesText() const {
  if (!Initialized || VideoDevicesCount() == 0 || Bound().Sizes.Count() == 0) return "";
  return Bound().Sizes.VideoSizesText();
}

void TVdvWorker::LoadGlobals() { Binding.LoadGlobals(); }

void TVdvWorker::SaveGlobals() { Binding.SaveGlobals(); }
