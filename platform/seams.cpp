#include "platform/seams.h"

#include <cstdio>

#include "platform/console_dialogs.h"
#include "platform/processes.h"
#include "platform/qt_serial_port.h"
#include "platform/registry.h"
#include "platform/system_clock.h"
#include "platform/system_facts.h"

namespace {
class TNoKeyboard : public TKeyboard {
public:
  bool ShiftHeld() override { return false; }
};

class TStderrErrorReporter : public TErrorReporter {
public:
  void Report(const QString& message) override {
    std::fprintf(stderr, "%s\n", DisplayText(message).toLocal8Bit().constData());
  }
};

TSeamSet MakeDefaults() {
  // Created once and kept for the whole program, so no seam dies before its users.
  static TConsoleDialogs dialogs;
  static TSystemClock clock;
  static TQtSerialPorts serial;
  static TFixtureRegistry registry;
  static TSystemProcesses processes;
  static TNoKeyboard keyboard;
  static TRealSystemFacts system;
  static TStderrErrorReporter errors;
  return {&dialogs, &clock, &serial, &registry, &processes, &keyboard, &system, &errors};
}
}  // namespace

TSeamSet& Seams() {
  static TSeamSet seams = MakeDefaults();
  return seams;
}
