// `tavrin --devices`, run as its own process in a scratch folder.
#include <gtest/gtest.h>

#include <QProcess>

#include "common/temp_dir.h"

namespace {
class HeadlessDevicesTest : public TTempDirTest {
protected:
  // Runs the program; its exit status, with standard output in *out.
  int Run(const QStringList& args, QString* out) {
    QProcess tavrin;
    tavrin.setWorkingDirectory(Dir.path());
    tavrin.start(TAVRIN_EXE, args);
    if (!tavrin.waitForFinished(30000)) {
      tavrin.kill();
      tavrin.waitForFinished();
      return -1;
    }
    *out = QString::fromLocal8Bit(tavrin.readAllStandardOutput());
    return tavrin.exitStatus() == QProcess::NormalExit ? tavrin.exitCode() : -1;
  }
};

TEST_F(HeadlessDevicesTest, PrintsTheReportOfTheSimulatedDevices) {
  WriteFile("sim.ini", "[COM3]\nModel=DI-158\nSerialReply=123456701\n");
  QString out;
  ASSERT_EQ(Run({"--devices", "--simulate", PathOf("sim.ini")}, &out), 0);
  const QStringList lines = out.split('\n');
  const qsizetype at = lines.indexOf("  Device name : DATAQ DI-158 (COM3)");
  ASSERT_GE(at, 0) << out.toStdString();
  EXPECT_EQ(lines.mid(at + 1, 7),
            (QStringList{"  Device ID   : 158", "  COM port    : COM3", "  Max channels: 4",
                         "  Range       : +/- 5.00 V (1)", "  Serial num  : 123456701",
                         "  Model       : UP", " "}));
  EXPECT_FALSE(out.contains("No real device found"));
  // The trace lands in the current folder.
  EXPECT_TRUE(ReadFile(PathOf("trace.txt")).contains("  Friendly name: DATAQ DI-158 (COM3)\r\n"));
}

TEST_F(HeadlessDevicesTest, RefusesUnknownOptions) {
  QString out;
  EXPECT_EQ(Run({"--devices", "--bogus"}, &out), 2);
  EXPECT_EQ(Run({"--devices", "--simulate"}, &out), 2);
}
}  // namespace
