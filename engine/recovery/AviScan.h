#pragma once
// A walk over the data of an AVI file that was written up to some point:
// every complete chunk of every RIFF part, the indexes the writer left, and
// what is at the end when the file stops in the middle of something.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/recovery/AviFile.h"
#include "engine/recovery/AviHeader.h"

namespace orvex::recovery {

struct TChunk {
  std::uint64_t offset = 0;  // of its header
  std::uint32_t size = 0;
  std::uint16_t stream = 0;
  bool key = true;
};

// A standard index chunk (ix##) found in the data.
struct TStdIndex {
  std::uint16_t stream = 0;
  std::uint64_t offset = 0;  // of its header
  std::uint32_t size = 0;
  std::uint32_t entries = 0;
};

struct TStreamCount {
  std::uint32_t id = 0;  // of its chunks ("00db", "01wb", ...)
  std::uint64_t chunks = 0;
  std::uint64_t bytes = 0;
  std::uint32_t largest = 0;
};

// One RIFF list: the first ('AVI ') or one of the OpenDML extensions ('AVIX').
struct TAviPart {
  std::uint64_t riff = 0;      // offset of its RIFF header
  std::uint32_t riffSize = 0;  // as the file says
  std::uint64_t movi = 0;      // offset of its movi LIST, 0 while not found
  std::uint32_t moviSize = 0;
  std::uint64_t idx1 = 0;  // offset of its AVI 1.0 index, 0 when none
  std::uint64_t end = 0;   // where the next part begins, or where the walk stopped
  std::vector<TStreamCount> counts;
  std::vector<TStdIndex> indexes;
  std::vector<TChunk> chunks;  // kept for the last part holding data only

  bool HasData() const;
  std::uint64_t MoviEnd() const { return idx1 ? idx1 : end; }
};

enum class TTail {
  None,     // the file ends after a complete chunk
  Zeros,    // then only zero bytes, as a power cut leaves them
  Torn,     // then a chunk the writer did not finish
  Damaged,  // then something that cannot be read
};

struct TAviScan {
  std::vector<TAviPart> parts;
  std::uint64_t dataEnd = 0;  // end of the last complete data chunk, without its pad byte
  TTail tail = TTail::None;
  std::uint64_t tailAt = 0;  // where the tail begins
  std::string damage;        // what is wrong, for TTail::Damaged

  // The last part holding data; the file is cut after its last chunk.
  std::size_t OpenPart() const;
};

// Walks the data after the header; empty with `why` set when there is no data to keep.
std::optional<TAviScan> ScanAviData(const TAviFile& file, const TAviHeader& header, std::string& why);

}  // namespace orvex::recovery
