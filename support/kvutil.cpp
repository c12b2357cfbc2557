#include "support/kvutil.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <set>

#include "platform/paths.h"

QString SecondsToHMS(qint64 seconds) {
  const qint64 h = seconds / 3600;
  const qint64 m = (seconds - 3600 * h) / 60;
  const qint64 r = seconds - 3600 * h - 60 * m;
  return QString::asprintf("%lld:%.2lld:%.2lld", static_cast<long long>(h),
                           static_cast<long long>(m), static_cast<long long>(r));
}

QString TextBefore(const QString& text, const QString& separator) {
  const qsizetype at = separator.isEmpty() ? -1 : text.indexOf(separator);
  return at < 0 ? text : text.left(at);
}

QString TextAfter(const QString& text, const QString& separator) {
  const qsizetype at = separator.isEmpty() ? -1 : text.indexOf(separator);
  return at < 0 ? QString() : text.mid(at + separator.size());
}

qint64 GetFileSizeByName(const QString& fileName) {
  if (fileName.isEmpty()) return 0;
  const QFileInfo info(fileName);
  return info.isFile() ? info.size() : 0;
}

qint64 GetDiskFreeBytes(const QString& path) {
  return Seams().System->FreeDiskBytes(path.isEmpty() ? QDir::currentPath() : path);
}

TFileVersion GetFileVersion(const QString& fileName) {
  if (fileName.isEmpty()) return Seams().System->ExecutableVersion();
  return {};
}

int GetFileBuildNumber(const QString& fileName) {
  return GetFileVersion(fileName).Parts[3];
}

qint64 FindProcessId(const QString& exeName) {
  for (const TProcessEntry& p : Seams().Processes->List())
    if (p.ExeName == exeName) return p.Pid;
  return 0;
}

bool IsNotParallelPort(const QString& portName) {
  for (int i = 1; i <= 4; ++i)
    if (portName.contains(QStringLiteral("LPT%1").arg(i))) return false;
  return true;
}

void ListSerialPorts(bool details, QStringList& list) {
  constexpr int FixedPorts = 96;
  std::set<int> numbers;
  for (int n = 1; n <= FixedPorts; ++n) numbers.insert(n);
  static const QRegularExpression entryName(QStringLiteral("^COM([1-9][0-9]{0,5})$"));
  const QStringList entries = QDir(PortsFolder()).entryList(QDir::AllEntries | QDir::System);
  for (const QString& e : entries) {
    const QRegularExpressionMatch m = entryName.match(e);
    if (m.hasMatch()) numbers.insert(m.captured(1).toInt());
  }

  for (const int n : numbers) {
    const QString port = QStringLiteral("COM%1").arg(n);
    if (!IsNotParallelPort(port)) continue;
    const QString node = ResolveComPort(n);
    if (node.isEmpty()) continue;
    const QFileInfo info(node);
    if (!info.exists()) continue;  // a dangling link opens nothing
    if (!details) {
      list << port;
      continue;
    }
    const QString target = info.isSymLink() ? info.canonicalFilePath() : QString();
    list << port + QLatin1Char('=') + node + QLatin1Char('/') +
                QStringLiteral("%1 (v%2 %3)").arg(target, QString(), QString());
  }
}
