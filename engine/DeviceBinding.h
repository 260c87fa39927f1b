#pragma once
// The devices an engine has bound: binding them to the chosen list entries,
// their one-time discovery, their stored values, inputs and frame sizes.

#include <string>

#include "engine/BoundDevices.h"
#include "engine/EngineProperties.h"
#include "engine/TLogType.h"

typedef struct _GstElement GstElement;

// What binding tells its engine.
class TDeviceBindingHost {
 public:
  virtual void LogLine(const std::string& text) = 0;
  // Answers whether `condition` held; reports it when it did.
  virtual bool Report(bool condition, int severity, const std::string& message, TLogType code) = 0;
  // Answers whether `index` may be used with a list of `count` entries.
  virtual bool IndexCheck(int index, int count, const std::string& noun) = 0;
  // A video binding found no video device at all.
  virtual void NoVideoDevices() = 0;
  // A device was bound, or its input or frame size chosen.
  virtual void DeviceSelected(bool video) = 0;
  // VideoWidth x VideoHeight changed.
  virtual void VideoSizeChanged() = 0;

 protected:
  virtual ~TDeviceBindingHost() = default;
};

class TDeviceBinding {
 public:
  // `properties` are the engine's: the chosen devices and how to store them.
  TDeviceBinding(const TVdvProperties& properties, TDeviceBindingHost& host) : p_(properties), host_(host) {}

  const TBoundDevices& Bound() const { return d_; }
  // Binds the chosen device when it can; whether it is ready to run.
  bool BindVideo();
  bool BindAudio();
  // Stores the bound devices' values.
  void Release();

  // Whether the input changed and took; `running` is the video device's
  // element while a graph runs, else nullptr.
  bool ChooseVideoInput(int index, GstElement* running);
  // Whether the input changed.
  bool ChooseAudioInput(int index);
  // Whether a valid `index` changed the size; `resizeNow` applies it to VideoWidth x VideoHeight.
  bool ChooseVideoSize(int index, bool resizeNow);
  // Puts the stored frame size choice in range (reported when it was not).
  void CheckVideoSizeChoice();
  // The size of frame size `index`, -1 for the stored choice; false when there is none.
  bool ResolveVideoSize(int index, int& width, int& height);
  // The device runs at this size, whatever was chosen.
  void UseRunningSize(int width, int height);
  // Makes the chosen frame size VideoWidth x VideoHeight (320 x 240 without one).
  void ApplyBoundVideoSize();
  // The subtype chosen among the bound device's, or "".
  std::string SelectedSubtype() const;

  void SetLastRecordingFileName(const std::string& name) { d_.LastRecordingFileName = name; }
  void LoadGlobals();
  void SaveGlobals();

 private:
  // Tests look at and set the bound values through their probe.
  friend class EngineProbe;

  void DiscoverVideoDevice();
  bool DiscoverAudioDevice();
  bool RouteVideoInput(GstElement* running);
  void RouteAudioInput();

  const TVdvProperties& p_;
  TDeviceBindingHost& host_;
  TBoundDevices d_;
  bool bindingVideo_ = false;
  bool bindingAudio_ = false;
};
