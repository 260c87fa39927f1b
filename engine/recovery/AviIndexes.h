#pragma once
// The index chunks of an AVI file, as bytes: the AVI 1.0 index (idx1), the
// OpenDML standard index of one stream in one part (ix##) and the OpenDML
// super index in a stream's header (indx).

#include <cstdint>
#include <vector>

#include "engine/recovery/AviScan.h"

namespace orvex::recovery {

using TBytes = std::vector<std::uint8_t>;

// Appends an idx1 chunk of `chunks` (those with `kept` set), with offsets from `moviType`,
// the offset of the movi list's type field.
void AppendIdx1(TBytes& out, const std::vector<TChunk>& chunks, const std::vector<bool>& kept,
                const std::vector<TStreamCount>& counts, std::uint64_t moviType);

// Appends the ix## chunk of `stream`'s kept chunks, with offsets from `base`
// (the part's RIFF header). Answers the number of entries.
std::uint32_t AppendStdIndex(TBytes& out, std::uint16_t stream, std::uint32_t id,
                             const std::vector<TChunk>& chunks, const std::vector<bool>& kept,
                             std::uint64_t base);

struct TSuperEntry {
  std::uint64_t offset = 0;    // of the ix## chunk's header
  std::uint32_t size = 0;      // of the whole ix## chunk, header included
  std::uint32_t duration = 0;  // in the stream's ticks
};

// Overwrites the super index chunk at `at` in `header` (whose data is `dataSize` bytes long).
void WriteSuperIndex(TBytes& header, std::size_t at, std::uint32_t dataSize, std::uint32_t id,
                     const std::vector<TSuperEntry>& entries);

// How many entries fit into a super index chunk of `dataSize` bytes.
std::uint32_t SuperIndexCapacity(std::uint32_t dataSize);

}  // namespace orvex::recovery
