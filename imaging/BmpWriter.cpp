#include "imaging/BmpWriter.h"

#include <cstring>
#include <limits>
#include <string>

#include "imaging/ImageFile.h"

namespace orvex::imaging {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

void Put16(std::uint8_t*& p, std::uint16_t v) {
  *p++ = static_cast<std::uint8_t>(v);
  *p++ = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t*& p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) *p++ = static_cast<std::uint8_t>(v >> (8 * i));
}

void WriteHeaders(std::uint8_t* p, const TImageView& image, int bits, std::uint32_t imageSize) {
  const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
  // BITMAPFILEHEADER
  *p++ = 'B';
  *p++ = 'M';
  Put32(p, offset + imageSize);
  Put32(p, 0);  // reserved
  Put32(p, offset);
  // BITMAPINFOHEADER; a positive height means bottom-up rows
  Put32(p, kInfoHeaderSize);
  Put32(p, static_cast<std::uint32_t>(image.width));
  Put32(p, static_cast<std::uint32_t>(image.height));
  Put16(p, 1);  // planes
  Put16(p, static_cast<std::uint16_t>(bits));
  Put32(p, 0);  // BI_RGB
  Put32(p, imageSize);
  Put32(p, 0);  // horizontal resolution: unknown
  Put32(p, 0);  // vertical resolution
  Put32(p, 0);  // colours used
  Put32(p, 0);  // important colours
}

void CopyRow(const std::uint8_t* src, int width, int srcBytes, std::uint8_t* dst, int dstBytes) {
  if (srcBytes == 3 && dstBytes == 3) {
    std::memcpy(dst, src, static_cast<std::size_t>(width) * 3);
    return;
  }
  for (int x = 0; x < width; ++x, src += srcBytes, dst += dstBytes) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
    if (dstBytes == 4) dst[3] = 0;
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const TImageView& image, TBmpBitsPerPixel bitsPerPixel) {
  CheckImageView(image);
  if (image.Empty())
    throw EImageError("Cannot save an empty picture (" + std::to_string(image.width) + " by " +
                      std::to_string(image.height) + " pixels) as a bitmap");
  const int bits = static_cast<int>(bitsPerPixel);
  if (bits != 24 && bits != 32) throw EImageError("A bitmap file is written with 24 or 32 bits per pixel");

  const int dstBytes = bits / 8;
  const std::uint64_t rowSize = (static_cast<std::uint64_t>(image.width) * dstBytes + 3) / 4 * 4;
  const std::uint64_t imageSize = rowSize * static_cast<std::uint64_t>(image.height);
  if (imageSize > std::numeric_limits<std::uint32_t>::max() - kFileHeaderSize - kInfoHeaderSize)
    throw EImageError("The picture is too large for a bitmap file");

  std::vector<std::uint8_t> out(kFileHeaderSize + kInfoHeaderSize + imageSize, 0);
  WriteHeaders(out.data(), image, bits, static_cast<std::uint32_t>(imageSize));
  std::uint8_t* dst = out.data() + kFileHeaderSize + kInfoHeaderSize;
  for (int y = image.height - 1; y >= 0; --y, dst += rowSize)
    CopyRow(image.Row(y), image.width, image.BytesPerPixel(), dst, dstBytes);
  return out;
}

void SaveBmpToFile(const std::filesystem::path& path, const TImageView& image, TBmpBitsPerPixel bits,
                   TFileAccess access) {
  WriteImageFile(path, EncodeBmp(image, bits), access);
}

}  // namespace orvex::imaging
