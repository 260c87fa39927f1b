#include "engine/recovery/AviHeader.h"

#include "engine/recovery/RiffBytes.h"

namespace orvex::recovery {

namespace {

// Real headers are a few kilobytes; anything larger is damage.
constexpr std::uint32_t kMaxHeaderList = 1024 * 1024;
constexpr int kMaxTopLevelChunks = 64;
constexpr std::size_t kMaxStreams = 99;  // stream numbers have two digits
constexpr std::uint32_t kMinSuperIndex = 24 + 16;

using Bytes = std::vector<std::uint8_t>;

// Calls `visit(id, at, size)` for every chunk in [begin, end) of `bytes`,
// with `at` the offset of its data; false when one runs past `end`.
template <typename Visit>
bool ForEachChunk(const Bytes& bytes, std::size_t begin, std::size_t end, Visit visit) {
  std::size_t at = begin;
  while (at < end) {
    if (end - at < 8) return false;
    const std::uint32_t id = Le32(&bytes[at]);
    const std::uint32_t size = Le32(&bytes[at + 4]);
    if (size > end - at - 8) return false;
    if (!visit(id, at + 8, size)) return false;
    at += 8 + static_cast<std::size_t>(size);
    if (size & 1 && at < end) ++at;
  }
  return true;
}

bool ReadStreamList(const Bytes& bytes, std::size_t begin, std::size_t end, std::uint64_t base,
                    TAviStream& stream) {
  bool haveHeader = false;
  const bool ok = ForEachChunk(bytes, begin, end, [&](std::uint32_t id, std::size_t at, std::uint32_t size) {
    if (id == FourCC("strh") && size >= 48 && !haveHeader) {
      haveHeader = true;
      stream.type = Le32(&bytes[at]);
      stream.scale = Le32(&bytes[at + 20]);
      stream.rate = Le32(&bytes[at + 24]);
      stream.length = Le32(&bytes[at + 32]);
      stream.sampleSize = Le32(&bytes[at + 44]);
      stream.strh = base + at;
    } else if (id == FourCC("strf") && haveHeader) {
      if (stream.IsVideo() && size >= 20) stream.codec = Le32(&bytes[at + 16]);
      if (stream.IsAudio() && size >= 2) stream.codec = Le16(&bytes[at]);
    } else if ((id == FourCC("indx") || id == FourCC("JUNK")) && size >= kMinSuperIndex &&
               !stream.superIndex) {
      stream.superIndex = base + at - 8;
      stream.superIndexSize = size;
    }
    return true;
  });
  return ok && haveHeader && stream.scale > 0 && stream.rate > 0;
}

bool ReadHeaderList(const Bytes& bytes, std::uint64_t base, TAviHeader& header, std::string& why) {
  const bool ok =
      ForEachChunk(bytes, 4, bytes.size(), [&](std::uint32_t id, std::size_t at, std::uint32_t size) {
        if (id == FourCC("avih") && size >= 56) header.avih = base + at;
        if (id != FourCC("LIST") || size < 4) return true;
        const std::uint32_t type = Le32(&bytes[at]);
        if (type == FourCC("strl")) {
          TAviStream stream;
          if (header.streams.size() >= kMaxStreams ||
              !ReadStreamList(bytes, at + 4, at + size, base, stream)) {
            why = "the header of its stream " + std::to_string(header.streams.size()) + " is damaged";
            return false;
          }
          header.streams.push_back(stream);
        } else if (type == FourCC("odml")) {
          ForEachChunk(bytes, at + 4, at + size,
                       [&](std::uint32_t inner, std::size_t innerAt, std::uint32_t innerSize) {
                         if (inner == FourCC("dmlh") && innerSize >= 4) header.dmlh = base + innerAt;
                         return true;
                       });
        }
        return true;
      });
  if (!ok && why.empty()) why = "its header is damaged";
  return ok;
}

}  // namespace

bool TAviStream::IsVideo() const { return type == FourCC("vids"); }
bool TAviStream::IsAudio() const { return type == FourCC("auds"); }

bool TAviStream::TakesSuffix(std::uint16_t suffix) const {
  const auto is = [suffix](const char(&text)[3]) {
    return suffix == static_cast<std::uint16_t>(static_cast<unsigned char>(text[0]) |
                                                static_cast<unsigned char>(text[1]) << 8);
  };
  if (IsVideo()) return is("db") || is("dc");
  if (IsAudio()) return is("wb");
  return is("dc") || is("tx");
}

std::optional<TAviHeader> ReadAviHeader(const TAviFile& file, std::string& why) {
  std::uint8_t riff[12];
  if (!file.Read(0, riff, sizeof riff) || Le32(riff) != FourCC("RIFF") || Le32(riff + 8) != FourCC("AVI ")) {
    why = "it is not an AVI file";
    return std::nullopt;
  }
  TAviHeader header;
  std::uint64_t at = 12;
  for (int i = 0; i < kMaxTopLevelChunks; ++i) {
    std::uint8_t chunk[12];
    if (!file.Read(at, chunk, sizeof chunk)) break;
    const std::uint32_t id = Le32(chunk), size = Le32(chunk + 4), type = Le32(chunk + 8);
    if (id == FourCC("LIST") && type == FourCC("movi")) {
      header.movi = at;
      break;
    }
    if (size > file.Size() - at - 8) break;
    if (id == FourCC("LIST") && type == FourCC("hdrl") && header.streams.empty()) {
      if (size > kMaxHeaderList) break;
      Bytes list(size);
      if (!file.Read(at + 8, list.data(), list.size()) || !ReadHeaderList(list, at + 8, header, why))
        return std::nullopt;
    }
    at += 8 + Padded(size);
  }
  if (!header.movi || !header.avih || header.streams.empty()) {
    why = "its header is damaged";
    return std::nullopt;
  }
  return header;
}

}  // namespace orvex::recovery
