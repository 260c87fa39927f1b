#pragma once
// Sizing and placing the preview window on the desktop.

#include <QList>
#include <QRect>
#include <QSize>

// The smallest client area the preview window is made or restored to.
inline constexpr QSize kSmallestPreview(160, 120);

// The client size that shows a video of `video` pixels in `available`: the
// video's own size when it fits, else scaled down with its shape kept.
QSize FitVideoSize(QSize video, QSize available);

// Whether a stored client rectangle is fit to restore: at least the
// smallest size, no larger than the largest screen, and enough of it on one
// of the screens to take hold of.
bool UsableStoredRect(const QRect& stored, const QList<QRect>& screens);

// `rect` moved (not resized) so that it lies in `area` as far as it can.
QRect KeptInside(QRect rect, const QRect& area);
