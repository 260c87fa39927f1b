#pragma once
// What turns a scanned, unfinished AVI file into a finished one: the header
// region and size fields rewritten, the file cut after its last complete
// chunk, and the indexes appended there.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/recovery/AviFile.h"
#include "engine/recovery/AviHeader.h"
#include "engine/recovery/AviScan.h"

namespace orvex::recovery {

struct TPatch {
  std::uint64_t offset = 0;
  std::vector<std::uint8_t> bytes;
};

struct TRepairPlan {
  std::vector<TPatch> patches;         // rewritten in place, all before `cut`
  std::uint64_t cut = 0;               // the file ends here...
  std::vector<std::uint8_t> appended;  // ...followed by these bytes
  double keptSeconds = 0;
};

// Whether the file is finished already: every size, length and index in place.
bool IsComplete(const TAviHeader& header, const TAviScan& scan);

// The plan; empty with `why` set when the file cannot be made whole.
std::optional<TRepairPlan> PlanRepair(const TAviFile& file, const TAviHeader& header, const TAviScan& scan,
                                      std::string& why);

}  // namespace orvex::recovery
