#pragma once
// The plain values of the drawing layer: colours, rectangles, the bitmap
// descriptions frame records carry, raster operation codes and text flags.
// Names and numbers are the classic ones so calling code reads as it always has.

#include <cstdint>

namespace orvex::gdi {

// 0x00BBGGRR.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c) { return std::uint8_t(c); }
constexpr std::uint8_t GetGValue(COLORREF c) { return std::uint8_t(c >> 8); }
constexpr std::uint8_t GetBValue(COLORREF c) { return std::uint8_t(c >> 16); }
// Returned by GetPixel outside the bitmap.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct RECT {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const RECT&) const = default;
};

struct SIZE {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  bool operator==(const SIZE&) const = default;
};

// Compression values of BITMAPINFOHEADER.biCompression.
constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;
constexpr std::uint32_t BI_JPEG = 4;
constexpr std::uint32_t BI_PNG = 5;
constexpr std::uint32_t BI_ALPHABITFIELDS = 6;

struct BITMAPINFOHEADER {
  std::uint32_t biSize = 40;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;  // negative: rows are stored top-down
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = BI_RGB;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};

struct BITMAP {
  std::int32_t bmType = 0;
  std::int32_t bmWidth = 0;
  std::int32_t bmHeight = 0;      // always positive
  std::int32_t bmWidthBytes = 0;  // bytes from one stored row to the next
  std::uint16_t bmPlanes = 1;
  std::uint16_t bmBitsPixel = 0;
  void* bmBits = nullptr;  // the first stored row: the bottom one unless top-down
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  std::uint32_t dsBitfields[3] = {0, 0, 0};
  void* dshSection = nullptr;
  std::uint32_t dsOffset = 0;
};

// Raster operations understood by BitBlt and StretchBlt.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;     // D = S
constexpr std::uint32_t SRCPAINT = 0x00EE0086;    // D = D | S
constexpr std::uint32_t SRCAND = 0x008800C6;      // D = D & S
constexpr std::uint32_t SRCINVERT = 0x00660046;   // D = D ^ S
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;  // D = ~S
constexpr std::uint32_t DSTINVERT = 0x00550009;   // D = ~D
constexpr std::uint32_t BLACKNESS = 0x00000042;   // D = 0
constexpr std::uint32_t WHITENESS = 0x00FF0062;   // D = all ones

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Stretch modes; only colour-on-colour (rows and columns dropped or
// repeated) is implemented, so SetStretchBltMode refuses the others.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;

// DrawText formats.
constexpr std::uint32_t DT_TOP = 0x0000;
constexpr std::uint32_t DT_LEFT = 0x0000;
constexpr std::uint32_t DT_CENTER = 0x0001;
constexpr std::uint32_t DT_RIGHT = 0x0002;
constexpr std::uint32_t DT_VCENTER = 0x0004;  // with DT_SINGLELINE
constexpr std::uint32_t DT_BOTTOM = 0x0008;   // with DT_SINGLELINE
constexpr std::uint32_t DT_WORDBREAK = 0x0010;
constexpr std::uint32_t DT_SINGLELINE = 0x0020;
constexpr std::uint32_t DT_EXPANDTABS = 0x0040;
constexpr std::uint32_t DT_NOCLIP = 0x0100;
constexpr std::uint32_t DT_CALCRECT = 0x0400;
constexpr std::uint32_t DT_NOPREFIX = 0x0800;     // always in effect: '&' is drawn as is
constexpr std::uint32_t DT_EDITCONTROL = 0x2000;  // with DT_WORDBREAK: break words wider than the rectangle

// Font weights.
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

}  // namespace orvex::gdi
