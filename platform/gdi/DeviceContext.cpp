#include "platform/gdi/DeviceContext.h"

#include <utility>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Font.h"

namespace orvex::gdi {

DeviceContext::DeviceContext(Bitmap* bitmap) { SelectBitmap(bitmap); }

DeviceContext::~DeviceContext() { SelectBitmap(nullptr); }

bool DeviceContext::SelectBitmap(Bitmap* bitmap) {
  if (bitmap == bitmap_) return true;
  if (bitmap != nullptr) {
    DeviceContext* expected = nullptr;
    if (!bitmap->selectedInto_.compare_exchange_strong(expected, this, std::memory_order_acq_rel))
      return false;
  }
  if (bitmap_ != nullptr) bitmap_->selectedInto_.store(nullptr, std::memory_order_release);
  bitmap_ = bitmap;
  return true;
}

void DeviceContext::ForgetBitmap(const Bitmap* bitmap) {
  if (bitmap_ == bitmap) bitmap_ = nullptr;
}

const Font* DeviceContext::SelectFont(const Font* font) {
  const Font* previous = font_;
  font_ = font;
  return previous;
}

const Font& DeviceContext::CurrentFont() const { return font_ != nullptr ? *font_ : Font::Stock(); }

COLORREF DeviceContext::SetTextColor(COLORREF color) { return std::exchange(textColor_, color & 0xFFFFFF); }

COLORREF DeviceContext::SetBkColor(COLORREF color) { return std::exchange(bkColor_, color & 0xFFFFFF); }

int DeviceContext::SetBkMode(int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return std::exchange(bkMode_, mode);
}

int DeviceContext::SetStretchBltMode(int mode) {
  if (mode != COLORONCOLOR) return 0;
  return std::exchange(stretchMode_, mode);
}

COLORREF GetPixel(const DeviceContext* dc, int x, int y) {
  if (dc == nullptr || dc->SelectedBitmap() == nullptr) return CLR_INVALID;
  return dc->SelectedBitmap()->Pixel(x, y);
}

COLORREF SetPixel(DeviceContext* dc, int x, int y, COLORREF color) {
  if (dc == nullptr || dc->SelectedBitmap() == nullptr) return CLR_INVALID;
  Bitmap& bitmap = *dc->SelectedBitmap();
  if (!bitmap.SetPixel(x, y, color)) return CLR_INVALID;
  return bitmap.Pixel(x, y);
}

bool FillRect(DeviceContext* dc, const RECT& rect, COLORREF color) {
  if (dc == nullptr || dc->SelectedBitmap() == nullptr) return false;
  dc->SelectedBitmap()->FillRect(rect, color);
  return true;
}

}  // namespace orvex::gdi
