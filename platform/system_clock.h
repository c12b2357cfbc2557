#pragma once

#include <QElapsedTimer>

#include "platform/seams.h"

class TSystemClock : public TClock {
public:
  TSystemClock();
  qint64 Milliseconds() override;
  // Milliseconds since boot, truncated to 32 bits like the system tick count.
  quint32 TickCount() override;
  QDateTime Now() override;
  void Sleep(int ms) override;

private:
  QElapsedTimer Timer;
};
