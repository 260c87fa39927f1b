#include "app/HeadlessSnapshot.h"

#include <cstdio>
#include <filesystem>

#include "app/Forms.h"
#include "app/HeadlessRun.h"
#include "app/OutputFolder.h"
#include "app/TApplication.h"
#include "dialogs/TfrmSnapShot.h"
#include "engine/VOduduDudiviv.h"
#include "preview/SnapshotSaver.h"

namespace {

constexpr int kTimeoutMs = 15000;

// The size the snapshot dialog's stored choice gives for this frame.
std::optional<TSnapshotSize> ChosenSize(const VOduduDudiviv& engine, std::string& error) {
  const ISnapshotChoices& choices = *frmSnapShot;
  TSnapshotSize custom;
  if (choices.SnapshotSizeMode() == ss_Custom) {
    const auto w = ParseWholeNumber(choices.CustomWidthText());
    const auto h = ParseWholeNumber(choices.CustomHeightText());
    if (!w || !h) {
      error = NotAnIntegerMessage(!w ? choices.CustomWidthText() : choices.CustomHeightText());
      return std::nullopt;
    }
    custom = {*w, *h};
  }
  return SnapshotTargetSize(choices.SnapshotSizeMode(), {engine.FrameWidth(), engine.FrameHeight()},
                            PrimaryScreenPixelSize(), custom);
}

}  // namespace

int SnapshotHeadless(TApplication& application, const std::string& file) {
  const auto format = SnapshotFormatOfPath(file);
  if (!format) return HeadlessFailure("'" + file + "' must end in .bmp, .jpg or .gif");
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::absolute(file, ec);
  if (const std::string problem = OutputFolderProblem(target); !problem.empty())
    return HeadlessFailure("cannot save the snapshot to " + target.string() + ": " + problem);

  std::vector<std::string> errors;
  VOduduDudiviv& engine = PrepareHeadlessEngine(application, errors);
  if (!StopRequested() && !engine.StartPreview())
    return HeadlessFailure("cannot start the camera: " +
                           (errors.empty() ? std::string("no picture") : errors.front()));

  std::optional<TSnapshotResult> result;
  engine.setOnFrameCaptureCompleted(
      [&](VOduduDudiviv*, const TFrameData& data, TFrameCaptureDest, const std::string&, bool) {
        std::string error;
        const auto size = ChosenSize(engine, error);
        result = size ? SaveSnapshot(*data.Bitmap, *format, *size, target) : TSnapshotResult{false, error};
      });
  // The first frames may still be on their way: ask until a request is taken.
  bool requested = false;
  const auto stopped = [] {
    SayStopped("no snapshot was taken");
    return 1;
  };
  RunLoopUntil(
      [&] { return StopRequested() || requested || (requested = engine.CaptureFrame(fc_TBitmap, "")); },
      kTimeoutMs);
  if (!requested) return StopRequested() ? stopped() : HeadlessFailure("the camera took no snapshot request");
  RunLoopUntil([&] { return StopRequested() || result.has_value(); }, kTimeoutMs);
  if (!result) return StopRequested() ? stopped() : HeadlessFailure("the camera delivered no picture");
  if (!*result) return HeadlessFailure(result->Error);
  std::printf("saved %s\n", target.c_str());
  return 0;
}
