#pragma once
// Repairs an AVI recording that was never finished (the program killed, the
// power gone): the complete chunks are kept, the sizes, lengths and indexes
// written, a torn last chunk cut off. A file that cannot be repaired is left
// exactly as it was.

#include <optional>
#include <string>

namespace orvex::recovery {

enum class TRepairOutcome { Complete, Repaired, CannotRepair };

struct TRepairResult {
  TRepairOutcome outcome = TRepairOutcome::CannotRepair;
  double keptSeconds = 0;
  std::string reason;  // why it cannot be repaired
};

// The streams a recording's journal says it has.
struct TExpectedStreams {
  int video = 0;
  int audio = 0;
};

TRepairResult RepairAviFile(const std::string& path,
                            const std::optional<TExpectedStreams>& expected = std::nullopt);

// What the user is told: "The recording <file> was not finished; it was repaired (00:01:12 kept)".
std::string RepairMessage(const std::string& path, const TRepairResult& result);

}  // namespace orvex::recovery
