#pragma once
// Reads Windows bitmap files of every common kind into a 24- or 32-bit
// bitmap: 1, 4 and 8 bits with a colour table, RLE4 and RLE8, 16 bits (555,
// or any masks with BI_BITFIELDS such as 565), 24 bits, 32 bits (BI_RGB or
// masks; alpha is dropped), top-down and bottom-up, with the OS/2 core header,
// BITMAPINFOHEADER, V4 or V5 header.
//
// A damaged file is refused with a message and never read past its end: a
// missing signature, a header or colour table cut short, pixel data shorter
// than the rows need, a pixel data offset inside the header or past the end,
// bad masks, an unsupported depth or compression, or a size above
// kMaxBmpSide a side or kMaxBmpPixels (256 MB at 32 bits per pixel; checked
// before anything is allocated; an RLE file must also not claim more than 256
// pixels per byte of its data beyond the first million). Pixels an RLE file
// skips take colour 0 of its table.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gdi/Bitmap.h"

namespace orvex::gdi {

constexpr std::int64_t kMaxBmpSide = 16384;
constexpr std::int64_t kMaxBmpPixels = std::int64_t(1) << 26;  // e.g. 8192 x 8192

// On success `out` holds the picture (bottom-up, in `format`: Rgb24 or
// Rgb32, X bytes 0) and true is returned. On failure `out` is unchanged and
// *error (when given) says why, e.g. "the file is truncated".
bool LoadBitmapFromMemory(const void* data, std::size_t size, Bitmap& out, std::string* error,
                          PixelFormat format = PixelFormat::Rgb32);

// The same for a file; the message then starts with the file's path, e.g.
// "/home/me/logo.bmp: not a Windows bitmap file".
bool LoadBitmapFromFile(const std::string& path, Bitmap& out, std::string* error,
                        PixelFormat format = PixelFormat::Rgb32);

// The size of the picture in a file, after every check a load makes except
// those of the pixel data itself, which is not read; the message on failure
// is the one LoadBitmapFromFile would give.
bool ReadBitmapFileSize(const std::string& path, int& width, int& height, std::string* error);

}  // namespace orvex::gdi
