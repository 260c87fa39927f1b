#include "platform/gdi/Blit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"

namespace orvex::gdi {
namespace {

enum class Op { Copy, And, Or, Xor, NotCopy, DstInvert, Black, White };

bool DecodeRop(std::uint32_t rop, Op& op) {
  switch (rop) {
    case SRCCOPY: op = Op::Copy; return true;
    case SRCAND: op = Op::And; return true;
    case SRCPAINT: op = Op::Or; return true;
    case SRCINVERT: op = Op::Xor; return true;
    case NOTSRCCOPY: op = Op::NotCopy; return true;
    case DSTINVERT: op = Op::DstInvert; return true;
    case BLACKNESS: op = Op::Black; return true;
    case WHITENESS: op = Op::White; return true;
    default: return false;
  }
}

bool ReadsSource(Op op) { return op != Op::DstInvert && op != Op::Black && op != Op::White; }

template <Op op>
inline std::uint32_t Apply(std::uint32_t s, std::uint32_t d) {
  if constexpr (op == Op::Copy) return s;
  if constexpr (op == Op::And) return d & s;
  if constexpr (op == Op::Or) return d | s;
  if constexpr (op == Op::Xor) return d ^ s;
  if constexpr (op == Op::NotCopy) return ~s;
  if constexpr (op == Op::DstInvert) return ~d;
  if constexpr (op == Op::Black) return 0;
  if constexpr (op == Op::White) return ~0u;
}

inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

constexpr std::uint32_t kColorBits = 0x00FFFFFF;
constexpr int kChunk = 256;

// One transfer after clipping: the destination rectangle and, per row and
// column, where its source pixels come from.
struct Job {
  Bitmap* dst = nullptr;
  const Bitmap* src = nullptr;  // none for the operations without a source
  int dx = 0, dy = 0, w = 0, h = 0;
  int sx = 0, sy = 0;           // BitBlt: the source origin
  const int* cols = nullptr;    // StretchBlt: source column of each destination column
  const int* rows = nullptr;    // StretchBlt: source row of each destination row
  std::uint32_t zeroPixel = 0;  // mono expansion: the destination DC's text colour
  std::uint32_t onePixel = 0;   // ... and its background colour
  std::uint32_t keyPixel = 0;   // colour to mono: the source DC's background colour
  bool bottomUp = false;        // walk rows upwards (overlap)
  bool rightToLeft = false;     // walk chunks leftwards (overlap)
};

inline int Bit(const std::uint8_t* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

template <class Index>
void FetchColor(const Job& j, const std::uint8_t* row, Index index, int n, std::uint32_t* out) {
  switch (j.src->Format()) {
    case PixelFormat::Mono1:
      for (int i = 0; i < n; ++i) out[i] = Bit(row, index(i)) ? j.onePixel : j.zeroPixel;
      break;
    case PixelFormat::Rgb24:
      for (int i = 0; i < n; ++i) {
        const std::uint8_t* p = row + 3 * std::ptrdiff_t(index(i));
        out[i] = p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
      }
      break;
    case PixelFormat::Rgb32:
      for (int i = 0; i < n; ++i) out[i] = Load32(row + 4 * std::ptrdiff_t(index(i))) & kColorBits;
      break;
  }
}

template <class Index>
void FetchBits(const Job& j, const std::uint8_t* row, Index index, int n, std::uint32_t* out) {
  switch (j.src->Format()) {
    case PixelFormat::Mono1:
      for (int i = 0; i < n; ++i) out[i] = std::uint32_t(Bit(row, index(i)));
      break;
    case PixelFormat::Rgb24:
      for (int i = 0; i < n; ++i) {
        const std::uint8_t* p = row + 3 * std::ptrdiff_t(index(i));
        const std::uint32_t v = p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
        out[i] = v == j.keyPixel ? 1 : 0;
      }
      break;
    case PixelFormat::Rgb32:
      for (int i = 0; i < n; ++i)
        out[i] = (Load32(row + 4 * std::ptrdiff_t(index(i))) & kColorBits) == j.keyPixel ? 1 : 0;
      break;
  }
}

template <Op op>
void StoreColor(std::uint8_t* row, PixelFormat format, int x, int n, const std::uint32_t* s) {
  if (format == PixelFormat::Rgb32) {
    std::uint8_t* p = row + 4 * std::ptrdiff_t(x);
    for (int i = 0; i < n; ++i, p += 4) {
      const std::uint32_t d = Load32(p);
      Store32(p, (d & ~kColorBits) | (Apply<op>(s[i], d) & kColorBits));
    }
  } else {
    std::uint8_t* p = row + 3 * std::ptrdiff_t(x);
    for (int i = 0; i < n; ++i, p += 3) {
      const std::uint32_t d = p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
      const std::uint32_t r = Apply<op>(s[i], d);
      p[0] = std::uint8_t(r);
      p[1] = std::uint8_t(r >> 8);
      p[2] = std::uint8_t(r >> 16);
    }
  }
}

template <Op op>
void StoreBits(std::uint8_t* row, int x0, int n, const std::uint32_t* s) {
  for (int i = 0; i < n; ++i) {
    const int x = x0 + i;
    const int shift = 7 - (x & 7);
    std::uint8_t& byte = row[x >> 3];
    const std::uint32_t r = Apply<op>(s[i], std::uint32_t(byte >> shift) & 1) & 1;
    byte = std::uint8_t((byte & ~(1 << shift)) | (r << shift));
  }
}

// Any pair of formats, in chunks through a small buffer on the stack.
template <Op op>
void RunGeneric(const Job& j) {
  std::uint32_t buffer[kChunk] = {};
  const bool monoDst = j.dst->Format() == PixelFormat::Mono1;
  const int chunks = (j.w + kChunk - 1) / kChunk;
  for (int k = 0; k < j.h; ++k) {
    const int r = j.bottomUp ? j.h - 1 - k : k;
    std::uint8_t* dstRow = j.dst->Scanline(j.dy + r);
    const std::uint8_t* srcRow = j.src ? j.src->Scanline(j.rows ? j.rows[r] : j.sy + r) : nullptr;
    for (int c = 0; c < chunks; ++c) {
      const int start = (j.rightToLeft ? chunks - 1 - c : c) * kChunk;
      const int n = std::min(kChunk, j.w - start);
      if (j.src != nullptr) {
        const int* cols = j.cols ? j.cols + start : nullptr;
        const int sx = j.sx + start;
        auto index = [cols, sx](int i) { return cols ? cols[i] : sx + i; };
        if (monoDst)
          FetchBits(j, srcRow, index, n, buffer);
        else
          FetchColor(j, srcRow, index, n, buffer);
      }
      if (monoDst)
        StoreBits<op>(dstRow, j.dx + start, n, buffer);
      else
        StoreColor<op>(dstRow, j.dst->Format(), j.dx + start, n, buffer);
    }
  }
}

// The row loops keep everything in locals: their byte stores could alias
// the Job, which would stop the compiler from vectorizing.
template <Op op>
void Run32To32(const Job& j) {
  const int w = j.w, h = j.h;
  const std::ptrdiff_t dx = 4 * std::ptrdiff_t(j.dx), sx = 4 * std::ptrdiff_t(j.sx);
  for (int r = 0; r < h; ++r) {
    std::uint8_t* d = j.dst->Scanline(j.dy + r) + dx;
    const std::uint8_t* s = j.src->Scanline(j.sy + r) + sx;
    for (int i = 0; i < w; ++i) {
      const std::uint32_t dv = Load32(d + 4 * i);
      Store32(d + 4 * i, (dv & ~kColorBits) | (Apply<op>(Load32(s + 4 * i), dv) & kColorBits));
    }
  }
}

// All-ones or zero per bit of a byte, most significant bit first.
struct BitMasks {
  std::uint32_t of[256][8];
  constexpr BitMasks() : of{} {
    for (int b = 0; b < 256; ++b)
      for (int k = 0; k < 8; ++k) of[b][k] = ((b >> (7 - k)) & 1) ? ~0u : 0u;
  }
};
constexpr BitMasks kBitMasks;

template <Op op>
void RunMonoTo32(const Job& j) {
  const int w = j.w, h = j.h, sx = j.sx;
  const std::ptrdiff_t dx = 4 * std::ptrdiff_t(j.dx);
  const std::uint32_t zero = j.zeroPixel, flip = j.zeroPixel ^ j.onePixel;
  for (int r = 0; r < h; ++r) {
    std::uint8_t* d = j.dst->Scanline(j.dy + r) + dx;
    const std::uint8_t* bits = j.src->Scanline(j.sy + r);
    int i = 0;
    // Eight pixels per source byte; an unaligned start joins two bytes, both
    // inside the row because all eight bits are.
    for (; i + 8 <= w; i += 8) {
      const int p = sx + i, q = p >> 3, off = p & 7;
      const unsigned byte = off ? ((bits[q] << off) | (bits[q + 1] >> (8 - off))) & 0xFF : bits[q];
      const std::uint32_t* mask = kBitMasks.of[byte];
      std::uint8_t* out = d + 4 * i;
      for (int k = 0; k < 8; ++k) {
        const std::uint32_t dv = Load32(out + 4 * k);
        Store32(out + 4 * k, (dv & ~kColorBits) | (Apply<op>(zero ^ (flip & mask[k]), dv) & kColorBits));
      }
    }
    for (; i < w; ++i) {
      const std::uint32_t s = zero ^ (flip & (0u - std::uint32_t(Bit(bits, sx + i))));
      const std::uint32_t dv = Load32(d + 4 * i);
      Store32(d + 4 * i, (dv & ~kColorBits) | (Apply<op>(s, dv) & kColorBits));
    }
  }
}

template <Op op>
void RunOp(const Job& j) {
  const bool plain = j.src != nullptr && j.src != j.dst && j.cols == nullptr;
  if (plain && j.dst->Format() == PixelFormat::Rgb32) {
    if (j.src->Format() == PixelFormat::Rgb32) return Run32To32<op>(j);
    if (j.src->Format() == PixelFormat::Mono1) return RunMonoTo32<op>(j);
  }
  RunGeneric<op>(j);
}

void Run(Op op, const Job& j) {
  switch (op) {
    case Op::Copy: return RunOp<Op::Copy>(j);
    case Op::And: return RunOp<Op::And>(j);
    case Op::Or: return RunOp<Op::Or>(j);
    case Op::Xor: return RunOp<Op::Xor>(j);
    case Op::NotCopy: return RunOp<Op::NotCopy>(j);
    case Op::DstInvert: return RunOp<Op::DstInvert>(j);
    case Op::Black: return RunOp<Op::Black>(j);
    case Op::White: return RunOp<Op::White>(j);
  }
}

void SetColors(Job& j, const DeviceContext* dest, const DeviceContext* src) {
  j.zeroPixel = ColorToPixel(dest->GetTextColor());
  j.onePixel = ColorToPixel(dest->GetBkColor());
  if (src) j.keyPixel = ColorToPixel(src->GetBkColor());
}

// Clips one axis of a BitBlt: destination start d over [0, dLimit) and source
// start s over [0, sLimit) (no source when sLimit < 0).
bool ClipAxis(std::int64_t& d, std::int64_t& s, std::int64_t& len, std::int64_t dLimit, std::int64_t sLimit) {
  if (d < 0) {
    s -= d;
    len += d;
    d = 0;
  }
  if (sLimit >= 0 && s < 0) {
    d -= s;
    len += s;
    s = 0;
  }
  len = std::min(len, dLimit - d);
  if (sLimit >= 0) len = std::min(len, sLimit - s);
  return len > 0;
}

// The destination indexes from `first` on whose pixel lies inside the
// destination and whose source index under the centre mapping lies inside the
// source, with the map of their source indexes. Both indexes grow with i, so
// the valid ones form a single run.
void BuildMap(int d, int dLen, int s, int sLen, int dLimit, int sLimit, std::vector<int>& map, int& first) {
  map.clear();
  first = 0;
  const std::int64_t lo = std::max<std::int64_t>(0, -std::int64_t(d));
  const std::int64_t hi = std::min<std::int64_t>(dLen, std::int64_t(dLimit) - d);
  for (std::int64_t i = lo; i < hi; ++i) {
    const std::int64_t from = s + ((2 * i + 1) * sLen) / (2 * std::int64_t(dLen));
    if (from < 0) continue;
    if (from >= sLimit) break;
    if (map.empty()) first = int(i);
    map.push_back(int(from));
  }
}

}  // namespace

bool BitBlt(DeviceContext* dest, int x, int y, int cx, int cy, const DeviceContext* src, int x1, int y1,
            std::uint32_t rop) {
  Op op;
  if (!DecodeRop(rop, op) || dest == nullptr || dest->SelectedBitmap() == nullptr) return false;
  Job j;
  j.dst = dest->SelectedBitmap();
  if (ReadsSource(op)) {
    if (src == nullptr || src->SelectedBitmap() == nullptr) return false;
    j.src = src->SelectedBitmap();
  }
  std::int64_t dx = x, dy = y, sx = x1, sy = y1, w = cx, h = cy;
  const std::int64_t sw = j.src ? j.src->Width() : -1, sh = j.src ? j.src->Height() : -1;
  if (w <= 0 || h <= 0 || j.dst->Empty() || (j.src && j.src->Empty())) return true;
  if (!ClipAxis(dx, sx, w, j.dst->Width(), sw) || !ClipAxis(dy, sy, h, j.dst->Height(), sh)) return true;
  j.dx = int(dx), j.dy = int(dy), j.sx = int(sx), j.sy = int(sy), j.w = int(w), j.h = int(h);
  SetColors(j, dest, src);
  if (j.src == j.dst) {
    j.bottomUp = j.dy > j.sy;
    j.rightToLeft = j.dy == j.sy && j.dx > j.sx;
  }
  Run(op, j);
  return true;
}

bool StretchBlt(DeviceContext* dest, int x, int y, int cx, int cy, const DeviceContext* src, int x1, int y1,
                int cx1, int cy1, std::uint32_t rop) {
  Op op;
  if (!DecodeRop(rop, op) || cx < 0 || cy < 0 || cx1 < 0 || cy1 < 0) return false;
  if (!ReadsSource(op)) return BitBlt(dest, x, y, cx, cy, nullptr, 0, 0, rop);
  if (dest == nullptr || dest->SelectedBitmap() == nullptr) return false;
  if (src == nullptr || src->SelectedBitmap() == nullptr) return false;
  Job j;
  j.dst = dest->SelectedBitmap();
  j.src = src->SelectedBitmap();
  if (cx == 0 || cy == 0 || cx1 == 0 || cy1 == 0 || j.dst->Empty() || j.src->Empty()) return true;
  std::vector<int> cols, rows;
  int firstCol = 0, firstRow = 0;
  BuildMap(x, cx, x1, cx1, j.dst->Width(), j.src->Width(), cols, firstCol);
  BuildMap(y, cy, y1, cy1, j.dst->Height(), j.src->Height(), rows, firstRow);
  if (cols.empty() || rows.empty()) return true;
  // Reading and writing one bitmap at different scales would read pixels
  // already written, so read from a copy.
  Bitmap copy;
  if (j.src == j.dst) {
    if (!copy.Assign(*j.src)) return false;
    j.src = &copy;
  }
  j.dx = x + firstCol, j.dy = y + firstRow;
  j.w = int(cols.size()), j.h = int(rows.size());
  j.cols = cols.data();
  j.rows = rows.data();
  SetColors(j, dest, src);
  Run(op, j);
  return true;
}

}  // namespace orvex::gdi
