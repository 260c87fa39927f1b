#include "engine/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>
#include <atomic>

namespace busy_cursor {
namespace {

std::atomic<int> g_depth{0};

Qt::CursorShape ShapeOf(TCursor cursor) {
  switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
  }
}

// Only a GUI application on its own thread has a screen cursor to change.
bool CanSetCursor() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  return app && QThread::currentThread() == app->thread();
}

void SetScreenCursor(TCursor cursor) {
  if (!CanSetCursor()) return;
  if (cursor == crDefault) {
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
  } else if (QGuiApplication::overrideCursor()) {
    QGuiApplication::changeOverrideCursor(QCursor(ShapeOf(cursor)));
  } else {
    QGuiApplication::setOverrideCursor(QCursor(ShapeOf(cursor)));
  }
}

}  // namespace

void Enter(TCursor busy) {
  ++g_depth;
  if (busy != crDefault) SetScreenCursor(busy);
}

void Leave(TCursor busy, TCursor normal) {
  int depth = g_depth.load();
  while (depth > 0 && !g_depth.compare_exchange_weak(depth, depth - 1)) {
  }
  if (depth <= 1 && busy != crDefault) SetScreenCursor(normal);
}

}  // namespace busy_cursor
