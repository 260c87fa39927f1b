#pragma once
// What an engine holds about the devices it has bound: their stored values,
// inputs, frame sizes and subtypes.

#include <string>
#include <vector>

#include "engine/DeviceValues.h"
#include "engine/FrameSizeList.h"
#include "engine/TDevices.h"
#include "engine/TextLines.h"

struct TBoundDevices {
  int VideoIndex = -1;  // the bound video device, -1 for none
  int AudioIndex = -1;
  TDeviceEntry Video;  // copies of the bound list entries
  TDeviceEntry Audio;

  TDeviceValues VideoValues{VideoDeviceValueDefs()};
  TDeviceValues AudioValues{AudioDeviceValueDefs()};
  TFrameSizeList Sizes;
  std::vector<std::string> Subtypes;
  bool VideoReady = false;

  std::string VideoInputsText;  // one name per line
  std::string AudioInputsText;

  int VideoWidth = 320;
  int VideoHeight = 240;

  // Global values of the store.
  std::string LastRecordingFileName;
  std::string LastClipPlayed;
};
