#include "engine/VideoFormatChoice.h"

#include <algorithm>
#include <cmath>

#include "platform/media/Capabilities.h"

using orvex::media::Fraction;
using orvex::media::StreamCapability;

namespace {

// The engine's frame rate, hundredths of a frame per second.
constexpr int kFrameRateHundredths = 2997;

// The offered rate nearest to the engine's.
Fraction NearestRate(const StreamCapability& cap) {
  const double wanted = kFrameRateHundredths / 100.0;
  if (cap.framerates.empty()) return {};
  if (cap.framerateRange && cap.framerates.size() == 2) {
    const double lo = cap.framerates[0].value(), hi = cap.framerates[1].value();
    if (wanted >= lo && wanted <= hi) return {kFrameRateHundredths, 100};
    return wanted < lo ? cap.framerates[0] : cap.framerates[1];
  }
  return *std::min_element(cap.framerates.begin(), cap.framerates.end(),
                           [&](const Fraction& a, const Fraction& b) {
                             return std::fabs(a.value() - wanted) < std::fabs(b.value() - wanted);
                           });
}

bool Covers(const StreamCapability& cap, int width, int height) {
  return cap.hasVideoHeader && width >= cap.minWidth && width <= cap.maxWidth && height >= cap.minHeight &&
         height <= cap.maxHeight;
}

void Add(std::vector<TVideoFormat>& formats, const StreamCapability& cap, int width, int height) {
  const bool known = std::any_of(formats.begin(), formats.end(), [&](const TVideoFormat& f) {
    return f.Subtype == cap.subtype && f.Width == width && f.Height == height;
  });
  std::string caps = orvex::media::CapsForFormat(cap.subtype, width, height, NearestRate(cap));
  if (!known && !caps.empty()) formats.push_back({cap.subtype, width, height, std::move(caps)});
}

}  // namespace

std::vector<TVideoFormat> VideoFormatsToTry(const std::vector<StreamCapability>& offered,
                                            const std::string& subtype, int width, int height, bool sized) {
  std::vector<TVideoFormat> formats;
  if (offered.empty()) {
    std::string caps = sized ? orvex::media::CapsForFormat(subtype, width, height) : "";
    if (!caps.empty()) formats.push_back({subtype, width, height, std::move(caps)});
    return formats;
  }
  if (sized) {
    for (const auto& cap : offered)
      if (cap.subtype == subtype && Covers(cap, width, height)) Add(formats, cap, width, height);
    for (const auto& cap : offered)
      if (cap.subtype != subtype && Covers(cap, width, height)) Add(formats, cap, width, height);
  }
  for (const auto& cap : offered)
    if (cap.hasVideoHeader) {
      Add(formats, cap, cap.width, cap.height);
      break;
    }
  return formats;
}
