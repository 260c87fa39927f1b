#pragma once
// Recordings for the repair's tests: written by GStreamer's AVI writer (the
// one the program records with), and the bytes such a file has on the disk
// when the program is killed while writing it.

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::test {

enum class SampleKind { RawVideo, RawWithSound, Mjpeg, MjpegWithSound };

// A finished recording of `frames` frames at 30 per second; the same bytes for the same arguments.
std::string RecordSample(SampleKind kind, int frames);

struct SampleChunk {
  std::string id;        // "00db", "01wb", ...
  std::uint64_t offset;  // of its header
  std::uint32_t size;
};

// The data chunks of a finished recording, in file order.
std::vector<SampleChunk> ChunksOf(const std::string& finished);

// What the writer had written when it was killed: the header as written at
// the start (no lengths, no sizes), the chunks, no index.
std::string Unfinished(const std::string& finished);

// The same, for an OpenDML recording whose parts hold `chunksPerPart` chunks
// each (the writer starts a new part every gigabyte): the finished parts with
// their indexes, the last one killed while written.
std::string UnfinishedOpenDml(const std::string& finished, std::size_t chunksPerPart);

}  // namespace orvex::test
