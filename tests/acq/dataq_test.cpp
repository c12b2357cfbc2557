#include "acq/dataq.h"

#include <gtest/gtest.h>

#include <QFile>
#include <vector>

#include "common/temp_dir.h"
#include "doubles/fake_serial_ports.h"
#include "doubles/manual_clock.h"
#include "platform/errors.h"
#include "platform/registry.h"

namespace {

QStringList Lines(const char* text) {
  return QString::fromUtf8(text).split('\n');
}

// An amplifier on COM7, a converter with another product id, a silent
// converter on COM8; a DATAQ DI-158 on COM3, a DI-710 without its
// "Device Parameters" key, and a device of another maker.
const char* const MixedRegistry = R"(
[SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
Count=dword:3
0=FTDIBUS\VID_0403+PID_6001+A1B2C3D4A\0000
1=FTDIBUS\VID_0403+PID_6015+E5F6\0000
2=FTDIBUS\VID_0403+PID_6001+SILENT1A\0000
[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+A1B2C3D4A\0000]
FriendlyName=USB Serial Port (COM7)
Mfg=FTDI
[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+A1B2C3D4A\0000\Device Parameters]
PortName=COM7
[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6015+E5F6\0000]
FriendlyName=USB Serial Port (COM9)
[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+SILENT1A\0000]
FriendlyName=USB Serial Port (COM8)
Mfg=FTDI
[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+SILENT1A\0000\Device Parameters]
PortName=COM8

[System\CurrentControlSet\Services\usbser\Enum]
Count=dword:3
0=USB\Vid_0683&Pid_2158\5&1A2B3C&0&1
1=USB\VID_0683&PID_7100\6&2B3C4D&0&2
2=USB\VID_2341&PID_0043\7&3C4D&0&3
[System\CurrentControlSet\Enum\USB\Vid_0683&Pid_2158\5&1A2B3C&0&1]
FriendlyName=DATAQ DI-158 (COM3)
Mfg=DATAQ Instruments
[System\CurrentControlSet\Enum\USB\Vid_0683&Pid_2158\5&1A2B3C&0&1\Device Parameters]
PortName=COM3
[System\CurrentControlSet\Enum\USB\VID_0683&PID_7100\6&2B3C4D&0&2]
FriendlyName=DATAQ DI-710-USB (COM12)
Mfg=DATAQ Instruments
[System\CurrentControlSet\Enum\USB\VID_2341&PID_0043\7&3C4D&0&3]
FriendlyName=Arduino Uno (COM4)
)";

const char* const MixedTrace = R"(Key: SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM
  Count=3
  0: FTDIBUS\VID_0403+PID_6001+A1B2C3D4A\0000
  1: FTDIBUS\VID_0403+PID_6015+E5F6\0000
  2: FTDIBUS\VID_0403+PID_6001+SILENT1A\0000
 
Key: [SYSTEM\CURRENTCONTROLSET\ENUM\FTDIBUS\VID_0403+PID_6001+A1B2C3D4A\0000]
  FTDI device
  Friendly name: USB Serial Port (COM7)
  Manufacturer: FTDI
Key: [SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+A1B2C3D4A\0000\Device Parameters]
  Port name: COM7
  Check for ORCA8x
  Device reply: [ORCA8X V1.3]
  Device ID    : ORCA8X
 
Key: [SYSTEM\CURRENTCONTROLSET\ENUM\FTDIBUS\VID_0403+PID_6015+E5F6\0000]
  Not a DATAQ or FTDI device (not VID_0683 or VID_0403)
 
Key: [SYSTEM\CURRENTCONTROLSET\ENUM\FTDIBUS\VID_0403+PID_6001+SILENT1A\0000]
  FTDI device
  Friendly name: USB Serial Port (COM8)
  Manufacturer: FTDI
Key: [SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+SILENT1A\0000\Device Parameters]
  Port name: COM8
  Check for ORCA8x
  Device reply: []
 
Key: System\CurrentControlSet\Services\usbser\Enum
  Count=3
  0: USB\Vid_0683&Pid_2158\5&1A2B3C&0&1
  1: USB\VID_0683&PID_7100\6&2B3C4D&0&2
  2: USB\VID_2341&PID_0043\7&3C4D&0&3
 
Key: [SYSTEM\CURRENTCONTROLSET\ENUM\USB\VID_0683&PID_2158\5&1A2B3C&0&1]
  DATAQ device
  Friendly name: DATAQ DI-158 (COM3)
  Manufacturer: DATAQ Instruments
Key: [System\CurrentControlSet\Enum\USB\Vid_0683&Pid_2158\5&1A2B3C&0&1\Device Parameters]
  Port name: COM3
  Device ID    : 158
 
Key: [SYSTEM\CURRENTCONTROLSET\ENUM\USB\VID_0683&PID_7100\6&2B3C4D&0&2]
  DATAQ device
  Friendly name: DATAQ DI-710-USB (COM12)
  Manufacturer: DATAQ Instruments
Key: [System\CurrentControlSet\Enum\USB\VID_0683&PID_7100\6&2B3C4D&0&2\Device Parameters]
Opening key failed
  Device ID    : 710
 
Key: [SYSTEM\CURRENTCONTROLSET\ENUM\USB\VID_2341&PID_0043\7&3C4D&0&3]
  Not a DATAQ or FTDI device (not VID_0683 or VID_0403)
 )";

class DataqTest : public TTempDirTest {
protected:
  void SetUp() override { Dataq.TraceFileName = PathOf("trace.txt"); }
  void UseRegistry(const char* text) { Registry = TFixtureRegistry::FromText(text); }

  TFixtureRegistry Registry;
  TManualClock Clock;
  TFakeSerialPorts Serial;
  TSeamOverride<TDeviceRegistry> RegistryOverride{&TSeamSet::Registry, Registry};
  TSeamOverride<TClock> ClockOverride{&TSeamSet::Clock, Clock};
  TSeamOverride<TSerialPorts> SerialOverride{&TSeamSet::Serial, Serial};
  QMap<int, QString> AmplifierReplies;
  QList<int> Probed;
  TDataq Dataq{[this](int com) {
    Probed << com;
    return AmplifierReplies.value(com);
  }};
};

TEST_F(DataqTest, WithoutDriverKeysOnlyTheDemoDeviceIsListed) {
  EXPECT_EQ(Dataq.ScanDevices(), 1);
  EXPECT_EQ(Dataq.DeviceNames, QStringList{"Demo device"});
  EXPECT_EQ(Dataq.DevicePorts, QStringList{"Demo port"});
  EXPECT_EQ(Dataq.TraceLines, Lines("Key: SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM\n"
                                    "Opening key failed\n"
                                    "Key: System\\CurrentControlSet\\Services\\usbser\\Enum\n"
                                    "Opening key failed"));
  EXPECT_TRUE(Probed.isEmpty());
}

TEST_F(DataqTest, AMixedScanListsEachDeviceOnceAndTracesEveryStep) {
  UseRegistry(MixedRegistry);
  AmplifierReplies[7] = "ORCA8X V1.3";
  EXPECT_EQ(Dataq.ScanDevices(), 4);
  EXPECT_EQ(Dataq.DeviceNames, (QStringList{"Demo device", "OXD ORCA8X (COM7)",
                                            "DATAQ DI-158 (COM3)", "DATAQ DI-710-USB (COM12)"}));
  EXPECT_EQ(Dataq.DevicePorts, (QStringList{"Demo port", "COM7", "COM3", "COM??"}));
  EXPECT_EQ(Probed, (QList<int>{7, 8}));
  EXPECT_EQ(Dataq.EnumKeys.size(), 6);

  const QStringList expected = Lines(MixedTrace);
  ASSERT_EQ(Dataq.TraceLines.size(), expected.size());
  for (int i = 0; i < expected.size(); ++i)
    EXPECT_EQ(Dataq.TraceLines[i], expected[i]) << "trace line " << i;

  // A rescan rebuilds the list, probes once more and keeps the whole trace.
  EXPECT_EQ(Dataq.ScanDevices(), 4);
  EXPECT_EQ(Dataq.DeviceNames.size(), 4);
  EXPECT_EQ(Dataq.EnumKeys.size(), 6);
  EXPECT_EQ(Probed, (QList<int>{7, 8, 7, 8}));
  EXPECT_EQ(Dataq.TraceLines, expected + expected);
}

TEST_F(DataqTest, AConverterWithoutDeviceParametersIsListedUnderItsNameWithoutAQuery) {
  UseRegistry(R"(
[SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
Count=dword:1
0=FTDIBUS\VID_0403+PID_6001+X\0000
[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+X\0000]
FriendlyName=USB Serial Port (COM5)
)");
  EXPECT_EQ(Dataq.ScanDevices(), 2);
  EXPECT_EQ(Dataq.DeviceName(1), "USB Serial Port (COM5)");
  EXPECT_EQ(Dataq.DevicePort(1), "COM??");
  EXPECT_EQ(Dataq.DeviceModelId(1), "");
  EXPECT_TRUE(Probed.isEmpty());
  EXPECT_TRUE(Dataq.TraceLines.contains("  Device ID    : "));
}

TEST_F(DataqTest, RegistryFaultsEndOnlyTheirOwnScan) {
  struct TCase {
    const char* Name;
    const char* Registry;
    QStringList TraceLinesWanted;  // consecutive lines of the trace
  };
  const std::vector<TCase> cases = {
      {"count missing",
       R"([SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
0=FTDIBUS\VID_0403+PID_6001+X\0000)",
       {"Key: SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM",
        "ParseKey - Exception reading registry: Value \"Count\" is missing or not an integer", " ",
        "Key: System\\CurrentControlSet\\Services\\usbser\\Enum"}},
      {"instance key missing",
       R"([SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
Count=dword:1
0=FTDIBUS\VID_0403+PID_6001+X\0000)",
       {"Key: [SYSTEM\\CURRENTCONTROLSET\\ENUM\\FTDIBUS\\VID_0403+PID_6001+X\\0000]",
        "  FTDI device", "Opening key failed", " ",
        "Key: System\\CurrentControlSet\\Services\\usbser\\Enum"}},
      {"empty instance value",
       R"([SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
Count=dword:1)",
       {"  0: ", " ", "Key: [SYSTEM\\CURRENTCONTROLSET\\ENUM\\]",
        "  Not a DATAQ or FTDI device (not VID_0683 or VID_0403)", " "}},
      {"no instances",
       R"([SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
Count=dword:0)",
       {"  Count=0", " ", "Key: System\\CurrentControlSet\\Services\\usbser\\Enum"}},
  };
  const char* const dataqDevice = R"(
[System\CurrentControlSet\Services\usbser\Enum]
Count=dword:1
0=USB\VID_0683&PID_1580\1
[System\CurrentControlSet\Enum\USB\VID_0683&PID_1580\1]
FriendlyName=DATAQ DI-158 (COM3)
[System\CurrentControlSet\Enum\USB\VID_0683&PID_1580\1\Device Parameters]
PortName=COM3
)";
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    UseRegistry((QString(c.Registry) + dataqDevice).toUtf8().constData());
    TDataq dataq;
    dataq.TraceFileName = PathOf("trace.txt");
    EXPECT_EQ(dataq.ScanDevices(), 2);
    EXPECT_EQ(dataq.DeviceName(1), "DATAQ DI-158 (COM3)");
    const qsizetype at = dataq.TraceLines.indexOf(c.TraceLinesWanted.first());
    ASSERT_GE(at, 0) << c.TraceLinesWanted.first().toStdString();
    EXPECT_EQ(dataq.TraceLines.mid(at, c.TraceLinesWanted.size()), c.TraceLinesWanted);
  }
}

TEST_F(DataqTest, AFailingProbeEndsTheConverterScanOnly) {
  UseRegistry(MixedRegistry);
  TDataq dataq([](int) -> QString { throw TError("Port busy"); });
  dataq.TraceFileName = PathOf("trace.txt");
  EXPECT_EQ(dataq.ScanDevices(), 3);
  EXPECT_EQ(dataq.DeviceName(1), "DATAQ DI-158 (COM3)");
  const qsizetype at = dataq.TraceLines.indexOf("ParseKey - Exception reading registry: Port busy");
  ASSERT_GT(at, 0);
  EXPECT_EQ(dataq.TraceLines[at - 1], "  Check for ORCA8x");
  EXPECT_EQ(dataq.TraceLines[at + 1], " ");
  EXPECT_EQ(dataq.TraceLines[at + 2], "Key: System\\CurrentControlSet\\Services\\usbser\\Enum");
}

TEST_F(DataqTest, AHugeCountCannotHoldTheScan) {
  UseRegistry(R"([SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
Count=dword:4000000000)");
  EXPECT_EQ(Dataq.ScanDevices(), 1);
  EXPECT_TRUE(Dataq.TraceLines.contains("  Count=4000000000"));
  EXPECT_EQ(Dataq.EnumKeys.size(), TDataq::MaxInstances);
}

TEST_F(DataqTest, TheTraceFileHoldsTheWholeTraceInLatin1WithCrLf) {
  UseRegistry(R"(
[System\CurrentControlSet\Services\usbser\Enum]
Count=dword:1
0=USB\VID_0683&PID_1580\1
)");
  // A character of Latin-1 and one outside it.
  Registry.SetString("System\\CurrentControlSet\\Enum\\USB\\VID_0683&PID_1580\\1", "FriendlyName",
                     QString::fromUtf8("DATAQ DI-158 (COM3) Caf\xc3\xa9 \xe2\x82\xac"));
  WriteFile("trace.txt", QByteArray(10000, 'x'));
  Dataq.ScanDevices();
  Dataq.ScanDevices();

  QByteArray expected;
  for (const QString& line : Dataq.TraceLines) expected += line.toLatin1() + "\r\n";
  const QByteArray written = ReadFile(PathOf("trace.txt"));
  EXPECT_EQ(written, expected);
  EXPECT_TRUE(
      written.startsWith("Key: SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM\r\n"
                         "Opening key failed\r\n"));
  EXPECT_TRUE(written.contains("  Friendly name: DATAQ DI-158 (COM3) Caf\xe9 ?\r\n"));
}

TEST_F(DataqTest, DeviceModelIdReadsTheNamesSecondWord) {
  Dataq.DeviceNames = {"Demo device",
                       "DATAQ DI-158 (COM3)",
                       "DI-158 Device (COM3)",
                       "OXD ORCA8X (COM7)",
                       "DATAQ DI-710-USB (COM12)",
                       "DATAQ",
                       "DATAQ di-158 (COM3)",
                       "A Demo"};
  const QStringList expected = {"Demo", "158", "", "ORCA8X", "710", "", "", "Demo"};
  for (int i = 0; i < expected.size(); ++i)
    EXPECT_EQ(Dataq.DeviceModelId(i), expected[i]) << Dataq.DeviceNames[i].toStdString();
  EXPECT_EQ(Dataq.DeviceModelId(-1), "");
  EXPECT_EQ(Dataq.DeviceModelId(int(expected.size())), "");
}

TEST_F(DataqTest, PortTextsAndComNumbers) {
  Dataq.DeviceNames = {"Demo device", "DATAQ DI-158 (COM3)", "DATAQ DI-710-USB (COM12)"};
  Dataq.DevicePorts = {"Demo port", "COM3", "COM??"};
  EXPECT_EQ(Dataq.DeviceComNumber(0), -1);
  EXPECT_EQ(Dataq.DeviceComNumber(1), 3);
  EXPECT_EQ(Dataq.DeviceComNumber(2), -1);
  EXPECT_EQ(Dataq.DeviceComNumber(3), -1);
  EXPECT_EQ(Dataq.DeviceName(3), "");
  EXPECT_EQ(Dataq.DevicePort(-1), "");

  Dataq.SetDeviceComNumber(0, -1);
  EXPECT_EQ(Dataq.DevicePort(0), "COM-1");
  EXPECT_EQ(Dataq.DeviceComNumber(0), -1);
  Dataq.SetDeviceComNumber(2, 14);
  EXPECT_EQ(Dataq.DevicePort(2), "COM14");
  EXPECT_EQ(Dataq.DeviceComNumber(2), 14);
  Dataq.SetDeviceComNumber(3, 5);
  Dataq.SetDeviceComNumber(-1, 5);
  EXPECT_EQ(Dataq.DevicePorts, (QStringList{"COM-1", "COM3", "COM14"}));
}

TEST_F(DataqTest, VariantsAskOnlyTheModelsThatTellThemBySerialNumber) {
  Dataq.DeviceNames = {"Demo device",         "DATAQ DI-158 (COM3)",    "DATAQ DI-148 (COM4)",
                       "DATAQ DI-710 (COM5)", "DATAQ DI-155 (COM6)",    "DATAQ DI-149 (COM8)",
                       "OXD ORCA8X (COM7)",   "USB Serial Port (COM9)", "DATAQ DI-710 (COM10)"};
  Dataq.DevicePorts = {"Demo port", "COM3", "COM4", "COM5", "COM6",
                       "COM8",      "COM7", "COM9", "COM10"};
  for (int com = 3; com <= 10; ++com) Serial.Replies[com] = "123456789001";
  Serial.Replies[5] = "123456789013";
  Serial.Replies[10] = "";  // silent
  const QStringList expected = {"Demo", "UP",  "Undefined",      "PGH",      "Std",
                                "Std",  "Std", "Unknown device", "Undefined"};
  for (int i = 0; i < expected.size(); ++i)
    EXPECT_EQ(Dataq.DeviceModelVariant(i), expected[i]) << Dataq.DeviceNames[i].toStdString();
  EXPECT_EQ(Serial.Opened, (QList<int>{3, 4, 5, 10}));
  EXPECT_EQ(Dataq.DeviceModelVariant(-1), "Undefined");
  EXPECT_EQ(Dataq.DeviceModelVariant(int(expected.size())), "Undefined");
}

}  // namespace
