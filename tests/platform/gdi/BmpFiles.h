#pragma once
// Builds BMP files byte by byte, so every kind of header, colour table and
// pixel layout can be written, including broken ones.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace orvex::gdi::test {

inline void Put16(std::string& s, std::uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
inline void Set32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
}

struct BmpSpec {
  int headerSize = 40;  // 12 (OS/2 core), 40, 108 (V4), 124 (V5)
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top-down
  int bitCount = 24;
  std::uint32_t compression = BI_RGB;
  std::uint32_t colorsUsed = 0;
  std::vector<COLORREF> palette;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue, with BI_BITFIELDS
};

// The whole file: headers, masks, colour table, then the pixel bytes.
inline std::string MakeBmp(const BmpSpec& spec, const std::string& pixels) {
  std::string info;
  if (spec.headerSize == 12) {
    Put32(info, 12);
    Put16(info, std::uint32_t(spec.width));
    Put16(info, std::uint32_t(spec.height));
    Put16(info, 1);
    Put16(info, std::uint32_t(spec.bitCount));
  } else {
    Put32(info, std::uint32_t(spec.headerSize));
    Put32(info, std::uint32_t(spec.width));
    Put32(info, std::uint32_t(spec.height));
    Put16(info, 1);
    Put16(info, std::uint32_t(spec.bitCount));
    Put32(info, spec.compression);
    Put32(info, std::uint32_t(pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, spec.colorsUsed);
    Put32(info, 0);
    const bool fields = spec.compression == BI_BITFIELDS;
    if (spec.headerSize >= 108) {
      for (std::uint32_t m : spec.masks) Put32(info, fields ? m : 0);
      Put32(info, 0);                                                 // alpha mask
      Put32(info, 0x73524742);                                        // "sRGB"
      info.append(std::size_t(spec.headerSize) - info.size(), '\0');  // endpoints, gamma, V5 fields
    } else if (fields) {
      for (std::uint32_t m : spec.masks) Put32(info, m);
    }
  }
  for (COLORREF c : spec.palette) {
    info += char(GetBValue(c));
    info += char(GetGValue(c));
    info += char(GetRValue(c));
    if (spec.headerSize != 12) info += '\0';
  }
  std::string file = "BM";
  Put32(file, std::uint32_t(14 + info.size() + pixels.size()));
  Put32(file, 0);
  Put32(file, std::uint32_t(14 + info.size()));
  return file + info + pixels;
}

// Rows of `bits`-bit values from value(x, y), padded to 4 bytes, stored
// bottom row first unless topDown.
inline std::string PackRows(int width, int height, int bits, bool topDown,
                            const std::function<std::uint32_t(int, int)>& value) {
  const int stride = ((width * bits + 31) / 32) * 4;
  std::string out;
  for (int r = 0; r < height; ++r) {
    const int y = topDown ? r : height - 1 - r;
    std::string row(std::size_t(stride), '\0');
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = value(x, y);
      if (bits < 8) {
        const int bit = x * bits;
        row[bit / 8] = char(row[bit / 8] | (v << (8 - bits - bit % 8)));
      } else {
        for (int b = 0; b < bits / 8; ++b) row[x * bits / 8 + b] = char((v >> (8 * b)) & 0xFF);
      }
    }
    out += row;
  }
  return out;
}

}  // namespace orvex::gdi::test
