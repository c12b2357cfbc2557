#pragma once
// Describes the operating system for the about box. The Windows description is
// worked out from the facts the version query reports, so it is the same on
// every platform; elsewhere the about box shows SystemDescriptionLines().

#include <QString>
#include <QStringList>

// What Windows reports about itself; the last five fields come from the
// extended query and mean nothing when ExtendedOk is false.
struct TWindowsVersionInfo {
  int Platform = 2;  // 2: the NT family
  int Major = 0;
  int Minor = 0;
  int Build = 0;
  bool ExtendedOk = false;
  int SpMajor = 0;
  int SpMinor = 0;
  int ProductType = 0;  // 1 workstation, 2 domain controller, 3 server
  int SuiteMask = 0;
};

// "6.01" for version 6.1.
QString WindowsVersionNumber(const TWindowsVersionInfo& info);
int WindowsBuildNumber(const TWindowsVersionInfo& info);
// "Service Pack 1.0"; empty when the extended query failed.
QString ServicePackText(const TWindowsVersionInfo& info);
// Name and edition, e.g. "Microsoft Windows XP Professional".
QString WindowsVersionText(const TWindowsVersionInfo& info);
// The about box's two system lines for a Windows system:
// "Microsoft Windows 7 6.01" and "Build 7601: Service Pack 1.0".
QStringList WindowsDescriptionLines(const TWindowsVersionInfo& info);

// The about box's two system lines for the system the program runs on here:
// the OS name and "Kernel " + the kernel version.
QStringList SystemDescriptionLines();
