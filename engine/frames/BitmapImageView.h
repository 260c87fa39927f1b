#pragma once
// The image writers read pixels through a view of their own; this gives one
// of a bitmap without copying it.

#include <cstddef>

#include "imaging/ImageView.h"
#include "platform/gdi/Bitmap.h"

inline orvex::imaging::TImageView ImageViewOf(const orvex::gdi::Bitmap& b) {
  return {b.Bits(),
          b.Width(),
          b.Height(),
          static_cast<std::ptrdiff_t>(b.Stride()),
          b.Format() == orvex::gdi::PixelFormat::Rgb24 ? orvex::imaging::TPixelLayout::Bgr24
                                                       : orvex::imaging::TPixelLayout::Bgrx32,
          b.RowOrder() == orvex::gdi::Orientation::BottomUp};
}
