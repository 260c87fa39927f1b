#pragma once
// The overlay position code (0 Top Left, 1 Top, 2 Top Right, 3 Bottom Left,
// 4 Bottom, 5 Bottom Right) turned into frame coordinates. Codes 0 to 2 are
// the top row; code % 3 is the column: left, centre, right.

#include <array>

#include "engine/EngineEnums.h"

inline constexpr int kOverlayPositionCount = 6;

// Radio captions and hints, by code.
inline constexpr std::array<const char*, kOverlayPositionCount> kOverlayPositionCaptions = {
    "Top Left", "Top", "Top Right", "Bottom Left", "Bottom", "Bottom Right"};
inline constexpr std::array<const char*, kOverlayPositionCount> kOverlayPositionHints = {
    "Top Left Alignment",    "Top Center Alignment",    "Top Right Alignment",
    "Bottom Left Alignment", "Bottom Center Alignment", "Bottom Right Alignment"};

inline bool IsTopRowPosition(int code) { return code >= 0 && code <= 2; }

// The text band spans the whole frame width; the bottom row's band starts 30
// pixels above the bottom edge whatever the font.
struct TTextPlacement {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  TTextOverlayAlign Align = tf_Left;
};

inline TTextPlacement TextPlacement(int code, int videoWidth, int videoHeight) {
  TTextPlacement p;
  p.Top = IsTopRowPosition(code) ? 0 : videoHeight - 30;
  p.Left = 0;
  p.Right = videoWidth;
  const int column = code % 3;
  p.Align = column == 0 ? tf_Left : column == 1 ? tf_Center : tf_Right;
  return p;
}

// Images sit in the frame's corners or centred on an edge, at their own size
// and without clamping: an image larger than the frame gets negative
// coordinates. Halves truncate toward zero.
struct TImagePlacement {
  int X = 0;
  int Y = 0;
};

inline TImagePlacement ImagePlacement(int code, int videoWidth, int videoHeight, int imageWidth,
                                      int imageHeight) {
  TImagePlacement p;
  p.Y = IsTopRowPosition(code) ? 0 : videoHeight - imageHeight;
  const int column = code % 3;
  if (column == 1) {
    p.X = videoWidth / 2 - imageWidth / 2;
  } else if (column == 2) {
    p.X = videoWidth - imageWidth;
  }
  return p;
}
