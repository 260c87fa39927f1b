#pragma once
// A GIF picture made from a true-colour bitmap, for snapshots: a fixed palette
// of 216 colours without dithering, one image with a 256-entry local colour
// table, LZW coded, written as a "GIF87a" file.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <vector>

#include "imaging/ImageView.h"

namespace orvex::imaging {

struct TGIFColor {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};

// Index into the fixed palette: each channel falls to one of six levels 0, 51, ..., 255.
constexpr int FixedPaletteLevel(std::uint8_t value) { return (value + 3) / 51; }
constexpr int FixedPaletteIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return 36 * FixedPaletteLevel(red) + 6 * FixedPaletteLevel(green) + FixedPaletteLevel(blue);
}
// Entry `index` of the 256-entry table: the 216 palette colours, then black.
TGIFColor FixedPaletteColor(int index);

class TGIFColorMap {
 public:
  static constexpr int kMaxCount = 256;

  int Count() const { return static_cast<int>(colors_.size()); }
  // The smallest n >= 1 with 2^n >= Count(); 0 for an empty map.
  int BitsPerPixel() const;
  const TGIFColor& operator[](int index) const { return colors_.at(static_cast<std::size_t>(index)); }
  void Clear() { colors_.clear(); }
  void Add(TGIFColor color);  // throws EImageError when the map is full
  // RGB triples for 2^BitsPerPixel() entries, the unused ones black.
  void AppendTo(std::vector<std::uint8_t>& out) const;

 private:
  std::vector<TGIFColor> colors_;
};

// The logical screen and the global colour map (left empty: every image has its own).
struct TGIFHeader {
  int Width = 0;
  int Height = 0;
  TGIFColorMap ColorMap;
};

class TGIFSubImage {
 public:
  TGIFSubImage(int width, int height);

  int Left() const { return 0; }
  int Top() const { return 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  const TGIFColorMap& ColorMap() const { return colorMap_; }
  TGIFColorMap& ColorMap() { return colorMap_; }
  // One colour map index per pixel, rows from the top down.
  const std::vector<std::uint8_t>& Data() const { return data_; }
  std::vector<std::uint8_t>& Data() { return data_; }

 private:
  int width_;
  int height_;
  TGIFColorMap colorMap_;
  std::vector<std::uint8_t> data_;
};

class TGIFImage {
 public:
  static constexpr int kMaxSide = 65535;

  // Replaces the content with one image made from `bitmap`; an empty bitmap leaves none.
  // Throws EImageError for a side above kMaxSide or an unreadable view.
  void Assign(const TImageView& bitmap);
  void Clear();

  bool Empty() const { return images_.empty(); }
  const TGIFHeader& Header() const { return header_; }
  const std::vector<TGIFSubImage>& Images() const { return images_; }

  // The whole file. Throw EImageError("Unsupported GIF version") when there is no image.
  std::vector<std::uint8_t> SaveToBytes() const;
  void SaveToStream(std::ostream& stream) const;
  // Creates or replaces the file; on any error (EImageError) no partial file is left.
  void SaveToFile(const std::filesystem::path& path) const;

 private:
  TGIFHeader header_;
  std::vector<TGIFSubImage> images_;
};

}  // namespace orvex::imaging
