#pragma once
// A memory device context: the bitmap drawn into, the font, the text and
// background colours, the background mode and the stretch mode.
//
// A DC is cheap (no allocation), so one on the stack per frame is fine. It is
// used by one thread at a time and is not locked; lock the bitmaps instead
// (see Bitmap.h). A bitmap is selected into at most one DC at a time: as in
// GDI, selecting a bitmap that another DC holds fails and leaves both DCs as
// they were. Destroying the DC releases its bitmap; destroying a selected
// bitmap deselects it (do that on the thread that uses the DC).

#include <atomic>

#include "platform/gdi/GdiTypes.h"

namespace orvex::gdi {

class Bitmap;
class Font;

class DeviceContext {
 public:
  DeviceContext() = default;
  // Selects the bitmap at once; check SelectedBitmap() when it may be taken.
  explicit DeviceContext(Bitmap* bitmap);
  ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  // Selects a bitmap (nullptr deselects). False when the bitmap is selected
  // into another DC; the current selection then stays.
  bool SelectBitmap(Bitmap* bitmap);
  Bitmap* SelectedBitmap() const { return bitmap_; }

  // Selects a font, not owned (nullptr: the stock font); returns the previous
  // one. The font must outlive its selection.
  const Font* SelectFont(const Font* font);
  const Font* SelectedFont() const { return font_; }
  // The selected font, or the stock font when none is.
  const Font& CurrentFont() const;

  // Each setter returns the previous value.
  COLORREF SetTextColor(COLORREF color);
  COLORREF GetTextColor() const { return textColor_; }
  COLORREF SetBkColor(COLORREF color);
  COLORREF GetBkColor() const { return bkColor_; }
  // TRANSPARENT or OPAQUE; anything else returns 0 and changes nothing.
  int SetBkMode(int mode);
  int GetBkMode() const { return bkMode_; }
  // COLORONCOLOR only; anything else returns 0 and changes nothing.
  int SetStretchBltMode(int mode);
  int GetStretchBltMode() const { return stretchMode_; }

 private:
  friend class Bitmap;
  void ForgetBitmap(const Bitmap* bitmap);

  Bitmap* bitmap_ = nullptr;
  const Font* font_ = nullptr;
  COLORREF textColor_ = RGB(0, 0, 0);
  COLORREF bkColor_ = RGB(255, 255, 255);
  int bkMode_ = OPAQUE;
  int stretchMode_ = COLORONCOLOR;
};

// Pixel access through a DC's bitmap, as GDI offers it.
COLORREF GetPixel(const DeviceContext* dc, int x, int y);
COLORREF SetPixel(DeviceContext* dc, int x, int y, COLORREF color);
// Fills a rectangle (clipped to the bitmap) with a colour.
bool FillRect(DeviceContext* dc, const RECT& rect, COLORREF color);

}  // namespace orvex::gdi
