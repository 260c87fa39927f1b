#include "app/RunLoopUntil.h"

#include <QEventLoop>
#include <QTimer>

bool RunLoopUntil(const std::function<bool()>& done, int timeoutMs) {
  bool result = done();
  if (result) return true;
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if ((result = done())) loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  poll.start();
  loop.exec();
  return result;
}
