#pragma once
// The media framework, initialised once per process.

namespace orvex::media {

// Initialises GStreamer (once; later calls do nothing) and registers the
// built-in test devices when they are requested.
void InitMedia();
bool MediaInitialised();

}  // namespace orvex::media
