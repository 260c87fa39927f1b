#pragma once
#include <QString>

// "Recording [hh:mm:ss]" for an elapsed time in seconds; the hours grow
// beyond two digits, the seconds are truncated.
QString RecordingStatusText(double elapsedSeconds);
