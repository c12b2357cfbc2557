#include "acq/simulated_seams.h"

#include "acq/models.h"
#include "acq/simulated_devices.h"
#include "platform/sysfs_registry.h"

namespace {

const QByteArray SerialNumberCommand("\0NZ", 3);

// Decides at Open whether the COM number belongs to a simulated DATAQ device;
// otherwise every call goes to a real port from the wrapped factory.
class TSimulatedSerialPort : public TSerialPort {
public:
  explicit TSimulatedSerialPort(TSerialPorts& real) : Real(real) {}

  bool Open(int comNumber, int baudRate) override {
    Close();
    const auto device = FindSimulatedDevice(QStringLiteral("COM%1").arg(comNumber));
    if (device && IsDataqModel(device->ModelId)) {
      Inner.reset();
      Simulated = true;
      Reply = device->SerialReply.toLatin1();
      return true;
    }
    Simulated = false;
    Inner = Real.Create();
    NoPort = !Inner;
    return Inner && Inner->Open(comNumber, baudRate);
  }
  bool IsOpen() const override { return Simulated || (Inner && Inner->IsOpen()); }
  void SetDtr(bool on) override {
    if (Inner) Inner->SetDtr(on);
  }
  void SetRts(bool on) override {
    if (Inner) Inner->SetRts(on);
  }
  void Purge() override {
    Heard.clear();
    Pending.clear();
    if (Inner) Inner->Purge();
  }
  int Waiting() override {
    if (Simulated) return int(Pending.size());
    return Inner ? Inner->Waiting() : 0;
  }
  bool WaitForBytes(int ms) override {
    if (!Simulated) return Inner && Inner->WaitForBytes(ms);
    // A silent device costs the caller its wait, as real hardware does.
    if (Pending.isEmpty() && ms > 0) Seams().Clock->Sleep(ms);
    return !Pending.isEmpty();
  }
  QByteArray Read(int maxBytes) override {
    if (!Simulated) return Inner ? Inner->Read(maxBytes) : QByteArray();
    const QByteArray part = Pending.left(std::max(0, maxBytes));
    Pending.remove(0, part.size());
    return part;
  }
  bool WriteByte(char byte) override {
    if (!Simulated) return Inner && Inner->WriteByte(byte);
    Heard.append(byte);
    if (Heard.size() > SerialNumberCommand.size()) Heard.remove(0, 1);
    if (Heard == SerialNumberCommand) {
      Pending += Reply;
      Heard.clear();
    }
    return true;
  }
  bool Drain(int ms) override {
    if (!Simulated) return Inner && Inner->Drain(ms);
    return true;
  }
  void Close() override {
    Simulated = false;
    Heard.clear();
    Pending.clear();
    if (Inner) Inner->Close();
  }
  bool HasError() const override {
    if (Simulated) return false;
    return Inner ? Inner->HasError() : NoPort;
  }
  QString LastError() const override {
    if (Simulated) return {};
    return Inner ? Inner->LastError() : QStringLiteral("No serial port available");
  }

private:
  TSerialPorts& Real;
  std::unique_ptr<TSerialPort> Inner;
  bool Simulated = false;
  bool NoPort = false;  // the wrapped factory gave no port
  QByteArray Reply;
  QByteArray Heard;    // the last bytes written, to spot the command
  QByteArray Pending;  // reply bytes not yet read
};

}  // namespace

TFixtureRegistry SimulatedRegistryEntries() {
  TFixtureRegistry tree;
  for (const TSimulatedDevice& d : SimulatedDevices()) {
    TDeviceInstance instance;
    instance.ComNumber = d.ComNumber;
    if (IsOrca8xModel(d.ModelId)) {
      instance.Path = QStringLiteral("FTDIBUS\\VID_0403+PID_6001+SIM%1\\0000").arg(d.ComNumber);
      instance.FriendlyName = QStringLiteral("USB Serial Port (COM%1)").arg(d.ComNumber);
      instance.Mfg = QStringLiteral("FTDI (simulated)");
      AddDeviceInstance(tree, QLatin1String(FtdiServiceKey), instance);
    } else if (IsDataqModel(d.ModelId)) {
      // No real product id stands behind a simulated device: the model id fills the place.
      instance.Path = QStringLiteral("USB\\VID_0683&PID_%1\\SIM%2")
                          .arg(d.ModelId.left(4), 4, u'0')
                          .arg(d.ComNumber);
      instance.FriendlyName = QStringLiteral("DATAQ %1 (COM%2)").arg(d.Model).arg(d.ComNumber);
      instance.Mfg = QStringLiteral("DATAQ Instruments (simulated)");
      AddDeviceInstance(tree, QLatin1String(UsbSerialServiceKey), instance);
    }
  }
  return tree;
}

std::unique_ptr<TSerialPort> TSimulatedSerialPorts::Create() {
  return std::make_unique<TSimulatedSerialPort>(Real);
}

void InstallDeviceSeams(const QString& sysfsRoot) {
  // Static: discovery and the ports hold on to these for the program's life.
  static TFixtureRegistry registry;
  registry = SysfsRegistryTree(sysfsRoot);
  MergeDeviceTree(registry, SimulatedRegistryEntries());
  Seams().Registry = &registry;
  static TSimulatedSerialPorts serial(*Seams().Serial);
  Seams().Serial = &serial;
}
