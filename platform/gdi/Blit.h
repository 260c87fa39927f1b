#pragma once
// Block transfers between the bitmaps selected into device contexts.
//
// Raster operations act on the B, G and R bytes of 24- and 32-bit pixels and
// on the bits of monochrome ones; the X byte of a 32-bit destination pixel is
// never changed. Conversions between the two kinds follow GDI:
// - a monochrome source drawn onto a colour destination expands through the
//   destination DC's colours: 0 bits become its text colour, 1 bits its
//   background colour;
// - a colour source drawn onto a monochrome destination gives 1 where the
//   pixel equals the source DC's background colour and 0 elsewhere;
// - monochrome to monochrome copies the bits; colour tables play no part.
// Both rectangles are clipped at the edges of their bitmaps (negative origins
// included); pixels whose source lies outside the source bitmap are left alone.
// Within one bitmap, overlapping BitBlt areas are handled like memmove.
//
// BitBlt allocates nothing; 32->32 and 1->32 have their own row loops (the
// per-frame compositor's work). StretchBlt is meant for snapshots: it builds a
// column map per call.

#include <cstdint>

#include "platform/gdi/GdiTypes.h"

namespace orvex::gdi {

class DeviceContext;

// SRCCOPY, SRCAND, SRCPAINT, SRCINVERT, NOTSRCCOPY, DSTINVERT, BLACKNESS,
// WHITENESS. False for another code, when dest has no bitmap, or when the
// operation reads a source and src has none. Sizes of 0 or less draw nothing.
bool BitBlt(DeviceContext* dest, int x, int y, int cx, int cy, const DeviceContext* src, int x1, int y1,
            std::uint32_t rop);

// Scales the source rectangle (x1, y1, cx1, cy1) onto the destination
// rectangle (x, y, cx, cy), colour on colour: each destination pixel takes the
// source pixel under its centre, column x + i from x1 + floor((2i + 1) * cx1 /
// (2 * cx)), rows alike, so rows and columns are dropped or repeated evenly and
// never blended. Same raster operations and conversions as BitBlt. False also
// for negative sizes (no mirroring).
bool StretchBlt(DeviceContext* dest, int x, int y, int cx, int cy, const DeviceContext* src, int x1, int y1,
                int cx1, int cy1, std::uint32_t rop);

}  // namespace orvex::gdi
