#pragma once
// Paints the display's frames into the window's backing image: a YUV frame
// shown at its own size is converted straight into it; one of another size is
// converted into a scratch image and scaled into it, as an RGB frame is. Where
// the image cannot be written directly (another kind of paint device, a
// scaled painter, a clip), QPainter draws the frame.

#include <gst/video/video.h>

#include <QImage>
#include <QRect>

#include "platform/media/FastConversion.h"

class QPainter;

class TFramePainter {
 public:
  TFramePainter() = default;
  TFramePainter(const TFramePainter&) = delete;
  TFramePainter& operator=(const TFramePainter&) = delete;
  ~TFramePainter();

  // Draws `frame` into `target` (the painter's coordinates); false when its
  // format cannot be converted.
  bool Paint(QPainter& painter, const GstVideoFrame& frame, const QRect& target);
  // Frames written straight into the window (tests check the path taken).
  unsigned long long DirectFrames() const { return direct_; }

 private:
  struct TDestination {
    uchar* bits = nullptr;
    int stride = 0;
  };
  // Where `target` lies in the image the painter draws on, when it may be
  // written directly: an RGB32 image, an unscaled painter, inside the clip.
  static TDestination Backing(QPainter& painter, const QRect& target);
  bool Convert(const GstVideoFrame& in, TDestination out);

  orvex::media::FastConversion fast_{orvex::media::FastConversion::Purpose::Show};
  // GStreamer's converter for colours FastConversion does not cover.
  GstVideoConverter* general_ = nullptr;
  GstVideoInfo generalIn_{};
  GstVideoInfo generalOut_{};
  QImage scratch_;
  unsigned long long direct_ = 0;
};
