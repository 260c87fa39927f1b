#include "dialogs/DeferredStore.h"

TDeferredStore::TDeferredStore(std::function<void()> save, std::function<void(std::exception_ptr)> report)
    : save_(std::move(save)), report_(std::move(report)) {
  timer_.setSingleShot(true);
  timer_.setInterval(kDelayMs);
  connect(&timer_, &QTimer::timeout, this, &TDeferredStore::StoreNow);
}

void TDeferredStore::Request() { timer_.start(); }

void TDeferredStore::StoreNow() {
  try {
    save_();
    failing_ = false;
  } catch (...) {
    if (!failing_) report_(std::current_exception());
    failing_ = true;
  }
}
