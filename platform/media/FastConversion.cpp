#include "platform/media/FastConversion.h"

#include <libyuv/convert.h>
#include <libyuv/convert_argb.h>
#include <libyuv/convert_from_argb.h>
#include <libyuv/planar_functions.h>

namespace orvex::media {
namespace {

using Plane = std::uint8_t*;

bool FullRange(const GstVideoInfo& info) { return info.colorimetry.range == GST_VIDEO_COLOR_RANGE_0_255; }

// The YUV -> RGB constants for the colorimetry the frames declare: BT.601,
// what webcams send and JPEG decodes to, and BT.709 for what is only shown:
// libyuv's BT.709 rows clamp the blue coefficient (saturated blue comes out
// 4% dark), so for what is kept those go the general way, as every other does.
const libyuv::YuvConstants* YuvMatrix(const GstVideoInfo& info, FastConversion::Purpose purpose) {
  const bool full = FullRange(info);
  const bool shown = purpose == FastConversion::Purpose::Show;
  switch (info.colorimetry.matrix) {
    case GST_VIDEO_COLOR_MATRIX_BT601: return full ? &libyuv::kYuvJPEGConstants : &libyuv::kYuvI601Constants;
    case GST_VIDEO_COLOR_MATRIX_BT709:
      return !shown ? nullptr : full ? &libyuv::kYuvF709Constants : &libyuv::kYuvH709Constants;
    default: return nullptr;
  }
}

bool IsRgbOut(GstVideoFormat f) {
  return f == GST_VIDEO_FORMAT_BGRx || f == GST_VIDEO_FORMAT_BGRA || f == GST_VIDEO_FORMAT_BGR;
}

bool IsYuvIn(GstVideoFormat f) {
  switch (f) {
    case GST_VIDEO_FORMAT_I420:
    case GST_VIDEO_FORMAT_NV12:
    case GST_VIDEO_FORMAT_YUY2:
    case GST_VIDEO_FORMAT_UYVY: return true;
    default: return false;
  }
}

Plane P(const GstVideoFrame& f, int plane) {
  return static_cast<Plane>(GST_VIDEO_FRAME_PLANE_DATA(&f, plane));
}
int S(const GstVideoFrame& f, int plane) { return GST_VIDEO_FRAME_PLANE_STRIDE(&f, plane); }

// Packed and semi-planar YUV into BGRx in one pass, chroma repeated; false
// where libyuv has no such row (it packs YUY2 and UYVY in limited BT.601 only).
bool NearestToArgb(const GstVideoFrame& in, Plane dst, int ds, const libyuv::YuvConstants* m, int w, int h) {
  switch (GST_VIDEO_FRAME_FORMAT(&in)) {
    case GST_VIDEO_FORMAT_NV12:
      return libyuv::NV12ToARGBMatrix(P(in, 0), S(in, 0), P(in, 1), S(in, 1), dst, ds, m, w, h) == 0;
    case GST_VIDEO_FORMAT_YUY2:
      return m == &libyuv::kYuvI601Constants && libyuv::YUY2ToARGB(P(in, 0), S(in, 0), dst, ds, w, h) == 0;
    case GST_VIDEO_FORMAT_UYVY:
      return m == &libyuv::kYuvI601Constants && libyuv::UYVYToARGB(P(in, 0), S(in, 0), dst, ds, w, h) == 0;
    default: return false;
  }
}

}  // namespace

bool InfoLike(GstVideoInfo& info, GstVideoFormat format, const GstVideoInfo& like) {
  if (!gst_video_info_set_format(&info, format, GST_VIDEO_INFO_WIDTH(&like), GST_VIDEO_INFO_HEIGHT(&like)))
    return false;
  GST_VIDEO_INFO_FPS_N(&info) = GST_VIDEO_INFO_FPS_N(&like);
  GST_VIDEO_INFO_FPS_D(&info) = GST_VIDEO_INFO_FPS_D(&like);
  GST_VIDEO_INFO_PAR_N(&info) = GST_VIDEO_INFO_PAR_N(&like);
  GST_VIDEO_INFO_PAR_D(&info) = GST_VIDEO_INFO_PAR_D(&like);
  GST_VIDEO_INFO_INTERLACE_MODE(&info) = GST_VIDEO_INFO_INTERLACE_MODE(&like);
  return true;
}

bool FastConversion::Covers(const GstVideoInfo& in, const GstVideoInfo& out, Purpose purpose) {
  const GstVideoFormat from = GST_VIDEO_INFO_FORMAT(&in);
  const GstVideoFormat to = GST_VIDEO_INFO_FORMAT(&out);
  if (in.width != out.width || in.height != out.height) return false;
  if (GST_VIDEO_INFO_IS_INTERLACED(&in) != GST_VIDEO_INFO_IS_INTERLACED(&out)) return false;
  if (IsRgbOut(to)) {
    if (from == GST_VIDEO_FORMAT_BGR || from == GST_VIDEO_FORMAT_BGRx || from == GST_VIDEO_FORMAT_BGRA)
      return true;
    return IsYuvIn(from) && YuvMatrix(in, purpose);
  }
  // libyuv packs YUY2 in limited-range BT.601 only.
  if (to == GST_VIDEO_FORMAT_YUY2)
    return (from == GST_VIDEO_FORMAT_BGRx || from == GST_VIDEO_FORMAT_BGRA) &&
           out.colorimetry.matrix == GST_VIDEO_COLOR_MATRIX_BT601 && !FullRange(out);
  if (to != GST_VIDEO_FORMAT_I420) return false;
  // Other YUV only changes its layout: the values stay as they are.
  if (from == GST_VIDEO_FORMAT_YUY2 || from == GST_VIDEO_FORMAT_UYVY || from == GST_VIDEO_FORMAT_NV12)
    return in.colorimetry.matrix == out.colorimetry.matrix && in.colorimetry.range == out.colorimetry.range;
  // From RGB libyuv has the BT.601 matrix only, in both ranges.
  return out.colorimetry.matrix == GST_VIDEO_COLOR_MATRIX_BT601 &&
         (from == GST_VIDEO_FORMAT_BGRx || from == GST_VIDEO_FORMAT_BGRA || from == GST_VIDEO_FORMAT_BGR);
}

FastConversion::TPlanes FastConversion::Planar(int w, int h, int chromaHeight) {
  const std::size_t luma = static_cast<std::size_t>(w) * h;
  const int cw = (w + 1) / 2;
  const std::size_t chroma = static_cast<std::size_t>(cw) * chromaHeight;
  scratch_.resize(luma + 2 * chroma);
  return {scratch_.data(), scratch_.data() + luma, scratch_.data() + luma + chroma, cw};
}

bool FastConversion::Convert(const GstVideoFrame& in, GstVideoFrame& out) {
  const GstVideoInfo& ii = in.info;
  const GstVideoInfo& oi = out.info;
  if (!Covers(ii, oi, purpose_)) return false;
  const int w = ii.width, h = ii.height;
  const GstVideoFormat from = GST_VIDEO_INFO_FORMAT(&ii);
  const GstVideoFormat to = GST_VIDEO_INFO_FORMAT(&oi);
  const libyuv::YuvConstants* m = YuvMatrix(ii, purpose_);
  int r = -1;
  if (to == GST_VIDEO_FORMAT_YUY2)
    return libyuv::ARGBToYUY2(P(in, 0), S(in, 0), P(out, 0), S(out, 0), w, h) == 0;
  if (to == GST_VIDEO_FORMAT_I420) {
    const bool full = FullRange(oi);
    Plane y = P(out, 0), u = P(out, 1), v = P(out, 2);
    const int sy = S(out, 0), su = S(out, 1), sv = S(out, 2);
    if (from == GST_VIDEO_FORMAT_YUY2)
      r = libyuv::YUY2ToI420(P(in, 0), S(in, 0), y, sy, u, su, v, sv, w, h);
    else if (from == GST_VIDEO_FORMAT_UYVY)
      r = libyuv::UYVYToI420(P(in, 0), S(in, 0), y, sy, u, su, v, sv, w, h);
    else if (from == GST_VIDEO_FORMAT_NV12)
      r = libyuv::NV12ToI420(P(in, 0), S(in, 0), P(in, 1), S(in, 1), y, sy, u, su, v, sv, w, h);
    else if (from == GST_VIDEO_FORMAT_BGR)
      r = full ? libyuv::RGB24ToJ420(P(in, 0), S(in, 0), y, sy, u, su, v, sv, w, h)
               : libyuv::RGB24ToI420(P(in, 0), S(in, 0), y, sy, u, su, v, sv, w, h);
    else
      r = full ? libyuv::ARGBToJ420(P(in, 0), S(in, 0), y, sy, u, su, v, sv, w, h)
               : libyuv::ARGBToI420(P(in, 0), S(in, 0), y, sy, u, su, v, sv, w, h);
    return r == 0;
  }
  const bool bgr = to == GST_VIDEO_FORMAT_BGR;
  Plane dst = P(out, 0);
  const int ds = S(out, 0);
  switch (from) {
    case GST_VIDEO_FORMAT_BGR:
      r = bgr ? (libyuv::CopyPlane(P(in, 0), S(in, 0), dst, ds, w * 3, h), 0)
              : libyuv::RGB24ToARGB(P(in, 0), S(in, 0), dst, ds, w, h);
      break;
    case GST_VIDEO_FORMAT_BGRx:
    case GST_VIDEO_FORMAT_BGRA:
      r = bgr ? libyuv::ARGBToRGB24(P(in, 0), S(in, 0), dst, ds, w, h)
              : (libyuv::CopyPlane(P(in, 0), S(in, 0), dst, ds, w * 4, h), 0);
      break;
    case GST_VIDEO_FORMAT_I420:
      r = bgr ? libyuv::I420ToRGB24Matrix(P(in, 0), S(in, 0), P(in, 1), S(in, 1), P(in, 2), S(in, 2), dst, ds,
                                          m, w, h)
              : libyuv::I420ToARGBMatrix(P(in, 0), S(in, 0), P(in, 1), S(in, 1), P(in, 2), S(in, 2), dst, ds,
                                         m, w, h);
      break;
    case GST_VIDEO_FORMAT_NV12:
    case GST_VIDEO_FORMAT_YUY2:
    case GST_VIDEO_FORMAT_UYVY: {
      if (purpose_ == Purpose::Show && !bgr && NearestToArgb(in, dst, ds, m, w, h)) return true;
      // Into planes first: the rows that upsample chroma smoothly, as videoconvert does, take planes.
      const bool nv12 = from == GST_VIDEO_FORMAT_NV12;
      const TPlanes p = Planar(w, h, nv12 ? (h + 1) / 2 : h);
      if (nv12)
        r = libyuv::NV12ToI420(P(in, 0), S(in, 0), P(in, 1), S(in, 1), p.y, w, p.u, p.cw, p.v, p.cw, w, h);
      else if (from == GST_VIDEO_FORMAT_YUY2)
        r = libyuv::YUY2ToI422(P(in, 0), S(in, 0), p.y, w, p.u, p.cw, p.v, p.cw, w, h);
      else
        r = libyuv::UYVYToI422(P(in, 0), S(in, 0), p.y, w, p.u, p.cw, p.v, p.cw, w, h);
      if (r != 0) break;
      const auto rows = nv12 ? (bgr ? libyuv::I420ToRGB24MatrixFilter : libyuv::I420ToARGBMatrixFilter)
                             : (bgr ? libyuv::I422ToRGB24MatrixFilter : libyuv::I422ToARGBMatrixFilter);
      r = rows(p.y, w, p.u, p.cw, p.v, p.cw, dst, ds, m, w, h,
               purpose_ == Purpose::Show ? libyuv::kFilterNone : libyuv::kFilterBilinear);
      break;
    }
    default: return false;
  }
  return r == 0;
}

}  // namespace orvex::media
