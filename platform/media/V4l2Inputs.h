#pragma once
#include <string>
#include <vector>

#include "platform/media/DeviceDescriptor.h"

namespace orvex::media {

// The video inputs of a V4L2 device that has more than one; empty otherwise.
std::vector<DeviceInput> V4l2Inputs(const std::string& devicePath);

// Selects input `index` of a V4L2 device; false when the device refuses.
bool V4l2SelectInput(const std::string& devicePath, int index);

// The connector type for an input's name and kind (1 tuner, 2 composite, 3 S-Video, ...).
int ConnectorTypeForInput(const std::string& name, bool isTuner);

}  // namespace orvex::media
