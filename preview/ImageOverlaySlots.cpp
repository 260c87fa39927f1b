#include "preview/ImageOverlaySlots.h"

#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"

using namespace orvex::gdi;

namespace {

// A colour copy of the source. Monochrome sources become 32-bit through their
// colour table, so the key colour means the same as in any other picture.
bool CopyPicture(const TBitmap& source, TBitmap& copy) {
  if (source.Format() != PixelFormat::Mono1) return copy.Assign(source);
  if (!copy.Create(source.Width(), source.Height(), PixelFormat::Rgb32)) return false;
  for (int y = 0; y < source.Height(); ++y)
    for (int x = 0; x < source.Width(); ++x) copy.SetPixel(x, y, source.Pixel(x, y));
  return true;
}

}  // namespace

bool BuildMaskAndSprite(const TBitmap& image, COLORREF key, TBitmap& mask, TBitmap& sprite) {
  const int w = image.Width(), h = image.Height();
  // The picture itself may be selected into the compositor's DC at this
  // moment, so the mask is taken from a private copy.
  TBitmap keyed;
  if (!keyed.Assign(image) || !mask.Create(w, h, PixelFormat::Mono1) || !sprite.Assign(image)) {
    mask.Release();
    sprite.Release();
    return false;
  }
  DeviceContext keyedDc(&keyed), maskDc(&mask), spriteDc(&sprite);
  // Colour onto monochrome: pixels equal to the source's background colour give 1.
  keyedDc.SetBkColor(key);
  BitBlt(&maskDc, 0, 0, w, h, &keyedDc, 0, 0, SRCCOPY);
  // With the mask inverted the key pixels are 0, which expands to black for
  // the AND; every other pixel keeps its colour.
  BitBlt(&maskDc, 0, 0, w, h, nullptr, 0, 0, DSTINVERT);
  spriteDc.SetTextColor(RGB(0, 0, 0));
  spriteDc.SetBkColor(RGB(255, 255, 255));
  BitBlt(&spriteDc, 0, 0, w, h, &maskDc, 0, 0, SRCAND);
  BitBlt(&maskDc, 0, 0, w, h, nullptr, 0, 0, DSTINVERT);
  return true;
}

bool TImageOverlaySlots::Install(int index, const TBitmap& source, int x, int y, bool transparent,
                                 bool visible) {
  TImageOverlaySlot& slot = (*this)[index];
  if (slot.HasImage()) return true;
  slot.Visible = false;
  // Copied outside the locks so a frame never waits for it.
  TBitmap copy;
  if (source.Empty() || !CopyPicture(source, copy)) return false;
  {
    TSlotSurfaceLock lock(slot);
    slot.Image.Swap(copy);
    slot.Mask.Release();
    slot.Sprite.Release();
  }
  slot.X = x;
  slot.Y = y;
  slot.Transparent = transparent;
  if (!Prepare(index)) {
    Free(index);
    return false;
  }
  slot.Visible = visible;
  if (visible) VisibilityChanged();
  return true;
}

void TImageOverlaySlots::SetVisible(int index, bool visible) {
  (*this)[index].Visible = visible;
  VisibilityChanged();
}

bool TImageOverlaySlots::AnyVisible() const {
  for (const TImageOverlaySlot& slot : slots_)
    if (slot.Visible) return true;
  return false;
}

void TImageOverlaySlots::Free(int index) {
  TImageOverlaySlot& slot = (*this)[index];
  if (!slot.HasImage()) return;
  slot.Visible = false;
  TBitmap image, mask, sprite;
  {
    TSlotSurfaceLock lock(slot);
    slot.Image.Swap(image);
    slot.Mask.Swap(mask);
    slot.Sprite.Swap(sprite);
  }
  // The pixels are released here, after the locks.
  slot.X = 0;
  slot.Y = 0;
  slot.Transparent = false;
  VisibilityChanged();
}

bool TImageOverlaySlots::Prepare(int index) {
  TImageOverlaySlot& slot = (*this)[index];
  if (!slot.HasImage()) return false;
  const COLORREF key = slot.Image.Pixel(0, slot.Image.Height() - 1);
  TBitmap mask, sprite;
  const bool built = BuildMaskAndSprite(slot.Image, key, mask, sprite);
  {
    TSlotSurfaceLock lock(slot);
    slot.Mask.Swap(mask);
    slot.Sprite.Swap(sprite);
  }
  return built;
}
