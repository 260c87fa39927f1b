#pragma once
// The overlay group: the text overlay's text, font, colours and place, and
// the place and flags of the three image overlays. Positions are overlay
// position codes: 0 Top Left, 1 Top, 2 Top Right, 3 Bottom Left, 4 Bottom,
// 5 Bottom Right. Colours are COLORREF values, 0x00BBGGRR.

#include <cstddef>
#include <string>

#include "platform/registry/KeyTree.h"

namespace orvex::settings {

inline constexpr const char* kDefaultOverlayFontName = "MS Sans Serif";
// The longest overlay text the store holds, in bytes of UTF-8.
inline constexpr std::size_t kMaxOverlayTextBytes = reg::kMaxValueDataSize;
// Longest face name a font takes, in characters.
inline constexpr int kMaxFontNameLength = 31;

struct TOverlaySettings {
  std::string OverlayText;
  std::string OverlayFontName = kDefaultOverlayFontName;
  int OverlayFontSize = 8;  // points
  int OverlayFontColor = 0;
  int OverlayBackColor = 0xFFFFFF;
  int OverlayTextPosition = 0;
  int Image1Position = 0;
  int Image2Position = 0;
  int Image3Position = 0;
  bool OverlayFontBold = false;
  bool OverlayFontItalic = false;
  bool OverlayFontUnderline = false;
  bool OverlayFontStrikeOut = false;
  bool OverlayBackTransparent = true;
  bool OverlayTextVisible = false;
  bool Image1Transparent = false;
  bool Image2Transparent = false;
  bool Image3Transparent = false;
  bool Image1Visible = false;
  bool Image2Visible = false;
  bool Image3Visible = false;

  // Reads the group. Positions outside 0..5 become 0; an empty or missing
  // font name leaves "MS Sans Serif", a longer one is cut to 31 characters;
  // the font size is kept within 1..500 points.
  static TOverlaySettings Read();
  // Throws reg::ERegistryException when the store cannot be written.
  void Write() const;

  bool operator==(const TOverlaySettings&) const = default;
};

}  // namespace orvex::settings
