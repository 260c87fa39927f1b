#pragma once
// Paints the display's frames. RGB frames are drawn as they are; YUV frames
// are converted once, straight into the window's backing image when shown at
// their own size, else into a scratch image that is then drawn.

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
  // Frames converted straight into the window (tests check the path taken).
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

  orvex::media::FastConversion fast_{orvex::media::FastConversion::Chroma::Nearest};
  // GStreamer's converter for colours FastConversion does not cover.
  GstVideoConverter* general_ = nullptr;
  GstVideoInfo generalIn_{};
  GstVideoInfo generalOut_{};
  QImage scratch_;
  unsigned long long direct_ = 0;
};
