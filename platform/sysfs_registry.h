#pragma once
// The device registry on Linux: the key tree that Windows' device enumeration
// keeps for the FTDI and USB-serial drivers, synthesized from sysfs so that
// discovery reads the same keys, values and instance paths on both systems.
//
//   <FtdiServiceKey>            Count, "0", "1", ...: instance paths
//   <UsbSerialServiceKey>       the same for the USB-serial (CDC) driver
//   <DeviceEnumRoot><path>      FriendlyName, Mfg
//     \Device Parameters        PortName ("COMn"; missing when the tty has no COM number)

#include <QString>
#include <QStringList>

#include "platform/registry.h"

inline constexpr char FtdiServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM";
inline constexpr char UsbSerialServiceKey[] = "System\\CurrentControlSet\\Services\\usbser\\Enum";
inline constexpr char DeviceEnumRoot[] = "SYSTEM\\CurrentControlSet\\Enum\\";

// One device as the tree describes it.
struct TDeviceInstance {
  QString Path;  // instance path below DeviceEnumRoot, e.g. USB\VID_0683&PID_1580\ABC
  QString FriendlyName;
  QString Mfg;
  int ComNumber = -1;  // -1: no "Device Parameters" key
};

// Appends a device to a service key (its value Count.. and Count + 1) and
// writes its enumeration key.
void AddDeviceInstance(TFixtureRegistry& tree, const QString& serviceKey,
                       const TDeviceInstance& device);
// The instance paths listed under a service key, in order; values that are
// missing or not strings are left out.
QStringList ServiceInstances(TFixtureRegistry& tree, const QString& serviceKey);
// Merges another device tree into tree: both service keys list tree's
// instances followed by other's, numbered 0 .. Count - 1 without gaps.
void MergeDeviceTree(TFixtureRegistry& tree, const TFixtureRegistry& other);

// The tree for the ttys under <sysfsRoot>/class/tty: those bound to ftdi_sio
// under the FTDI service key, those bound to cdc_acm under the USB-serial key.
// A service key exists when its kernel driver is loaded (a folder under
// bus/usb/drivers) or a tty uses it; otherwise discovery traces "Opening key
// failed", as on a system without the driver. Anything unreadable in the tree
// is skipped.
TFixtureRegistry SysfsRegistryTree(const QString& sysfsRoot = QStringLiteral("/sys"));
