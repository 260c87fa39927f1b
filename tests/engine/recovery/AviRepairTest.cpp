// Interrupted recordings, cut where a crash can cut them: repaired, every
// complete chunk kept and read by ffmpeg to the end; damaged files left
// exactly as they were.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <random>

#include "engine/recovery/AviRepair.h"
#include "engine/recovery/UndoLog.h"
#include "tests/engine/recovery/AviSamples.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/TempDir.h"

namespace orvex::recovery {
namespace {

namespace fs = std::filesystem;
using test::SampleKind;

constexpr int kFrames = 60;

const std::string& Finished(SampleKind kind) {
  static std::map<SampleKind, std::string> samples;
  auto& sample = samples[kind];
  if (sample.empty()) sample = test::RecordSample(kind, kFrames);
  return sample;
}

// The data chunks of an unfinished file in file order, found without the repair's own reader.
std::vector<test::SampleChunk> DataChunks(const std::string& b) {
  std::vector<test::SampleChunk> chunks;
  std::size_t at = b.find("movi") + 4;
  while (at + 8 <= b.size()) {
    const std::string id = b.substr(at, 4);
    std::uint32_t size = 0;
    for (int i = 3; i >= 0; --i) size = size << 8 | static_cast<unsigned char>(b[at + 4 + i]);
    if (id == "RIFF" || id == "LIST") {
      at += 12;
      continue;
    }
    if (std::isdigit(static_cast<unsigned char>(id[0]))) chunks.push_back({id, at, size});
    at += 8 + size + (size & 1);
  }
  return chunks;
}

enum class End {
  AfterAChunk,
  InsideTheLastChunk,
  InsideAChunkHeader,
  WithoutThePadByte,
  ZerosAfter,
  InsideAPartsIndex,
  AfterANewPartBegan,
  EmptyPartsAfter
};

// Where the writer stopped.
std::size_t CutFor(End end, const std::string& b, const std::vector<test::SampleChunk>& chunks) {
  const test::SampleChunk& last = chunks.back();
  switch (end) {
    case End::AfterAChunk:
    case End::ZerosAfter:
    case End::EmptyPartsAfter: return b.size();
    case End::InsideTheLastChunk: return last.offset + 8 + last.size / 2;
    case End::InsideAChunkHeader: return last.offset + 5;
    case End::WithoutThePadByte:
      for (auto c = chunks.rbegin(); c != chunks.rend(); ++c)
        if (c->size & 1) return c->offset + 8 + c->size;
      return 0;
    case End::InsideAPartsIndex: return b.find("ix0") + 30;
    case End::AfterANewPartBegan: return b.find("AVIX") + 16;
  }
  return 0;
}

struct RepairCase {
  const char* name;
  SampleKind kind;
  std::size_t chunksPerPart;  // 0: one part
  End end;
};

class RepairTest : public ::testing::TestWithParam<RepairCase> {
 protected:
  test::TempDir dir;
};

TEST_P(RepairTest, KeepsEveryCompleteChunkAndPlayersReadTheWholeFile) {
  const RepairCase& c = GetParam();
  const std::string& finished = Finished(c.kind);
  std::string bytes =
      c.chunksPerPart ? test::UnfinishedOpenDml(finished, c.chunksPerPart) : test::Unfinished(finished);
  const auto chunks = DataChunks(bytes);
  const std::size_t cut = CutFor(c.end, bytes, chunks);
  ASSERT_GT(cut, 0u) << "no place to cut like that";
  bytes.resize(cut);
  if (c.end == End::ZerosAfter) bytes.append(65536, '\0');
  if (c.end == End::EmptyPartsAfter)
    for (int i = 0; i < 2; ++i) bytes += std::string("RIFF\x0c\0\0\0AVIXLIST\0\0\0\0movi", 24);
  long frames = 0;
  for (const auto& chunk : chunks) frames += chunk.id[1] == '0' && chunk.offset + 8 + chunk.size <= cut;
  const bool sound = c.kind == SampleKind::RawWithSound || c.kind == SampleKind::MjpegWithSound;
  const fs::path file = dir / "clip.avi";
  test::WriteFile(file, bytes);

  const TRepairResult result = RepairAviFile(file);
  ASSERT_EQ(result.outcome, TRepairOutcome::Repaired) << result.reason;
  EXPECT_EQ(test::ProbeWarnings(file), "");
  EXPECT_EQ(test::DecodeErrors(file), "");
  const auto decoded = test::DecodeStreams(file);
  // With sound a last frame beyond the sound's end may be set aside.
  EXPECT_LE(frames - decoded.videoFrames, sound ? 2 : 0) << "frames lost";
  EXPECT_LE(decoded.videoFrames, frames);
  EXPECT_NEAR(result.keptSeconds, decoded.videoFrames / 30.0, 1e-6);
  if (sound) {
    EXPECT_NEAR(decoded.audioSeconds, decoded.videoSeconds, 0.1);
  }

  const std::string repaired = test::ReadFile(file);
  EXPECT_EQ(RepairAviFile(file).outcome, TRepairOutcome::Complete) << "a second repair finds nothing to do";
  EXPECT_TRUE(test::ReadFile(file) == repaired) << "the second repair changed the file";
  EXPECT_FALSE(fs::exists(UndoLogPathFor(file)));
}

INSTANTIATE_TEST_SUITE_P(
    Interrupted, RepairTest,
    ::testing::Values(
        RepairCase{"RawAfterAChunk", SampleKind::RawVideo, 0, End::AfterAChunk},
        RepairCase{"RawInsideTheLastChunk", SampleKind::RawVideo, 0, End::InsideTheLastChunk},
        RepairCase{"RawInsideAChunkHeader", SampleKind::RawVideo, 0, End::InsideAChunkHeader},
        RepairCase{"RawWithZerosAfter", SampleKind::RawVideo, 0, End::ZerosAfter},
        RepairCase{"MjpegWithoutThePadByte", SampleKind::Mjpeg, 0, End::WithoutThePadByte},
        RepairCase{"RawWithSoundAfterAChunk", SampleKind::RawWithSound, 0, End::AfterAChunk},
        RepairCase{"MjpegWithSoundInsideTheLastChunk", SampleKind::MjpegWithSound, 0,
                   End::InsideTheLastChunk},
        RepairCase{"OpenDmlInsideTheLastPart", SampleKind::RawWithSound, 50, End::InsideTheLastChunk},
        RepairCase{"OpenDmlInsideAPartsIndex", SampleKind::RawWithSound, 80, End::InsideAPartsIndex},
        RepairCase{"OpenDmlAfterANewPartBegan", SampleKind::RawVideo, 25, End::AfterANewPartBegan},
        RepairCase{"OpenDmlWithEmptyPartsAfter", SampleKind::RawWithSound, 60, End::EmptyPartsAfter},
        RepairCase{"OpenDmlMjpegWithSound", SampleKind::MjpegWithSound, 40, End::AfterAChunk}),
    [](const auto& row) { return std::string(row.param.name); });

// A field of the unfinished raw sample: the hdrl list's size, a stream's
// rate, or the size of a chunk in the middle of the data.
std::string WithField(std::string b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(value >> (8 * i));
  return b;
}

struct DamageCase {
  const char* name;
  std::function<std::string(const std::string& unfinished)> make;
  const char* reason;
};

class DamagedTest : public ::testing::TestWithParam<DamageCase> {
 protected:
  test::TempDir dir;
};

TEST_P(DamagedTest, IsLeftExactlyAsItWasAndTheMessageSaysWhy) {
  const std::string bytes = GetParam().make(test::Unfinished(Finished(SampleKind::RawWithSound)));
  const fs::path file = dir / "clip.avi";
  test::WriteFile(file, bytes);
  const TRepairResult result = RepairAviFile(file);
  EXPECT_EQ(result.outcome, TRepairOutcome::CannotRepair);
  EXPECT_NE(result.reason.find(GetParam().reason), std::string::npos) << result.reason;
  EXPECT_TRUE(test::ReadFile(file) == bytes) << "the file was changed";
  EXPECT_FALSE(fs::exists(UndoLogPathFor(file)));
  EXPECT_EQ(RepairMessage(file, result), "The recording " + file.string() + " cannot be repaired: " +
                                             result.reason + "; it was left as it is");
}

std::string RandomBytes(const std::string&) {
  std::mt19937 rng(7);
  std::string b(5000, '\0');
  for (char& c : b) c = static_cast<char>(rng());
  return b;
}

std::size_t Middle(const std::string& b) { return DataChunks(b)[DataChunks(b).size() / 2].offset; }

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedTest,
    ::testing::Values(
        DamageCase{"Empty", [](const std::string&) { return std::string(); }, "not an AVI file"},
        DamageCase{"RandomBytes", RandomBytes, "not an AVI file"},
        DamageCase{"TruncatedHeader", [](const std::string& b) { return b.substr(0, 200); },
                   "header is damaged"},
        DamageCase{"HeaderOnly", [](const std::string& b) { return b.substr(0, b.find("movi") + 4); },
                   "holds no frames"},
        DamageCase{"HugeHeaderSize", [](const std::string& b) { return WithField(b, 16, 0xFFFFFFF0u); },
                   "header is damaged"},
        DamageCase{"NoFrameRate",
                   [](const std::string& b) { return WithField(b, b.find("strh") + 8 + 24, 0); },
                   "header of its stream 0 is damaged"},
        DamageCase{"ChunkSizePastTheEnd",
                   [](const std::string& b) { return WithField(b, Middle(b) + 4, 0x00FFFFFFu); },
                   "claims more data than the file holds"},
        DamageCase{"HugeClaimedSize",
                   [](const std::string& b) { return WithField(b, Middle(b) + 4, 0xFFFFFFF0u); },
                   "claims more data than the file holds"},
        DamageCase{"GarbageInTheData",
                   [](const std::string& b) { return WithField(b, Middle(b), 0x21212121u); },
                   "unexpected data"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FinishedRecording, IsCompleteAndNotTouched) {
  test::TempDir dir;
  const fs::path file = dir / "clip.avi";
  test::WriteFile(file, Finished(SampleKind::MjpegWithSound));
  const TRepairResult result = RepairAviFile(file);
  EXPECT_EQ(result.outcome, TRepairOutcome::Complete);
  EXPECT_TRUE(test::ReadFile(file) == Finished(SampleKind::MjpegWithSound)) << "the file was changed";
  EXPECT_EQ(RepairMessage(file, result),
            "The recording " + file.string() + " is complete; nothing to repair");
}

TEST(RepairMessage, SaysHowMuchWasKept) {
  const TRepairResult result{TRepairOutcome::Repaired, 72.9, ""};
  EXPECT_EQ(RepairMessage("/v/clip.avi", result),
            "The recording /v/clip.avi was not finished; it was repaired (00:01:12 kept)");
  EXPECT_NE(RepairMessage("/v/a.avi", {TRepairOutcome::Repaired, 3 * 3600 + 61, ""}).find("(03:01:01 kept)"),
            std::string::npos);
}

}  // namespace
}  // namespace orvex::recovery
