#pragma once
// Clock double: time moves only when the test says so (or when code pauses).

#include "platform/seams.h"

class TManualClock : public TClock {
public:
  // startTick may be close to 2^32 to make the tick count wrap during a test.
  explicit TManualClock(quint32 startTick = 1000,
                        QDateTime startTime = QDateTime(QDate(2010, 7, 5), QTime(14, 12, 54)));
  void Advance(qint64 ms);

  qint64 Milliseconds() override { return Elapsed; }
  quint32 TickCount() override { return static_cast<quint32>(StartTick + Elapsed); }
  QDateTime Now() override { return StartTime.addMSecs(Elapsed); }
  void Sleep(int ms) override { Advance(ms); }

private:
  quint32 StartTick;
  QDateTime StartTime;
  qint64 Elapsed = 0;
};
