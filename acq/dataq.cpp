#include "acq/dataq.h"

#include <QFile>
#include <exception>
#include <memory>

#include "acq/models.h"
#include "platform/errors.h"
#include "platform/seams.h"
#include "support/kvutil.h"

namespace {
const char* const DemoName = "Demo device";
const char* const DemoPort = "Demo port";

QString ReadText(const TRegistryKey& key, const QString& name) {
  return key.ReadString(name).value_or(QString());
}
}  // namespace

TDataq::TDataq(TAmplifierProbe probe) : Probe(std::move(probe)) {}

int TDataq::ScanDevices() {
  EnumKeys.clear();
  DeviceNames.clear();
  DevicePorts.clear();
  DeviceNames << QString::fromLatin1(DemoName);
  DevicePorts << QString::fromLatin1(DemoPort);
  int found =
      ScanServiceKey(QString::fromLatin1(FtdiServiceKey), QString::fromLatin1(FtdiEnumRoot));
  found +=
      ScanServiceKey(QString::fromLatin1(UsbSerServiceKey), QString::fromLatin1(UsbSerEnumRoot));
  return 1 + found;
}

int TDataq::ScanServiceKey(const QString& serviceKey, const QString& enumRoot) {
  int found = 0;
  try {
    Trace("Key: " + serviceKey);
    QStringList paths;
    if (std::unique_ptr<TRegistryKey> key = Seams().Registry->OpenKey(serviceKey)) {
      const std::optional<qint64> count = key->ReadInteger(QStringLiteral("Count"));
      if (!count) throw TError(QStringLiteral("Value \"Count\" is missing or not an integer"));
      Trace("  Count=" + QString::number(*count));
      const qint64 n = qMin<qint64>(*count, MaxInstances);
      for (qint64 i = 0; i < n; ++i) {
        const QString path = ReadText(*key, QString::number(i));
        paths << path;
        EnumKeys << path;
        Trace("  " + QString::number(i) + ": " + path);
      }
      Trace(QStringLiteral(" "));
    } else {
      Trace(QStringLiteral("Opening key failed"));
    }
    for (const QString& path : paths)
      if (ScanInstance(path, enumRoot)) ++found;
  } catch (const std::exception& e) {
    Trace("ParseKey - Exception reading registry: " + ErrorMessage(e));
    Trace(QStringLiteral(" "));
  }
  SaveTrace();
  return found;
}

bool TDataq::ScanInstance(const QString& path, const QString& enumRoot) {
  const QString k = (enumRoot + path).toUpper();
  Trace("Key: [" + k + "]");
  const bool ftdi = k.contains(QLatin1String("VID_0403")) && k.contains(QLatin1String("PID_6001"));
  const bool dataq = k.contains(QLatin1String("VID_0683"));
  if (!ftdi && !dataq) {
    Trace(QStringLiteral("  Not a DATAQ or FTDI device (not VID_0683 or VID_0403)"));
    Trace(QStringLiteral(" "));
    return false;
  }
  if (ftdi) Trace(QStringLiteral("  FTDI device"));
  if (dataq) Trace(QStringLiteral("  DATAQ device"));

  QString name;
  if (std::unique_ptr<TRegistryKey> key = Seams().Registry->OpenKey(k)) {
    name = ReadText(*key, QStringLiteral("FriendlyName"));
    Trace("  Friendly name: " + name);
    Trace("  Manufacturer: " + ReadText(*key, QStringLiteral("Mfg")));
  } else {
    Trace(QStringLiteral("Opening key failed"));
    Trace(QStringLiteral(" "));
    return false;
  }

  const QString q = enumRoot + path + QStringLiteral("\\Device Parameters");
  Trace("Key: [" + q + "]");
  QString port;
  if (std::unique_ptr<TRegistryKey> key = Seams().Registry->OpenKey(q)) {
    port = ReadText(*key, QStringLiteral("PortName"));
    Trace("  Port name: " + port);
    key.reset();
    if (ftdi) {
      Trace(QStringLiteral("  Check for ORCA8x"));
      const int com = ComNumberFromText(port, 1);
      const QString reply = Probe ? Probe(com) : QString();
      Trace("  Device reply: [" + reply + "]");
      if (reply.isEmpty())
        port.clear();
      else
        name = QStringLiteral("OXD %1 (COM%2)").arg(QStringLiteral("ORCA8X")).arg(com);
    }
  } else {
    port = QStringLiteral("COM??");
    Trace(QStringLiteral("Opening key failed"));
  }

  const bool added = !port.isEmpty();
  if (added) {
    DeviceNames << name;
    DevicePorts << port;
    Trace("  Device ID    : " + DeviceModelId(DeviceCount() - 1));
  }
  Trace(QStringLiteral(" "));
  return added;
}

void TDataq::SaveTrace() const {
  // The trace is a diagnostic aid: a folder that cannot take it must not stop discovery.
  QFile file(TraceFileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  QByteArray bytes;
  for (const QString& line : TraceLines) bytes += line.toLatin1() + "\r\n";
  file.write(bytes);
}

QString TDataq::DeviceName(int index) const {
  return DeviceNames.value(index);
}

QString TDataq::DevicePort(int index) const {
  return DevicePorts.value(index);
}

int TDataq::DeviceComNumber(int index) const {
  return ComNumberFromText(DevicePort(index), -1);
}

void TDataq::SetDeviceComNumber(int index, int comNumber) {
  if (index < 0 || index >= DevicePorts.size()) return;
  DevicePorts[index] = QStringLiteral("COM") + QString::number(comNumber);
}

QString TDataq::DeviceModelId(int index) const {
  if (index < 0 || index >= DeviceNames.size()) return {};
  const QString& name = DeviceNames[index];
  if (name == QLatin1String(DemoName)) return QStringLiteral("Demo");
  const QString space = QStringLiteral(" ");
  return ModelIdFromName(TextBefore(TextAfter(name, space), space));
}

QString TDataq::DeviceModelVariant(int index) const {
  if (index < 0 || index >= DeviceNames.size()) return QStringLiteral("Undefined");
  const QString model = DeviceModelId(index);
  // Only these models tell their variant through the serial number.
  const bool asks = IsDI158(model) || IsDI148(model) || IsDI710(model);
  return ModelVariantFromReply(model, asks ? QuerySerialNumber(DeviceComNumber(index)) : QString());
}
