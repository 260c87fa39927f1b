#pragma once
// A device-independent bitmap of 1, 24 or 32 bits per pixel, laid out as a DIB:
// pixels B, G, R (, X) from left to right, rows padded to 4 bytes (or any
// stride for wrapped memory), stored bottom-up or top-down.
//
// Locking rules. A Bitmap is Lockable (lock/unlock/try_lock), like a canvas
// lock: a thread that draws from or into a bitmap another thread may change
// holds its lock for the whole drawing, and the other thread holds the same
// lock while it changes the bitmap (Create, Wrap, Assign, Swap, Release,
// pixel writes). The drawing functions never lock by themselves. The lock is
// not recursive. Take several locks in one fixed order (the compositor's is
// Image, Mask, Sprite) or all at once with std::scoped_lock.
// The lock guards the pixels and the geometry, not the object: a Bitmap that
// another thread may still lock must stay alive. Keep long-lived Bitmap
// objects and replace their contents under the lock (Assign, Swap, Release)
// instead of deleting them.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/gdi/GdiTypes.h"

namespace orvex::gdi {

class DeviceContext;

enum class PixelFormat { Mono1, Rgb24, Rgb32 };
enum class Orientation { BottomUp, TopDown };

int BitsPerPixel(PixelFormat format);
// The DIB row size: a multiple of 4 bytes. 0 when width is out of range.
std::int64_t DibStride(int width, PixelFormat format);

class Bitmap {
 public:
  // The largest width or height accepted, and the largest pixel memory.
  static constexpr int kMaxDimension = 65535;
  static constexpr std::int64_t kMaxBytes = std::int64_t(1) << 30;

  Bitmap() = default;
  // An owned, zero-filled (black) bitmap; empty when the size is refused.
  Bitmap(int width, int height, PixelFormat format, Orientation orientation = Orientation::BottomUp);
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  // Owned, zero-filled memory with DIB rows. False (and empty) for a size of 0
  // or less, above kMaxDimension or kMaxBytes, or when memory runs out.
  bool Create(int width, int height, PixelFormat format, Orientation orientation = Orientation::BottomUp);
  // Borrowed memory, e.g. a frame's. bits is the first stored row (the bottom
  // one for BottomUp); stride is the distance in bytes between stored rows and
  // at least the row's size. The memory must outlive the wrapping.
  bool Wrap(void* bits, int width, int height, PixelFormat format, std::int64_t stride,
            Orientation orientation);
  // Borrowed memory described by a DIB header (BI_RGB, 1/24/32 bits; a
  // negative biHeight means top-down; rows padded to 4 bytes).
  bool WrapDib(const BITMAPINFOHEADER& header, void* bits);
  // A deep copy in owned memory with the same size, format, orientation and
  // colour table. Copying an empty bitmap empties this one.
  bool Assign(const Bitmap& other);
  // Exchanges contents (pixels, geometry, colour table). Locks and DC
  // selections stay with the objects.
  void Swap(Bitmap& other) noexcept;
  void Release();

  bool Empty() const { return width_ == 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  int BitCount() const { return BitsPerPixel(format_); }
  Orientation RowOrder() const { return orientation_; }
  bool OwnsMemory() const { return owned_ != nullptr; }
  // Bytes between stored rows.
  std::int64_t Stride() const { return stride_; }
  // The first stored row, as a DIB's bits pointer.
  std::uint8_t* Bits() const { return bits_; }
  // Row y counted from the top of the picture, whatever the storage order.
  std::uint8_t* Scanline(int y) const { return top_ + std::ptrdiff_t(y) * pitch_; }
  // Signed distance from one picture row to the next one down.
  std::ptrdiff_t Pitch() const { return pitch_; }

  BITMAPINFOHEADER InfoHeader() const;
  DIBSECTION DibSection() const;

  // Monochrome bitmaps map bit 0 and bit 1 through a two-entry table,
  // black and white unless set otherwise. Ignored by the raster operations,
  // which expand through the device context's colours as GDI does.
  const std::array<COLORREF, 2>& ColorTable() const { return colorTable_; }
  void SetColorTable(COLORREF zero, COLORREF one) { colorTable_ = {zero, one}; }

  // CLR_INVALID outside the bitmap. A mono pixel reads through the colour table.
  COLORREF Pixel(int x, int y) const;
  // A mono pixel becomes the table entry nearest to the colour. False outside.
  bool SetPixel(int x, int y, COLORREF color);
  // Fills the whole bitmap, or a rectangle clipped to it, with a colour
  // (mono: the nearest table entry).
  void Fill(COLORREF color) { FillRect(RECT{0, 0, width_, height_}, color); }
  void FillRect(const RECT& rect, COLORREF color);

  // Lockable, so std::scoped_lock(image, mask, sprite) works.
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  bool try_lock() { return mutex_.try_lock(); }

  // The device context this bitmap is selected into, if any.
  DeviceContext* SelectedInto() const { return selectedInto_.load(std::memory_order_acquire); }

 private:
  friend class DeviceContext;
  void SetGeometry(std::uint8_t* bits, int width, int height, PixelFormat format, std::int64_t stride,
                   Orientation orientation);
  bool NearestTableBit(COLORREF color) const;

  std::unique_ptr<std::uint8_t[]> owned_;
  std::uint8_t* bits_ = nullptr;
  std::uint8_t* top_ = nullptr;
  std::ptrdiff_t pitch_ = 0;
  std::int64_t stride_ = 0;
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Rgb32;
  Orientation orientation_ = Orientation::BottomUp;
  std::array<COLORREF, 2> colorTable_ = {RGB(0, 0, 0), RGB(255, 255, 255)};
  std::mutex mutex_;
  std::atomic<DeviceContext*> selectedInto_{nullptr};
};

// The 32-bit pixel word (B | G << 8 | R << 16) of a colour, and back.
constexpr std::uint32_t ColorToPixel(COLORREF c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF PixelToColor(std::uint32_t p) {
  return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}

}  // namespace orvex::gdi
