#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/gdi/DeviceContext.h"

namespace orvex::gdi {

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Mono1: return 1;
    case PixelFormat::Rgb24: return 24;
    case PixelFormat::Rgb32: return 32;
  }
  return 0;
}

std::int64_t DibStride(int width, PixelFormat format) {
  if (width <= 0 || width > Bitmap::kMaxDimension) return 0;
  return ((std::int64_t(width) * BitsPerPixel(format) + 31) / 32) * 4;
}

Bitmap::Bitmap(int width, int height, PixelFormat format, Orientation orientation) {
  Create(width, height, format, orientation);
}

Bitmap::~Bitmap() {
  // A DC must not keep pointing at a bitmap that is gone.
  if (DeviceContext* dc = selectedInto_.load(std::memory_order_acquire)) dc->ForgetBitmap(this);
}

void Bitmap::SetGeometry(std::uint8_t* bits, int width, int height, PixelFormat format, std::int64_t stride,
                         Orientation orientation) {
  bits_ = bits;
  width_ = width;
  height_ = height;
  format_ = format;
  stride_ = stride;
  orientation_ = orientation;
  if (orientation == Orientation::TopDown) {
    top_ = bits;
    pitch_ = std::ptrdiff_t(stride);
  } else {
    top_ = bits + std::ptrdiff_t(height - 1) * std::ptrdiff_t(stride);
    pitch_ = -std::ptrdiff_t(stride);
  }
}

bool Bitmap::Create(int width, int height, PixelFormat format, Orientation orientation) {
  Release();
  if (height <= 0 || height > kMaxDimension) return false;
  const std::int64_t stride = DibStride(width, format);
  if (stride == 0 || stride * height > kMaxBytes) return false;
  std::unique_ptr<std::uint8_t[]> memory(new (std::nothrow) std::uint8_t[std::size_t(stride * height)]());
  if (!memory) return false;
  owned_ = std::move(memory);
  SetGeometry(owned_.get(), width, height, format, stride, orientation);
  colorTable_ = {RGB(0, 0, 0), RGB(255, 255, 255)};
  return true;
}

bool Bitmap::Wrap(void* bits, int width, int height, PixelFormat format, std::int64_t stride,
                  Orientation orientation) {
  Release();
  if (bits == nullptr || height <= 0 || height > kMaxDimension) return false;
  const std::int64_t minStride = (std::int64_t(width) * BitsPerPixel(format) + 7) / 8;
  if (DibStride(width, format) == 0 || stride < minStride) return false;
  SetGeometry(static_cast<std::uint8_t*>(bits), width, height, format, stride, orientation);
  colorTable_ = {RGB(0, 0, 0), RGB(255, 255, 255)};
  return true;
}

bool Bitmap::WrapDib(const BITMAPINFOHEADER& header, void* bits) {
  PixelFormat format;
  switch (header.biBitCount) {
    case 1: format = PixelFormat::Mono1; break;
    case 24: format = PixelFormat::Rgb24; break;
    case 32: format = PixelFormat::Rgb32; break;
    default: Release(); return false;
  }
  if (header.biCompression != BI_RGB && !(header.biCompression == BI_BITFIELDS && header.biBitCount == 32)) {
    Release();
    return false;
  }
  const bool topDown = header.biHeight < 0;
  const std::int64_t height = topDown ? -std::int64_t(header.biHeight) : header.biHeight;
  if (height > kMaxDimension) {
    Release();
    return false;
  }
  return Wrap(bits, header.biWidth, int(height), format, DibStride(header.biWidth, format),
              topDown ? Orientation::TopDown : Orientation::BottomUp);
}

bool Bitmap::Assign(const Bitmap& other) {
  if (&other == this) return true;
  if (other.Empty()) {
    Release();
    return true;
  }
  Bitmap copy;
  if (!copy.Create(other.width_, other.height_, other.format_, other.orientation_)) return false;
  const std::size_t rowBytes = std::size_t((std::int64_t(other.width_) * other.BitCount() + 7) / 8);
  for (int y = 0; y < other.height_; ++y) std::memcpy(copy.Scanline(y), other.Scanline(y), rowBytes);
  copy.colorTable_ = other.colorTable_;
  Swap(copy);
  return true;
}

void Bitmap::Swap(Bitmap& other) noexcept {
  std::swap(owned_, other.owned_);
  std::swap(bits_, other.bits_);
  std::swap(top_, other.top_);
  std::swap(pitch_, other.pitch_);
  std::swap(stride_, other.stride_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(format_, other.format_);
  std::swap(orientation_, other.orientation_);
  std::swap(colorTable_, other.colorTable_);
}

void Bitmap::Release() {
  owned_.reset();
  bits_ = top_ = nullptr;
  pitch_ = 0;
  stride_ = 0;
  width_ = height_ = 0;
}

BITMAPINFOHEADER Bitmap::InfoHeader() const {
  BITMAPINFOHEADER h;
  h.biWidth = width_;
  h.biHeight = orientation_ == Orientation::TopDown ? -height_ : height_;
  h.biBitCount = std::uint16_t(BitCount());
  h.biSizeImage = std::uint32_t(stride_ * height_);
  h.biClrUsed = format_ == PixelFormat::Mono1 ? 2 : 0;
  return h;
}

DIBSECTION Bitmap::DibSection() const {
  DIBSECTION ds;
  ds.dsBm.bmWidth = width_;
  ds.dsBm.bmHeight = height_;
  ds.dsBm.bmWidthBytes = std::int32_t(stride_);
  ds.dsBm.bmBitsPixel = std::uint16_t(BitCount());
  ds.dsBm.bmBits = bits_;
  ds.dsBmih = InfoHeader();
  return ds;
}

namespace {
int Luma(COLORREF c) { return 299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c); }
}  // namespace

bool Bitmap::NearestTableBit(COLORREF color) const {
  color &= 0xFFFFFF;
  if (color == (colorTable_[1] & 0xFFFFFF)) return true;
  if (color == (colorTable_[0] & 0xFFFFFF)) return false;
  const int l = Luma(color);
  const int d0 = std::abs(l - Luma(colorTable_[0]));
  const int d1 = std::abs(l - Luma(colorTable_[1]));
  return d1 < d0;
}

COLORREF Bitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const std::uint8_t* row = Scanline(y);
  switch (format_) {
    case PixelFormat::Mono1: return colorTable_[(row[x >> 3] >> (7 - (x & 7))) & 1] & 0xFFFFFF;
    case PixelFormat::Rgb24: return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case PixelFormat::Rgb32: return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
  }
  return CLR_INVALID;
}

bool Bitmap::SetPixel(int x, int y, COLORREF color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  std::uint8_t* row = Scanline(y);
  switch (format_) {
    case PixelFormat::Mono1: {
      const std::uint8_t bit = std::uint8_t(0x80 >> (x & 7));
      row[x >> 3] = NearestTableBit(color) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      break;
    }
    case PixelFormat::Rgb24:
    case PixelFormat::Rgb32: {
      std::uint8_t* p = row + x * (format_ == PixelFormat::Rgb24 ? 3 : 4);
      p[0] = GetBValue(color);
      p[1] = GetGValue(color);
      p[2] = GetRValue(color);
      break;
    }
  }
  return true;
}

void Bitmap::FillRect(const RECT& rect, COLORREF color) {
  const int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int right = std::min(rect.right, width_), bottom = std::min(rect.bottom, height_);
  if (left >= right || top >= bottom) return;
  if (format_ == PixelFormat::Mono1) {
    const bool one = NearestTableBit(color);
    for (int y = top; y < bottom; ++y) {
      std::uint8_t* row = Scanline(y);
      for (int x = left; x < right; ++x) {
        const std::uint8_t bit = std::uint8_t(0x80 >> (x & 7));
        row[x >> 3] = one ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      }
    }
    return;
  }
  const int bytes = format_ == PixelFormat::Rgb24 ? 3 : 4;
  const std::uint8_t b = GetBValue(color), g = GetGValue(color), r = GetRValue(color);
  for (int y = top; y < bottom; ++y) {
    std::uint8_t* p = Scanline(y) + std::ptrdiff_t(left) * bytes;
    for (int x = left; x < right; ++x, p += bytes) {
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  }
}

}  // namespace orvex::gdi
