#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
QString WithSeparator(const QString& folder) {
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

struct TPortRange {
  int FirstCom;
  const char* NodePrefix;
};
// COM numbers of the fixed table: 32 ports for each kind of Linux serial node.
constexpr TPortRange PortRanges[] = {
    {1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}};
constexpr int PortsPerRange = 32;
}  // namespace

QString ConfigFolder() {
#ifdef Q_OS_WIN
  QString folder = WithSeparator(QCoreApplication::applicationDirPath());
#else
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  QString folder = WithSeparator(base) + QStringLiteral("tavrin/");
#endif
  QDir().mkpath(folder);
  return folder;
}

QString PortsFolder() {
  const QString env = qEnvironmentVariable("TAVRIN_PORTS_DIR");
  return WithSeparator(env.isEmpty() ? ConfigFolder() + QStringLiteral("ports") : env);
}

QString DefaultDataDirectory() {
#ifdef Q_OS_WIN
  return QStringLiteral("C:\\ZQR_data");
#else
  return QDir::homePath() + QStringLiteral("/ZQR_data");
#endif
}

QString ResolveComPort(int comNumber) {
  if (comNumber < 1) return {};
  const QString entry = PortsFolder() + QStringLiteral("COM%1").arg(comNumber);
  // A dangling link still names the port the user meant; opening it will say what is wrong.
  const QFileInfo info(entry);
  if (info.exists() || info.isSymLink()) return entry;
#ifdef Q_OS_WIN
  return QStringLiteral("\\\\.\\COM%1").arg(comNumber);
#else
  for (const auto& range : PortRanges)
    if (comNumber >= range.FirstCom && comNumber < range.FirstCom + PortsPerRange)
      return QString::fromLatin1(range.NodePrefix) + QString::number(comNumber - range.FirstCom);
  return {};
#endif
}

int ComNumberOfDeviceNode(const QString& node) {
  static const QRegularExpression pattern(QStringLiteral("^/dev/(ttyS|ttyUSB|ttyACM)(\\d+)$"));
  const auto match = pattern.match(node);
  if (!match.hasMatch()) return -1;
  const int index = match.captured(2).toInt();
  if (index >= PortsPerRange) return -1;
  for (const auto& range : PortRanges)
    if (match.captured(1) == QLatin1String(range.NodePrefix + 5)) return range.FirstCom + index;
  return -1;
}
