#include "platform/kernel/ApplicationIdle.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <glib.h>

namespace orvex::kernel {
namespace {

// Runs the handler once per idle period: armed when the loop wakes up for an
// event, fired by a GLib idle source once everything pending has been handled.
class IdleWatcher {
 public:
  IdleHandler handler;

  void Arm() {
    if (armed_) return;
    armed_ = true;
    if (MainLoopIsGlib()) {
      g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &IdleWatcher::OnGlibIdle, this, nullptr);
    } else {
      // Without GLib a zero timer fires after the queued events.
      QTimer::singleShot(0, QCoreApplication::instance(), [this] { Fire(); });
    }
  }

  void Connect() {
    if (connected_) return;
    connected_ = true;
    disconnected_ = false;
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher) QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] { Arm(); });
    qAddPostRoutine([] { Instance().Disconnect(); });
    Arm();
  }

  static IdleWatcher& Instance() {
    static IdleWatcher watcher;
    return watcher;
  }

 private:
  static gboolean OnGlibIdle(gpointer self) {
    return static_cast<IdleWatcher*>(self)->Fire() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
  }

  // Answers whether the handler wants to run again at once.
  bool Fire() {
    if (disconnected_) return false;
    bool done = true;
    if (handler) {
      IdleHandler current = handler;  // the handler may replace itself
      current(done);
    }
    if (done) armed_ = false;
    return !done;
  }

  void Disconnect() {
    disconnected_ = true;
    handler = nullptr;
    connected_ = false;
    armed_ = false;
  }

  bool armed_ = false;
  bool connected_ = false;
  bool disconnected_ = false;
};

}  // namespace

IdleHandler SetApplicationIdleHandler(IdleHandler handler) {
  auto& watcher = IdleWatcher::Instance();
  std::swap(watcher.handler, handler);
  watcher.Connect();
  return handler;
}

bool MainLoopIsGlib() {
  auto* dispatcher = QAbstractEventDispatcher::instance();
  return dispatcher && dispatcher->inherits("QEventDispatcherGlib");
}

}  // namespace orvex::kernel
