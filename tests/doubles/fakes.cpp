#include "doubles/fakes.h"

bool TFakeProcesses::Terminate(qint64 pid) {
  Terminated << pid;
  for (int i = 0; i < Table.size(); ++i) {
    if (Table[i].Pid != pid) continue;
    if (Survivors.contains(Table[i].ExeName)) return false;
    Table.removeAt(i);
    return true;
  }
  return false;
}

bool TFakeProcesses::SetPriority(TPriorityClass priority, QString* error) {
  Priorities << priority;
  if (RefusePriority && error) *error = "Permission denied";
  return !RefusePriority;
}

qint64 TFixedSystemFacts::FreeDiskBytes(const QString& path) {
  for (auto it = FreeBytesByPath.cbegin(); it != FreeBytesByPath.cend(); ++it)
    if (path.startsWith(it.key())) return it.value();
  return FreeBytes;
}
