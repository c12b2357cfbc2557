#include "app/recorder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QFile>
#include <csignal>

#include "acq/simulated_dataq_sdk.h"
#include "acq/simulated_devices.h"
#include "common/temp_dir.h"
#include "doubles/fakes.h"
#include "doubles/manual_clock.h"
#include "doubles/recording_run_view.h"
#include "doubles/scripted_dialogs.h"
#include "files/data_file.h"

namespace {
// A recorder on a private data directory, a manual clock and scripted dialogs.
class RecorderTest : public TTempDirTest {
protected:
  TManualClock Clock;
  TScriptedDialogs Dialogs;
  TFixedSystemFacts System;
  TFakeProcesses Processes;
  TSeamOverride<TClock> ClockOverride{&TSeamSet::Clock, Clock};
  TSeamOverride<TDialogs> DialogsOverride{&TSeamSet::Dialogs, Dialogs};
  TSeamOverride<TSystemFacts> SystemOverride{&TSeamSet::System, System};
  TSeamOverride<TProcesses> ProcessesOverride{&TSeamSet::Processes, Processes};
  TOptions Options;
  TRecordingRunView View;
  std::unique_ptr<TRecorder> Recorder;
  QString SavedDirectory = GetDataDirectory();

  void SetUp() override {
    QLocale::setDefault(QLocale::c());
    SetDataDirectory(Dir.path());
    Recorder = std::make_unique<TRecorder>(Options, View);
  }
  void TearDown() override {
    Recorder.reset();
    ResetSimulatedDevices();
    SetDataDirectory(SavedDirectory);
  }

  void UseDemo(int channels = 4) {
    ASSERT_TRUE(Recorder->UseDevice("Demo port", "Demo", channels));
  }

  // Runs the demo device with a timer tick every stepMs until the run ends.
  void TickDemoUntilStopped(int stepMs = 250, int maxTicks = 100000) {
    for (int i = 0; i < maxTicks && Recorder->IsRunning(); ++i) {
      Clock.Advance(stepMs);
      Recorder->demoTimerTimer();
    }
    ASSERT_FALSE(Recorder->IsRunning());
  }

  // Runs a simulated DATAQ device until the run ends.
  void PumpDataqUntilStopped(int stepMs = 50, int maxSteps = 100000) {
    auto* sdk = static_cast<TSimulatedDataqSdk*>(Recorder->DataqSdk1.get());
    for (int i = 0; i < maxSteps && Recorder->IsRunning(); ++i) {
      Clock.Advance(stepMs);
      sdk->Pump();
    }
    ASSERT_FALSE(Recorder->IsRunning());
  }

  QString DataPath(const QString& ext = "aq4") const { return PathOf("test1." + ext); }

  static qint64 HeaderLength(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return ReadFileHeader(f);
  }

  bool LogHas(const QString& line) const { return Recorder->MeasLog.contains(line); }
  int LogIndex(const QString& start) const {
    for (int i = 0; i < Recorder->MeasLog.size(); ++i)
      if (Recorder->MeasLog[i].startsWith(start)) return i;
    return -1;
  }
};

TSimulatedDevice Dataq(int com, const char* model, const char* id) {
  TSimulatedDevice d;
  d.ComNumber = com;
  d.Model = model;
  d.ModelId = id;
  d.SerialReply = "12345670";
  return d;
}
}  // namespace

TEST_F(RecorderTest, DemoRunOf36SecondsStoresEveryPointAndConvertsByItself) {
  UseDemo();
  Recorder->bnStartMeasClick();
  ASSERT_TRUE(Recorder->IsRunning());
  EXPECT_EQ(Recorder->PointsRequested, 3600);
  EXPECT_EQ(Recorder->demoTimer.interval(), 250);
  EXPECT_EQ(View.RunStates, QList<bool>{true});
  TickDemoUntilStopped();

  EXPECT_EQ(Recorder->PointsStored, 3600);
  EXPECT_EQ(Recorder->BytesWritten, 57600);
  EXPECT_FALSE(Recorder->DataFileOpen);
  const QString path = DataPath();
  EXPECT_EQ(QFileInfo(path).size(), HeaderLength(path) + 57600);
  // The file holds what the run buffers hold, frame by frame.
  TSampleAreaReader reader;
  reader.Open(path);
  reader.Start(4);
  std::vector<float> values;
  qint64 frame = 0;
  while (reader.Next(values))
    for (size_t i = 0; i < values.size(); ++i, frame += (i % 4 == 0))
      ASSERT_EQ(values[i], Recorder->ChannelData[i % 4][size_t(frame)]) << frame;
  EXPECT_EQ(frame, 3600);

  EXPECT_TRUE(LogHas("Number of samples/channel: 3600 (3600)"));
  EXPECT_TRUE(LogHas("Total bytes written      : 57600 (14400/channel)"));
  EXPECT_TRUE(LogHas("Total samples written    : 14400 (3600/channel)"));
  EXPECT_TRUE(LogHas("Demo device"));
  EXPECT_LT(LogIndex("Issuing start"), LogIndex("Measurement starts"));
  EXPECT_LT(LogIndex("Stopped at"), LogIndex("Measurement total time (PC clock): "));
  EXPECT_LT(LogIndex("Measurement total time"), LogIndex("Specified sample rate: 100.00 Hz"));
  EXPECT_EQ(LogIndex("Measured  sample rate"), -1);  // the demo device has no measured rate

  ASSERT_EQ(View.Conversions.size(), 1);  // after a normal end, without asking
  EXPECT_EQ(View.Conversions[0].Path, path);
  EXPECT_EQ(View.Conversions[0].Channels, 4);
  EXPECT_TRUE(QFileInfo::exists(PathOf("test1_log.txt")));
  EXPECT_EQ(View.RunStates, (QList<bool>{true, false}));
  EXPECT_TRUE(Dialogs.Done());
}

TEST_F(RecorderTest, HeaderIsRewrittenWithTheRunDescriptionAtTheStop) {
  UseDemo(2);
  Recorder->bnStartMeasClick();
  TickDemoUntilStopped();
  QFile f(DataPath("aq2"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QStringList lines;
  ReadFileHeader(f, &lines);
  EXPECT_EQ(lines, (QStringList{"ZQR: 05-07-2010 14:12:54/rec.time= 0.01/smpl.frq= 100.000Hz",
                                "Comment 2", "Comment 3"}));
  EXPECT_EQ(Recorder->Comment1(), lines[0]);
}

TEST_F(RecorderTest, BlockThatCrossesTheRequestedPointsIsCut) {
  UseDemo();
  Recorder->bnStartMeasClick();
  Clock.Advance(100);  // 10 points, then blocks of 25: 3585, then 15 more
  Recorder->demoTimerTimer();
  TickDemoUntilStopped();
  EXPECT_EQ(Recorder->PointsStored, 3600);
  EXPECT_EQ(Recorder->BytesWritten, 57600);
  // The last block was cut to what was still missing.
  const int missing = 3600 - View.Blocks.last().First;
  ASSERT_GT(missing, 0);
  int lines = 0;
  for (const QString& l : Recorder->MeasLog)
    if (l.contains("Enough points")) {
      EXPECT_TRUE(
          l.endsWith(QString(": NewData - Enough points, adding only %1 points").arg(missing)))
          << l.toStdString();
      ++lines;
    }
  EXPECT_EQ(lines, 1);
}

TEST_F(RecorderTest, InvertedSignalReachesFileAndBuffersNegated) {
  Options.InvertSignal = true;
  UseDemo(2);
  Recorder->bnStartMeasClick();
  Clock.Advance(250);
  Recorder->demoTimerTimer();
  float newest[25];
  ASSERT_EQ(Recorder->Sampler->GetLastValues(0, 25, newest), 25);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(Recorder->ChannelData[0][size_t(i)], -newest[i]);
  ASSERT_EQ(View.Blocks.size(), 1);
  EXPECT_EQ(View.Blocks[0].First, 0);
  EXPECT_EQ(View.Blocks[0].Last, 24);
  Dialogs.ExpectConfirm("Measurement aborted by user. Convert data to hour-based files?", false);
  Recorder->bnStartMeasClick();
  TSampleAreaReader reader;
  reader.Open(DataPath("aq2"));
  reader.Start(2);
  std::vector<float> values;
  ASSERT_TRUE(reader.Next(values));
  ASSERT_EQ(values.size(), 50u);
  EXPECT_EQ(values[0], -newest[0]);
  EXPECT_TRUE(View.Conversions.isEmpty());  // the user said No
}

TEST_F(RecorderTest, StopBeforeTheFirstBlockAsksNothing) {
  UseDemo();
  Recorder->bnStartMeasClick();
  Recorder->bnStartMeasClick();
  EXPECT_FALSE(Recorder->IsRunning());
  EXPECT_TRUE(LogHas("Stopped by user"));
  EXPECT_TRUE(QFileInfo::exists(PathOf("test1_log.txt")));
  EXPECT_TRUE(View.Conversions.isEmpty());
  EXPECT_TRUE(Recorder->Comment1().endsWith("smpl.frq= 100.000Hz"));
}

TEST_F(RecorderTest, UserStopWithPointsOffersTheConversion) {
  UseDemo();
  Recorder->bnStartMeasClick();
  for (int i = 0; i < 4; ++i) {
    Clock.Advance(250);
    Recorder->demoTimerTimer();
  }
  Dialogs.ExpectConfirm("Measurement aborted by user. Convert data to hour-based files?", true);
  Recorder->bnStartMeasClick();
  ASSERT_EQ(View.Conversions.size(), 1);
  EXPECT_TRUE(Recorder->ConversionOffered);
  EXPECT_EQ(QFileInfo(DataPath()).size(), HeaderLength(DataPath()) + 100 * 16);
  // Blocks arriving after the stop are only logged.
  Recorder->DataqSdk1NewData(100);
  EXPECT_TRUE(Recorder->MeasLog.last().endsWith(": Not started"));
}

TEST_F(RecorderTest, DemoStallIsCutToTheBlockArrays) {
  UseDemo(8);
  Recorder->bnStartMeasClick();
  Clock.Advance(100000);  // 10000 instants: the 16-bit count allows 4095, the arrays 1600
  Recorder->demoTimerTimer();
  EXPECT_EQ(Recorder->PointsStored, 1600);
  EXPECT_EQ(Recorder->BytesWritten, 1600 * 8 * 4);
  EXPECT_EQ(Recorder->Sampler->PointCount(), 4095);
  Dialogs.ExpectConfirm("aborted by user", false);
  Recorder->bnStartMeasClick();
}

TEST_F(RecorderTest, NestedBlockIsCountedAsOverrun) {
  UseDemo(2);
  Recorder->bnStartMeasClick();
  Recorder->HandlerBusy = true;
  Recorder->DataqSdk1NewData(50);
  Recorder->HandlerBusy = false;
  EXPECT_EQ(Recorder->Sampler->OverrunCount, 1);
  EXPECT_TRUE(Recorder->MeasLog.last().endsWith(": Data handler busy - overrun (data count=50)"));
  EXPECT_EQ(View.Overruns.last(), "Overruns: 1");
  Recorder->DataqSdk1NewData(0);
  EXPECT_TRUE(Recorder->MeasLog.last().endsWith(": No data"));
  EXPECT_EQ(View.Counts.last(), "0 (0)");
  Recorder->DataqSdk1OverRun();
  EXPECT_EQ(Recorder->MeasLog.last(), "Data overrun");
  EXPECT_TRUE(View.Statuses.last().endsWith("> Data overrun"));
  Recorder->DataqSdk1ControlError(2);
  EXPECT_EQ(Recorder->MeasLog.last(), "Ignored (demomode)");
  EXPECT_TRUE(Recorder->IsRunning());
  Recorder->bnStartMeasClick();
}

TEST_F(RecorderTest, SevereControlErrorAbortsWithTheReconnectAdvice) {
  TSimulatedDevice d = Dataq(17, "DI-158", "158");
  d.ControlErrors = {{19, 1.0}};
  SetSimulatedDevices({d});
  ASSERT_TRUE(Recorder->UseDevice("COM17", "158", 4));
  Dialogs.ExpectMessage("Please note: your device is connected to COM17 \rbut DATAQ supports only")
      .ExpectConfirm("Measurement aborted by hardware (control) error.", true);
  Recorder->bnStartMeasClick();
  ASSERT_TRUE(Recorder->IsRunning());
  PumpDataqUntilStopped();
  EXPECT_TRUE(LogHas("Control error: 19"));
  EXPECT_TRUE(LogHas("  Device not opened for function requiring it (19)"));
  EXPECT_TRUE(
      LogHas("Please disconnect your acquisition device, wait a few seconds and then reconnect."));
  EXPECT_TRUE(LogHas("but DATAQ supports only COM1 to COM16."));
  EXPECT_EQ(View.Conversions.size(), 1);
}

TEST_F(RecorderTest, MildControlErrorOnALowPortOnlyLogs) {
  TSimulatedDevice d = Dataq(5, "DI-158", "158");
  d.ControlErrors = {{2, 1.0}};
  SetSimulatedDevices({d});
  ASSERT_TRUE(Recorder->UseDevice("COM5", "158", 4));
  Dialogs.ExpectConfirm("hardware (control) error", false);
  Recorder->bnStartMeasClick();
  PumpDataqUntilStopped();
  EXPECT_TRUE(LogHas("  Communication Error (2)"));
  EXPECT_FALSE(LogHas("Control error"));
  EXPECT_TRUE(View.Conversions.isEmpty());
}

TEST_F(RecorderTest, DataqDeviceWithoutADriverFailsHonestly) {
  ASSERT_TRUE(Recorder->UseDevice("COM9", "158", 4));  // nobody serves COM9
  Dialogs.ExpectMessage("There were errors during the recording.");
  Recorder->bnStartMeasClick();
  for (int i = 0; i < 20 && Recorder->IsRunning(); ++i) QCoreApplication::processEvents();
  EXPECT_FALSE(Recorder->IsRunning());
  EXPECT_TRUE(LogHas("  Failed/uninitialized link to specified device driver. (-1)"));
  EXPECT_FALSE(Recorder->DataFileOpen);
  EXPECT_TRUE(View.Conversions.isEmpty());
}

TEST_F(RecorderTest, RateDeviationAboveOnePercentIsReported) {
  for (double error : {0.009, 0.011}) {
    SCOPED_TRACE(error);
    TSimulatedDevice d = Dataq(5, "DI-158", "158");
    d.RateError = error;
    SetSimulatedDevices({d});
    ASSERT_TRUE(Recorder->UseDevice("COM5", "158", 2));
    QFile::remove(DataPath("aq2"));
    if (error > 0.01) Dialogs.ExpectInformation("Deviation in sample rate greater than 1%.");
    Recorder->bnStartMeasClick();
    PumpDataqUntilStopped(250);
    EXPECT_NE(LogIndex("Measured  sample rate: "), -1);
    EXPECT_TRUE(Dialogs.Done());
  }
}

TEST_F(RecorderTest, FailedWriteStopsLikeAnAbortAndKeepsTheData) {
  UseDemo(2);
  Recorder->bnStartMeasClick();
  ASSERT_TRUE(Recorder->IsRunning());
  const qint64 header = HeaderLength(DataPath("aq2"));
  // The file may grow by two blocks only.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved;
  limit.rlim_cur = rlim_t(header + 2 * 200 + 100);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  Dialogs.ExpectMessage("Error writing file (data):\r")
      .ExpectConfirm("Measurement aborted by a file error.", true);
  for (int i = 0; i < 5 && Recorder->IsRunning(); ++i) {
    Clock.Advance(250);
    Recorder->demoTimerTimer();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(Recorder->IsRunning());
  EXPECT_EQ(Recorder->PointsStored, 50);
  EXPECT_EQ(QFileInfo(DataPath("aq2")).size(), header + 2 * 200);
  EXPECT_EQ(View.Conversions.size(), 1);
  for (const QString& s : View.Statuses) EXPECT_FALSE(s.contains("Recording done"));
  EXPECT_TRUE(QFileInfo::exists(PathOf("test1_log.txt")));
}

TEST_F(RecorderTest, StartThatFailsLeavesNoFileOpen) {
  ASSERT_TRUE(Recorder->UseDevice("Demo port", "Demo", 0));
  Recorder->ChannelCount = 4;
  Recorder->bnStartMeasClick();
  EXPECT_FALSE(Recorder->IsRunning());
  EXPECT_EQ(View.Statuses.last(), "Start failed: No channels defined");
  EXPECT_EQ(Recorder->MeasLog.last(), "Start failed: No channels defined");
  EXPECT_FALSE(Recorder->DataFileOpen);
  EXPECT_FALSE(Recorder->DataFile.IsOpen());
}

struct TValidationCase {
  const char* File;
  const char* Hours;
  const char* Comment2;
  qint64 FreeBytes;
  const char* Message;  // empty: accepted
};

TEST_F(RecorderTest, ValidateSetupRefusesWithTheRightMessage) {
  UseDemo(8);
  const qint64 day = 276480000;  // 24 h of 8 channels at 100 Hz
  const TValidationCase cases[] = {
      {"  ", "0.01", "c", day * 2, "No datafile has been specified."},
      {"x", "0", "c", day * 2, "Recording time is zero, less than zero or a bad numerical value."},
      {"x", "-1", "c", day * 2, "Recording time is zero"},
      {"x", "abc", "c", day * 2, "Recording time is zero"},
      {"x", "24.01", "c", day * 2, "Recording time is too long, maximum is 24 hours."},
      {"x", "24", "", day * 2, "Please enter a short description in comment line 2."},
      {"x", "24", " ", day * 2, ""},
      {"x", "24", "c", day - 1,
       "Required size on disk: 270000 kB\rFree space on disk: 269999 kB\r \rThere is not enough "
       "space on the specified disk."},
      {"x", "24", "c", -1, "Free space on disk: 0 kB"},
      {"x", "24", "c", day + 50 * 1024 * 1024, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Hours);
    View.File = c.File;
    View.RecTime = c.Hours;
    View.Comment2Text = c.Comment2;
    System.FreeBytes = c.FreeBytes;
    if (*c.Message) Dialogs.ExpectMessage(c.Message);
    EXPECT_EQ(Recorder->ValidateSetup(), !*c.Message);
    EXPECT_TRUE(Dialogs.Done());
  }
  // One byte short of the margin asks.
  System.FreeBytes = day + 50 * 1024 * 1024 - 1;
  Dialogs.ExpectConfirm("This measurement will almost fill the specified disk.\rContinue anyway?",
                        false);
  EXPECT_FALSE(Recorder->ValidateSetup());
}

TEST_F(RecorderTest, ValidateSetupAsksAboutAnExistingFileFirst) {
  UseDemo(4);
  WriteFile("test1.aq4", "old");
  WriteFile("test1.aq8", "other channel count: no question");
  View.RecTime = "0";
  Dialogs
      .ExpectConfirm(
          "Datafile: " + DataPath() + "\rIntermediate datafile already exists. Overwrite it?", true)
      .ExpectMessage("Recording time is zero");
  EXPECT_FALSE(Recorder->ValidateSetup());
  Dialogs.ExpectConfirm("already exists", false);
  EXPECT_FALSE(Recorder->ValidateSetup());
  SetDataDirectory(PathOf("missing"));
  Dialogs.ExpectMessage("The specified data directory does not exist:\r" + PathOf("missing"));
  EXPECT_FALSE(Recorder->ValidateSetup());
}

TEST_F(RecorderTest, LogLinesSeparateTheNonEmptyLists) {
  Recorder->StartupMessages = {"a"};
  Recorder->MeasLog = {"c"};
  EXPECT_EQ(Recorder->LogLines(), (QStringList{"a", " ", "c"}));
  Recorder->DeviceReport = {"b"};
  EXPECT_EQ(Recorder->LogLines(), (QStringList{"a", " ", "b", " ", "c"}));
}

TEST_F(RecorderTest, DeviceCannotChangeDuringARun) {
  UseDemo();
  Recorder->bnStartMeasClick();
  EXPECT_FALSE(Recorder->UseDevice("COM5", "158", 4));
  EXPECT_TRUE(Recorder->Sampler->IsDemo);
  Recorder->bnStartMeasClick();
  EXPECT_TRUE(Recorder->UseDevice("COM5", "158", 4));
}
