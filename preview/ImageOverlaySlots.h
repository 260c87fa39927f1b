#pragma once
// The three image overlay slots: pictures laid over every frame, filled by
// the overlay dialog on the UI thread and drawn by the compositor on the
// streaming thread.
//
// Threads. Only the UI thread calls Install, Free and Prepare and writes the
// fields. The streaming thread reads X, Y, Transparent and Visible at any
// time, and the bitmaps only while it holds their three locks
// (TSlotSurfaceLock: Image, Mask, Sprite, in that order). Install and Free
// clear Visible before anything else, change the bitmaps only under the same
// three locks, and Install sets Visible last, so a frame never draws a
// half-built slot and a draw in progress finishes before its pixels go. The
// Bitmap objects live as long as the slots; only their contents change.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/FrameTypes.h"
#include "platform/gdi/Bitmap.h"

struct TImageOverlaySlot {
  TBitmap Image;                   // a private copy of the loaded picture; empty: the slot holds none
  TBitmap Mask;                    // monochrome, 1 (white) where Image has the key colour
  TBitmap Sprite;                  // Image with every key-coloured pixel black
  std::atomic<std::int32_t> X{0};  // left edge in frame pixels, may be negative
  std::atomic<std::int32_t> Y{0};  // top edge in frame pixels, may be negative
  std::atomic<bool> Transparent{false};
  std::atomic<bool> Visible{false};

  // UI thread only (the one writer).
  bool HasImage() const { return !Image.Empty(); }
};

// Holds a slot's three drawing surfaces: locks Image, Mask, Sprite in this
// order and unlocks them in the same order.
class TSlotSurfaceLock {
 public:
  explicit TSlotSurfaceLock(TImageOverlaySlot& slot) : slot_(slot) {
    slot_.Image.lock();
    slot_.Mask.lock();
    slot_.Sprite.lock();
  }
  ~TSlotSurfaceLock() {
    slot_.Image.unlock();
    slot_.Mask.unlock();
    slot_.Sprite.unlock();
  }
  TSlotSurfaceLock(const TSlotSurfaceLock&) = delete;
  TSlotSurfaceLock& operator=(const TSlotSurfaceLock&) = delete;

 private:
  TImageOverlaySlot& slot_;
};

class TImageOverlaySlots {
 public:
  static constexpr int kCount = 3;

  TImageOverlaySlot& operator[](int index) { return slots_.at(static_cast<std::size_t>(index)); }
  const TImageOverlaySlot& operator[](int index) const { return slots_.at(static_cast<std::size_t>(index)); }

  // Puts a copy of `source` into an empty slot, builds its mask and sprite and
  // makes it visible last if asked. Does nothing (true) when the slot already
  // holds an image. False, with the slot left empty, for an empty source or
  // when memory runs out.
  bool Install(int index, const TBitmap& source, int x, int y, bool transparent, bool visible);
  // Empties a slot: Visible off first, then the bitmaps, X, Y and
  // Transparent. Does nothing when the slot is empty.
  void Free(int index);
  // Builds Mask and Sprite from Image. The key colour is Image's bottom-left
  // pixel. False when memory runs out (Mask and Sprite are then empty, which
  // draws nothing).
  bool Prepare(int index);

  // Shows or hides a slot's image (what its Visible box says).
  void SetVisible(int index, bool visible);
  bool AnyVisible() const;
  // Told, on the thread that made it, after any change of a slot's
  // visibility: the engine works on frames for the images only while one shows.
  void SetVisibilityObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  void VisibilityChanged() const {
    if (observer_) observer_();
  }

  std::array<TImageOverlaySlot, kCount> slots_;
  std::function<void()> observer_;
};

// Builds the mask (1 where `image` has `key`) and the sprite (`image` with
// those pixels black) the way the slots need them. False when memory runs out.
bool BuildMaskAndSprite(const TBitmap& image, orvex::gdi::COLORREF key, TBitmap& mask, TBitmap& sprite);
