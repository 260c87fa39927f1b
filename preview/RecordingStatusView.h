#pragma once
// What the preview window changes on the main window while recording.

#include <QString>

class IRecordingStatusView {
 public:
  virtual ~IRecordingStatusView() = default;
  virtual void SetStatusText(const QString& text) = 0;
  virtual void SetConfigurationEnabled(bool enabled) = 0;
};
