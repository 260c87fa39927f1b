#include "preview/ImageOverlayCompositor.h"

#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"

using namespace orvex::gdi;

void TImageOverlayCompositor::PaintFrameOverlay(const TFrameInfo&, HDC dc) {
  if (dc == nullptr || dc->SelectedBitmap() == nullptr) return;
  for (int i = 0; i < TImageOverlaySlots::kCount; ++i) DrawImageSlot(dc, slots_[i]);
}

void TImageOverlayCompositor::DrawImageSlot(HDC dc, TImageOverlaySlot& slot) {
  // Invisible slots cost no lock.
  if (!slot.Visible.load(std::memory_order_acquire)) return;
  TSlotSurfaceLock lock(slot);
  // Tested again under the locks: the dialog may have emptied or started
  // refilling the slot since, and it clears Visible before it does.
  if (!slot.Visible.load(std::memory_order_acquire) || slot.Image.Empty()) return;
  const int x = slot.X, y = slot.Y;
  if (slot.Transparent) {
    DeviceContext maskDc(&slot.Mask), spriteDc(&slot.Sprite);
    // Half a pair would leave a black hole in the frame.
    if (maskDc.SelectedBitmap() == nullptr || spriteDc.SelectedBitmap() == nullptr) return;
    // The mask's white bits must expand to all ones and its black bits to
    // zero whatever the text drawing left in the DC.
    const COLORREF text = dc->SetTextColor(RGB(0, 0, 0));
    const COLORREF back = dc->SetBkColor(RGB(255, 255, 255));
    BitBlt(dc, x, y, slot.Mask.Width(), slot.Mask.Height(), &maskDc, 0, 0, SRCAND);
    BitBlt(dc, x, y, slot.Sprite.Width(), slot.Sprite.Height(), &spriteDc, 0, 0, SRCPAINT);
    dc->SetTextColor(text);
    dc->SetBkColor(back);
  } else {
    DeviceContext imageDc(&slot.Image);
    BitBlt(dc, x, y, slot.Image.Width(), slot.Image.Height(), &imageDc, 0, 0, SRCCOPY);
  }
}
