#include "app/HeadlessRecording.h"

#include <cstdio>
#include <filesystem>

#include "app/HeadlessRun.h"
#include "app/OutputFolder.h"
#include "app/TApplication.h"
#include "engine/VOduduDudiviv.h"
#include "preview/RecordingFailureText.h"

namespace {

constexpr int kCompletionTimeoutMs = 15000;
// How much longer than asked a recording may take by the wall clock when its
// frames come late or not at all.
constexpr int kLateFramesGraceMs = 5000;

}  // namespace

int RecordHeadless(TApplication& application, const std::string& file, double seconds) {
  std::error_code ec;
  const std::string target = std::filesystem::absolute(file, ec).string();
  if (const std::string problem = OutputFolderProblem(target); !problem.empty())
    return HeadlessFailure("cannot record to " + target + ": " + problem);

  std::vector<std::string> errors;
  VOduduDudiviv& engine = PrepareHeadlessEngine(application, errors);
  bool completed = false, success = false;
  // Not the hidden windows' handler: a failure is said here, on standard error, never in a box.
  engine.setOnRecordingCompleted([&](VOduduDudiviv*, const std::string&, bool ok) {
    completed = true;
    success = ok;
  });

  auto failure = [&] {
    return HeadlessFailure(RecordingFailureText(engine.RecordingFailure(), target).toStdString());
  };
  if (StopRequested()) {
    SayStopped("nothing was recorded");
    return 1;
  }
  engine.setRecordingFileName(target);
  if (!engine.StartRecording()) return failure();
  const int ms = static_cast<int>(seconds * 1000);
  // The length asked for is the clip's, so the frame clock ends it: the wall
  // clock also counts the graph's start, before the first frame. Ends early
  // when the recording stops by itself or a signal asks to end; then it is
  // finished as at its normal end.
  RunLoopUntil([&] { return completed || StopRequested() || engine.RecordingElapsedSeconds() >= seconds; },
               ms + kLateFramesGraceMs);
  // Completed before its time unasked: a device went away.
  const bool endedEarly = completed && !StopRequested();
  if (!completed) engine.StopRecording();
  if (!RunLoopUntil([&] { return completed; }, kCompletionTimeoutMs))
    return HeadlessFailure("the recording did not finish");
  if (!success) return failure();
  if (!std::filesystem::exists(target, ec) || std::filesystem::file_size(target, ec) == 0)
    return HeadlessFailure("nothing was written to " + target);
  // Not the job that was asked for, though the file holds what was recorded.
  if (endedEarly)
    return HeadlessFailure("the recording to " + target + " stopped after " +
                           std::to_string(static_cast<int>(engine.RecordingElapsedSeconds())) + " s" +
                           (errors.empty() ? "" : ": " + errors.back()));
  if (StopRequested()) SayStopped("the recording was finished early");
  std::printf("recorded %.1f s to %s\n", engine.RecordingElapsedSeconds(), target.c_str());
  return 0;
}
