#pragma once
// What kept a recording from being the one the user asked for: the engine's
// report code and its cause, for the host to put into words.

#include <string>

#include "engine/TLogType.h"

struct TRecordingFailure {
  TLogType Code = e_failed_to_start_recording;
  int Error = 0;         // the system's error number behind it (ENOSPC, EACCES, ENODEV...), or 0
  std::string FileName;  // the recording file, when it matters
  std::string Name;      // the compressor concerned, when one is
  std::string Detail;    // the engine's own report
  int Width = 0;         // the frame size being recorded
  int Height = 0;
  bool Started = false;  // frames were being recorded when it happened
  double Seconds = 0;    // how much was recorded by then
};
