#pragma once
// The one place that puts the engine's account of a failed recording into
// words for the user: the error box and the command line say the same.

#include <QString>
#include <optional>
#include <string>

#include "engine/RecordingFailure.h"

// "Cannot write to /videos/clip.avi: permission denied", "The disk is full:
// the recording was stopped at 00:01:12 and saved up to there", ...
QString RecordingFailureText(const TRecordingFailure& failure);

// The same; without a failure on record, that the recording to `fileName` failed.
QString RecordingFailureText(const std::optional<TRecordingFailure>& failure, const std::string& fileName);
