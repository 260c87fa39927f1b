#pragma once
// Reading a device's caps as the list of formats it offers.

#include <string>
#include <vector>

#include "platform/media/DeviceDescriptor.h"

typedef struct _GstCaps GstCaps;
typedef struct _GstStructure GstStructure;

namespace orvex::media {

// One capability per caps structure and format, in caps order.
std::vector<StreamCapability> CapabilitiesFromCaps(const GstCaps* caps);
// The same from caps text, e.g. "video/x-raw,format=YUY2,width=640,height=480".
std::vector<StreamCapability> CapabilitiesFromCapsString(const std::string& caps);

// The name the program uses for a structure's video format ("YUY2", "MJPG",
// "RGB24" for BGR, "RGB32" for BGRx, ...); empty for non-video structures.
std::string SubtypeName(const std::string& mediaType, const std::string& rawFormat);

// Caps that select `subtype` at `width` x `height` (and `fps` when given),
// or empty when the subtype has no caps form.
std::string CapsForFormat(const std::string& subtype, int width, int height, Fraction fps = {});

}  // namespace orvex::media
