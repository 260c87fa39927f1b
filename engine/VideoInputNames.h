#pragma once
#include <string>
#include <vector>

#include "platform/media/DeviceDescriptor.h"

// Names a device's video inputs after their connector types, numbering the
// repeats: Composite, Composite 1, SVideo.
std::vector<std::string> VideoInputNames(const std::vector<orvex::media::DeviceInput>& inputs);

// The name of a connector type, video (1..15) or audio (4096..4105).
std::string ConnectorTypeName(int connectorType);
