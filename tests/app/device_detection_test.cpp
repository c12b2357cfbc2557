// Device detection at start-up, the choice from the selection dialog and the
// conflicting-process check of the run logic.
#include <gtest/gtest.h>

#include <vector>

#include "acq/models.h"
#include "app/recorder.h"
#include "common/temp_dir.h"
#include "doubles/fake_serial_ports.h"
#include "doubles/fakes.h"
#include "doubles/manual_clock.h"
#include "doubles/recording_run_view.h"
#include "platform/registry.h"

namespace {

// The registry entries of one DATAQ device behind the USB-serial driver.
struct TDataqEntry {
  QString FriendlyName;
  QString Port;
};

QString UsbSerRegistry(const QList<TDataqEntry>& devices) {
  QString text = QString("[System\\CurrentControlSet\\Services\\usbser\\Enum]\nCount=dword:%1\n")
                     .arg(devices.size());
  for (int i = 0; i < devices.size(); ++i) text += QString("%1=USB\\VID_0683&PID_%1\\%1\n").arg(i);
  for (int i = 0; i < devices.size(); ++i) {
    const QString key = QString("System\\CurrentControlSet\\Enum\\USB\\VID_0683&PID_%1\\%1").arg(i);
    text += "[" + key + "]\nFriendlyName=" + devices[i].FriendlyName + "\n";
    text += "[" + key + "\\Device Parameters]\nPortName=" + devices[i].Port + "\n";
  }
  return text;
}

class DeviceDetectionTest : public TTempDirTest {
protected:
  void SetUp() override {
    QLocale::setDefault(QLocale::c());
    Recorder = std::make_unique<TRecorder>(Options, View);
    Recorder->Dataq.TraceFileName = PathOf("trace.txt");
  }
  void UseDevices(const QList<TDataqEntry>& devices) {
    Registry = TFixtureRegistry::FromText(UsbSerRegistry(devices));
  }

  TFixtureRegistry Registry;
  TManualClock Clock;
  TFakeSerialPorts Serial;
  TFakeProcesses Processes;
  TSeamOverride<TDeviceRegistry> RegistryOverride{&TSeamSet::Registry, Registry};
  TSeamOverride<TClock> ClockOverride{&TSeamSet::Clock, Clock};
  TSeamOverride<TSerialPorts> SerialOverride{&TSeamSet::Serial, Serial};
  TSeamOverride<TProcesses> ProcessesOverride{&TSeamSet::Processes, Processes};
  TOptions Options;
  TRecordingRunView View;
  std::unique_ptr<TRecorder> Recorder;
};

TEST_F(DeviceDetectionTest, WithoutARealDeviceTheDemoDeviceIsChosen) {
  Options.NumChanDemo = 2;
  EXPECT_TRUE(Recorder->DetectDevices());
  EXPECT_EQ(Recorder->DeviceReport, (QStringList{
                                        "No real device found, drivers may need to be installed:",
                                        "  * DATAQ driver CD (USB and virtual serial port)",
                                        "  * Device driver and ActiveX, e.g. new170.exe",
                                        "  * FTDI driver in case of Orca8x",
                                        " ",
                                        "Devices detected:",
                                        "  Device name : Demo device",
                                        "  Device ID   : Demo",
                                        "  COM port    : Demo port",
                                        "  Max channels: 4",
                                        "  Range       : +/- 5.00 V (1)",
                                        " ",
                                    }));
  EXPECT_EQ(View.Statuses, QStringList{"No DATAQ or Orca8x device found."});
  EXPECT_TRUE(Recorder->MeasLog.isEmpty());  // the status is not logged
  EXPECT_EQ(View.Devices, QStringList{"Demo device"});
  ASSERT_TRUE(Recorder->Sampler);
  EXPECT_EQ(Recorder->Sampler->Model, "Demo");
  EXPECT_EQ(Recorder->Sampler->PortName, "Demo port");
  EXPECT_EQ(Recorder->ChannelCount, 2);
  EXPECT_TRUE(Serial.Opened.isEmpty());

  // A second detection starts the report afresh.
  Recorder->DetectDevices();
  EXPECT_EQ(Recorder->DeviceReport.size(), 12);
}

TEST_F(DeviceDetectionTest, TheDeviceReportAndTheChoiceFollowTheModel) {
  struct TCase {
    const char* Name;
    TDataqEntry Device;
    QByteArray SerialReply;
    bool AlwaysDI710UL;
    QStringList Lines;  // the selected device's report lines after "Device name"
    QString Caption;
    int Channels;
    bool IsPGL;
    QList<int> RangeCodes;
  };
  const std::vector<TCase> cases = {
      {"DI-710 PGH",
       {"DATAQ DI-710-USB (COM12)", "COM12"},
       "A1B2C3D4E5F7",
       false,
       {"  Device ID   : 710", "  COM port    : COM12", "  Max channels: 8",
        "  Range       : +/- 5.00 V (1)", "  Serial num  : A1B2C3D4E5F7", "  Model       : PGH",
        " "},
       "DATAQ DI-710-USB (COM12)/PGH",
       6,
       false,
       {1, 1, 1, 1, 1, 1}},
      {"DI-710 forced to UL",
       {"DATAQ DI-710-USB (COM12)", "COM12"},
       "A1B2C3D4E5F7",
       true,
       {"  Device ID   : 710", "  COM port    : COM12", "  Max channels: 8",
        "  Range       : +/- 10.00 V (0)", "  Serial num  : A1B2C3D4E5F7",
        "  Model       : PGL (forced)", " "},
       "DATAQ DI-710-USB (COM12)/PGL (forced)",
       6,
       true,
       {0, 0, 0, 0, 0, 0}},
      {"DI-710 silent",
       {"DATAQ DI-710-USB (COM12)", "COM12"},
       "",
       false,
       {"  Device ID   : 710", "  COM port    : COM12", "  Max channels: 8",
        "  Range       : +/- 10.00 V (0)", "  Serial num  : ", "  Model       : Undefined", " "},
       "DATAQ DI-710-USB (COM12)/Undefined",
       6,
       true,
       {0, 0, 0, 0, 0, 0}},
      {"DI-155",
       {"DATAQ DI-155 (COM5)", "COM5"},
       "55501",
       false,
       {"  Device ID   : 155", "  COM port    : COM5", "  Max channels: 4",
        "  Range       : +/- 6.25 V (4)", "  Serial num  : 55501", "  Model       : Std", " "},
       "DATAQ DI-155 (COM5)",
       2,
       false,
       {104, 104}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Options.NumChanDI710 = 6;
    Options.NumChanDI155 = 2;
    Options.AlwaysDI710UL = c.AlwaysDI710UL;
    UseDevices({c.Device});
    Serial.Replies.clear();
    Serial.Replies[ComNumberFromText(c.Device.Port, -1)] = c.SerialReply;
    View.Devices.clear();

    EXPECT_TRUE(Recorder->DetectDevices());
    const QStringList& report = Recorder->DeviceReport;
    EXPECT_EQ(report.first(), " ");  // no hint lines with a real device
    const qsizetype at = report.indexOf("  Device name : " + c.Device.FriendlyName);
    ASSERT_GE(at, 0);
    EXPECT_EQ(report.mid(at + 1), c.Lines);
    EXPECT_EQ(View.Devices, QStringList{c.Caption});
    ASSERT_TRUE(Recorder->Sampler);
    EXPECT_EQ(Recorder->Sampler->PortName, c.Device.Port);
    EXPECT_EQ(Recorder->ChannelCount, c.Channels);
    EXPECT_EQ(Recorder->Sampler->IsPGL, c.IsPGL);
    QList<int> codes;
    for (int i = 0; i < Recorder->ChannelCount; ++i) codes << Recorder->Sampler->RangeAt(i);
    EXPECT_EQ(codes, c.RangeCodes);
  }
}

TEST_F(DeviceDetectionTest, WithTwoRealDevicesTheFirstOneIsChosen) {
  UseDevices({{"DATAQ DI-158 (COM3)", "COM3"}, {"DATAQ DI-710-USB (COM12)", "COM12"}});
  Serial.Replies[3] = "123456700";
  Serial.Replies[12] = "A1B2C3D4E5F6";  // a PGL
  Options.NumChanDI158 = 4;
  EXPECT_TRUE(Recorder->DetectDevices());
  EXPECT_EQ(Recorder->DeviceReport.first(), " ");
  EXPECT_EQ(Recorder->DeviceReport.count(" "), 4);  // one before the list, one per device
  EXPECT_TRUE(Recorder->DeviceReport.contains("  Model       : PGL"));
  EXPECT_EQ(View.Devices, QStringList{"DATAQ DI-158 (COM3)/U"});
  EXPECT_EQ(Recorder->Sampler->Model, "158");
  EXPECT_EQ(Recorder->Sampler->PortName, "COM3");
  EXPECT_FALSE(Recorder->Sampler->IsPGL);
  EXPECT_EQ(Recorder->ChannelCount, 4);
}

TEST_F(DeviceDetectionTest, DetectionDuringARunChangesNothing) {
  ASSERT_TRUE(Recorder->UseDevice("Demo port", "Demo", 4));
  Recorder->DeviceReport = QStringList{"Device: Demo device"};
  TSampler* running = Recorder->Sampler.get();
  running->Running = 1;
  UseDevices({{"DATAQ DI-158 (COM3)", "COM3"}});

  EXPECT_TRUE(Recorder->DetectDevices());
  EXPECT_FALSE(Recorder->ApplySelectedDevice(1, 3));
  EXPECT_EQ(Recorder->Sampler.get(), running);
  EXPECT_EQ(Recorder->DeviceReport, QStringList{"Device: Demo device"});
  EXPECT_TRUE(View.Devices.isEmpty());
  EXPECT_TRUE(View.Statuses.isEmpty());
  running->Running = 0;
}

class ProcessCheckTest : public DeviceDetectionTest {
protected:
  void UseDataq(int com) { ASSERT_TRUE(Recorder->UseDevice(QString("COM%1").arg(com), "158", 4)); }
  QStringList Report() const { return Recorder->DeviceReport; }
};

TEST_F(ProcessCheckTest, NoDriverProgramRuns) {
  UseDataq(12);
  Processes.Table = {{40, "bash"}, {41, "discn112.exe"}};
  Recorder->CheckConflictingProcess();
  EXPECT_EQ(Report(), (QStringList{"Checking process: DISCN112.EXE", "Not found - OK"}));
  EXPECT_EQ(View.Statuses, QStringList{"Checking process: DISCN112.EXE"});
  EXPECT_TRUE(Recorder->MeasLog.isEmpty());
  // A name in other letter case is another program: never ended.
  EXPECT_TRUE(Processes.Terminated.isEmpty());
  EXPECT_EQ(Processes.Table.size(), 2);
}

TEST_F(ProcessCheckTest, AProgramThatEndsOnRequest) {
  UseDataq(3);
  Processes.Table = {{7, "DISCN112.EXE"}, {4242, "DISCN103.EXE"}};
  const qint64 before = Clock.Milliseconds();
  Recorder->CheckConflictingProcess();
  EXPECT_EQ(Report(), (QStringList{"Checking process: DISCN103.EXE", "Found DISCN103.EXE, PID=4242",
                                   "Process closed"}));
  EXPECT_EQ(Processes.Terminated, QList<qint64>{4242});
  EXPECT_EQ(Clock.Milliseconds() - before, 250);
}

TEST_F(ProcessCheckTest, AProgramThatSurvives) {
  UseDataq(3);
  Processes.Table = {{4242, "DISCN103.EXE"}};
  Processes.Survivors = QStringList{"DISCN103.EXE"};
  Recorder->CheckConflictingProcess();
  EXPECT_EQ(Report(), (QStringList{"Checking process: DISCN103.EXE", "Found DISCN103.EXE, PID=4242",
                                   "Process close failed"}));
  EXPECT_EQ(Processes.Terminated, QList<qint64>{4242});
}

TEST_F(ProcessCheckTest, AnEntryWithoutAProperPidIsNeverTerminated) {
  UseDataq(3);
  Processes.Table = {{-1, "DISCN103.EXE"}};
  Recorder->CheckConflictingProcess();
  EXPECT_EQ(Report().last(), "Process close failed");
  EXPECT_TRUE(Processes.Terminated.isEmpty());
}

TEST_F(DeviceDetectionTest, ChoosingTheDemoDeviceInTheDialog) {
  Recorder->DetectDevices();  // the demo device, 4 channels
  Recorder->DeviceReport.clear();
  View.Devices.clear();
  View.Statuses.clear();

  EXPECT_FALSE(Recorder->ApplySelectedDevice(0, -1));  // same channel count: no rebuild
  EXPECT_EQ(Recorder->Dataq.DevicePort(0), "COM-1");
  EXPECT_EQ(Recorder->Sampler->PortName, "COM-1");
  EXPECT_EQ(Recorder->Sampler->Model, "Demo");
  EXPECT_EQ(View.Devices, QStringList{"Demo device"});
  // The check runs for every device chosen here.
  EXPECT_EQ(Recorder->DeviceReport.first(), "Checking process: DISCN1-01.EXE");
  EXPECT_EQ(View.Statuses.last(), "OK (demo)");
  EXPECT_FALSE(Recorder->ApplySelectedDevice(5, 3));  // no such entry
}

TEST_F(DeviceDetectionTest, ChoosingADataqDeviceInTheDialog) {
  UseDevices({{"DATAQ DI-155 (COM5)", "COM5"}, {"DATAQ DI-710-USB (COM12)", "COM12"}});
  Serial.Replies[12] = "A1B2C3D4E5F7";
  Options.NumChanDI155 = 2;
  Options.AlwaysDI710UL = true;
  Recorder->DetectDevices();  // the DI-155 with 2 channels
  ASSERT_EQ(Recorder->ChannelCount, 2);
  View.Devices.clear();

  // The DI-155 gets its variant and all its channels on this route.
  EXPECT_TRUE(Recorder->ApplySelectedDevice(1, 5));
  EXPECT_EQ(View.Devices.last(), "DATAQ DI-155 (COM5)/Std");
  EXPECT_EQ(Recorder->ChannelCount, 4);
  EXPECT_EQ(View.Statuses.last(), "OK");

  // The DI-710 moved to another port (its variant is asked of the port the
  // list had); the forced UL model is reported, the caption keeps the variant.
  Recorder->DeviceReport.clear();
  EXPECT_TRUE(Recorder->ApplySelectedDevice(2, 14));
  EXPECT_EQ(Recorder->Dataq.DevicePort(2), "COM14");
  EXPECT_EQ(Recorder->Sampler->PortName, "COM14");
  EXPECT_TRUE(Recorder->Sampler->IsPGL);
  EXPECT_EQ(Recorder->ChannelCount, 8);
  EXPECT_EQ(View.Devices.last(), "DATAQ DI-710-USB (COM12)/PGH");
  EXPECT_EQ(Recorder->DeviceReport,
            (QStringList{"DI-710 model forced to UL in Options", "Checking process: DISCN114.EXE",
                         "Not found - OK"}));
}

}  // namespace
