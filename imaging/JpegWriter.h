#pragma once
// JPEG files through libjpeg, from a BGR or BGRX picture compressed as RGB.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imaging/ImageView.h"

namespace orvex::imaging {

// BestQuality uses the accurate integer DCT, BestSpeed the fast one.
enum class TJpegPerformance { BestQuality, BestSpeed };

// The defaults are those of a snapshot: quality 90, baseline, best quality.
struct TJpegOptions {
  int Quality = 90;  // 1..100 on libjpeg's scale
  bool Progressive = false;
  TJpegPerformance Performance = TJpegPerformance::BestQuality;
};

// The whole file (JFIF, colour, otherwise libjpeg's default settings for the quality).
// Throws EImageError for an empty or unreadable picture, a quality outside 1..100 and
// any error libjpeg reports (for instance a side above 65500 pixels).
std::vector<std::uint8_t> EncodeJpeg(const TImageView& image, const TJpegOptions& options = {});

// Creates or replaces the file; on any error (EImageError) no partial file is left.
void SaveJpegToFile(const std::filesystem::path& path, const TImageView& image,
                    const TJpegOptions& options = {});

}  // namespace orvex::imaging
