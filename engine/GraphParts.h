#pragma once
// What a graph build leaves behind for the run: the elements the engine
// watches, the grabbers it feeds, the devices it holds and what it recorded with.

#include <string>
#include <vector>

#include "engine/FilterModule.h"

typedef struct _GstElement GstElement;

struct TGraphParts {
  std::vector<filter_module::TGrabber> Grabbers;
  std::vector<std::string> DevicesInUse;  // keys, held in the device registry
  GstElement* DeviceElement = nullptr;
  GstElement* AudioDeviceElement = nullptr;
  GstElement* FileWriter = nullptr;
  // Preview graphs: stops the frames at the device while nobody looks or waits for one.
  GstElement* PreviewValve = nullptr;
  // Kept from the latest build that chose a compressor.
  std::string VideoCompressorName;
  std::string AudioCompressorName;
  bool AudioConnected = false;

  // The elements go with their graph; the compressor names stay.
  void ForgetElements() {
    Grabbers.clear();
    DeviceElement = nullptr;
    AudioDeviceElement = nullptr;
    FileWriter = nullptr;
    PreviewValve = nullptr;
  }
};
