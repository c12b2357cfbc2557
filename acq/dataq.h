#pragma once
// Device discovery: the list of recording devices the user can choose from —
// the demo device, then every DATAQ device and Orca8x amplifier found in the
// device registry — and the trace of everything examined.

#include <QStringList>
#include <functional>

class TDataq {
public:
  // Asks the amplifier behind an FTDI converter on a COM port for its
  // identification line; empty when nothing answers. Discovery lives before
  // the amplifier link, so the program hands the probe in.
  using TAmplifierProbe = std::function<QString(int comNumber)>;

  // Driver service keys and the enumeration roots their instance paths hang under.
  static constexpr const char* FtdiServiceKey =
      "SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM";
  static constexpr const char* FtdiEnumRoot = "SYSTEM\\CurrentControlSet\\Enum\\";
  static constexpr const char* UsbSerServiceKey =
      "System\\CurrentControlSet\\Services\\usbser\\Enum";
  static constexpr const char* UsbSerEnumRoot = "System\\CurrentControlSet\\Enum\\";
  // A service key's "Count" beyond this is read as this many instances, so a
  // damaged registry cannot hold the scan for ever.
  static constexpr int MaxInstances = 1024;

  explicit TDataq(TAmplifierProbe probe = {});

  // Without a probe no amplifier answers.
  void SetAmplifierProbe(TAmplifierProbe probe) { Probe = std::move(probe); }

  // Rebuilds the list; the number of entries, the demo entry included.
  int ScanDevices();
  int DeviceCount() const { return int(DeviceNames.size()); }
  QString DeviceName(int index) const;
  QString DevicePort(int index) const;
  int DeviceComNumber(int index) const;
  void SetDeviceComNumber(int index, int comNumber);
  QString DeviceModelId(int index) const;
  QString DeviceModelVariant(int index) const;
  void Trace(const QString& text) { TraceLines << text; }

  QStringList EnumKeys;
  QStringList DeviceNames;
  QStringList DevicePorts;
  QStringList TraceLines;
  // Where the whole trace is saved after every service scan (relative: to the current folder).
  QString TraceFileName = QStringLiteral("trace.txt");

private:
  int ScanServiceKey(const QString& serviceKey, const QString& enumRoot);
  // Steps of one instance path; true when it added a device.
  bool ScanInstance(const QString& path, const QString& enumRoot);
  void SaveTrace() const;

  TAmplifierProbe Probe;
};
