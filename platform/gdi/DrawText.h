#pragma once
// DrawText with the DC's font, text colour, background colour and mode.
//
// Text is UTF-8 (a bad byte draws as U+FFFD). CR LF, LF and a lone CR each
// start a new line; a break at the very end adds no empty line. One line is
// the font's TextMetrics::height high.
// Formats: DT_LEFT/DT_CENTER/DT_RIGHT, DT_TOP (DT_VCENTER and DT_BOTTOM with
// DT_SINGLELINE), DT_WORDBREAK, DT_SINGLELINE (breaks are ignored), DT_NOCLIP,
// DT_CALCRECT, DT_EXPANDTABS (stops every 8 average character widths),
// DT_EDITCONTROL. Other bits are ignored; '&' is always drawn as itself.
// Word wrap breaks at spaces and tabs; the spaces at a break belong to no
// line. A word wider than the rectangle stays whole on a line of its own and
// runs past the edge, unless DT_EDITCONTROL asks for it to be broken between
// characters.
// In OPAQUE mode each drawn line's extent (its width by one line height) is
// filled with the background colour before the glyphs; TRANSPARENT touches
// only the glyphs' pixels. Glyphs are blended with their coverage onto 24- and
// 32-bit bitmaps (the X byte untouched) and thresholded onto monochrome ones.
// Without DT_NOCLIP the drawing is clipped to the rectangle; always to the
// bitmap. Nothing is allocated once the glyphs are cached.

#include <cstdint>
#include <string_view>

#include "platform/gdi/Font.h"
#include "platform/gdi/GdiTypes.h"

namespace orvex::gdi {

class DeviceContext;

// Returns the height of the text (with DT_VCENTER or DT_BOTTOM: from the
// rectangle's top to the bottom of the text), 0 when dc or rect is missing.
// With DT_CALCRECT nothing is drawn; rect's right becomes left + the widest
// line and its bottom top + the text's height.
int DrawText(DeviceContext* dc, std::string_view text, RECT* rect, std::uint32_t format);

// The size of the text as one line (breaks and control characters take no
// space) in the DC's font.
SIZE GetTextExtent(const DeviceContext* dc, std::string_view text);
const TextMetrics& GetTextMetrics(const DeviceContext* dc);

}  // namespace orvex::gdi
