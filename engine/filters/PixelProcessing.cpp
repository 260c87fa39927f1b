#include "engine/filters/PixelProcessing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VDV_X86 1
#endif

namespace vdv_filters {
namespace {

// BT.601 luma weights: what a grey camera picture is expected to look like.
constexpr double kWr = 0.299, kWg = 0.587, kWb = 0.114;
constexpr int kMaxShift = 14;

using Mat3 = std::array<std::array<double, 3>, 3>;  // rows and columns in R, G, B order

Mat3 Multiply(const Mat3& a, const Mat3& b) {
  Mat3 r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) r[i][j] += a[i][k] * b[k][j];
  return r;
}

// Saturation and hue act on the chroma plane of YCbCr; grey has no chroma, so
// the matrix keeps every grey level where it is.
Mat3 ChromaMatrix(double saturation, double angle) {
  if (saturation == 1.0 && angle == 0.0) return {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  const Mat3 toYcc = {{{kWr, kWg, kWb},
                       {-kWr / (2 * (1 - kWb)), -kWg / (2 * (1 - kWb)), 0.5},
                       {0.5, -kWg / (2 * (1 - kWr)), -kWb / (2 * (1 - kWr))}}};
  const Mat3 fromYcc = {{{1, 0, 2 * (1 - kWr)},
                         {1, -2 * kWb * (1 - kWb) / kWg, -2 * kWr * (1 - kWr) / kWg},
                         {1, 2 * (1 - kWb), 0}}};
  const double c = saturation * std::cos(angle), s = saturation * std::sin(angle);
  const Mat3 turn = {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
  return Multiply(fromYcc, Multiply(turn, toYcc));
}

double ContrastFactor(int v) { return 259.0 * (v + 255) / (255.0 * (259 - v)); }
double SaturationFactor(int v) { return v < 0 ? 1.0 + v / 255.0 : 1.0 + 2.0 * v / 255.0; }

inline std::uint8_t Clamp255(std::int32_t v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

inline void ColorPixel(const TColorMatrix& m, std::uint8_t* p) {
  const std::int32_t b = p[0], g = p[1], r = p[2];
  for (int c = 0; c < 3; ++c)
    p[c] = Clamp255((m.coef[c][0] * b + m.coef[c][1] * g + m.coef[c][2] * r + m.offset[c]) >> m.shift);
}

#ifdef VDV_X86
struct TVecMatrix {
  __m128i br[3], g[3], offset[3], shift;
};

TVecMatrix LoadMatrix(const TColorMatrix& m) {
  TVecMatrix v;
  for (int c = 0; c < 3; ++c) {
    // Pairs for pmaddwd: (B, R) and (G, X) as 16-bit lanes of each pixel; X weighs 0.
    const auto lo = static_cast<std::uint16_t>(m.coef[c][0]), hi = static_cast<std::uint16_t>(m.coef[c][2]);
    v.br[c] = _mm_set1_epi32(static_cast<int>(lo | (std::uint32_t{hi} << 16)));
    v.g[c] = _mm_set1_epi32(static_cast<std::uint16_t>(m.coef[c][1]));
    v.offset[c] = _mm_set1_epi32(m.offset[c]);
  }
  v.shift = _mm_cvtsi32_si128(m.shift);
  return v;
}

// The three channel results of four BGRx pixels, before clamping.
inline __attribute__((always_inline)) void Channels4(const TVecMatrix& v, __m128i px, __m128i out[3]) {
  const __m128i br = _mm_and_si128(px, _mm_set1_epi32(0x00FF00FF));
  const __m128i gx = _mm_and_si128(_mm_srli_epi32(px, 8), _mm_set1_epi32(0xFF));
  for (int c = 0; c < 3; ++c) {
    const __m128i sum = _mm_add_epi32(_mm_madd_epi16(br, v.br[c]), _mm_madd_epi16(gx, v.g[c]));
    out[c] = _mm_sra_epi32(_mm_add_epi32(sum, v.offset[c]), v.shift);
  }
}

// Eight BGRx pixels in two registers, X bytes kept.
inline __attribute__((always_inline)) void Color8(const TVecMatrix& v, __m128i& p0, __m128i& p1) {
  __m128i a[3], b[3];
  Channels4(v, p0, a);
  Channels4(v, p1, b);
  const __m128i zero = _mm_setzero_si128(), top = _mm_set1_epi16(255);
  __m128i ch[3];
  for (int c = 0; c < 3; ++c) ch[c] = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(a[c], b[c]), zero), top);
  const __m128i bg = _mm_or_si128(ch[0], _mm_slli_epi16(ch[1], 8));
  const __m128i xMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  p0 = _mm_or_si128(_mm_unpacklo_epi16(bg, ch[2]), _mm_and_si128(p0, xMask));
  p1 = _mm_or_si128(_mm_unpackhi_epi16(bg, ch[2]), _mm_and_si128(p1, xMask));
}

__attribute__((target("ssse3"))) void ColorRow24Ssse3(const TColorMatrix& m, std::uint8_t* row, int width) {
  const TVecMatrix v = LoadMatrix(m);
  const __m128i expand = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int x = 0;
  for (; x + 16 <= width; x += 16, row += 48) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 32));
    __m128i q0 = _mm_shuffle_epi8(a, expand);
    __m128i q1 = _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), expand);
    __m128i q2 = _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), expand);
    __m128i q3 = _mm_shuffle_epi8(_mm_srli_si128(c, 4), expand);
    Color8(v, q0, q1);
    Color8(v, q2, q3);
    q0 = _mm_shuffle_epi8(q0, pack), q1 = _mm_shuffle_epi8(q1, pack);
    q2 = _mm_shuffle_epi8(q2, pack), q3 = _mm_shuffle_epi8(q3, pack);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm_or_si128(q0, _mm_slli_si128(q1, 12)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 16),
                     _mm_or_si128(_mm_srli_si128(q1, 4), _mm_slli_si128(q2, 8)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 32),
                     _mm_or_si128(_mm_srli_si128(q2, 8), _mm_slli_si128(q3, 4)));
  }
  ColorRowScalar(m, row, width - x, 3);
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// The same steps on 16 pixels at once: packs and unpacks stay inside each
// 128-bit half, so the pixel order comes out as it went in.
struct TWideMatrix {
  __m256i br[3], g[3], offset[3];
  __m128i shift;
};

__attribute__((target("avx2"))) TWideMatrix LoadWideMatrix(const TVecMatrix& v) {
  TWideMatrix w;
  for (int c = 0; c < 3; ++c) {
    w.br[c] = _mm256_broadcastsi128_si256(v.br[c]);
    w.g[c] = _mm256_broadcastsi128_si256(v.g[c]);
    w.offset[c] = _mm256_broadcastsi128_si256(v.offset[c]);
  }
  w.shift = v.shift;
  return w;
}

__attribute__((target("avx2"), always_inline)) inline void Color16(const TWideMatrix& v, __m256i& p0,
                                                                   __m256i& p1) {
  const __m256i low = _mm256_set1_epi32(0x00FF00FF), byte = _mm256_set1_epi32(0xFF);
  const __m256i br0 = _mm256_and_si256(p0, low), gx0 = _mm256_and_si256(_mm256_srli_epi32(p0, 8), byte);
  const __m256i br1 = _mm256_and_si256(p1, low), gx1 = _mm256_and_si256(_mm256_srli_epi32(p1, 8), byte);
  const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi16(255);
  __m256i ch[3];
  for (int c = 0; c < 3; ++c) {
    const __m256i a = _mm256_sra_epi32(
        _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(br0, v.br[c]), _mm256_madd_epi16(gx0, v.g[c])),
                         v.offset[c]),
        v.shift);
    const __m256i b = _mm256_sra_epi32(
        _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(br1, v.br[c]), _mm256_madd_epi16(gx1, v.g[c])),
                         v.offset[c]),
        v.shift);
    ch[c] = _mm256_min_epi16(_mm256_max_epi16(_mm256_packs_epi32(a, b), zero), top);
  }
  const __m256i bg = _mm256_or_si256(ch[0], _mm256_slli_epi16(ch[1], 8));
  const __m256i xMask = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  p0 = _mm256_or_si256(_mm256_unpacklo_epi16(bg, ch[2]), _mm256_and_si256(p0, xMask));
  p1 = _mm256_or_si256(_mm256_unpackhi_epi16(bg, ch[2]), _mm256_and_si256(p1, xMask));
}

__attribute__((target("avx2"))) void ColorRow32Avx2(const TColorMatrix& m, std::uint8_t* row, int width) {
  const TWideMatrix v = LoadWideMatrix(LoadMatrix(m));
  int x = 0;
  for (; x + 16 <= width; x += 16, row += 64) {
    __m256i p0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
    __m256i p1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 32));
    Color16(v, p0, p1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), p0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + 32), p1);
  }
  ColorRowScalar(m, row, width - x, 4);
}

// 16 BGR pixels widened to BGRx in registers, worked on, and packed back.
__attribute__((target("avx2"))) void ColorRow24Avx2(const TColorMatrix& m, std::uint8_t* row, int width) {
  const TWideMatrix v = LoadWideMatrix(LoadMatrix(m));
  const __m128i expand = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int x = 0;
  for (; x + 16 <= width; x += 16, row += 48) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 32));
    __m256i p0 =
        _mm256_set_m128i(_mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), expand), _mm_shuffle_epi8(a, expand));
    __m256i p1 = _mm256_set_m128i(_mm_shuffle_epi8(_mm_srli_si128(c, 4), expand),
                                  _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), expand));
    Color16(v, p0, p1);
    const __m128i q0 = _mm_shuffle_epi8(_mm256_castsi256_si128(p0), pack);
    const __m128i q1 = _mm_shuffle_epi8(_mm256_extracti128_si256(p0, 1), pack);
    const __m128i q2 = _mm_shuffle_epi8(_mm256_castsi256_si128(p1), pack);
    const __m128i q3 = _mm_shuffle_epi8(_mm256_extracti128_si256(p1, 1), pack);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm_or_si128(q0, _mm_slli_si128(q1, 12)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 16),
                     _mm_or_si128(_mm_srli_si128(q1, 4), _mm_slli_si128(q2, 8)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 32),
                     _mm_or_si128(_mm_srli_si128(q2, 8), _mm_slli_si128(q3, 4)));
  }
  ColorRowScalar(m, row, width - x, 3);
}
#endif

template <int N>
void FlipRow(std::uint8_t* row, int width) {
  std::uint8_t* a = row;
  std::uint8_t* b = row + (width - 1) * N;
  for (; a < b; a += N, b -= N) {
    std::uint8_t t[N];
    std::memcpy(t, a, N);
    std::memcpy(a, b, N);
    std::memcpy(b, t, N);
  }
}

}  // namespace

TColorMatrix BuildColorMatrix(const TColorSettings& in) {
  TColorMatrix m;
  if (in == TColorSettings{}) {
    m.shift = kMaxShift;
    for (int c = 0; c < 3; ++c) m.coef[c][c] = 1 << kMaxShift, m.offset[c] = 1 << (kMaxShift - 1);
    return m;
  }
  const int brightness = std::clamp(in.brightness, -255, 255), contrast = std::clamp(in.contrast, -255, 255);
  const double saturation = in.grey ? 0.0 : SaturationFactor(std::clamp(in.saturation, -255, 255));
  const double angle = std::clamp(in.hue, -255, 255) * std::numbers::pi / 255.0;
  const double k = ContrastFactor(contrast);
  Mat3 a = ChromaMatrix(saturation, angle);
  double offset = 128.0 * (1.0 - k) + brightness;
  for (auto& rowOfA : a)
    for (double& e : rowOfA) e *= k;
  if (in.negative) {
    for (auto& rowOfA : a)
      for (double& e : rowOfA) e = -e;
    offset = 255.0 - offset;
  }
  double largest = 0;
  for (const auto& rowOfA : a)
    for (double e : rowOfA) largest = std::max(largest, std::fabs(e));
  // The finest step whose coefficients still fit 16 bits.
  int shift = kMaxShift;
  while (shift > 0 && std::lround(largest * (1 << shift)) > 32767) --shift;
  m.shift = shift;
  m.identity = false;
  for (int c = 0; c < 3; ++c) {
    const int rgbRow = 2 - c;  // ours are B, G, R
    for (int j = 0; j < 3; ++j)
      m.coef[c][j] = static_cast<std::int16_t>(std::lround(a[rgbRow][2 - j] * (1 << shift)));
    m.offset[c] = static_cast<std::int32_t>(std::lround(offset * (1 << shift))) + ((1 << shift) >> 1);
  }
  return m;
}

void ColorRowScalar(const TColorMatrix& m, std::uint8_t* row, int width, int bytesPerPixel) {
  for (int x = 0; x < width; ++x, row += bytesPerPixel) ColorPixel(m, row);
}

namespace {

void ColorRow32Scalar(const TColorMatrix& m, std::uint8_t* row, int width) {
  ColorRowScalar(m, row, width, 4);
}
void ColorRow24Scalar(const TColorMatrix& m, std::uint8_t* row, int width) {
  ColorRowScalar(m, row, width, 3);
}

#ifdef VDV_X86
void ColorRow32Sse2(const TColorMatrix& m, std::uint8_t* row, int width) {
  const TVecMatrix v = LoadMatrix(m);
  int x = 0;
  for (; x + 8 <= width; x += 8, row += 32) {
    __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 16));
    Color8(v, p0, p1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), p0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 16), p1);
  }
  ColorRowScalar(m, row, width - x, 4);
}
#endif

}  // namespace

std::vector<TColorRowVariant> ColorRowVariants(int bytesPerPixel) {
  std::vector<TColorRowVariant> v;
  if (bytesPerPixel == 4) {
    v.push_back({"scalar", ColorRow32Scalar});
#ifdef VDV_X86
    v.push_back({"sse2", ColorRow32Sse2});
    if (HasAvx2()) v.push_back({"avx2", ColorRow32Avx2});
#endif
  } else {
    v.push_back({"scalar", ColorRow24Scalar});
#ifdef VDV_X86
    if (HasSsse3()) v.push_back({"ssse3", ColorRow24Ssse3});
    if (HasAvx2()) v.push_back({"avx2", ColorRow24Avx2});
#endif
  }
  return v;
}

TColorRowFn BestColorRow(int bytesPerPixel) { return ColorRowVariants(bytesPerPixel).back().row; }

void DeinterlaceFullSize(std::uint8_t* pixels, std::ptrdiff_t stride, int width, int height,
                         int bytesPerPixel) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
  for (int y = 1; y < height; y += 2) {
    std::uint8_t* row = pixels + y * stride;
    const std::uint8_t* above = row - stride;
    if (y + 1 == height) {
      std::memcpy(row, above, rowBytes);
      continue;
    }
    const std::uint8_t* below = row + stride;
    for (std::size_t i = 0; i < rowBytes; ++i)
      row[i] = static_cast<std::uint8_t>((unsigned{above[i]} + below[i] + 1) >> 1);
  }
}

void FlipHorizontal(std::uint8_t* pixels, std::ptrdiff_t stride, int width, int height, int bytesPerPixel) {
  for (int y = 0; y < height; ++y) {
    if (bytesPerPixel == 4)
      FlipRow<4>(pixels + y * stride, width);
    else
      FlipRow<3>(pixels + y * stride, width);
  }
}

void FlipVertical(std::uint8_t* pixels, std::ptrdiff_t stride, int width, int height, int bytesPerPixel) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(pixels + top * stride, pixels + top * stride + rowBytes, pixels + bottom * stride);
}

void TPixelProcessor::Configure(int bytesPerPixel, int width, int height) {
  bytesPerPixel_ = bytesPerPixel;
  width_ = width;
  height_ = height;
  colorRow_ = BestColorRow(bytesPerPixel);
}

void TPixelProcessor::Process(const TProcessingBlock& block, std::uint8_t* pixels, std::ptrdiff_t stride) {
  if (!configured()) return;
  if (block.FullSizeDeinterlace) DeinterlaceFullSize(pixels, stride, width_, height_, bytesPerPixel_);
  if (block.FlipHorizontal) FlipHorizontal(pixels, stride, width_, height_, bytesPerPixel_);
  if (block.FlipVertical) FlipVertical(pixels, stride, width_, height_, bytesPerPixel_);
  if (UpdateMatrix(block)) return;
  for (int y = 0; y < height_; ++y) colorRow_(matrix_, pixels + y * stride, width_);
}

bool TPixelProcessor::UpdateMatrix(const TProcessingBlock& block) {
  const TColorSettings wanted{block.Brightness, block.Contrast,       block.Saturation,
                              block.Hue,        block.GrayScale != 0, block.InvertColors != 0};
  if (!(wanted == settings_)) {
    settings_ = wanted;
    matrix_ = BuildColorMatrix(wanted);
  }
  return matrix_.identity;
}

bool TPixelProcessor::Changes(const TProcessingBlock& block) {
  if (block.FullSizeDeinterlace || block.FlipHorizontal || block.FlipVertical) return true;
  return !UpdateMatrix(block);
}

}  // namespace vdv_filters
