#include "windows/os_description.h"

#include "platform/seams.h"

namespace {

constexpr int Workstation = 1;
constexpr int Server = 3;
constexpr int SuiteEnterprise = 0x0002;
constexpr int SuiteDatacenter = 0x0080;
constexpr int SuitePersonal = 0x0200;
constexpr int SuiteBlade = 0x0400;

QString Edition(const TWindowsVersionInfo& v) {
  auto suite = [&](int bit) { return (v.SuiteMask & bit) != 0; };
  if (v.Major <= 4) {
    if (v.ProductType == Workstation) return QStringLiteral(" Workstation");
    if (v.ProductType == Server)
      return suite(SuiteEnterprise) ? QStringLiteral(" Server, Enterprise Edition")
                                    : QStringLiteral(" Server");
    return {};
  }
  if (v.Major != 5) return {};
  if (v.ProductType == Workstation)
    return suite(SuitePersonal) ? QStringLiteral(" Home Edition") : QStringLiteral(" Professional");
  if (v.ProductType != Server) return {};
  if (v.Minor == 0) {
    if (suite(SuiteDatacenter)) return QStringLiteral(" Datacenter Server");
    if (suite(SuiteEnterprise)) return QStringLiteral(" Advanced Server");
    return QStringLiteral(" Server");
  }
  if (v.Minor == 2) {
    if (suite(SuiteDatacenter)) return QStringLiteral(" Datacenter Edition");
    if (suite(SuiteEnterprise)) return QStringLiteral(" Enterprise Edition");
    // Only a mask of the blade bit alone is the web edition.
    if (v.SuiteMask == SuiteBlade) return QStringLiteral(" Web Edition");
    return QStringLiteral(" Standard Edition");
  }
  return {};
}

}  // namespace

QString WindowsVersionNumber(const TWindowsVersionInfo& info) {
  return QStringLiteral("%1.%2").arg(info.Major).arg(info.Minor, 2, 10, QLatin1Char('0'));
}

int WindowsBuildNumber(const TWindowsVersionInfo& info) {
  return info.Build;
}

QString ServicePackText(const TWindowsVersionInfo& info) {
  if (!info.ExtendedOk) return {};
  return QStringLiteral("Service Pack %1.%2").arg(info.SpMajor).arg(info.SpMinor);
}

QString WindowsVersionText(const TWindowsVersionInfo& info) {
  QString name;
  if (info.Major <= 4)
    name = QStringLiteral("Microsoft Windows NT");
  else if (info.Major == 5 && info.Minor == 0)
    name = QStringLiteral("Microsoft Windows 2000");
  else if (info.Major == 5 && info.Minor == 1)
    name = QStringLiteral("Microsoft Windows XP");
  else if (info.Major == 5 && info.Minor == 2)
    name = QStringLiteral("Microsoft Windows Server 2003");
  else if (info.Major == 6 && info.Minor == 0)
    name = QStringLiteral("Microsoft Windows Vista");
  else if (info.Major == 6 && info.Minor == 1)
    name = QStringLiteral("Microsoft Windows 7");
  else
    name = QStringLiteral("Future Microsoft Windows v%1.%2").arg(info.Major).arg(info.Minor);
  if (info.ExtendedOk) name += Edition(info);
  return name;
}

QStringList WindowsDescriptionLines(const TWindowsVersionInfo& info) {
  return {WindowsVersionText(info) + u' ' + WindowsVersionNumber(info),
          QStringLiteral("Build %1: %2").arg(WindowsBuildNumber(info)).arg(ServicePackText(info))};
}

QStringList SystemDescriptionLines() {
  TSystemFacts& facts = *Seams().System;
  return {facts.OsName(), QStringLiteral("Kernel ") + facts.KernelVersion()};
}
