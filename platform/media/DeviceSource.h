#pragma once
// Where the engine's device lists come from: the system's capture devices
// and the encoders an AVI file can hold. Tests install a scripted source.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/DeviceDescriptor.h"

namespace orvex::media {

class IDeviceSource {
 public:
  virtual ~IDeviceSource() = default;
  // The devices of one category, in a stable order.
  virtual std::vector<DeviceDescriptor> Enumerate(DeviceCategory category) = 0;
  // Called on the main loop whenever a capture device arrives or goes, with
  // its stable id (the descriptor's monikerDisplayName).
  using ChangeCallback = std::function<void(bool arrived, const std::string& id)>;
  virtual void SetChangeCallback(ChangeCallback callback) = 0;
};

// The source in use: the system's unless a test installed another.
IDeviceSource& DeviceSource();
// Installs a source (not owned); nullptr restores the system's.
void SetDeviceSource(IDeviceSource* source);
// Stops the system's device monitor and lets go of its devices, so nothing of
// ours is alive when GStreamer is shut down (the leak check at a test's end).
void StopSystemDeviceSource();

// Capture devices from GStreamer's device monitor, encoders from its registry.
class GstDeviceSource final : public IDeviceSource {
 public:
  GstDeviceSource();
  ~GstDeviceSource() override;
  std::vector<DeviceDescriptor> Enumerate(DeviceCategory category) override;
  void SetChangeCallback(ChangeCallback callback) override;
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orvex::media
