// The program itself against the Orca8x emulator on a pty linked as COM7:
// discovery lists it, and a headless recording takes its signal.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cmath>

#include "common/temp_dir.h"
#include "files/data_file.h"
#include "tools/orca8x_emulator.h"

namespace {
class HeadlessAmplifierTest : public TTempDirTest {
protected:
  TPty Pty;
  std::unique_ptr<TOrca8xEmulator> Amplifier;

  void SetUp() override {
    ASSERT_TRUE(Pty.Open());
    ASSERT_TRUE(Pty.LinkAs(PathOf("ports"), 7));
    Amplifier = std::make_unique<TOrca8xEmulator>(Pty);
    WriteFile("sim.ini", "[COM7]\nModel=ORCA8X ; behind an FTDI converter\n");
  }

  int Run(QStringList args, QString* out) {
    QProcess tavrin;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TAVRIN_PORTS_DIR", PathOf("ports"));
    tavrin.setProcessEnvironment(env);
    tavrin.setWorkingDirectory(Dir.path());
    tavrin.start(TAVRIN_EXE, args << "--simulate" << PathOf("sim.ini"));
    if (!tavrin.waitForFinished(60000)) {
      tavrin.kill();
      tavrin.waitForFinished();
      return -1;
    }
    *out = QString::fromLocal8Bit(tavrin.readAllStandardOutput() + tavrin.readAllStandardError());
    return tavrin.exitStatus() == QProcess::NormalExit ? tavrin.exitCode() : -1;
  }

  static float Stored(quint16 raw) {
    const float volts = float(raw * 0.00075 - 6.144);
    return float(double(std::nearbyint(double(volts) * 1000)) / 1000);
  }
};
}  // namespace

TEST_F(HeadlessAmplifierTest, DiscoveryProbesTheAmplifierAndListsIt) {
  QString out;
  ASSERT_EQ(Run({"--devices"}, &out), 0) << out.toStdString();
  EXPECT_TRUE(out.contains("  Device name : OXD ORCA8X (COM7)\n")) << out.toStdString();
  EXPECT_TRUE(out.contains("  Device ID   : ORCA8X\n"));
  EXPECT_TRUE(out.contains("  Max channels: 8\n"));
  const QByteArray trace = ReadFile(PathOf("trace.txt"));
  EXPECT_TRUE(trace.contains("  FTDI device\r\n"));
  EXPECT_TRUE(trace.contains("  Check for ORCA8x\r\n"));
  EXPECT_TRUE(trace.contains("  Device reply: [ORCA8X Orca8x amplifier v1.0]\r\n"));
  EXPECT_EQ(Amplifier->CommandCount("About"), 1);
}

TEST_F(HeadlessAmplifierTest, RecordingTakesTheAmplifiersSignalIntoFileAndHourFiles) {
  QString out;
  ASSERT_EQ(Run({"--record", "amp1", "--hours", "0.001", "--comment2", "amplifier run",
                 "--comment3", "emulated", "--device", "COM7", "--data-dir", PathOf("data")},
                &out),
            0)
      << out.toStdString();
  TSampleAreaReader reader;
  reader.Open(PathOf("data/amp1.aq8"));
  ASSERT_EQ(reader.SampleCount(8), 360);
  reader.Start(8);
  std::vector<float> all, block;
  while (reader.Next(block)) all.insert(all.end(), block.begin(), block.end());
  // Frame by frame the stored volts are the emulator's raw values converted.
  qint64 frame = -1;
  for (int j = 0; j < 360; ++j) {
    qint64 found = -1;
    for (qint64 f = frame + 1; f < (frame < 0 ? 16384 : frame + 20) && found < 0; ++f) {
      bool same = true;
      for (int k = 0; k < 8 && same; ++k)
        same = all[size_t(j * 8 + k)] == Stored(TOrca8xEmulator::DefaultSignal(f, k));
      if (same) found = f;
    }
    ASSERT_GE(found, 0) << "frame " << j;
    frame = found;
  }
  for (int c = 1; c <= 8; ++c) {
    QFile hour(PathOf(QString("data/amp1-ch%1.D01").arg(c)));
    ASSERT_TRUE(hour.open(QIODevice::ReadOnly)) << c;
    EXPECT_EQ((hour.size() - ReadFileHeader(hour)) / 4, 360);
  }
  EXPECT_TRUE(ReadFile(PathOf("data/amp1_log.txt")).contains("Orca8x measurement starts"));
  EXPECT_GE(Amplifier->CommandCount("Stop"), 1);
}
