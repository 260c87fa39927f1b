#include "preview/RecordingClock.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {
QString TwoDigits(std::uint32_t value) {
  return value < 10 ? "0" + QString::number(value) : QString::number(value);
}
}  // namespace

QString ElapsedTimeText(double elapsedSeconds) {
  // An unsigned 32-bit count of whole seconds; nonsense values read as 0.
  std::uint32_t s = 0;
  if (std::isfinite(elapsedSeconds) && elapsedSeconds > 0)
    s = elapsedSeconds >= std::numeric_limits<std::uint32_t>::max()
            ? std::numeric_limits<std::uint32_t>::max()
            : static_cast<std::uint32_t>(elapsedSeconds);
  const std::uint32_t h = s / 3600;
  s -= 3600 * h;
  const std::uint32_t m = s / 60;
  s -= 60 * m;
  return TwoDigits(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
}

QString RecordingStatusText(double elapsedSeconds) {
  return "Recording [" + ElapsedTimeText(elapsedSeconds) + "]";
}
