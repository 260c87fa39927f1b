#pragma once
// A font description as the overlay text uses it. Height follows the classic
// convention: negative values are the character height in pixels, positive
// values the cell height; Size is the same in points at 96 pixels per inch.

#include <string>

#include "engine/EngineEnums.h"

struct TFont {
  std::string Name = "MS Sans Serif";
  int Height = -11;  // 8 points
  TColor Color = clBlack;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;

  static constexpr int kPixelsPerInch = 96;

  int Size() const { return -MulDivRound(Height, 72, kPixelsPerInch); }
  void SetSize(int points) { Height = -MulDivRound(points, kPixelsPerInch, 72); }

  bool operator==(const TFont&) const = default;

 private:
  static int MulDivRound(int value, int mul, int div) {
    const long long product = static_cast<long long>(value) * mul;
    return static_cast<int>(product >= 0 ? (product + div / 2) / div : -((-product + div / 2) / div));
  }
};
