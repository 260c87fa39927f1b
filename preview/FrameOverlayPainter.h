#pragma once
// Draws the application's images onto a frame; called on the streaming thread.

#include "engine/FrameTypes.h"

class IFrameOverlayPainter {
 public:
  virtual ~IFrameOverlayPainter() = default;
  virtual void PaintFrameOverlay(const TFrameInfo& frameInfo, HDC dc) = 0;
};
