#pragma once
#include <vector>

#include "platform/media/DeviceDescriptor.h"

namespace orvex::media {

// The installed video or audio encoders whose output an AVI file can hold,
// highest rank first.
std::vector<DeviceDescriptor> AviCompressors(DeviceCategory category);

}  // namespace orvex::media
