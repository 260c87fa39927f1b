#include "engine/recovery/AviIndexes.h"

#include <algorithm>

#include "engine/recovery/RiffBytes.h"

namespace orvex::recovery {

namespace {

constexpr std::uint32_t kKeyFrameFlag = 0x10;          // AVIIF_KEYFRAME
constexpr std::uint32_t kDeltaFrameBit = 0x80000000u;  // in a standard index's sizes
constexpr std::size_t kIndexHeaderSize = 24;

std::uint8_t* Grow(TBytes& out, std::size_t count) {
  out.resize(out.size() + count);
  return out.data() + out.size() - count;
}

}  // namespace

void AppendIdx1(TBytes& out, const std::vector<TChunk>& chunks, const std::vector<bool>& kept,
                const std::vector<TStreamCount>& counts, std::uint64_t moviType) {
  const auto entries = static_cast<std::uint32_t>(std::count(kept.begin(), kept.end(), true));
  std::uint8_t* p = Grow(out, 8 + 16ull * entries);
  PutLe32(p, FourCC("idx1"));
  PutLe32(p + 4, 16 * entries);
  p += 8;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (!kept[i]) continue;
    const TChunk& c = chunks[i];
    PutLe32(p, counts[c.stream].id);
    PutLe32(p + 4, c.key ? kKeyFrameFlag : 0);
    PutLe32(p + 8, static_cast<std::uint32_t>(c.offset - moviType));
    PutLe32(p + 12, c.size);
    p += 16;
  }
}

std::uint32_t AppendStdIndex(TBytes& out, std::uint16_t stream, std::uint32_t id,
                             const std::vector<TChunk>& chunks, const std::vector<bool>& kept,
                             std::uint64_t base) {
  std::uint32_t entries = 0;
  for (std::size_t i = 0; i < chunks.size(); ++i) entries += kept[i] && chunks[i].stream == stream;
  std::uint8_t* p = Grow(out, 8 + kIndexHeaderSize + 8ull * entries);
  PutLe32(p, FourCC("ix00"));
  p[2] = static_cast<std::uint8_t>('0' + stream / 10);
  p[3] = static_cast<std::uint8_t>('0' + stream % 10);
  PutLe32(p + 4, static_cast<std::uint32_t>(kIndexHeaderSize + 8ull * entries));
  p += 8;
  PutLe16(p, 2);  // longs per entry
  p[2] = 0;       // sub type
  p[3] = 1;       // an index of chunks
  PutLe32(p + 4, entries);
  PutLe32(p + 8, id);
  PutLe64(p + 12, base);
  PutLe32(p + 20, 0);
  p += kIndexHeaderSize;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const TChunk& c = chunks[i];
    if (!kept[i] || c.stream != stream) continue;
    PutLe32(p, static_cast<std::uint32_t>(c.offset + 8 - base));  // points at the data
    PutLe32(p + 4, c.size | (c.key ? 0 : kDeltaFrameBit));
    p += 8;
  }
  return entries;
}

std::uint32_t SuperIndexCapacity(std::uint32_t dataSize) {
  return dataSize < kIndexHeaderSize ? 0 : (dataSize - kIndexHeaderSize) / 16;
}

void WriteSuperIndex(TBytes& header, std::size_t at, std::uint32_t dataSize, std::uint32_t id,
                     const std::vector<TSuperEntry>& entries) {
  std::uint8_t* p = header.data() + at;
  PutLe32(p, FourCC("indx"));
  std::fill(p + 8, p + 8 + dataSize, 0);
  p += 8;
  PutLe16(p, 4);  // longs per entry
  p[3] = 0;       // an index of indexes
  PutLe32(p + 4, static_cast<std::uint32_t>(entries.size()));
  PutLe32(p + 8, id);
  p += kIndexHeaderSize;
  for (const TSuperEntry& e : entries) {
    PutLe64(p, e.offset);
    PutLe32(p + 8, e.size);
    PutLe32(p + 12, e.duration);
    p += 16;
  }
}

}  // namespace orvex::recovery
