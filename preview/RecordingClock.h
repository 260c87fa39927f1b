#pragma once
#include <QString>

// "hh:mm:ss" for an elapsed time in seconds; the hours grow beyond two
// digits, the seconds are truncated.
QString ElapsedTimeText(double elapsedSeconds);

// "Recording [hh:mm:ss]".
QString RecordingStatusText(double elapsedSeconds);
