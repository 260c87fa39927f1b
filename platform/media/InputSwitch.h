#pragma once
// Switching the input of a capture device (its crossbar) while it runs.

#include <string>

typedef struct _GstElement GstElement;

namespace orvex::media {

// Switches a video device to input `index` at once: through its running
// source element when there is one (an "input" property, or the V4L2 device
// the element holds open), else on its V4L2 node. A device without either
// takes the input when its element is made. False when the device refuses.
bool SwitchVideoInput(GstElement* running, const std::string& devicePath, int index);

}  // namespace orvex::media
