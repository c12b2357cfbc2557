#include "platform/system_clock.h"

#include <QThread>
#include <chrono>

TSystemClock::TSystemClock() { Timer.start(); }

qint64 TSystemClock::Milliseconds() { return Timer.elapsed(); }

quint32 TSystemClock::TickCount() {
  using namespace std::chrono;
  return static_cast<quint32>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

QDateTime TSystemClock::Now() { return QDateTime::currentDateTime(); }

void TSystemClock::Sleep(int ms) {
  if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}
