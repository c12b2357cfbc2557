// Simulated devices in the registry and on the serial ports.
#include "acq/simulated_seams.h"

#include <gtest/gtest.h>

#include "acq/models.h"
#include "acq/simulated_devices.h"
#include "doubles/manual_clock.h"
#include "platform/sysfs_registry.h"

namespace {

const QString Ftdi = FtdiServiceKey;
const QString UsbSer = UsbSerialServiceKey;
const QString Root = DeviceEnumRoot;

// What the real ports saw, shared by every port the fake factory made.
struct TFakeLine {
  QList<int> Opened;
  QByteArray Written;
  QByteArray Answer = "real";  // sent back after each serial-number command
};

class TFakePort : public TSerialPort {
public:
  explicit TFakePort(TFakeLine& line) : Line(line) {}
  bool Open(int comNumber, int) override {
    Line.Opened << comNumber;
    return IsOpenNow = true;
  }
  bool IsOpen() const override { return IsOpenNow; }
  void SetDtr(bool) override {}
  void SetRts(bool) override {}
  void Purge() override { Pending.clear(); }
  int Waiting() override { return int(Pending.size()); }
  bool WaitForBytes(int ms) override {
    if (Pending.isEmpty()) Seams().Clock->Sleep(ms);
    return !Pending.isEmpty();
  }
  QByteArray Read(int maxBytes) override {
    const QByteArray part = Pending.left(maxBytes);
    Pending.remove(0, part.size());
    return part;
  }
  bool WriteByte(char byte) override {
    Line.Written += byte;
    if (Line.Written.endsWith(QByteArray("\0NZ", 3))) Pending += Line.Answer;
    return true;
  }
  bool Drain(int) override { return true; }
  void Close() override { IsOpenNow = false; }
  bool HasError() const override { return false; }
  QString LastError() const override { return {}; }

private:
  TFakeLine& Line;
  bool IsOpenNow = false;
  QByteArray Pending;
};

class TFakePorts : public TSerialPorts {
public:
  TFakeLine Line;
  bool GiveNone = false;
  std::unique_ptr<TSerialPort> Create() override {
    if (GiveNone) return nullptr;
    return std::make_unique<TFakePort>(Line);
  }
};

const char* DevicesFile = R"([COM3]
Model=DI-158
SerialReply=123456700
[COM7]
Model=ORCA8X
[COM4]
Model=DI-710
)";

void UseSimulatedDevices() {
  const TSimulatedDevicesLoad load = ParseSimulatedDevices(DevicesFile, "test");
  ASSERT_EQ(load.Error, "");
  SetSimulatedDevices(load.Devices);
}

std::optional<QString> String(TFixtureRegistry& tree, const QString& key, const QString& name) {
  const auto k = tree.OpenKey(key);
  return k ? k->ReadString(name) : std::nullopt;
}
std::optional<qint64> Count(TFixtureRegistry& tree, const QString& key) {
  const auto k = tree.OpenKey(key);
  return k ? k->ReadInteger("Count") : std::nullopt;
}

class SimulatedSeamsTest : public ::testing::Test {
protected:
  void SetUp() override { UseSimulatedDevices(); }
  void TearDown() override { ResetSimulatedDevices(); }

  TManualClock Clock;
  TSeamOverride<TClock> ClockOverride{&TSeamSet::Clock, Clock};
  TFakePorts Real;
  TSimulatedSerialPorts Ports{Real};
  TSeamOverride<TSerialPorts> SerialOverride{&TSeamSet::Serial, Ports};
};

TEST_F(SimulatedSeamsTest, RegistryEntriesListEachDeviceUnderItsDriver) {
  TFixtureRegistry tree = SimulatedRegistryEntries();

  EXPECT_EQ(Count(tree, UsbSer), 2);
  const QString di158 = "USB\\VID_0683&PID_0158\\SIM3";
  EXPECT_EQ(String(tree, UsbSer, "0"), di158);
  EXPECT_EQ(String(tree, UsbSer, "1"), "USB\\VID_0683&PID_0710\\SIM4");
  EXPECT_EQ(String(tree, Root + di158.toUpper(), "FriendlyName"), "DATAQ DI-158 (COM3)");
  EXPECT_EQ(String(tree, Root + di158, "Mfg"), "DATAQ Instruments (simulated)");
  EXPECT_EQ(String(tree, Root + di158 + "\\Device Parameters", "PortName"), "COM3");
  // Discovery takes the model from the name's second word.
  const QString name = *String(tree, Root + "USB\\VID_0683&PID_0710\\SIM4", "FriendlyName");
  EXPECT_EQ(ModelIdFromName(name.section(' ', 1, 1)), "710");

  EXPECT_EQ(Count(tree, Ftdi), 1);
  const QString orca = "FTDIBUS\\VID_0403+PID_6001+SIM7\\0000";
  EXPECT_EQ(String(tree, Ftdi, "0"), orca);
  EXPECT_EQ(String(tree, Root + orca, "FriendlyName"), "USB Serial Port (COM7)");
  EXPECT_EQ(String(tree, Root + orca + "\\Device Parameters", "PortName"), "COM7");

  SetSimulatedDevices({});
  EXPECT_TRUE(SimulatedRegistryEntries().IsEmpty());
}

TEST_F(SimulatedSeamsTest, MergedWithTheSysfsTreeInstancesStayContiguous) {
  // As the sysfs view gives it: two real FTDI ports, the CDC driver loaded with nothing on it.
  TFixtureRegistry tree;
  AddDeviceInstance(tree, Ftdi, {"FTDIBUS\\VID_0403+PID_6001+R1\\0000", "A (COM33)", "FTDI", 33});
  AddDeviceInstance(tree, Ftdi, {"FTDIBUS\\VID_0403+PID_6015+R2\\0000", "B (COM34)", "FTDI", 34});
  tree.SetInteger(UsbSer, "Count", 0);

  MergeDeviceTree(tree, SimulatedRegistryEntries());
  EXPECT_EQ(Count(tree, Ftdi), 3);
  EXPECT_EQ(ServiceInstances(tree, Ftdi), QStringList({"FTDIBUS\\VID_0403+PID_6001+R1\\0000",
                                                       "FTDIBUS\\VID_0403+PID_6015+R2\\0000",
                                                       "FTDIBUS\\VID_0403+PID_6001+SIM7\\0000"}));
  EXPECT_EQ(Count(tree, UsbSer), 2);
  EXPECT_EQ(ServiceInstances(tree, UsbSer),
            QStringList({"USB\\VID_0683&PID_0158\\SIM3", "USB\\VID_0683&PID_0710\\SIM4"}));
  const QStringList ports = {"COM33", "COM34", "COM7", "COM3", "COM4"};
  const QStringList paths = ServiceInstances(tree, Ftdi) + ServiceInstances(tree, UsbSer);
  for (qsizetype i = 0; i < paths.size(); ++i)
    EXPECT_EQ(String(tree, Root + paths[i] + "\\Device Parameters", "PortName"), ports[i]);
}

TEST_F(SimulatedSeamsTest, SerialNumberQueryIsAnsweredBySimulatedDataqDevicesOnly) {
  struct TCase {
    int Com;
    QString Reply;
    bool ReachesRealPort;
  };
  const std::vector<TCase> cases = {
      {3, "123456700", false},  // simulated, with a reply
      {4, "", false},           // simulated, silent
      {7, "real", true},        // a simulated amplifier is probed for real
      {9, "real", true},        // not simulated
  };
  for (const TCase& c : cases) {
    Real.Line = TFakeLine{};
    const qint64 before = Clock.Milliseconds();
    EXPECT_EQ(QuerySerialNumber(c.Com), c.Reply) << c.Com;
    // Either way the query waits out the quiet time after the last byte.
    EXPECT_GE(Clock.Milliseconds() - before, SerialReplyQuietMs) << c.Com;
    if (c.ReachesRealPort) {
      EXPECT_EQ(Real.Line.Opened, QList<int>{c.Com});
      EXPECT_EQ(Real.Line.Written, QByteArray("\0NZ", 3));
    } else {
      EXPECT_TRUE(Real.Line.Opened.isEmpty()) << c.Com;
    }
  }
}

TEST_F(SimulatedSeamsTest, OnlyTheWholeCommandGetsTheReply) {
  auto port = Ports.Create();
  ASSERT_TRUE(port->Open(3, 38400));
  EXPECT_TRUE(port->IsOpen());
  for (char b : {'N', 'Z', '\0', 'N', 'X', 'Z'}) ASSERT_TRUE(port->WriteByte(b));
  EXPECT_EQ(port->Waiting(), 0);
  for (char b : {'\0', 'N', 'Z', '\0', 'N', 'Z'}) ASSERT_TRUE(port->WriteByte(b));
  EXPECT_EQ(port->Read(4), "1234");
  EXPECT_EQ(port->Read(100), "56700123456700");
  port->WriteByte('\0');
  port->WriteByte('N');
  port->Purge();  // drops the half-heard command
  port->WriteByte('Z');
  EXPECT_EQ(port->Waiting(), 0);
  EXPECT_FALSE(port->HasError());

  port->Close();
  EXPECT_FALSE(port->IsOpen());
  EXPECT_FALSE(port->WriteByte('\0'));
  EXPECT_TRUE(Real.Line.Opened.isEmpty());
}

TEST_F(SimulatedSeamsTest, NoRealPortIsAFailedOpen) {
  Real.GiveNone = true;
  auto port = Ports.Create();
  EXPECT_FALSE(port->Open(9, 38400));
  EXPECT_TRUE(port->HasError());
  EXPECT_FALSE(port->LastError().isEmpty());
  EXPECT_EQ(QuerySerialNumber(9), "");
}

TEST(InstallDeviceSeams, PutsTheMergedRegistryAndTheSimulatedPortsInPlace) {
  UseSimulatedDevices();
  // Kept for the program's life: the installed ports may wrap it.
  static TFakePorts real;
  TFixtureRegistry none;
  TSeamOverride<TDeviceRegistry> registryOverride(&TSeamSet::Registry, none);
  TSeamOverride<TSerialPorts> serialOverride(&TSeamSet::Serial, real);
  TManualClock clock;
  TSeamOverride<TClock> clockOverride(&TSeamSet::Clock, clock);

  InstallDeviceSeams("/nonexistent/sysfs");
  auto usbser = Seams().Registry->OpenKey(UsbSer);
  ASSERT_TRUE(usbser);
  EXPECT_EQ(usbser->ReadInteger("Count"), 2);
  EXPECT_TRUE(Seams().Registry->OpenKey(Ftdi));
  EXPECT_EQ(QuerySerialNumber(3), "123456700");

  // A second call rebuilds the tree from the current devices.
  SetSimulatedDevices({});
  InstallDeviceSeams("/nonexistent/sysfs");
  EXPECT_FALSE(Seams().Registry->OpenKey(UsbSer));
  ResetSimulatedDevices();
}

}  // namespace
