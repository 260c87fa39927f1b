#include "app/TerminationWatch.h"

#include <QSocketNotifier>

TTerminationWatch::TTerminationWatch(const orvex::kernel::TerminationSignals& caught,
                                     std::function<void(int signo)> react)
    : caught_(caught), react_(std::move(react)) {
  if (caught_.ReadFd() < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(caught_.ReadFd(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    caught_.Drain();
    // Later signals are the handler's business (ignored, or the end after
    // the grace period); the program reacts to the first one only.
    if (reacted_ || orvex::kernel::TerminationSignal() == 0) return;
    reacted_ = true;
    react_(orvex::kernel::TerminationSignal());
  });
}

TTerminationWatch::~TTerminationWatch() = default;
