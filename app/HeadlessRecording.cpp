#include "app/HeadlessRecording.h"

#include <cstdio>
#include <filesystem>

#include "app/Forms.h"
#include "app/RunLoopUntil.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "engine/VOduduDudiviv.h"
#include "preview/TfrmPreview.h"

namespace {

constexpr int kCompletionTimeoutMs = 15000;

int Fail(const std::string& message) {
  std::fprintf(stderr, "orvex: %s\n", message.c_str());
  return 1;
}


}  // namespace

int RecordHeadless(TApplication& application, const std::string& file, double seconds) {
  application.CreateForms();
  frmMain->ApplyCaptureSettings();
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  if (engine.VideoDevice() < 0 && engine.VideoDevicesCount() > 0) {
    // Nothing chosen in the settings yet: take the first camera rather than fail.
    engine.setVideoDevice(0);
    std::fprintf(stderr, "orvex: no camera is chosen in the settings; using %s\n", engine.VideoDeviceName().c_str());
  }
  std::vector<std::string> errors;
  engine.setOnLog([&errors](VOduduDudiviv*, TLogType, const std::string& severity, const std::string& message) {
    if (severity == "ERROR") errors.push_back(message);
  });
  bool completed = false, success = false;
  auto previous = engine.OnRecordingCompleted();
  engine.setOnRecordingCompleted([&, previous](VOduduDudiviv* sender, const std::string& name, bool ok) {
    if (previous) previous(sender, name, ok);
    completed = true;
    success = ok;
  });

  std::error_code ec;
  const std::string target = std::filesystem::absolute(file, ec).string();
  engine.setRecordingFileName(target);
  engine.HandleNeeded();
  if (!engine.StartRecording()) {
    std::string why = errors.empty() ? "the recording did not start" : errors.front();
    for (std::size_t i = 1; i < errors.size(); ++i) why += "; " + errors[i];
    return Fail("cannot record to " + target + ": " + why);
  }
  const int ms = static_cast<int>(seconds * 1000);
  RunLoopUntil([&] { return completed; }, ms);  // ends early when the recording stops by itself
  if (!completed) engine.StopRecording();
  if (!RunLoopUntil([&] { return completed; }, kCompletionTimeoutMs)) return Fail("the recording did not finish");
  if (!success) return Fail("the recording to " + target + " failed" + (errors.empty() ? "" : ": " + errors.back()));
  if (!std::filesystem::exists(target, ec) || std::filesystem::file_size(target, ec) == 0)
    return Fail("nothing was written to " + target);
  std::printf("recorded %.1f s to %s\n", engine.RecordingElapsedSeconds(), target.c_str());
  return 0;
}
