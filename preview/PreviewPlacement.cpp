#include "preview/PreviewPlacement.h"

#include <algorithm>

namespace {
// A stored window must show this much on a screen to be found again.
constexpr int kVisibleGrip = 48;
}  // namespace

QSize FitVideoSize(QSize video, QSize available) {
  if (video.isEmpty() || available.isEmpty()) return video;
  if (video.width() <= available.width() && video.height() <= available.height()) return video;
  return video.scaled(available, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

bool UsableStoredRect(const QRect& stored, const QList<QRect>& screens) {
  if (stored.width() < kSmallestPreview.width() || stored.height() < kSmallestPreview.height()) return false;
  bool fits = false, seen = false;
  for (const QRect& screen : screens) {
    fits = fits || (stored.width() <= screen.width() && stored.height() <= screen.height());
    const QRect shown = stored.intersected(screen);
    seen = seen || (shown.width() >= kVisibleGrip && shown.height() >= kVisibleGrip);
  }
  return fits && seen;
}

QRect KeptInside(QRect rect, const QRect& area) {
  rect.moveLeft(std::max(area.left(), std::min(rect.left(), area.right() - rect.width() + 1)));
  rect.moveTop(std::max(area.top(), std::min(rect.top(), area.bottom() - rect.height() + 1)));
  return rect;
}
