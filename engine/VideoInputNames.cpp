#include "engine/VideoInputNames.h"

#include <map>

std::string ConnectorTypeName(int type) {
  static const char* const kVideo[] = {
      "Tuner", "Composite", "SVideo", "RGB", "YRYBY",         "Serial Digital", "Parallel Digital",
      "SCSI",  "AUX",       "1394",   "USB", "Video Decoder", "Video Encoder",  "SCART",
      "black"};
  static const char* const kAudio[] = {
      "Audio Tuner", "Audio Line", "Audio Mic",  "Audio AES Digital", "Audio SPDIF Digital",
      "Audio SCSI",  "Audio AUX",  "Audio 1394", "Audio USB",         "Audio Decoder"};
  if (type >= 1 && type <= 15) return kVideo[type - 1];
  if (type >= 4096 && type <= 4105) return kAudio[type - 4096];
  return "Video";
}

std::vector<std::string> VideoInputNames(const std::vector<orvex::media::DeviceInput>& inputs) {
  std::vector<std::string> names;
  std::map<int, int> seen;
  for (const auto& input : inputs) {
    if (input.connectorType >= 4096) continue;  // audio connectors are not video inputs
    const int earlier = seen[input.connectorType]++;
    std::string name = ConnectorTypeName(input.connectorType);
    // GCC 12 at -O2 and above sees an overlapping copy here that cannot happen
    // (its bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
    if (earlier > 0) name += " " + std::to_string(earlier);
#pragma GCC diagnostic pop
    names.push_back(name);
  }
  return names;
}
