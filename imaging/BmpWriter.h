#pragma once
// Windows bitmap files: uncompressed, bottom-up rows padded to 4 bytes,
// BITMAPFILEHEADER followed by a BITMAPINFOHEADER.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imaging/ImageFile.h"
#include "imaging/ImageView.h"

namespace orvex::imaging {

enum class TBmpBitsPerPixel { Bpp24 = 24, Bpp32 = 32 };

// The whole file. 32-bit files carry 0 in each pixel's fourth byte, as GDI leaves it.
// Throws EImageError for an empty or unreadable picture or one too large for the format.
std::vector<std::uint8_t> EncodeBmp(const TImageView& image, TBmpBitsPerPixel bits);

// Creates or replaces the file; on any error (EImageError) no partial file is left.
void SaveBmpToFile(const std::filesystem::path& path, const TImageView& image, TBmpBitsPerPixel bits,
                   TFileAccess access = TFileAccess::Usual);

}  // namespace orvex::imaging
