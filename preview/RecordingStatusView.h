#pragma once
// What the preview window changes on the main window while recording.

#include <QString>

class IRecordingStatusView {
 public:
  virtual ~IRecordingStatusView() = default;
  virtual void SetStatusText(const QString& text) = 0;
  virtual void SetConfigurationEnabled(bool enabled) = 0;
  // The engine stopped a recording, or never started it, for the reason in
  // `text`: the main window says so and goes back to idle.
  virtual void RecordingFailed(const QString& text) { (void)text; }
};
