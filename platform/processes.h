#pragma once
// Processes of this machine: /proc on Linux.

#include "platform/seams.h"

class TSystemProcesses : public TProcesses {
public:
  QList<TProcessEntry> List() override;
  bool Terminate(qint64 pid) override;
  // High is nice -10; real time is the lowest nice value this user may set.
  // The niceness the process started with is restored by Normal.
  bool SetPriority(TPriorityClass priority, QString* error) override;

private:
  std::optional<int> StartNice;
};
