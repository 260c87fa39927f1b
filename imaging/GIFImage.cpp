#include "imaging/GIFImage.h"

#include <algorithm>
#include <array>

#include "imaging/ImageFile.h"
#include "imaging/LZWEncoder.h"

namespace orvex::imaging {

namespace {

constexpr int kPaletteSize = 216;
constexpr int kTableSize = 256;

// Per-channel contributions to the palette index, so a pixel costs three look-ups.
struct TLevelTables {
  std::array<std::uint8_t, 256> red{}, green{}, blue{};
};

constexpr TLevelTables MakeLevelTables() {
  TLevelTables t;
  for (int v = 0; v < 256; ++v) {
    const int level = FixedPaletteLevel(static_cast<std::uint8_t>(v));
    t.red[v] = static_cast<std::uint8_t>(36 * level);
    t.green[v] = static_cast<std::uint8_t>(6 * level);
    t.blue[v] = static_cast<std::uint8_t>(level);
  }
  return t;
}

constexpr TLevelTables kLevels = MakeLevelTables();

void ReduceRow(const std::uint8_t* src, int width, int bytesPerPixel, std::uint8_t* dst) {
  for (int x = 0; x < width; ++x, src += bytesPerPixel)
    dst[x] = static_cast<std::uint8_t>(kLevels.red[src[2]] + kLevels.green[src[1]] + kLevels.blue[src[0]]);
}

void PutWord(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void WriteImage(const TGIFSubImage& image, TLZWEncoder& encoder, std::vector<std::uint8_t>& out) {
  const TGIFColorMap& map = image.ColorMap();
  out.push_back(0x2C);
  PutWord(out, image.Left());
  PutWord(out, image.Top());
  PutWord(out, image.Width());
  PutWord(out, image.Height());
  // Local table present, not interlaced, not sorted, table size as bits per pixel - 1.
  out.push_back(map.Count() > 0 ? static_cast<std::uint8_t>(0x80 | (map.BitsPerPixel() - 1)) : 0);
  map.AppendTo(out);
  encoder.Encode(image.Data(), std::max(map.BitsPerPixel(), 1), map.Count(), out);
}

}  // namespace

TGIFColor FixedPaletteColor(int index) {
  if (index < 0 || index >= kPaletteSize) return {};
  return {static_cast<std::uint8_t>(index / 36 * 51), static_cast<std::uint8_t>(index / 6 % 6 * 51),
          static_cast<std::uint8_t>(index % 6 * 51)};
}

int TGIFColorMap::BitsPerPixel() const {
  int bits = 0;
  while ((1 << bits) < Count()) ++bits;
  return Count() == 0 ? 0 : std::max(bits, 1);
}

void TGIFColorMap::Add(TGIFColor color) {
  if (Count() >= kMaxCount) throw EImageError("A GIF colour table holds at most 256 colours");
  colors_.push_back(color);
}

void TGIFColorMap::AppendTo(std::vector<std::uint8_t>& out) const {
  if (colors_.empty()) return;
  const int entries = 1 << BitsPerPixel();
  for (int i = 0; i < entries; ++i) {
    const TGIFColor c = i < Count() ? colors_[static_cast<std::size_t>(i)] : TGIFColor{};
    out.insert(out.end(), {c.Red, c.Green, c.Blue});
  }
}

TGIFSubImage::TGIFSubImage(int width, int height)
    : width_(width),
      height_(height),
      data_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

void TGIFImage::Clear() {
  header_ = {};
  images_.clear();
}

void TGIFImage::Assign(const TImageView& bitmap) {
  CheckImageView(bitmap);
  if (bitmap.width > kMaxSide || bitmap.height > kMaxSide)
    throw EImageError("A GIF picture can be at most 65535 by 65535 pixels, this one is " +
                      std::to_string(bitmap.width) + " by " + std::to_string(bitmap.height));
  Clear();
  if (bitmap.Empty()) return;

  TGIFSubImage image(bitmap.width, bitmap.height);
  for (int i = 0; i < kTableSize; ++i) image.ColorMap().Add(FixedPaletteColor(i));
  std::uint8_t* dst = image.Data().data();
  for (int y = 0; y < bitmap.height; ++y, dst += bitmap.width)
    ReduceRow(bitmap.Row(y), bitmap.width, bitmap.BytesPerPixel(), dst);

  header_.Width = bitmap.width;
  header_.Height = bitmap.height;
  images_.push_back(std::move(image));
}

std::vector<std::uint8_t> TGIFImage::SaveToBytes() const {
  if (images_.empty()) throw EImageError("Unsupported GIF version");

  // Colour resolution and table size of the screen: the largest over the header and images.
  int bits = header_.ColorMap.BitsPerPixel();
  for (const TGIFSubImage& image : images_) bits = std::max(bits, image.ColorMap().BitsPerPixel());
  const int field = std::max(bits - 1, 0);

  std::vector<std::uint8_t> out;
  out.reserve(1024 + images_.front().Data().size() / 2);
  // No extensions and no sorted table, so the older version is enough.
  out.insert(out.end(), {'G', 'I', 'F', '8', '7', 'a'});
  PutWord(out, header_.Width);
  PutWord(out, header_.Height);
  const bool globalTable = header_.ColorMap.Count() > 0;
  out.push_back(static_cast<std::uint8_t>((globalTable ? 0x80 : 0) | field << 4 | field));
  out.push_back(0);  // background colour index
  out.push_back(0);  // pixel aspect ratio
  header_.ColorMap.AppendTo(out);

  // The coder's 2 MB of tables are kept per thread: fresh ones cost more to
  // fault in and clear than the coding itself.
  thread_local TLZWEncoder encoder;
  for (const TGIFSubImage& image : images_) WriteImage(image, encoder, out);
  out.push_back(0x3B);
  return out;
}

void TGIFImage::SaveToStream(std::ostream& stream) const { WriteImageStream(stream, SaveToBytes()); }

void TGIFImage::SaveToFile(const std::filesystem::path& path) const { WriteImageFile(path, SaveToBytes()); }

}  // namespace orvex::imaging
