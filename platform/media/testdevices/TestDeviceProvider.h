#pragma once
// The device provider behind the test devices ("orvextestdeviceprovider") and
// the registry of plugged test devices it offers. A started provider announces
// changes to running device monitors at once; a stopped one answers probes
// from the same registry.

#include <gst/gst.h>

#include <string>

namespace orvex::media::testdevices {

enum class DeviceKind { Camera, Microphone };

GType TestDeviceProviderType();
GType TestDeviceType();

// The registry; the provider must be registered. See TestDevices.h.
std::string PlugDevice(DeviceKind kind, const std::string& displayName);
bool UnplugDevice(const std::string& id);
void SetDefaultPair(bool on);
void UnplugEveryDevice();

}  // namespace orvex::media::testdevices
