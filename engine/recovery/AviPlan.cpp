#include "engine/recovery/AviPlan.h"

#include <algorithm>
#include <limits>

#include "engine/recovery/AviIndexes.h"
#include "engine/recovery/RiffBytes.h"

namespace orvex::recovery {

namespace {

constexpr std::uint32_t kHasIndex = 0x10;        // AVIF_HASINDEX
constexpr std::uint32_t kIsInterleaved = 0x100;  // AVIF_ISINTERLEAVED
// Streams of an interrupted recording end together within this...
constexpr double kEndTolerance = 0.05;
// ...unless one ran ahead by more than the writer ever queues: then both stay.
constexpr double kMaxUnmatchedTail = 3.0;

std::vector<TStreamCount> Totals(const TAviScan& scan, std::size_t lastPart, std::size_t streams) {
  std::vector<TStreamCount> totals(streams);
  for (std::size_t k = 0; k <= lastPart; ++k)
    for (std::size_t s = 0; s < streams; ++s) {
      const TStreamCount& c = scan.parts[k].counts[s];
      if (!totals[s].id) totals[s].id = c.id;
      totals[s].chunks += c.chunks;
      totals[s].bytes += c.bytes;
      totals[s].largest = std::max(totals[s].largest, c.largest);
    }
  return totals;
}

int FirstVideo(const TAviHeader& header) {
  for (std::size_t s = 0; s < header.streams.size(); ++s)
    if (header.streams[s].IsVideo()) return static_cast<int>(s);
  return -1;
}

const TStdIndex* FindStdIndex(const TAviPart& part, std::size_t stream) {
  const TStdIndex* found = nullptr;
  for (const TStdIndex& index : part.indexes)
    if (index.stream == stream && index.entries == part.counts[stream].chunks) found = &index;
  return found;
}

// A finished part holds an index of every stream in it (and the first its idx1).
bool PartIndexed(const TAviPart& part, bool first, bool openDml) {
  if (first && !part.idx1) return false;
  if (!openDml) return true;
  for (std::size_t s = 0; s < part.counts.size(); ++s)
    if (part.counts[s].chunks && !FindStdIndex(part, s)) return false;
  return true;
}

class TPlanner {
 public:
  TPlanner(const TAviFile& file, const TAviHeader& header, const TAviScan& scan)
      : file_(file), header_(header), scan_(scan), open_(scan.OpenPart()), part_(scan.parts[open_]) {}

  std::optional<TRepairPlan> Plan(std::string& why);

 private:
  double Seconds(std::size_t stream) const;
  void DropUnmatchedTails();
  void DropTail(std::size_t stream, double target);
  bool AppendIndexes(std::string& why);
  bool PatchHeader(std::string& why);
  bool PatchParts(std::string& why);
  bool Size32(std::uint64_t value, std::uint32_t& out, std::string& why) const;

  const TAviFile& file_;
  const TAviHeader& header_;
  const TAviScan& scan_;
  const std::size_t open_;
  const TAviPart& part_;
  std::vector<bool> kept_;
  std::size_t keptCount_ = 0;
  std::vector<TStreamCount> totals_;
  std::vector<TStreamCount> openCounts_;  // of the open part, after the drops
  std::vector<TSuperEntry> newIndexes_;   // one per stream, in the appended bytes
  std::uint64_t moviEnd_ = 0;
  std::uint64_t fileEnd_ = 0;
  TRepairPlan plan_;
};

double TPlanner::Seconds(std::size_t stream) const {
  const TAviStream& s = header_.streams[stream];
  return s.Seconds(s.Ticks(totals_[stream].chunks, totals_[stream].bytes));
}

// The last chunks of one stream beyond the other's end have no counterpart:
// they stay in the file as JUNK, out of the index, so both streams end together.
void TPlanner::DropUnmatchedTails() {
  double target = std::numeric_limits<double>::max();
  int withData = 0;
  for (std::size_t s = 0; s < totals_.size(); ++s)
    if (totals_[s].chunks) {
      target = std::min(target, Seconds(s));
      ++withData;
    }
  if (withData < 2) return;
  for (std::size_t s = 0; s < totals_.size(); ++s) {
    const double over = Seconds(s) - target;
    if (totals_[s].chunks && over > kEndTolerance && over <= kMaxUnmatchedTail) DropTail(s, target);
  }
}

void TPlanner::DropTail(std::size_t stream, double target) {
  const TAviStream& s = header_.streams[stream];
  for (std::size_t i = part_.chunks.size(); i-- > 0 && Seconds(stream) > target + kEndTolerance;) {
    const TChunk& c = part_.chunks[i];
    if (c.stream != stream) continue;
    if (keptCount_ == 1) break;  // a part without data would be no part
    TStreamCount after = totals_[stream];
    --after.chunks;
    after.bytes -= c.size;
    if (s.Seconds(s.Ticks(after.chunks, after.bytes)) < target - kEndTolerance) break;
    totals_[stream] = after;
    --openCounts_[stream].chunks;
    openCounts_[stream].bytes -= c.size;
    kept_[i] = false;
    --keptCount_;
    TPatch junk{c.offset, std::vector<std::uint8_t>(4)};
    PutLe32(junk.bytes.data(), FourCC("JUNK"));
    plan_.patches.push_back(std::move(junk));
  }
}

bool TPlanner::AppendIndexes(std::string& why) {
  plan_.cut = scan_.dataEnd;
  TBytes& out = plan_.appended;
  if (plan_.cut & 1) out.push_back(0);
  newIndexes_.assign(header_.streams.size(), {});
  if (open_ > 0) {
    if (scan_.dataEnd - part_.riff > std::numeric_limits<std::uint32_t>::max()) {
      why = "a part of it is larger than 4 GB";
      return false;
    }
    for (std::size_t s = 0; s < header_.streams.size(); ++s) {
      if (!openCounts_[s].chunks) continue;
      const std::uint64_t at = plan_.cut + out.size();
      AppendStdIndex(out, static_cast<std::uint16_t>(s), totals_[s].id, part_.chunks, kept_, part_.riff);
      newIndexes_[s] = {at, static_cast<std::uint32_t>(plan_.cut + out.size() - at), 0};
      const TAviStream& stream = header_.streams[s];
      newIndexes_[s].duration =
          static_cast<std::uint32_t>(stream.Ticks(openCounts_[s].chunks, openCounts_[s].bytes));
    }
  }
  moviEnd_ = plan_.cut + out.size();
  if (open_ == 0) AppendIdx1(out, part_.chunks, kept_, totals_, header_.movi + 8);
  fileEnd_ = plan_.cut + out.size();
  return true;
}

bool TPlanner::Size32(std::uint64_t value, std::uint32_t& out, std::string& why) const {
  if (value > std::numeric_limits<std::uint32_t>::max()) {
    why = "a part of it is larger than 4 GB";
    return false;
  }
  out = static_cast<std::uint32_t>(value);
  return true;
}

// The sizes of the RIFF and movi lists after the first.
bool TPlanner::PatchParts(std::string& why) {
  for (std::size_t k = 1; k <= open_; ++k) {
    const TAviPart& part = scan_.parts[k];
    const std::uint64_t end = k == open_ ? fileEnd_ : part.end;
    const std::uint64_t moviEnd = k == open_ ? moviEnd_ : part.MoviEnd();
    std::uint32_t riffSize = 0, moviSize = 0;
    if (!Size32(end - part.riff - 8, riffSize, why) || !Size32(moviEnd - part.movi - 8, moviSize, why))
      return false;
    TPatch riff{part.riff + 4, std::vector<std::uint8_t>(4)},
        movi{part.movi + 4, std::vector<std::uint8_t>(4)};
    PutLe32(riff.bytes.data(), riffSize);
    PutLe32(movi.bytes.data(), moviSize);
    plan_.patches.push_back(std::move(riff));
    plan_.patches.push_back(std::move(movi));
  }
  return true;
}

bool TPlanner::PatchHeader(std::string& why) {
  TPatch region{0, std::vector<std::uint8_t>(header_.End())};
  std::uint8_t* h = region.bytes.data();
  if (!file_.Read(0, h, region.bytes.size())) {
    why = "its header cannot be read";
    return false;
  }
  const TAviPart& first = scan_.parts[0];
  std::uint32_t riffSize = 0, moviSize = 0;
  if (!Size32((open_ == 0 ? fileEnd_ : first.end) - 8, riffSize, why) ||
      !Size32((open_ == 0 ? moviEnd_ : first.MoviEnd()) - header_.movi - 8, moviSize, why))
    return false;
  PutLe32(h + 4, riffSize);
  PutLe32(h + header_.movi + 4, moviSize);

  const int video = FirstVideo(header_);
  std::uint32_t largest = 0;
  for (std::size_t s = 0; s < header_.streams.size(); ++s) {
    const TAviStream& stream = header_.streams[s];
    PutLe32(h + stream.strh + 32,
            static_cast<std::uint32_t>(stream.Ticks(totals_[s].chunks, totals_[s].bytes)));
    PutLe32(h + stream.strh + 36, totals_[s].largest);
    largest = std::max(largest, totals_[s].largest);
  }
  const std::uint64_t firstFrames = video < 0    ? 0
                                    : open_ == 0 ? totals_[video].chunks
                                                 : first.counts[video].chunks;
  std::uint8_t* avih = h + header_.avih;
  PutLe32(avih + 12, Le32(avih + 12) | kHasIndex | (header_.streams.size() > 1 ? kIsInterleaved : 0));
  PutLe32(avih + 16, static_cast<std::uint32_t>(firstFrames));
  PutLe32(avih + 28, largest);
  if (header_.dmlh && video >= 0)
    PutLe32(h + header_.dmlh, static_cast<std::uint32_t>(totals_[video].chunks));
  if (open_ > 0) {
    for (std::size_t s = 0; s < header_.streams.size(); ++s) {
      const TAviStream& stream = header_.streams[s];
      std::vector<TSuperEntry> entries;
      for (std::size_t k = 0; k < open_; ++k)
        if (const TStdIndex* index = FindStdIndex(scan_.parts[k], s)) {
          const TStreamCount& c = scan_.parts[k].counts[s];
          entries.push_back(
              {index->offset, index->size + 8, static_cast<std::uint32_t>(stream.Ticks(c.chunks, c.bytes))});
        }
      if (openCounts_[s].chunks) entries.push_back(newIndexes_[s]);
      if (!stream.superIndex || entries.size() > SuperIndexCapacity(stream.superIndexSize)) {
        why = "its header has no room for the index of a file this large";
        return false;
      }
      WriteSuperIndex(region.bytes, stream.superIndex, stream.superIndexSize, totals_[s].id, entries);
    }
  }
  plan_.patches.push_back(std::move(region));
  return true;
}

std::optional<TRepairPlan> TPlanner::Plan(std::string& why) {
  const bool openDml = open_ > 0;
  for (std::size_t k = 0; k < open_; ++k)
    if (!PartIndexed(scan_.parts[k], k == 0, openDml)) {
      why = "the index of its part " + std::to_string(k + 1) + " is damaged";
      return std::nullopt;
    }
  kept_.assign(part_.chunks.size(), true);
  keptCount_ = kept_.size();
  totals_ = Totals(scan_, open_, header_.streams.size());
  openCounts_ = part_.counts;
  DropUnmatchedTails();
  if (!AppendIndexes(why) || !PatchParts(why) || !PatchHeader(why)) return std::nullopt;
  const int video = FirstVideo(header_);
  if (video >= 0) {
    plan_.keptSeconds = Seconds(video);
  } else {
    for (std::size_t s = 0; s < totals_.size(); ++s)
      plan_.keptSeconds = std::max(plan_.keptSeconds, Seconds(s));
  }
  return std::move(plan_);
}

}  // namespace

bool IsComplete(const TAviHeader& header, const TAviScan& scan) {
  if (scan.tail != TTail::None || scan.OpenPart() + 1 != scan.parts.size()) return false;
  const bool openDml = scan.parts.size() > 1;
  for (std::size_t k = 0; k < scan.parts.size(); ++k) {
    const TAviPart& part = scan.parts[k];
    if (!PartIndexed(part, k == 0, openDml)) return false;
    if (part.riffSize != part.end - part.riff - 8 || part.moviSize != part.MoviEnd() - part.movi - 8)
      return false;
  }
  const auto totals = Totals(scan, scan.parts.size() - 1, header.streams.size());
  // The writer's own lengths may differ by a tick from ours; an interrupted file has none.
  for (std::size_t s = 0; s < header.streams.size(); ++s)
    if (header.streams[s].length == 0 && header.streams[s].Ticks(totals[s].chunks, totals[s].bytes) != 0)
      return false;
  return true;
}

std::optional<TRepairPlan> PlanRepair(const TAviFile& file, const TAviHeader& header, const TAviScan& scan,
                                      std::string& why) {
  return TPlanner(file, header, scan).Plan(why);
}

}  // namespace orvex::recovery
