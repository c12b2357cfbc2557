// The headless commands, run for real (real clock, short recordings).
#include "app/headless.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <csignal>

#include "acq/simulated_devices.h"
#include "common/temp_dir.h"
#include "files/data_file.h"
#include "platform/console_dialogs.h"

namespace {
class HeadlessTest : public TTempDirTest {
protected:
  // Questions go to the headless policy, not to the strict test dialogs.
  TConsoleDialogs Console;
  TSeamOverride<TDialogs> DialogsOverride{&TSeamSet::Dialogs, Console};
  QString SavedDirectory = GetDataDirectory();

  void TearDown() override {
    ResetSimulatedDevices();
    SetDataDirectory(SavedDirectory);
  }

  int Run(QStringList args) { return RunHeadless(args << "--data-dir" << Dir.path()); }

  QStringList Files() const {
    QStringList names = QDir(Dir.path()).entryList(QDir::Files, QDir::Name);
    names.removeAll("sim.ini");
    return names;
  }

  static qint64 Samples(const QString& hourFile) {
    QFile f(hourFile);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return (f.size() - ReadFileHeader(f)) / 4;
  }
};
}  // namespace

TEST_F(HeadlessTest, DemoRecordingEndsWithLogAndHourFiles) {
  ASSERT_EQ(Run({"--record", "r1", "--hours", "0.0005", "--comment2", "demo run", "--comment3",
                 "third line"}),
            0);
  EXPECT_EQ(Files(), (QStringList{"r1-ch1.D01", "r1-ch2.D01", "r1-ch3.D01", "r1-ch4.D01", "r1.aq4",
                                  "r1_log.txt"}));
  EXPECT_EQ(Samples(PathOf("r1-ch3.D01")), 180);
  const QByteArray log = ReadFile(PathOf("r1_log.txt"));
  EXPECT_TRUE(log.contains("Number of samples/channel: 180 (180)\r\n"));

  // Cutting the file again gives the same hour files.
  const QByteArray first = ReadFile(PathOf("r1-ch2.D01"));
  ASSERT_TRUE(QFile::remove(PathOf("r1-ch2.D01")));
  EXPECT_EQ(RunHeadless({"--convert", PathOf("r1.aq4"), "--rate", "100"}), 0);
  EXPECT_EQ(ReadFile(PathOf("r1-ch2.D01")), first);
}

TEST_F(HeadlessTest, InterruptStopsTheRunKeepsAndConvertsTheData) {
  QTimer::singleShot(800, [] { std::raise(SIGINT); });
  EXPECT_EQ(Run({"--record", "r2", "--hours", "0.01", "--comment2", "stopped"}), 1);
  const qint64 samples = Samples(PathOf("r2-ch1.D01"));
  EXPECT_GT(samples, 0);
  EXPECT_LT(samples, 3600);
  EXPECT_TRUE(ReadFile(PathOf("r2_log.txt")).contains("Stopped by user"));
}

TEST_F(HeadlessTest, SimulatedDataqDeviceWithAControlErrorEndsTheRun) {
  WriteFile("sim.ini", "[COM3]\nModel=DI-158 ; a DATAQ device\nControlError=2@0.5\n");
  EXPECT_EQ(Run({"--record", "r3", "--hours", "0.01", "--comment2", "x", "--device", "COM3",
                 "--simulate", PathOf("sim.ini"), "--no-convert"}),
            1);
  EXPECT_EQ(Files(), (QStringList{"r3.aq4", "r3_log.txt"}));  // no conversion asked for
  const QByteArray log = ReadFile(PathOf("r3_log.txt"));
  EXPECT_TRUE(log.contains("Control error: 2\r\n"));
  EXPECT_TRUE(log.contains("  Communication Error (2)\r\n"));
}

TEST_F(HeadlessTest, BadCommandsAreRefusedWithoutRecording) {
  const struct {
    QStringList Args;
    int Status;
  } cases[] = {
      {{"--record", "r4", "--hours", "0.01"}, 2},  // no comment 2
      {{"--record", "r4", "--hours", "0.01", "--comment2", "c", "--rate", "5"}, 2},
      {{"--record", "r4", "--hours", "0.01", "--comment2", "c", "--bogus"}, 2},
      {{"--record", "r4", "--hours", "25", "--comment2", "c"}, 1},  // refused by the checks
      {{"--record", "r4", "--hours", "0.01", "--comment2", "c", "--device", "COM9"}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(c.Args), c.Status) << c.Args.join(' ').toStdString();
  EXPECT_EQ(RunHeadless({"--convert", "/nonexistent/file.aq4"}), 1);
  EXPECT_EQ(RunHeadless({"--convert", PathOf("x.aq4"), "--data-dir", "y"}), 2);
  EXPECT_TRUE(Files().isEmpty());
  WriteFile("old.acq", "a\r\nb\r\nc\r\n");
  EXPECT_EQ(RunHeadless({"--convert", PathOf("old.acq")}), 2);
  EXPECT_EQ(RunHeadless({"--convert", PathOf("old.acq"), "--channels", "3"}), 0);
  EXPECT_EQ(RunHeadless({"--status"}), -1);
}

TEST_F(HeadlessTest, ExistingFileIsOverwrittenOnlyWithYes) {
  WriteFile("r5.aq4", "keep me");
  EXPECT_EQ(Run({"--record", "r5", "--hours", "0.0002", "--comment2", "c"}), 1);
  EXPECT_EQ(ReadFile(PathOf("r5.aq4")), "keep me");
  EXPECT_EQ(Run({"--record", "r5", "--hours", "0.0002", "--comment2", "c", "--yes"}), 0);
  EXPECT_NE(ReadFile(PathOf("r5.aq4")), "keep me");
}

TEST_F(HeadlessTest, RecordingKilledMidRunStaysConvertible) {
  QProcess tavrin;
  tavrin.start(TAVRIN_EXE, {"--record", "k1", "--hours", "0.01", "--comment2", "killed",
                            "--data-dir", Dir.path()});
  ASSERT_TRUE(tavrin.waitForStarted(5000));
  QThread::msleep(1500);
  tavrin.kill();  // SIGKILL: no stop, no header rewrite, no log
  ASSERT_TRUE(tavrin.waitForFinished(5000));
  QFile file(PathOf("k1.aq4"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const qint64 header = ReadFileHeader(file);
  const qint64 samples = file.size() - header;
  file.close();
  // Every block reached the file whole before the kill.
  EXPECT_GT(samples, 0);
  EXPECT_EQ(samples % (4 * 4), 0);
  EXPECT_EQ(RunHeadless({"--convert", PathOf("k1.aq4")}), 0);
  EXPECT_EQ(Samples(PathOf("k1-ch4.D01")), samples / 16);
}
