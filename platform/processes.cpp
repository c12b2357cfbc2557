#include "platform/processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {
// The kernel keeps only the first 15 bytes of a name in comm.
constexpr int CommLength = 15;

QString ExeNameOf(const QString& procDir) {
  QFile comm(procDir + QStringLiteral("/comm"));
  if (!comm.open(QIODevice::ReadOnly)) return {};
  QString name = QString::fromLocal8Bit(comm.readAll()).trimmed();
  if (name.size() < CommLength) return name;
  // A cut name: the executable's own file name, or else the first argument's.
  const QString exe = QFileInfo(procDir + QStringLiteral("/exe")).symLinkTarget();
  if (!exe.isEmpty()) return QFileInfo(exe).fileName();
  QFile cmdline(procDir + QStringLiteral("/cmdline"));
  if (cmdline.open(QIODevice::ReadOnly)) {
    const QByteArray arg0 = cmdline.readAll().split('\0').value(0);
    if (!arg0.isEmpty()) return QFileInfo(QString::fromLocal8Bit(arg0)).fileName();
  }
  return name;
}
}  // namespace

QList<TProcessEntry> TSystemProcesses::List() {
  QList<TProcessEntry> list;
#ifdef Q_OS_LINUX
  const QDir proc(QStringLiteral("/proc"));
  for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool isPid = false;
    const qint64 pid = entry.toLongLong(&isPid);
    if (!isPid) continue;
    const QString name = ExeNameOf(proc.filePath(entry));
    if (!name.isEmpty()) list.append({pid, name});
  }
#endif
  return list;
}

bool TSystemProcesses::Terminate(qint64 pid) {
#ifdef Q_OS_UNIX
  return pid > 0 && ::kill(static_cast<pid_t>(pid), SIGTERM) == 0;
#else
  Q_UNUSED(pid);
  return false;
#endif
}

bool TSystemProcesses::SetPriority(TPriorityClass priority, QString* error) {
#ifdef Q_OS_UNIX
  errno = 0;
  const int current = ::getpriority(PRIO_PROCESS, 0);
  if (!StartNice && errno == 0) StartNice = current;
  const int start = StartNice.value_or(0);
  int failure = 0;
  const auto set = [&failure](int nice) {
    if (::setpriority(PRIO_PROCESS, 0, nice) == 0) return true;
    failure = errno;
    return false;
  };
  switch (priority) {
    case TPriorityClass::Normal:
      if (set(start)) return true;
      break;
    case TPriorityClass::High:
      if (set(-10)) return true;
      break;
    case TPriorityClass::RealTime: {
      if (set(-20)) return true;
      // Without privilege RLIMIT_NICE allows nice values down to 20 - limit.
      rlimit limit{};
      if (::getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const int lowest = 20 - static_cast<int>(limit.rlim_cur);
        if (lowest < start && set(lowest)) return true;
      }
      break;
    }
  }
  if (error) *error = QString::fromLocal8Bit(std::strerror(failure));
  return false;
#else
  Q_UNUSED(priority);
  if (error) *error = QStringLiteral("not supported");
  return false;
#endif
}
