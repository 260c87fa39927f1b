#include "engine/filters/PixelGeometry.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VDV_X86 1
#endif

namespace vdv_filters {
namespace {

std::atomic<TVectorLevel> gVectorLimit{TVectorLevel::Avx2};

// Whether this processor has `level` and it is not above the limit.
bool MayUse(TVectorLevel level) {
  if (level > gVectorLimit.load(std::memory_order_relaxed)) return false;
#ifdef VDV_X86
  switch (level) {
    case TVectorLevel::Scalar: return true;
    case TVectorLevel::Sse2: return __builtin_cpu_supports("sse2");
    case TVectorLevel::Ssse3: return __builtin_cpu_supports("ssse3");
    case TVectorLevel::Avx2: return __builtin_cpu_supports("avx2");
  }
  return false;
#else
  return level == TVectorLevel::Scalar;
#endif
}

// Output pixel (x, y) comes from source byte base + x * dx + y * dy.
struct TWalk {
  std::ptrdiff_t base = 0, dx = 0, dy = 0;
  int width = 0, height = 0;
};

TWalk Plan(const TGeometry& g, std::ptrdiff_t stride, int w, int h, int bytesPerPixel) {
  std::ptrdiff_t col = bytesPerPixel, row = stride;
  if (g.halfSize) w = (w + 1) / 2, h = (h + 1) / 2, col *= 2, row *= 2;
  TWalk k;
  switch (g.rotation & 3) {
    case 0: k = {0, col, row, w, h}; break;
    case 1: k = {(h - 1) * row, -row, col, h, w}; break;  // out(x, y) = src(y, h-1-x)
    case 2: k = {(h - 1) * row + (w - 1) * col, -col, -row, w, h}; break;
    default: k = {(w - 1) * col, row, -col, h, w}; break;  // out(x, y) = src(w-1-y, x)
  }
  if (g.rotation & 4) {
    k.base += (k.width - 1) * k.dx;
    k.dx = -k.dx;
  }
  return k;
}

template <int N>
inline void CopyPixel(std::uint8_t* d, const std::uint8_t* s) {
  std::memcpy(d, s, N);
}

// One reversed output row: `s` is the source of output pixel 0, the others lie
// to its left, so the row reads from s - (width - 1) * N up to s + N.
using TReverseRow = void (*)(std::uint8_t* d, const std::uint8_t* s, int width);

template <int N>
void ReverseRowScalar(std::uint8_t* d, const std::uint8_t* s, int width) {
  for (int x = 0; x < width; ++x) CopyPixel<N>(d + x * N, s - x * N);
}

#ifdef VDV_X86
// The vector rows finish with one block that overlaps the one before, which
// rewrites the same bytes, so only rows narrower than a block go pixel by
// pixel. (Folding that last block into the loop with a min() halves the speed.)
inline void Reverse4x32(std::uint8_t* d, const std::uint8_t* s, int x) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s - (x + 3) * 4));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x * 4), _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3)));
}

void ReverseRow32Sse2(std::uint8_t* d, const std::uint8_t* s, int width) {
  if (width < 4) return ReverseRowScalar<4>(d, s, width);
  int x = 0;
  for (; x + 4 <= width; x += 4) Reverse4x32(d, s, x);
  if (x < width) Reverse4x32(d, s, width - 4);
}

__attribute__((target("avx2"))) inline void Reverse8x32(std::uint8_t* d, const std::uint8_t* s, int x) {
  const __m256i order = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s - (x + 7) * 4));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x * 4), _mm256_permutevar8x32_epi32(v, order));
}

__attribute__((target("avx2"))) void ReverseRow32Avx2(std::uint8_t* d, const std::uint8_t* s, int width) {
  if (width < 8) return ReverseRowScalar<4>(d, s, width);
  int x = 0;
  for (; x + 8 <= width; x += 8) Reverse8x32(d, s, x);
  if (x < width) Reverse8x32(d, s, width - 8);
}

// 16 three-byte pixels (48 bytes) reversed: each 16 output bytes gather from an
// 18-byte span of the block, read as two overlapping 16-byte loads whose
// shuffles (zero where the other load supplies the byte) are or-ed together.
struct TReverse24Plan {
  int firstAt[3] = {}, secondAt[3] = {};
  std::int8_t first[3][16] = {}, second[3][16] = {};
};

constexpr TReverse24Plan MakeReverse24Plan() {
  TReverse24Plan p;
  for (int r = 0; r < 3; ++r) {
    auto from = [r](int i) { return 3 * (15 - (16 * r + i) / 3) + (16 * r + i) % 3; };
    int low = from(0), high = from(0);
    for (int i = 1; i < 16; ++i) low = std::min(low, from(i)), high = std::max(high, from(i));
    p.firstAt[r] = low;
    p.secondAt[r] = high - 15;
    for (int i = 0; i < 16; ++i) {
      const bool inFirst = from(i) - p.firstAt[r] <= 15;
      p.first[r][i] = static_cast<std::int8_t>(inFirst ? from(i) - p.firstAt[r] : -1);
      p.second[r][i] = static_cast<std::int8_t>(inFirst ? -1 : from(i) - p.secondAt[r]);
    }
  }
  return p;
}

constexpr TReverse24Plan kReverse24 = MakeReverse24Plan();

__attribute__((target("ssse3"))) inline void Reverse16x24(std::uint8_t* d, const std::uint8_t* s, int x,
                                                          const __m128i* first, const __m128i* second) {
  const std::uint8_t* block = s - (x + 15) * 3;
  for (int r = 0; r < 3; ++r) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + kReverse24.firstAt[r]));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + kReverse24.secondAt[r]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x * 3 + 16 * r),
                     _mm_or_si128(_mm_shuffle_epi8(a, first[r]), _mm_shuffle_epi8(b, second[r])));
  }
}

__attribute__((target("ssse3"))) void ReverseRow24Ssse3(std::uint8_t* d, const std::uint8_t* s, int width) {
  if (width < 16) return ReverseRowScalar<3>(d, s, width);
  __m128i first[3], second[3];
  for (int r = 0; r < 3; ++r) {
    first[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kReverse24.first[r]));
    second[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kReverse24.second[r]));
  }
  int x = 0;
  for (; x + 16 <= width; x += 16) Reverse16x24(d, s, x, first, second);
  if (x < width) Reverse16x24(d, s, width - 16, first, second);
}

// The bytes of a plane (I420), 16 at a time.
__attribute__((target("ssse3"))) inline void Reverse16x8(std::uint8_t* d, const std::uint8_t* s, int x,
                                                         __m128i reverse) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s - (x + 15)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_shuffle_epi8(v, reverse));
}

__attribute__((target("ssse3"))) void ReverseRow8Ssse3(std::uint8_t* d, const std::uint8_t* s, int width) {
  if (width < 16) return ReverseRowScalar<1>(d, s, width);
  const __m128i reverse = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  int x = 0;
  for (; x + 16 <= width; x += 16) Reverse16x8(d, s, x, reverse);
  if (x < width) Reverse16x8(d, s, width - 16, reverse);
}
#endif

template <int N>
TReverseRow PickReverseRow() {
#ifdef VDV_X86
  if constexpr (N == 4) {
    if (MayUse(TVectorLevel::Avx2)) return ReverseRow32Avx2;
    if (MayUse(TVectorLevel::Sse2)) return ReverseRow32Sse2;
  } else if constexpr (N == 3) {
    if (MayUse(TVectorLevel::Ssse3)) return ReverseRow24Ssse3;
  } else {
    if (MayUse(TVectorLevel::Ssse3)) return ReverseRow8Ssse3;
  }
#endif
  return ReverseRowScalar<N>;
}

// Every other pixel of a source row, left to right (half-size): a constant
// step the compiler vectorises (twice as fast for four-byte pixels; the
// reversed and three-byte steps gain nothing from it).
template <int N, int Step>
void StepRow(std::uint8_t* d, const std::uint8_t* s, int width) {
  for (int x = 0; x < width; ++x) CopyPixel<N>(d + x * N, s + x * Step);
}

// Output rows that run along a source row: straight copies or reversed ones
// (the half turn and the mirror), else every other pixel (half-size).
template <int N>
void AlongRows(const TWalk& k, const std::uint8_t* src, std::uint8_t* dst, std::ptrdiff_t dstStride) {
  const TReverseRow reverseRow = PickReverseRow<N>();
  for (int y = 0; y < k.height; ++y) {
    const std::uint8_t* s = src + k.base + y * k.dy;
    std::uint8_t* d = dst + y * dstStride;
    if (k.dx == N)
      std::memcpy(d, s, static_cast<std::size_t>(k.width) * N);
    else if (k.dx == -N)
      reverseRow(d, s, k.width);
    else if (k.dx == 2 * N)
      StepRow<N, 2 * N>(d, s, k.width);
    else
      for (int x = 0; x < k.width; ++x, s += k.dx, d += N) CopyPixel<N>(d, s);
  }
}

#ifdef VDV_X86
// Output rows handled per sweep over the source: every source row is a page
// of its own, so a taller band reads more of it per visit.
constexpr int kBand = 64;

// 4x4 blocks of 32-bit pixels turned with register transposes; the output
// rows of a block read four neighbouring source pixels each.
bool QuarterTurn32(const TWalk& k, const std::uint8_t* src, std::uint8_t* dst, std::ptrdiff_t dstStride) {
  if (std::abs(k.dy) != 4) return false;
  const int w4 = k.width & ~3, h4 = k.height & ~3;
  for (int by = 0; by < h4; by += kBand) {
    const int yEnd = std::min(by + kBand, h4);
    for (int x = 0; x < w4; x += 4) {
      for (int y = by; y < yEnd; y += 4) {
        // Source pixels of output column x + i, rows y..y+3, are contiguous when dy = 4
        // and reversed when dy = -4.
        __m128i c[4];
        for (int i = 0; i < 4; ++i) {
          const std::uint8_t* s = src + k.base + (x + i) * k.dx + (k.dy > 0 ? y : y + 3) * k.dy;
          c[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
          if (k.dy < 0) c[i] = _mm_shuffle_epi32(c[i], _MM_SHUFFLE(0, 1, 2, 3));
        }
        const __m128i t0 = _mm_unpacklo_epi32(c[0], c[1]), t1 = _mm_unpacklo_epi32(c[2], c[3]);
        const __m128i t2 = _mm_unpackhi_epi32(c[0], c[1]), t3 = _mm_unpackhi_epi32(c[2], c[3]);
        const __m128i r[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1),
                              _mm_unpacklo_epi64(t2, t3), _mm_unpackhi_epi64(t2, t3)};
        for (int j = 0; j < 4; ++j)
          _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + (y + j) * dstStride + x * 4), r[j]);
      }
    }
  }
  // The right and bottom edges that do not fill a block.
  for (int y = 0; y < k.height; ++y) {
    const int xStart = y < h4 ? w4 : 0;
    for (int x = xStart; x < k.width; ++x)
      CopyPixel<4>(dst + y * dstStride + x * 4, src + k.base + x * k.dx + y * k.dy);
  }
  return true;
}

// The same blocks for 3-byte pixels: four source pixels (12 bytes, read
// exactly) widened to 32 bits, transposed, and packed back into 12 bytes.
__attribute__((target("ssse3"))) bool QuarterTurn24(const TWalk& k, const std::uint8_t* src,
                                                    std::uint8_t* dst, std::ptrdiff_t dstStride) {
  if (std::abs(k.dy) != 3) return false;
  const __m128i widen = k.dy > 0 ? _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1)
                                 : _mm_setr_epi8(9, 10, 11, -1, 6, 7, 8, -1, 3, 4, 5, -1, 0, 1, 2, -1);
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const int w4 = k.width & ~3, h4 = k.height & ~3;
  for (int by = 0; by < h4; by += kBand) {
    const int yEnd = std::min(by + kBand, h4);
    for (int x = 0; x < w4; x += 4) {
      for (int y = by; y < yEnd; y += 4) {
        __m128i c[4];
        for (int i = 0; i < 4; ++i) {
          const std::uint8_t* s = src + k.base + (x + i) * k.dx + (k.dy > 0 ? y : y + 3) * k.dy;
          std::int32_t tail;
          std::memcpy(&tail, s + 8, 4);
          const __m128i twelve = _mm_insert_epi16(
              _mm_insert_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)), tail & 0xFFFF, 4),
              (tail >> 16) & 0xFFFF, 5);
          c[i] = _mm_shuffle_epi8(twelve, widen);
        }
        const __m128i t0 = _mm_unpacklo_epi32(c[0], c[1]), t1 = _mm_unpacklo_epi32(c[2], c[3]);
        const __m128i t2 = _mm_unpackhi_epi32(c[0], c[1]), t3 = _mm_unpackhi_epi32(c[2], c[3]);
        const __m128i r[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1),
                              _mm_unpacklo_epi64(t2, t3), _mm_unpackhi_epi64(t2, t3)};
        for (int j = 0; j < 4; ++j) {
          const __m128i packed = _mm_shuffle_epi8(r[j], pack);
          std::uint8_t* d = dst + (y + j) * dstStride + x * 3;
          _mm_storel_epi64(reinterpret_cast<__m128i*>(d), packed);
          const std::int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(packed, 8));
          std::memcpy(d + 8, &last, 4);
        }
      }
    }
  }
  for (int y = 0; y < k.height; ++y) {
    const int xStart = y < h4 ? w4 : 0;
    for (int x = xStart; x < k.width; ++x)
      CopyPixel<3>(dst + y * dstStride + x * 3, src + k.base + x * k.dx + y * k.dy);
  }
  return true;
}
#endif

// Output rows that run down source columns, in tiles so the source rows a
// tile touches stay in the cache.
template <int N>
void AcrossRows(const TWalk& k, const std::uint8_t* src, std::uint8_t* dst, std::ptrdiff_t dstStride) {
#ifdef VDV_X86
  if constexpr (N == 4) {
    if (MayUse(TVectorLevel::Sse2) && QuarterTurn32(k, src, dst, dstStride)) return;
  } else if constexpr (N == 3) {
    if (MayUse(TVectorLevel::Ssse3) && QuarterTurn24(k, src, dst, dstStride)) return;
  }
#endif
  constexpr int kTile = 32;
  for (int ty = 0; ty < k.height; ty += kTile) {
    const int yEnd = std::min(ty + kTile, k.height);
    for (int tx = 0; tx < k.width; tx += kTile) {
      const int xEnd = std::min(tx + kTile, k.width);
      for (int y = ty; y < yEnd; ++y) {
        const std::uint8_t* s = src + k.base + y * k.dy + tx * k.dx;
        std::uint8_t* d = dst + y * dstStride + tx * N;
        for (int x = tx; x < xEnd; ++x, s += k.dx, d += N) CopyPixel<N>(d, s);
      }
    }
  }
}

template <int N>
void Run(const TWalk& k, const std::uint8_t* src, std::uint8_t* dst, std::ptrdiff_t dstStride) {
  if (std::abs(k.dx) <= 2 * N)
    AlongRows<N>(k, src, dst, dstStride);
  else
    AcrossRows<N>(k, src, dst, dstStride);
}

}  // namespace

void LimitVectorLevel(TVectorLevel level) { gVectorLimit.store(level, std::memory_order_relaxed); }

void TransformFrame(const TGeometry& g, const std::uint8_t* src, std::ptrdiff_t srcStride, int width,
                    int height, std::uint8_t* dst, std::ptrdiff_t dstStride, int bytesPerPixel) {
  const TWalk k = Plan(g, srcStride, width, height, bytesPerPixel);
  if (bytesPerPixel == 4)
    Run<4>(k, src, dst, dstStride);
  else if (bytesPerPixel == 3)
    Run<3>(k, src, dst, dstStride);
  else
    Run<1>(k, src, dst, dstStride);
}

}  // namespace vdv_filters
