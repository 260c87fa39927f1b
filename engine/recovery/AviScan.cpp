#include "engine/recovery/AviScan.h"

#include <algorithm>

#include "engine/recovery/KeyFrames.h"
#include "engine/recovery/RiffBytes.h"

namespace orvex::recovery {

namespace {

// More than a day of small chunks in one part: no recording of ours, and an
// index this large would be a huge allocation.
constexpr std::size_t kMaxChunksPerPart = 2'000'000;
// A torn last chunk is at most one frame; a claim that leaves more behind it
// is damage in the middle of the file, and cutting there would lose data.
constexpr std::uint64_t kMinTornAllowance = 1024 * 1024;
// A part per gigabyte: thousands are a file of some terabytes, or a forgery.
constexpr std::size_t kMaxParts = 10'000;
constexpr std::size_t kMaxIndexesPerPart = 256;

int Digit(std::uint8_t c) { return c >= '0' && c <= '9' ? c - '0' : -1; }

// The stream number of a "NNxx" or "ixNN" id, or -1.
int StreamNumber(std::uint8_t first, std::uint8_t second) {
  const int tens = Digit(first), ones = Digit(second);
  return tens < 0 || ones < 0 ? -1 : tens * 10 + ones;
}

class TScanner {
 public:
  TScanner(const TAviFile& file, const TAviHeader& header) : file_(file), header_(header) {}

  bool Run(TAviScan& scan, std::string& why);

 private:
  enum class TStep { Next, Stop };

  TAviPart& Part() { return scan_->parts.back(); }
  int DataStream(std::uint32_t id) const;
  TStep Data(std::uint64_t at, std::uint32_t id, int stream, std::uint32_t size);
  TStep Unfinished(std::uint64_t at);
  bool ChunksFollow(std::uint64_t from) const;
  TStep StdIndex(std::uint64_t at, std::uint32_t id, std::uint32_t size);
  TStep List(std::uint64_t at, std::uint32_t size);
  TStep Riff(std::uint64_t at, std::uint32_t size);
  TStep Step(std::uint64_t& at);
  TStep Tail(std::uint64_t at, TTail kind, const std::string& damage = "");
  bool OnlyZerosFrom(std::uint64_t at) const;
  void StartPart(std::uint64_t riff, std::uint32_t riffSize);
  bool KeyFrame(std::uint64_t at, std::uint16_t stream, std::uint32_t size);

  const TAviFile& file_;
  const TAviHeader& header_;
  TAviScan* scan_ = nullptr;
  bool inMovi_ = false;
  std::uint64_t next_ = 0;           // where the step just taken continues
  std::uint32_t largest_ = 0;        // the largest complete data chunk so far
  std::size_t chunkHolder_ = 0;      // the part whose chunks are kept
  std::vector<std::uint64_t> seen_;  // data chunks per stream, all parts
};

void TScanner::StartPart(std::uint64_t riff, std::uint32_t riffSize) {
  TAviPart part;
  part.riff = riff;
  part.riffSize = riffSize;
  part.counts.resize(header_.streams.size());
  scan_->parts.push_back(std::move(part));
}

int TScanner::DataStream(std::uint32_t id) const {
  const int stream = StreamNumber(static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8));
  if (stream < 0 || stream >= static_cast<int>(header_.streams.size())) return -1;
  return header_.streams[stream].TakesSuffix(static_cast<std::uint16_t>(id >> 16)) ? stream : -1;
}

bool TScanner::KeyFrame(std::uint64_t at, std::uint16_t stream, std::uint32_t size) {
  const TAviStream& s = header_.streams[stream];
  if (!s.IsVideo()) return true;
  switch (KeyFramesOf(s.codec)) {
    case TKeyFrames::All: return true;
    case TKeyFrames::FirstOnly: return seen_[stream] == 0;
    case TKeyFrames::ByPicture: break;
  }
  std::uint8_t probe[kKeyFrameProbeBytes];
  const std::size_t count = std::min<std::size_t>(size, sizeof probe);
  return file_.Read(at + 8, probe, count) && IsKeyFrame(s.codec, probe, count);
}

TScanner::TStep TScanner::Data(std::uint64_t at, std::uint32_t id, int stream, std::uint32_t size) {
  if (size > file_.Size() - at - 8) return Unfinished(at);
  // Only the last part with data may become the open one: the others keep just their counts.
  const std::size_t current = scan_->parts.size() - 1;
  if (current != chunkHolder_) std::vector<TChunk>().swap(scan_->parts[chunkHolder_].chunks);
  chunkHolder_ = current;
  TAviPart& part = Part();
  if (part.chunks.size() >= kMaxChunksPerPart)
    return Tail(at, TTail::Damaged, "it holds more chunks than a repair can index");
  const auto s = static_cast<std::uint16_t>(stream);
  part.chunks.push_back({at, size, s, KeyFrame(at, s, size)});
  TStreamCount& count = part.counts[s];
  if (!count.id) count.id = id;
  ++count.chunks;
  count.bytes += size;
  count.largest = std::max(count.largest, size);
  largest_ = std::max(largest_, size);
  ++seen_[s];
  scan_->dataEnd = at + 8 + size;
  // A missing pad byte after the very last chunk is no loss.
  next_ = std::min(at + 8 + Padded(size), file_.Size());
  return TStep::Next;
}

// Whether complete chunks follow somewhere after `from` (at the parity of
// `from`, as chunks are padded): then a chunk before them that claims more
// than the file holds is damaged, not torn.
bool TScanner::ChunksFollow(std::uint64_t from) const {
  const std::uint64_t size = file_.Size();
  for (std::uint64_t at = from; at + 8 <= size; at += 2) {
    std::uint8_t head[8];
    if (!file_.Read(at, head, sizeof head) || DataStream(Le32(head)) < 0) continue;
    const std::uint64_t next = at + 8 + Padded(Le32(head + 4));
    if (next > size + 1) continue;
    if (next >= size) return true;
    std::uint8_t following[4];
    if (file_.Read(next, following, sizeof following) &&
        (DataStream(Le32(following)) >= 0 || (following[0] == 'i' && following[1] == 'x') ||
         Le32(following) == FourCC("idx1") || Le32(following) == FourCC("RIFF")))
      return true;
  }
  return false;
}

// Torn while written: what is there must fit inside one chunk like the ones
// before, with nothing complete after it.
TScanner::TStep TScanner::Unfinished(std::uint64_t at) {
  if (file_.Size() - at - 8 <= std::max<std::uint64_t>(kMinTornAllowance, 2ull * largest_) &&
      !ChunksFollow(at + 8))
    return Tail(at, TTail::Torn);
  return Tail(at, TTail::Damaged,
              "a chunk at byte " + std::to_string(at) + " claims more data than the file holds");
}

TScanner::TStep TScanner::StdIndex(std::uint64_t at, std::uint32_t id, std::uint32_t size) {
  if (size > file_.Size() - at - 8) return Tail(at, TTail::Torn);
  const int stream = StreamNumber(static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 24));
  std::uint8_t head[24];
  if (Part().indexes.size() >= kMaxIndexesPerPart)
    return Tail(at, TTail::Damaged, "it holds more indexes than a repair can read");
  if (stream >= 0 && size >= sizeof head && file_.Read(at + 8, head, sizeof head))
    Part().indexes.push_back({static_cast<std::uint16_t>(stream), at, size, Le32(head + 4)});
  next_ = at + 8 + Padded(size);
  return TStep::Next;
}

TScanner::TStep TScanner::List(std::uint64_t at, std::uint32_t size) {
  std::uint8_t type[4];
  if (!file_.Read(at + 8, type, sizeof type)) return Tail(at, TTail::Torn);
  next_ = at + 12;
  if (Le32(type) == FourCC("rec ") && inMovi_) return TStep::Next;  // interleaved groups: their chunks count
  if (Le32(type) == FourCC("movi") && !inMovi_ && !Part().movi) {
    Part().movi = at;
    Part().moviSize = size;
    inMovi_ = true;
    return TStep::Next;
  }
  return Tail(at, TTail::Damaged, "unexpected data at byte " + std::to_string(at));
}

TScanner::TStep TScanner::Riff(std::uint64_t at, std::uint32_t size) {
  std::uint8_t type[4];
  if (!file_.Read(at + 8, type, sizeof type)) return Tail(at, TTail::Torn);
  if (Le32(type) != FourCC("AVIX") || !Part().movi)
    return Tail(at, TTail::Damaged, "unexpected data at byte " + std::to_string(at));
  if (scan_->parts.size() >= kMaxParts)
    return Tail(at, TTail::Damaged, "it has more parts than a repair can index");
  Part().end = at;
  StartPart(at, size);
  inMovi_ = false;
  next_ = at + 12;
  return TStep::Next;
}

TScanner::TStep TScanner::Step(std::uint64_t& at) {
  std::uint8_t head[8];
  if (!file_.Read(at, head, sizeof head)) return Tail(at, TTail::Torn);
  const std::uint32_t id = Le32(head), size = Le32(head + 4);
  const bool fits = size <= file_.Size() - at - 8;
  TStep step = TStep::Next;
  if (const int stream = inMovi_ ? DataStream(id) : -1; stream >= 0) {
    step = Data(at, id, stream, size);
  } else if (inMovi_ && head[0] == 'i' && head[1] == 'x') {
    step = StdIndex(at, id, size);
  } else if (id == FourCC("JUNK")) {
    if (!fits) return Unfinished(at);
    next_ = at + 8 + Padded(size);
  } else if (id == FourCC("LIST")) {
    step = List(at, size);
  } else if (id == FourCC("RIFF")) {
    step = Riff(at, size);
  } else if (id == FourCC("idx1") && inMovi_ && scan_->parts.size() == 1) {
    if (!fits) return Tail(at, TTail::Torn);
    Part().idx1 = at;
    inMovi_ = false;
    next_ = at + 8 + Padded(size);
  } else {
    return Tail(at, TTail::Damaged, "unexpected data at byte " + std::to_string(at));
  }
  if (step == TStep::Next) at = next_;
  return step;
}

bool TScanner::OnlyZerosFrom(std::uint64_t at) const {
  std::uint8_t block[4096];
  while (at < file_.Size()) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof block, file_.Size() - at));
    if (!file_.Read(at, block, count)) return false;
    if (std::any_of(block, block + count, [](std::uint8_t b) { return b != 0; })) return false;
    at += count;
  }
  return true;
}

TScanner::TStep TScanner::Tail(std::uint64_t at, TTail kind, const std::string& damage) {
  scan_->tailAt = at;
  scan_->tail = OnlyZerosFrom(at) ? TTail::Zeros : kind;
  if (scan_->tail == TTail::Damaged) scan_->damage = damage;
  return TStep::Stop;
}

bool TScanner::Run(TAviScan& scan, std::string& why) {
  scan_ = &scan;
  seen_.assign(header_.streams.size(), 0);
  std::uint8_t first[4];
  if (!file_.Read(4, first, sizeof first)) {
    why = "its header is damaged";
    return false;
  }
  StartPart(0, Le32(first));
  std::uint64_t at = header_.movi;
  inMovi_ = false;
  if (List(at, 0) == TStep::Stop) {
    why = "its header is damaged";
    return false;
  }
  std::uint8_t moviSize[4];
  Part().moviSize = file_.Read(at + 4, moviSize, sizeof moviSize) ? Le32(moviSize) : 0;
  at = next_;
  while (at < file_.Size() && Step(at) == TStep::Next) {
  }
  Part().end = scan.tail == TTail::None ? file_.Size() : scan.tailAt;
  if (scan.dataEnd == 0) {
    why = scan.tail == TTail::Damaged ? scan.damage : "it holds no frames";
    return false;
  }
  return true;
}

}  // namespace

bool TAviPart::HasData() const {
  return std::any_of(counts.begin(), counts.end(), [](const TStreamCount& c) { return c.chunks > 0; });
}

std::size_t TAviScan::OpenPart() const {
  std::size_t open = 0;
  for (std::size_t i = 0; i < parts.size(); ++i)
    if (parts[i].HasData()) open = i;
  return open;
}

std::optional<TAviScan> ScanAviData(const TAviFile& file, const TAviHeader& header, std::string& why) {
  TAviScan scan;
  TScanner scanner(file, header);
  if (!scanner.Run(scan, why)) return std::nullopt;
  return scan;
}

}  // namespace orvex::recovery
