#include "platform/gdi/BmpReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace orvex::gdi {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::uint64_t kMaxFileBytes = std::uint64_t(Bitmap::kMaxBytes) + (1u << 20);

// The bytes of a file, or of its head only: Size() is what can be read,
// Total() the length of the whole file.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size), total_(size) {}
  Bytes(const std::uint8_t* data, std::size_t size, std::uint64_t total)
      : data_(data), size_(size), total_(total) {}
  std::size_t Size() const { return size_; }
  std::uint64_t Total() const { return total_; }
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  std::uint8_t U8(std::size_t at) const { return data_[at]; }
  std::uint16_t U16(std::size_t at) const { return std::uint16_t(data_[at] | (data_[at + 1] << 8)); }
  std::uint32_t U32(std::size_t at) const {
    return data_[at] | (std::uint32_t(data_[at + 1]) << 8) | (std::uint32_t(data_[at + 2]) << 16) |
           (std::uint32_t(data_[at + 3]) << 24);
  }
  std::int32_t I32(std::size_t at) const { return std::int32_t(U32(at)); }
  const std::uint8_t* At(std::size_t at) const { return data_ + at; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::uint64_t total_;
};

// One colour channel of a 16- or 32-bit pixel, widened to 8 bits by
// repeating its bits (5 bits 0x1F give 0xFF, 0x10 gives 0x84).
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  bool Set(std::uint32_t m) {
    mask = m;
    if (m == 0) return true;
    shift = std::countr_zero(m);
    bits = std::popcount(m);
    return (m >> shift) == (bits == 32 ? ~0u : (1u << bits) - 1);  // contiguous
  }
  std::uint32_t Get(std::uint32_t v) const {
    if (mask == 0) return 0;
    std::uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return c >> (bits - 8);
    c <<= 8 - bits;
    for (int s = bits; s < 8; s += bits) c |= c >> s;
    return c & 0xFF;
  }
};

struct Header {
  bool core = false;
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = BI_RGB;
  std::uint32_t colorsUsed = 0;
  Channel red, green, blue;
  std::size_t paletteStart = 0;
  std::size_t dataStart = 0;
  int colors = 0;                            // table entries present
  std::array<std::uint32_t, 256> palette{};  // pixel words, black where missing
};

bool Fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

const char* CompressionName(std::uint32_t c) {
  switch (c) {
    case BI_JPEG: return " (JPEG)";
    case BI_PNG: return " (PNG)";
    default: return "";
  }
}

bool ReadMasks(const Bytes& b, std::size_t at, Header& h, std::string* error) {
  if (!h.red.Set(b.U32(at)) || !h.green.Set(b.U32(at + 4)) || !h.blue.Set(b.U32(at + 8)))
    return Fail(error, "the colour masks are not contiguous bit ranges");
  if ((h.red.mask | h.green.mask | h.blue.mask) == 0) return Fail(error, "the colour masks are all zero");
  if (h.bitCount == 16 && ((h.red.mask | h.green.mask | h.blue.mask) >> 16) != 0)
    return Fail(error, "the colour masks do not fit 16-bit pixels");
  return true;
}

bool ParseInfoHeader(const Bytes& b, std::uint32_t size, Header& h, std::string* error) {
  auto field = [&](std::uint32_t offset, std::uint32_t width) { return offset + width <= size; };
  h.width = b.I32(18);
  const std::int32_t height = b.I32(22);
  h.topDown = height < 0;
  h.height = h.topDown ? -std::int64_t(height) : height;
  h.bitCount = b.U16(28);
  h.compression = field(16, 4) ? b.U32(30) : BI_RGB;
  h.colorsUsed = field(32, 4) ? b.U32(46) : 0;
  const bool windows = size == 40 || size == 52 || size == 56 || size >= 108;
  if (!windows && h.compression >= BI_BITFIELDS)
    return Fail(error, "OS/2 bitmap compression " + std::to_string(h.compression) + " is not supported");
  h.paletteStart = kFileHeader + size;
  if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
    if (size >= 52) return ReadMasks(b, kFileHeader + 40, h, error);
    const std::size_t count = h.compression == BI_ALPHABITFIELDS ? 16 : 12;
    if (!b.Has(h.paletteStart, count)) return Fail(error, "the file is truncated in its colour masks");
    if (!ReadMasks(b, h.paletteStart, h, error)) return false;
    h.paletteStart += count;
  } else if (h.bitCount == 16) {
    h.red.Set(0x7C00), h.green.Set(0x03E0), h.blue.Set(0x001F);
  } else if (h.bitCount == 32) {
    h.red.Set(0xFF0000), h.green.Set(0xFF00), h.blue.Set(0xFF);
  }
  return true;
}

bool CheckFormat(const Header& h, std::string* error) {
  const int bpp = h.bitCount;
  if ((bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) ||
      (h.core && (bpp == 16 || bpp == 32)))
    return Fail(error, std::to_string(bpp) + " bits per pixel is not supported");
  switch (h.compression) {
    case BI_RGB: break;
    case BI_RLE8:
      if (bpp != 8) return Fail(error, "RLE8 compression needs 8 bits per pixel");
      break;
    case BI_RLE4:
      if (bpp != 4) return Fail(error, "RLE4 compression needs 4 bits per pixel");
      break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      if (bpp != 16 && bpp != 32) return Fail(error, "bit masks need 16 or 32 bits per pixel");
      break;
    default:
      return Fail(error, "compression " + std::to_string(h.compression) + CompressionName(h.compression) +
                             " is not supported");
  }
  if (h.width <= 0 || h.height <= 0)
    return Fail(error, "the image size " + std::to_string(h.width) + "x" + std::to_string(h.height) +
                           " is not valid");
  if (h.width > kMaxBmpSide || h.height > kMaxBmpSide || h.width * h.height > kMaxBmpPixels)
    return Fail(error, "the image size " + std::to_string(h.width) + "x" + std::to_string(h.height) +
                           " is too large (at most " + std::to_string(kMaxBmpSide) +
                           " pixels a side and 256 MB)");
  return true;
}

// Reads the headers, the masks and the colour table, and finds the pixels.
bool ParseHeader(const Bytes& b, Header& h, std::string* error) {
  if (b.Size() < 2 || b.U8(0) != 'B' || b.U8(1) != 'M') return Fail(error, "not a Windows bitmap file");
  if (!b.Has(0, kFileHeader + 4)) return Fail(error, "the file is truncated in its header");
  const std::uint32_t size = b.U32(kFileHeader);
  if (size != 12 && (size < 16 || size > 4096))
    return Fail(error, "unknown header size " + std::to_string(size));
  if (!b.Has(kFileHeader, size)) return Fail(error, "the file is truncated in its header");
  if (size == 12) {
    h.core = true;
    h.width = b.U16(18);
    h.height = b.U16(20);
    h.bitCount = b.U16(24);
    h.paletteStart = kFileHeader + size;
  } else if (!ParseInfoHeader(b, size, h, error)) {
    return false;
  }
  if (!CheckFormat(h, error)) return false;

  const int entry = h.core ? 3 : 4;
  const std::uint32_t offBits = b.U32(10);
  std::uint64_t wanted = 0;
  if (h.bitCount <= 8) {
    const std::uint32_t full = 1u << h.bitCount;
    wanted = h.colorsUsed == 0 || h.colorsUsed > full ? full : h.colorsUsed;
  }
  if (offBits == 0) {
    h.dataStart = h.paletteStart + std::size_t(wanted) * entry;  // a writer that left it out
  } else if (offBits < h.paletteStart) {
    return Fail(error, "the pixel data offset " + std::to_string(offBits) + " lies inside the header");
  } else {
    h.dataStart = offBits;
  }
  if (h.dataStart > b.Total())
    return Fail(error,
                "the pixel data offset " + std::to_string(h.dataStart) + " lies past the end of the file");
  // A short colour table (the pixel data starts early) keeps the entries it has.
  const std::uint64_t readable = b.Size() > h.paletteStart ? b.Size() - h.paletteStart : 0;
  const std::uint64_t present =
      std::min<std::uint64_t>({wanted, (h.dataStart - h.paletteStart) / entry, readable / entry});
  h.colors = int(present);
  for (int i = 0; i < h.colors; ++i) {
    const std::size_t at = h.paletteStart + std::size_t(i) * entry;
    h.palette[i] = b.U8(at) | (std::uint32_t(b.U8(at + 1)) << 8) | (std::uint32_t(b.U8(at + 2)) << 16);
  }
  return true;
}

bool IsRle(const Header& h) { return h.compression == BI_RLE8 || h.compression == BI_RLE4; }

// Checked before the picture is allocated, so a small file cannot make a
// large allocation.
bool CheckData(const Bytes& b, const Header& h, std::string* error) {
  if (IsRle(h)) {
    const std::int64_t dataBytes = std::int64_t(b.Total() - h.dataStart);
    if (h.width * h.height > (std::int64_t(1) << 20) + 256 * dataBytes)
      return Fail(error, "the image size " + std::to_string(h.width) + "x" + std::to_string(h.height) +
                             " is too large for its compressed data");
    return true;
  }
  const std::int64_t stride = ((h.width * h.bitCount + 31) / 32) * 4;
  const std::int64_t rowBytes = (h.width * h.bitCount + 7) / 8;
  if (h.dataStart + std::uint64_t(stride * (h.height - 1) + rowBytes) > b.Total())
    return Fail(error, "the file is truncated in its pixel data");
  return true;
}

void PutPixel(std::uint8_t* row, int x, std::uint32_t bgr, int bytes) {
  std::uint8_t* p = row + std::ptrdiff_t(x) * bytes;
  p[0] = std::uint8_t(bgr);
  p[1] = std::uint8_t(bgr >> 8);
  p[2] = std::uint8_t(bgr >> 16);
}

std::uint32_t MaskedPixel(const Header& h, std::uint32_t v) {
  return h.blue.Get(v) | (h.green.Get(v) << 8) | (h.red.Get(v) << 16);
}

void DecodeRows(const Bytes& b, const Header& h, Bitmap& out) {
  const std::int64_t stride = ((h.width * h.bitCount + 31) / 32) * 4;
  const int bytes = out.Format() == PixelFormat::Rgb24 ? 3 : 4;
  const int width = int(h.width);
  for (int r = 0; r < h.height; ++r) {
    const std::uint8_t* src = b.At(h.dataStart + std::size_t(r * stride));
    std::uint8_t* dst = out.Scanline(h.topDown ? r : int(h.height) - 1 - r);
    for (int x = 0; x < width; ++x) {
      std::uint32_t v;
      switch (h.bitCount) {
        case 1: v = h.palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: v = h.palette[(x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4]; break;
        case 8: v = h.palette[src[x]]; break;
        case 16: v = MaskedPixel(h, std::uint32_t(src[2 * x] | (src[2 * x + 1] << 8))); break;
        case 24:
          v = src[3 * x] | (std::uint32_t(src[3 * x + 1]) << 8) | (std::uint32_t(src[3 * x + 2]) << 16);
          break;
        default: {
          const std::uint8_t* p = src + 4 * x;
          v = MaskedPixel(h, p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                                 (std::uint32_t(p[3]) << 24));
        }
      }
      PutPixel(dst, x, v, bytes);
    }
  }
}

bool DecodeRle(const Bytes& b, const Header& h, Bitmap& out, std::string* error) {
  const bool rle8 = h.compression == BI_RLE8;
  out.Fill(PixelToColor(h.palette[0]));
  const int bytes = out.Format() == PixelFormat::Rgb24 ? 3 : 4;
  std::int64_t x = 0, r = 0;
  auto put = [&](std::uint32_t index) {
    if (x < h.width && r < h.height)
      PutPixel(out.Scanline(h.topDown ? int(r) : int(h.height - 1 - r)), int(x), h.palette[index], bytes);
    ++x;
  };
  std::size_t p = h.dataStart;
  while (r < h.height) {
    if (!b.Has(p, 2)) return Fail(error, "the file is truncated in its compressed data");
    const std::uint8_t count = b.U8(p), code = b.U8(p + 1);
    p += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(rle8 ? code : ((k & 1) ? code & 0x0F : code >> 4));
    } else if (code == 0) {
      x = 0, ++r;
    } else if (code == 1) {
      break;
    } else if (code == 2) {
      if (!b.Has(p, 2)) return Fail(error, "the file is truncated in its compressed data");
      x += b.U8(p), r += b.U8(p + 1);
      p += 2;
    } else {
      const std::size_t used = rle8 ? code : (code + 1) / 2;
      if (!b.Has(p, used)) return Fail(error, "the file is truncated in its compressed data");
      for (int k = 0; k < code; ++k) {
        const std::uint8_t v = b.U8(p + std::size_t(rle8 ? k : k / 2));
        put(rle8 ? v : ((k & 1) ? v & 0x0F : v >> 4));
      }
      p += used + (used & 1);  // runs are padded to 16 bits
    }
  }
  return true;
}

}  // namespace

bool LoadBitmapFromMemory(const void* data, std::size_t size, Bitmap& out, std::string* error,
                          PixelFormat format) {
  if (format == PixelFormat::Mono1) return Fail(error, "bitmaps are read as 24 or 32 bits per pixel");
  const Bytes bytes(static_cast<const std::uint8_t*>(data), data ? size : 0);
  Header h;
  if (!ParseHeader(bytes, h, error) || !CheckData(bytes, h, error)) return false;
  Bitmap picture;
  if (!picture.Create(int(h.width), int(h.height), format))
    return Fail(error, "not enough memory for a " + std::to_string(h.width) + "x" + std::to_string(h.height) +
                           " image");
  if (IsRle(h)) {
    if (!DecodeRle(bytes, h, picture, error)) return false;
  } else {
    DecodeRows(bytes, h, picture);
  }
  out.Swap(picture);
  return true;
}

namespace {

// Opens a bitmap file and tells its length, refusing what is no bitmap or too long.
bool OpenBitmapFile(const std::string& path, std::ifstream& file, std::uint64_t& size, std::string* error) {
  file.open(path, std::ios::binary);
  if (!file) return Fail(error, path + ": " + std::strerror(errno));
  char signature[2] = {};
  file.read(signature, 2);
  if (file.gcount() < 2 || signature[0] != 'B' || signature[1] != 'M')
    return Fail(error, path + ": not a Windows bitmap file");
  file.seekg(0, std::ios::end);
  const std::streamoff end = file.tellg();
  if (end < 0 || std::uint64_t(end) > kMaxFileBytes) return Fail(error, path + ": the file is too large");
  size = std::uint64_t(end);
  file.seekg(0);
  return true;
}

}  // namespace

bool LoadBitmapFromFile(const std::string& path, Bitmap& out, std::string* error, PixelFormat format) {
  std::ifstream file;
  std::uint64_t size = 0;
  if (!OpenBitmapFile(path, file, size, error)) return false;
  std::vector<std::uint8_t> content(static_cast<std::size_t>(size));
  file.read(reinterpret_cast<char*>(content.data()), std::streamsize(size));
  if (std::uint64_t(file.gcount()) != size) return Fail(error, path + ": the file could not be read");
  std::string why;
  if (!LoadBitmapFromMemory(content.data(), content.size(), out, &why, format))
    return Fail(error, path + ": " + why);
  return true;
}

bool ReadBitmapFileSize(const std::string& path, int& width, int& height, std::string* error) {
  std::ifstream file;
  std::uint64_t size = 0;
  if (!OpenBitmapFile(path, file, size, error)) return false;
  // Headers, masks and colour table fit well within this.
  std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(size, 64 * 1024)));
  file.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
  if (std::size_t(file.gcount()) != head.size()) return Fail(error, path + ": the file could not be read");
  const Bytes bytes(head.data(), head.size(), size);
  Header h;
  std::string why;
  if (!ParseHeader(bytes, h, &why) || !CheckData(bytes, h, &why)) return Fail(error, path + ": " + why);
  width = int(h.width);
  height = int(h.height);
  return true;
}

}  // namespace orvex::gdi
