#include "imaging/ImageView.h"

#include "imaging/ImageFile.h"

namespace orvex::imaging {

void CheckImageView(const TImageView& view) {
  if (view.Empty()) return;
  if (!view.pixels) throw EImageError("The picture has no pixel memory");
  if (view.stride < static_cast<std::ptrdiff_t>(view.width) * view.BytesPerPixel())
    throw EImageError("The picture's row stride is smaller than its width");
}

}  // namespace orvex::imaging
