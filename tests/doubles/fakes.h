#pragma once
// Small doubles of the platform seams that hold a settable state.

#include <QMap>

#include "platform/seams.h"

// A process table: Terminate removes the entry unless its name is set to survive.
class TFakeProcesses : public TProcesses {
public:
  QList<TProcessEntry> Table;
  QStringList Survivors;               // executable names that ignore Terminate
  QList<qint64> Terminated;            // pids asked to end, in order
  QList<TPriorityClass> Priorities;    // every priority asked for
  bool RefusePriority = false;

  QList<TProcessEntry> List() override { return Table; }
  bool Terminate(qint64 pid) override;
  bool SetPriority(TPriorityClass priority, QString* error) override;
};

class TFakeKeyboard : public TKeyboard {
public:
  bool Shift = false;
  bool ShiftHeld() override { return Shift; }
};

class TFixedSystemFacts : public TSystemFacts {
public:
  QString Os = "Debian GNU/Linux 12 (bookworm)";
  QString Kernel = "6.1.0-test";
  TFileVersion Version{{1, 30, 1, 30}};
  qint64 FreeBytes = 100LL * 1024 * 1024 * 1024;
  QMap<QString, qint64> FreeBytesByPath;  // overrides FreeBytes for paths starting with a key

  QString OsName() override { return Os; }
  QString KernelVersion() override { return Kernel; }
  TFileVersion ExecutableVersion() override { return Version; }
  qint64 FreeDiskBytes(const QString& path) override;
};

class TRecordingErrorReporter : public TErrorReporter {
public:
  QStringList Reports;
  void Report(const QString& message) override { Reports << message; }
};
