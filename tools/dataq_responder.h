#pragma once
// A DATAQ device as far as its serial-number query goes: it waits for the
// bytes NUL "N" "Z" and then answers with a configured reply, stays silent,
// or keeps sending letters ("abc...z" over and over, one every 20 ms) until
// it is stopped. Every further query is answered the same way.

#include <QByteArray>
#include <atomic>

#include "tools/device_emulator.h"

class TDataqSerialResponder : public TDeviceEmulator {
public:
  enum class TBehaviour { Reply, Silent, Endless };
  static constexpr int EndlessIntervalMs = 20;

  // Starts the device at once.
  TDataqSerialResponder(TPty& pty, TBehaviour behaviour, QByteArray reply = {});
  ~TDataqSerialResponder() override;

  // Queries received so far.
  int Queries() const { return QueryCount; }

protected:
  void Run() override;

private:
  TBehaviour Behaviour;
  QByteArray Reply;
  std::atomic<int> QueryCount{0};
};
