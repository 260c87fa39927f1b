#include "engine/recovery/KeyFrames.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "engine/recovery/RiffBytes.h"

namespace orvex::recovery {

namespace {

enum class TFamily { Intra, Mpeg4, H264, Mpeg12, Vp8, Other };

std::uint32_t Upper(std::uint32_t codec) {
  std::uint32_t result = 0;
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<unsigned char>(codec >> (8 * i));
    result |= static_cast<std::uint32_t>(std::toupper(c)) << (8 * i);
  }
  return result;
}

bool OneOf(std::uint32_t codec, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [codec](const char* name) {
    return Le32(reinterpret_cast<const std::uint8_t*>(name)) == codec;
  });
}

TFamily FamilyOf(std::uint32_t codec) {
  if (codec <= 3) return TFamily::Intra;  // uncompressed RGB and bit fields
  const std::uint32_t c = Upper(codec);
  if (OneOf(c,
            {"DIB ", "RGB ", "MJPG", "JPEG", "LJPG", "MJLS", "HFYU", "FFVH", "DVSD", "DVHD", "DVSL", "PNG ",
             "MPNG", "YUY2", "UYVY", "YVYU", "I420", "IYUV", "YV12", "NV12", "Y800", "Y41P", "V210"}))
    return TFamily::Intra;
  if (OneOf(c, {"FMP4", "XVID", "DIVX", "DX50", "MP4V"})) return TFamily::Mpeg4;
  if (OneOf(c, {"H264", "X264", "AVC1"})) return TFamily::H264;
  if (OneOf(c, {"MPG1", "MPG2", "MPEG", "PIM1"})) return TFamily::Mpeg12;
  if (c == FourCC("VP80")) return TFamily::Vp8;
  return TFamily::Other;
}

// The byte after the first start code 00 00 01 `code` (any code when `code` is negative), or -1.
int AfterStartCode(const std::uint8_t* data, std::size_t size, int code, std::size_t from = 0) {
  for (std::size_t i = from; i + 4 < size; ++i)
    if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && (code < 0 || data[i + 3] == code))
      return static_cast<int>(i + 3);
  return -1;
}

bool IsH264Key(const std::uint8_t* data, std::size_t size) {
  for (int at = AfterStartCode(data, size, -1); at >= 0; at = AfterStartCode(data, size, -1, at)) {
    const int type = data[at] & 0x1F;
    if (type == 5 || type == 7) return true;  // an IDR slice, or the parameter sets before one
    if (type == 1) return false;
  }
  return false;
}

}  // namespace

TKeyFrames KeyFramesOf(std::uint32_t codec) {
  switch (FamilyOf(codec)) {
    case TFamily::Intra: return TKeyFrames::All;
    case TFamily::Other: return TKeyFrames::FirstOnly;
    default: return TKeyFrames::ByPicture;
  }
}

bool IsKeyFrame(std::uint32_t codec, const std::uint8_t* data, std::size_t size) {
  switch (FamilyOf(codec)) {
    case TFamily::Mpeg4: {
      const int vop = AfterStartCode(data, size, 0xB6);
      return vop >= 0 && static_cast<std::size_t>(vop) + 1 < size && (data[vop + 1] >> 6) == 0;
    }
    case TFamily::H264: return IsH264Key(data, size);
    case TFamily::Mpeg12: {
      const int picture = AfterStartCode(data, size, 0x00);
      return picture >= 0 && static_cast<std::size_t>(picture) + 2 < size &&
             ((data[picture + 2] >> 3) & 7) == 1;
    }
    case TFamily::Vp8: return size > 0 && (data[0] & 1) == 0;
    case TFamily::Intra: return true;
    case TFamily::Other: return false;
  }
  return false;
}

}  // namespace orvex::recovery
