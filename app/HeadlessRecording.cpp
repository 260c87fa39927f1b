#include "app/HeadlessRecording.h"

#include <cstdio>
#include <filesystem>

#include "app/HeadlessRun.h"
#include "app/TApplication.h"
#include "engine/VOduduDudiviv.h"
#include "preview/RecordingFailureText.h"

namespace {

constexpr int kCompletionTimeoutMs = 15000;

}  // namespace

int RecordHeadless(TApplication& application, const std::string& file, double seconds) {
  std::vector<std::string> errors;
  VOduduDudiviv& engine = PrepareHeadlessEngine(application, errors);
  bool completed = false, success = false;
  // Not the hidden windows' handler: a failure is said here, on standard error, never in a box.
  engine.setOnRecordingCompleted([&](VOduduDudiviv*, const std::string&, bool ok) {
    completed = true;
    success = ok;
  });

  std::error_code ec;
  const std::string target = std::filesystem::absolute(file, ec).string();
  auto failure = [&] {
    return HeadlessFailure(RecordingFailureText(engine.RecordingFailure(), target).toStdString());
  };
  engine.setRecordingFileName(target);
  if (!engine.StartRecording()) return failure();
  const int ms = static_cast<int>(seconds * 1000);
  RunLoopUntil([&] { return completed; }, ms);  // ends early when the recording stops by itself
  if (!completed) engine.StopRecording();
  if (!RunLoopUntil([&] { return completed; }, kCompletionTimeoutMs)) return HeadlessFailure("the recording did not finish");
  if (!success) return failure();
  if (!std::filesystem::exists(target, ec) || std::filesystem::file_size(target, ec) == 0)
    return HeadlessFailure("nothing was written to " + target);
  std::printf("recorded %.1f s to %s\n", engine.RecordingElapsedSeconds(), target.c_str());
  return 0;
}
