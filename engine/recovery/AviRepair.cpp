#include "engine/recovery/AviRepair.h"

#include <cmath>
#include <cstdio>

#include "engine/recovery/AviHeader.h"
#include "engine/recovery/AviPlan.h"
#include "engine/recovery/AviScan.h"
#include "engine/recovery/DurableFiles.h"
#include "engine/recovery/UndoLog.h"

namespace orvex::recovery {

namespace {

TRepairResult Cannot(std::string reason) { return {TRepairOutcome::CannotRepair, 0, std::move(reason)}; }

bool StreamsMatch(const TAviHeader& header, const TExpectedStreams& expected) {
  TExpectedStreams found;
  for (const TAviStream& s : header.streams) {
    found.video += s.IsVideo();
    found.audio += s.IsAudio();
  }
  return found.video == expected.video && found.audio == expected.audio;
}

bool Apply(TAviFile& file, const TRepairPlan& plan) {
  if (!file.Truncate(plan.cut) || !file.Write(plan.cut, plan.appended.data(), plan.appended.size()))
    return false;
  for (const TPatch& patch : plan.patches)
    if (!file.Write(patch.offset, patch.bytes.data(), patch.bytes.size())) return false;
  return file.Sync();
}

// Saves what the plan replaces, applies it, and on any failure puts the file back.
TRepairResult Commit(TAviFile& file, const std::string& path, const TAviScan& scan, const TRepairPlan& plan) {
  TUndoLog undo;
  std::string why;
  const std::uint64_t tailEnd = scan.tail == TTail::Zeros ? scan.tailAt : file.Size();
  if (!CaptureUndo(file, plan, tailEnd, undo, why)) return Cannot(why);
  const std::string logPath = UndoLogPathFor(path);
  if (!WriteFileDurably(logPath, SerializeUndo(undo), why))
    return Cannot("its undo file cannot be written: " + why);
  if (!Apply(file, plan)) {
    const std::string error = file.ErrorText();
    if (!ApplyUndo(file, undo)) return Cannot(error + "; it will be put back by the next repair");
    RemoveDurably(logPath);
    return Cannot(error);
  }
  RemoveDurably(logPath);
  return {TRepairOutcome::Repaired, plan.keptSeconds, ""};
}

}  // namespace

TRepairResult RepairAviFile(const std::string& path, const std::optional<TExpectedStreams>& expected) {
  TAviFile file;
  std::string why;
  if (!file.Open(path, true, why)) return Cannot("it cannot be opened: " + why);
  if (!file.TryLock()) return Cannot("another program is using it");
  if (!RollBackInterruptedRepair(file, path, why)) return Cannot(why);
  const auto header = ReadAviHeader(file, why);
  if (!header) return Cannot(why);
  if (expected && !StreamsMatch(*header, *expected))
    return Cannot("it does not hold the streams that were recorded");
  const auto scan = ScanAviData(file, *header, why);
  if (!scan) return Cannot(why);
  if (scan->tail == TTail::Damaged) return Cannot(scan->damage);
  if (IsComplete(*header, *scan)) return {TRepairOutcome::Complete, 0, ""};
  const auto plan = PlanRepair(file, *header, *scan, why);
  if (!plan) return Cannot(why);
  return Commit(file, path, *scan, *plan);
}

std::string RepairMessage(const std::string& path, const TRepairResult& result) {
  switch (result.outcome) {
    case TRepairOutcome::Complete: return "The recording " + path + " is complete; nothing to repair";
    case TRepairOutcome::Repaired: {
      const long total = std::lround(std::floor(result.keptSeconds));
      char kept[32];
      std::snprintf(kept, sizeof kept, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
      return "The recording " + path + " was not finished; it was repaired (" + kept + " kept)";
    }
    case TRepairOutcome::CannotRepair: break;
  }
  return "The recording " + path + " cannot be repaired: " + result.reason + "; it was left as it is";
}

}  // namespace orvex::recovery
