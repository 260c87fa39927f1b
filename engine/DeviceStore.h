#pragma once
// The device settings store: per device (by its key) the values of
// TDeviceValues, its frame size and subtype lists and a compressor's state,
// plus two global values, under the current user's "\Software\VOduduDudiviv\".

#include <optional>
#include <string>
#include <vector>

#include "engine/DeviceValues.h"

namespace device_store {

inline constexpr const char* kRootPath = "\\Software\\VOduduDudiviv\\";

// A store written by another engine version is dropped and started afresh.
void EnsureVersion();

// Reads the first `count` values; false when the key is missing or any value
// failed to read (the values then hold whatever was read).
bool LoadDevice(const std::string& key, TDeviceValues& values, int count);
void SaveDevice(const std::string& key, const TDeviceValues& values);

// The "FMT%.3u" and "SUB%.3u" lists, from 000 up to the first missing number;
// entries that are empty or not one line are skipped.
void LoadFormats(const std::string& key, std::vector<std::string>& sizes, std::vector<std::string>& subtypes);
void SaveFormats(const std::string& key, const std::vector<std::string>& sizes,
                 const std::vector<std::string>& subtypes);

void LoadGlobals(std::string& lastRecordingFileName, std::string& lastClipPlayed);
void SaveGlobals(const std::string& lastRecordingFileName, const std::string& lastClipPlayed);

// A compressor's persisted settings ("WDMState").
std::optional<std::string> LoadCompressorState(const std::string& key);
void SaveCompressorState(const std::string& key, const std::string& state);

}  // namespace device_store
