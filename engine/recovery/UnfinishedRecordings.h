#pragma once
// What the program does at its start about recordings that were interrupted:
// every listed journal that no running recording holds is looked at, its
// recording repaired, and the journal removed.

#include <string>
#include <vector>

#include "engine/recovery/AviRepair.h"

namespace orvex::recovery {

// What the user hears of one interrupted recording.
struct TRecoveryNotice {
  std::string text;
  bool problem = false;  // it could not be repaired
};

// Repairs the interrupted recordings listed in the settings folder, except
// `skipRecording`; answers one notice per recording the user should hear of.
std::vector<TRecoveryNotice> RepairUnfinishedRecordings(const std::string& settingsFolder,
                                                        const std::string& skipRecording = "");

// Repairs one recording on demand, using and then removing its journal when it has one.
TRepairResult RepairRecording(const std::string& recording, const std::string& settingsFolder);

}  // namespace orvex::recovery
