#pragma once
// Stores a dialog's settings group shortly after the user changed it, so a
// crash or a killed program never costs the choices made since the start.
// A burst of changes (a slider dragged pixel by pixel, a name typed) costs
// one write, a moment after the last change.

#include <QObject>
#include <QTimer>
#include <exception>
#include <functional>

class TDeferredStore : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDelayMs = 400;

  // `save` writes the group and throws when it cannot; `report` shows why.
  // A failure is reported once, not at every change, until a save works
  // again.
  TDeferredStore(std::function<void()> save, std::function<void(std::exception_ptr)> report);

  // Something changed: store it soon.
  void Request();
  bool Pending() const { return timer_.isActive(); }

 private:
  void StoreNow();

  QTimer timer_;
  std::function<void()> save_;
  std::function<void(std::exception_ptr)> report_;
  bool failing_ = false;
};
