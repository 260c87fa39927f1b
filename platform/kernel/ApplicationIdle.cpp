#include "platform/kernel/ApplicationIdle.h"

#include <glib.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace orvex::kernel {
namespace {

// Runs the handler once per idle period: armed when the loop wakes up for an
// event, fired by a GLib idle source once everything pending has been handled.
// The idle source's own dispatch wakes the loop too, so re-arming waits a
// moment after each idle event; otherwise the loop would spin on idle events.
class IdleWatcher {
 public:
  IdleHandler handler;

  void Awake() {
    if (armed_ || rearmPending_) return;
    const qint64 wait = kMinimumIdleGapMs - sinceFire_.elapsed();
    if (!sinceFire_.isValid() || wait <= 0) {
      Arm();
      return;
    }
    rearmPending_ = true;
    QTimer::singleShot(static_cast<int>(wait), QCoreApplication::instance(), [this] {
      rearmPending_ = false;
      Arm();
    });
  }

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
    if (dispatcher) QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] { Awake(); });
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
    sinceFire_.start();
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
    rearmPending_ = false;
  }

  static constexpr qint64 kMinimumIdleGapMs = 100;

  bool armed_ = false;
  bool rearmPending_ = false;
  QElapsedTimer sinceFire_;
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
