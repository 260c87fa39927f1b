#pragma once
// The header of an AVI file: its streams, and where the fields are that a
// repair rewrites.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/recovery/AviFile.h"

namespace orvex::recovery {

struct TAviStream {
  std::uint32_t type = 0;   // 'vids', 'auds', ...
  std::uint32_t codec = 0;  // the video's compression, or the audio's format tag
  std::uint32_t scale = 0;
  std::uint32_t rate = 0;
  std::uint32_t sampleSize = 0;  // bytes per tick; 0 when every chunk is one tick
  std::uint32_t length = 0;      // in ticks, as the header says
  std::uint64_t strh = 0;        // offset of the strh data
  std::uint64_t superIndex = 0;  // offset of the indx chunk (or the JUNK that holds its place), 0 when none
  std::uint32_t superIndexSize = 0;

  bool IsVideo() const;
  bool IsAudio() const;
  // Whether a chunk id ending in `suffix` ("db", "dc", "wb") holds this stream's data.
  bool TakesSuffix(std::uint16_t suffix) const;
  std::uint64_t Ticks(std::uint64_t chunks, std::uint64_t bytes) const {
    return sampleSize ? bytes / sampleSize : chunks;
  }
  double Seconds(std::uint64_t ticks) const { return static_cast<double>(ticks) * scale / rate; }
};

struct TAviHeader {
  std::uint64_t avih = 0;  // offset of the avih data
  std::uint64_t dmlh = 0;  // offset of the OpenDML header's data, 0 when there is none
  std::uint64_t movi = 0;  // offset of the first movi LIST
  std::vector<TAviStream> streams;

  // Where the first chunk of data begins; everything before it is the header region.
  std::uint64_t End() const { return movi + 12; }
};

// Reads the header; empty with `why` set when the file is no AVI file or its header is damaged.
std::optional<TAviHeader> ReadAviHeader(const TAviFile& file, std::string& why);

}  // namespace orvex::recovery
