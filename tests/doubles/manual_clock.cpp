#include "doubles/manual_clock.h"

TManualClock::TManualClock(quint32 startTick, QDateTime startTime)
    : StartTick(startTick), StartTime(std::move(startTime)) {}

void TManualClock::Advance(qint64 ms) {
  if (ms > 0) Elapsed += ms;
}
