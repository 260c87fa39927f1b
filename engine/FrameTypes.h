#pragma once
// The records passed to the frame events.

#include <cstdint>

namespace orvex::gdi {
class Bitmap;
class DeviceContext;
}  // namespace orvex::gdi

using TBitmap = orvex::gdi::Bitmap;
using HDC = orvex::gdi::DeviceContext*;

struct TFrameInfo {
  std::int32_t FrameNumber = 0;  // the first frame of a run is 1
  std::int32_t DroppedFrames = 0;
  std::int32_t TotalMinutes = 0;
  std::int32_t Hours = 0;
  std::int32_t Minutes = 0;
  std::int32_t Seconds = 0;
  std::int32_t Hundredths = 0;
  std::int32_t DVDateTime[7] = {};  // valid, year, month, day, hour, minute, second
  std::int32_t TimeCode[5] = {};    // valid, hours, minutes, seconds, frames
  std::int64_t FrameTime = 0;       // since the run started, 100-ns units
  std::int64_t WholeSeconds = 0;
  std::int64_t TotalHundredths = 0;
};

struct TFrameData {
  const TBitmap* Bitmap = nullptr;  // readable during the event only
  std::int32_t FrameNumber = 0;
  std::int64_t FrameTime = 0;
};
