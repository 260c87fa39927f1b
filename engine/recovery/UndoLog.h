#pragma once
// What a repair overwrites and cuts, saved before it touches the file, so
// that a repair that fails half-way (or is itself interrupted) leaves the
// file exactly as it was.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/recovery/AviFile.h"
#include "engine/recovery/AviPlan.h"

namespace orvex::recovery {

struct TUndoLog {
  std::uint64_t originalSize = 0;
  std::vector<TPatch> saved;  // the bytes as they were
};

std::string UndoLogPathFor(const std::string& file);

// Saves the bytes `plan` overwrites, and those it cuts up to `tailEnd` (zeros after it need no saving).
bool CaptureUndo(const TAviFile& file, const TRepairPlan& plan, std::uint64_t tailEnd, TUndoLog& undo,
                 std::string& why);
std::string SerializeUndo(const TUndoLog& undo);
// Reads a saved log; empty when it is not one of ours or is damaged.
std::optional<TUndoLog> ParseUndo(const std::string& bytes);
// Puts the saved bytes back and the size as it was.
bool ApplyUndo(TAviFile& file, const TUndoLog& undo);

// Restores `file` (open at `path`) from the undo log an interrupted repair
// left beside it; true when there was none or it was restored (and the log removed).
bool RollBackInterruptedRepair(TAviFile& file, const std::string& path, std::string& why);

}  // namespace orvex::recovery
