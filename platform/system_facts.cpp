#include "platform/system_facts.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QSysInfo>

QString TRealSystemFacts::OsName() { return QSysInfo::prettyProductName(); }

QString TRealSystemFacts::KernelVersion() { return QSysInfo::kernelVersion(); }

TFileVersion TRealSystemFacts::ExecutableVersion() {
  return {{TAVRIN_VERSION_MAJOR, TAVRIN_VERSION_MINOR, TAVRIN_VERSION_PATCH,
           TAVRIN_VERSION_TWEAK}};
}

qint64 TRealSystemFacts::FreeDiskBytes(const QString& path) {
  if (path.trimmed().isEmpty()) return -1;
  // A folder that does not exist yet will be created on the file system of its nearest parent.
  QFileInfo info(QDir::cleanPath(QDir(path).absolutePath()));
  for (int depth = 0; depth < 256 && !info.exists(); ++depth) {
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath()) break;
    info.setFile(parent);
  }
  if (!info.exists()) return -1;
  const QStorageInfo storage(info.absoluteFilePath());
  if (!storage.isValid() || !storage.isReady()) return -1;
  return storage.bytesAvailable();
}
