// The journal and the regular sync that let a recording survive a crash.

#include <filesystem>
#include <sstream>

#include "engine/RecordingGuard.h"
#include "engine/TDevices.h"
#include "engine/TVdvWorker.h"

namespace {

std::string Size(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

// "44100 Hz, 16-bit Stereo", as the format list names it.
std::string AudioFormatText(int format) {
  std::istringstream lines(AudioFormatsText());
  std::string line;
  for (int i = 0; std::getline(lines, line); ++i)
    if (i == format && format != af_default) return line;
  return "16-bit";
}

}  // namespace

// Written before the first byte of the file, so a crash at any moment finds it.
void TVdvWorker::GuardRecording() {
  RecordingFinished = false;
  // A device or a pipe as the target is no file to repair.
  std::error_code ec;
  const auto status = std::filesystem::status(WrittenFile, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return;
  std::string video = Settings.DeviceSubtype;
  if (Settings.CompressVideo())
    video = Built.VideoCompressorName;
  else if (Settings.GrabberOnCapture())
    video = Settings.GrabberRGBFormat == vdv_filters::gf_RGB24 ? "RGB24" : "RGB32";
  std::vector<std::string> streams{"video " + Size(Bound().VideoWidth, Bound().VideoHeight) + " " + video};
  if (Built.AudioConnected)
    streams.push_back("audio " + (Settings.CompressAudio() ? Built.AudioCompressorName
                                                           : "PCM " + AudioFormatText(P.AudioFormat)));
  std::string problem;
  Guard = TRecordingGuard::Start(WrittenFile, streams, problem);
  Report(!Guard, sv_Warning,
         "no journal for " + WrittenFile + " (" + problem +
             "): after a crash the file cannot be repaired at start",
         w_information);
}

void TVdvWorker::RecordingFileOpened() {
  if (Guard) Guard->FileOpened();
}

// The writer has closed the file: a finished one loses its journal.
void TVdvWorker::EndRecordingGuard() {
  if (Guard) Guard->Finish(RecordingFinished);
  Guard.reset();
  RecordingFinished = false;
}
