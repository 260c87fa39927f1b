#include "engine/frames/FramePainter.h"

#include <libyuv/scale_argb.h>

#include <QPaintEngine>
#include <QPainter>
#include <QRegion>

TFramePainter::~TFramePainter() {
  if (general_) gst_video_converter_free(general_);
}

bool TFramePainter::Paint(QPainter& painter, const GstVideoFrame& frame, const QRect& target) {
  const GstVideoFormat format = GST_VIDEO_FRAME_FORMAT(&frame);
  const QSize size(GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame));
  const TDestination direct = format == GST_VIDEO_FORMAT_BGR ? TDestination{} : Backing(painter, target);
  // At 1:1 a YUV frame is converted straight into the window: the 8 MB copy
  // of a 1080p picture is worth saving.
  if (direct.bits && target.size() == size && format != GST_VIDEO_FORMAT_BGRx) {
    if (!Convert(frame, direct)) return false;
    ++direct_;
    return true;
  }
  QImage rgb;
  if (format == GST_VIDEO_FORMAT_BGRx || format == GST_VIDEO_FORMAT_BGR) {
    rgb = QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), size.width(),
                 size.height(), GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0),
                 format == GST_VIDEO_FORMAT_BGR ? QImage::Format_BGR888 : QImage::Format_RGB32);
  } else {
    if (scratch_.size() != size) scratch_ = QImage(size, QImage::Format_RGB32);
    if (scratch_.isNull() || !Convert(frame, {scratch_.bits(), static_cast<int>(scratch_.bytesPerLine())}))
      return false;
    rgb = scratch_;  // shared, not copied
  }
  // Any other size is scaled by picking pixels, which a moving picture shows
  // as well as smoothing does at a fraction of the cost; libyuv's rows do it
  // several times faster than QPainter.
  if (direct.bits && target.size() != size) {
    if (libyuv::ARGBScale(rgb.constBits(), static_cast<int>(rgb.bytesPerLine()), size.width(), size.height(),
                          direct.bits, direct.stride, target.width(), target.height(),
                          libyuv::kFilterNone) == 0) {
      ++direct_;
      return true;
    }
  }
  if (target.size() == size)
    painter.drawImage(target.topLeft(), rgb);
  else
    painter.drawImage(target, rgb);
  return true;
}

TFramePainter::TDestination TFramePainter::Backing(QPainter& painter, const QRect& target) {
  QPaintEngine* engine = painter.paintEngine();
  QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
  if (!device || device->devType() != QInternal::Image) return {};
  QImage& image = *static_cast<QImage*>(device);
  const QImage::Format format = image.format();
  // libyuv writes opaque BGRA, which all three read alike.
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
      format != QImage::Format_ARGB32_Premultiplied)
    return {};
  // Writing into a shared image would detach it from the painter.
  if (!image.isDetached()) return {};
  const QTransform& transform = painter.deviceTransform();
  if (transform.type() > QTransform::TxTranslate) return {};
  const QRect area = transform.mapRect(target);
  if (!image.rect().contains(area)) return {};
  // Only where this paint event may reach: other widgets lie outside it.
  const QRegion reach = engine->systemClip();
  if (!reach.isEmpty() && !QRegion(area).subtracted(reach).isEmpty()) return {};
  if (painter.hasClipping() && !QRegion(target).subtracted(painter.clipRegion()).isEmpty()) return {};
  return {image.bits() + static_cast<qsizetype>(area.y()) * image.bytesPerLine() + area.x() * 4,
          static_cast<int>(image.bytesPerLine())};
}

bool TFramePainter::Convert(const GstVideoFrame& in, TDestination out) {
  const GstVideoInfo& from = in.info;
  GstVideoFrame to{};
  if (!orvex::media::InfoLike(to.info, GST_VIDEO_FORMAT_BGRx, from)) return false;
  GST_VIDEO_INFO_PLANE_STRIDE(&to.info, 0) = out.stride;
  to.data[0] = out.bits;
  using orvex::media::FastConversion;
  if (FastConversion::Covers(from, to.info, FastConversion::Purpose::Show)) return fast_.Convert(in, to);
  if (!general_ || !gst_video_info_is_equal(&generalIn_, &from) ||
      !gst_video_info_is_equal(&generalOut_, &to.info)) {
    if (general_) gst_video_converter_free(general_);
    generalIn_ = from;
    generalOut_ = to.info;
    general_ = gst_video_converter_new(&generalIn_, &generalOut_, nullptr);
    if (!general_) return false;
  }
  gst_video_converter_frame(general_, &in, &to);
  return true;
}
