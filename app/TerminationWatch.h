#pragma once
// Brings a caught SIGINT, SIGTERM or SIGHUP onto the event loop: the signal
// handler only wrote a byte into a pipe, and this notifier runs the program's
// reaction, once, where it may do real work.

#include <QObject>
#include <functional>
#include <memory>

#include "platform/kernel/TerminationSignals.h"

class QSocketNotifier;

class TTerminationWatch : public QObject {
  Q_OBJECT

 public:
  TTerminationWatch(const orvex::kernel::TerminationSignals& caught, std::function<void(int signo)> react);
  ~TTerminationWatch() override;

 private:
  const orvex::kernel::TerminationSignals& caught_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::function<void(int)> react_;
  bool reacted_ = false;
};
