#include "engine/GraphSettings.h"

#include <algorithm>

int DisplayBitsPerPixel(int depth) { return depth == 24 ? 32 : depth; }

void ChooseGrabberFormat(int displayDepth, TFrameGrabberRGBFormat format,
                         const std::vector<std::string>& subtypes, const std::string& selected,
                         std::string& deviceSubtype, int& grabberFormat) {
  int d = displayDepth;
  if (format == fgf_RGB32) d = 32;
  if (format == fgf_RGB24) d = 24;
  auto offers = [&](const char* s) {
    return std::find(subtypes.begin(), subtypes.end(), s) != subtypes.end();
  };
  constexpr int kRGB32 = 1, kRGB24 = 2;
  if (d == 24 && offers("RGB24")) {
    deviceSubtype = "RGB24";
    grabberFormat = kRGB24;
  } else if (d == 32 && offers("RGB32")) {
    deviceSubtype = "RGB32";
    grabberFormat = kRGB32;
  } else if (d == 16 && offers("RGB565")) {
    deviceSubtype = "RGB565";
    grabberFormat = kRGB32;
  } else if (d == 16 && offers("RGB555")) {
    deviceSubtype = "RGB555";
    grabberFormat = kRGB32;
  } else {
    grabberFormat = d == 24 ? kRGB24 : kRGB32;
    deviceSubtype = selected;
    for (const char* s : {"RGB24", "RGB32", "RGB565", "RGB555"})
      if (offers(s)) {
        deviceSubtype = s;
        break;
      }
  }
}
