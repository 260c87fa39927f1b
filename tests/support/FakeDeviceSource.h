#pragma once
// A device source answered from lists the test fills, installed for the
// lifetime of the object.

#include <map>
#include <string>
#include <vector>

#include "platform/media/Capabilities.h"
#include "platform/media/DeviceSource.h"

namespace orvex::test {

class FakeDeviceSource final : public media::IDeviceSource {
 public:
  FakeDeviceSource() { media::SetDeviceSource(this); }
  ~FakeDeviceSource() override { media::SetDeviceSource(nullptr); }

  std::vector<media::DeviceDescriptor> Enumerate(media::DeviceCategory category) override {
    return devices[category];
  }
  void SetChangeCallback(ChangeCallback callback) override { onChange = std::move(callback); }

  media::DeviceDescriptor& Add(media::DeviceCategory category, const std::string& friendlyName,
                               const std::string& id = {}) {
    media::DeviceDescriptor d;
    d.category = category;
    d.friendlyName = friendlyName;
    d.monikerDisplayName =
        id.empty() ? "fake:" + friendlyName + ":" + std::to_string(devices[category].size()) : id;
    devices[category].push_back(d);
    return devices[category].back();
  }
  media::DeviceDescriptor& AddCamera(const std::string& name, const std::string& caps) {
    auto& d = Add(media::DeviceCategory::VideoInput, name);
    d.capabilities = media::CapabilitiesFromCapsString(caps);
    return d;
  }

  std::map<media::DeviceCategory, std::vector<media::DeviceDescriptor>> devices;
  ChangeCallback onChange;
};

}  // namespace orvex::test
