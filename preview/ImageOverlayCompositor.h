#pragma once
// Lays the three overlay images onto each frame, over the engine's text.
// Runs on the streaming thread for every frame: it allocates nothing, touches
// no file or setting, and makes at most two block transfers per visible image.

#include "preview/FrameOverlayPainter.h"
#include "preview/ImageOverlaySlots.h"

class TImageOverlayCompositor final : public IFrameOverlayPainter {
 public:
  explicit TImageOverlayCompositor(TImageOverlaySlots& imageSlots) : slots_(imageSlots) {}

  // Draws slots 0, 1, 2 in turn, so image 3 ends up on top. The frame info is
  // not needed.
  void PaintFrameOverlay(const TFrameInfo& frameInfo, HDC dc) override;

  // Draws one slot at (X, Y) at its own size, clipped to the frame, while
  // holding its three surface locks: through Mask (AND) and Sprite (OR) when
  // Transparent, else a plain copy of Image. Nothing for an empty or
  // invisible slot. The DC's colours and selections are as before afterwards.
  static void DrawImageSlot(HDC dc, TImageOverlaySlot& slot);

 private:
  TImageOverlaySlots& slots_;
};
