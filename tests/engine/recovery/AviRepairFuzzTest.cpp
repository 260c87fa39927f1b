// Seeded mutations of real recordings, finished and interrupted, and files of
// random bytes: the repair never crashes, and a file is either left exactly
// as it was or repaired into one a second repair finds complete.
// ORVEX_FUZZ_CASES sets how many cases run (a few hundred by default),
// ORVEX_FUZZ_SEED another seed than the usual one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "engine/recovery/AviRepair.h"
#include "engine/recovery/UndoLog.h"
#include "tests/engine/recovery/AviSamples.h"
#include "tests/support/TempDir.h"

namespace orvex::recovery {
namespace {

namespace fs = std::filesystem;
using test::SampleKind;

int FromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int value = text ? std::atoi(text) : 0;
  return value > 0 ? value : fallback;
}

std::vector<std::string> Seeds() {
  const std::string raw = test::RecordSample(SampleKind::RawWithSound, 20);
  const std::string mjpeg = test::RecordSample(SampleKind::MjpegWithSound, 20);
  return {test::Unfinished(raw), test::Unfinished(mjpeg), test::UnfinishedOpenDml(raw, 12),
          test::UnfinishedOpenDml(mjpeg, 9), mjpeg};
}

void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4 && at + i < b.size(); ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

std::string Mutate(std::string b, std::mt19937& rng) {
  const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
  static const std::uint32_t kSizes[] = {0,  1,          3,           4,           7,          8,
                                         24, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFF0u, 0xFFFFFFFFu};
  const int edits = 1 + static_cast<int>(pick(2));
  for (int i = 0; i < edits && !b.empty(); ++i) {
    const std::size_t at = pick(b.size() - 1);
    switch (pick(7)) {
      case 0: b[at] = static_cast<char>(b[at] ^ (1 << pick(7))); break;
      case 1: b[at] = static_cast<char>(pick(255)); break;
      case 2: Put32(b, at & ~std::size_t{3}, kSizes[pick(std::size(kSizes) - 1)]); break;
      case 3: Put32(b, at, static_cast<std::uint32_t>(rng())); break;
      case 4: b.resize(at); break;
      case 5: b.erase(at, pick(64)); break;
      case 6: b.insert(at, pick(16), static_cast<char>(pick(255))); break;
      default: b.append(pick(4096), static_cast<char>(pick(1) ? 0 : pick(255))); break;
    }
  }
  return b;
}

std::string RandomFile(std::mt19937& rng) {
  std::string b(std::uniform_int_distribution<std::size_t>(0, 4000)(rng), '\0');
  for (char& c : b) c = static_cast<char>(rng());
  if (rng() % 2 && b.size() >= 12)
    b.replace(0, 12,
              std::string("RIFF\xff\xff\xff\x7f"
                          "AVI ",
                          12));
  return b;
}

TEST(AviRepairFuzz, EveryFileIsRepairedOrLeftAsItWas) {
  std::mt19937 rng(FromEnvironment("ORVEX_FUZZ_SEED", 20261209));
  const auto seeds = Seeds();
  test::TempDir dir;
  const fs::path file = dir / "fuzz.avi";
  int repaired = 0, refused = 0;
  const int cases = FromEnvironment("ORVEX_FUZZ_CASES", 400);
  for (int i = 0; i < cases; ++i) {
    const std::string bytes = i % 10 == 9 ? RandomFile(rng) : Mutate(seeds[i % seeds.size()], rng);
    test::WriteFile(file, bytes);
    const TRepairResult result = RepairAviFile(file);
    ASSERT_FALSE(fs::exists(UndoLogPathFor(file))) << "case " << i;
    if (result.outcome != TRepairOutcome::Repaired) {
      ASSERT_TRUE(test::ReadFile(file) == bytes) << "case " << i << " changed the file: " << result.reason;
      refused += result.outcome == TRepairOutcome::CannotRepair;
      continue;
    }
    ++repaired;
    const std::string after = test::ReadFile(file);
    const TRepairResult again = RepairAviFile(file);
    ASSERT_EQ(again.outcome, TRepairOutcome::Complete) << "case " << i << ": " << again.reason;
    ASSERT_TRUE(test::ReadFile(file) == after) << "case " << i << ": the second repair changed the file";
  }
  EXPECT_GT(repaired, cases / 10) << "the mutations should leave many files repairable";
  EXPECT_GT(refused, cases / 10) << "and break many";
}

}  // namespace
}  // namespace orvex::recovery
