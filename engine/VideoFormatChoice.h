#pragma once
// Which format to ask a video device for. The size list holds every size of
// every subtype, so the chosen size may not exist in the chosen subtype, and
// a stored choice may be one the device no longer offers.

#include <string>
#include <vector>

#include "platform/media/DeviceDescriptor.h"

struct TVideoFormat {
  std::string Subtype;
  int Width = 0;
  int Height = 0;
  std::string Caps;  // what to ask the device for

  std::string Text() const { return std::to_string(Width) + "x" + std::to_string(Height) + " " + Subtype; }
};

// The formats to try, best first: `subtype` at `width` x `height` (when
// `sized`), the same size in each other subtype the device offers, then the
// device's default (its first format). A device that lists no formats gets
// the asked one alone, as asked.
std::vector<TVideoFormat> VideoFormatsToTry(const std::vector<orvex::media::StreamCapability>& offered,
                                            const std::string& subtype, int width, int height, bool sized);
