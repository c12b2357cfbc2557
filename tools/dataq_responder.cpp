#include "tools/dataq_responder.h"

namespace {
const QByteArray Query("\0NZ", 3);
constexpr int IdleWaitMs = 20;
}  // namespace

TDataqSerialResponder::TDataqSerialResponder(TPty& pty, TBehaviour behaviour, QByteArray reply)
    : TDeviceEmulator(pty), Behaviour(behaviour), Reply(std::move(reply)) {
  Start();
}

TDataqSerialResponder::~TDataqSerialResponder() {
  Stop();
}

void TDataqSerialResponder::Run() {
  QByteArray input;
  bool endless = false;
  int letter = 0;
  while (!StopRequested()) {
    input += Receive(endless ? EndlessIntervalMs : IdleWaitMs);
    for (qsizetype at = input.indexOf(Query); at >= 0; at = input.indexOf(Query)) {
      input.remove(0, at + Query.size());
      ++QueryCount;
      if (Behaviour == TBehaviour::Reply && !Send(Reply)) return;
      if (Behaviour == TBehaviour::Endless) endless = true;
    }
    // Keep only what could still begin a query.
    if (input.size() > Query.size()) input = input.right(Query.size() - 1);
    if (endless && !Send(QByteArray(1, char('a' + letter++ % 26)))) return;
  }
}
