// The amplifier settings report against the Orca8x emulator.
#include "amp/amplifier_report.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <memory>

#include "common/temp_dir.h"
#include "tools/orca8x_emulator.h"
#include "tools/pty.h"

namespace {

constexpr int Com = 4;

class AmplifierReportTest : public TTempDirTest {
protected:
  void SetUp() override {
    qputenv("TAVRIN_PORTS_DIR", Dir.path().toLocal8Bit());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  }
  void TearDown() override {
    QLocale::setDefault(Previous);
    qunsetenv("TAVRIN_PORTS_DIR");
  }
  const QLocale Previous;
};

TEST_F(AmplifierReportTest, ListsEveryReplyTwentyFramesAndTheRate) {
  TPty pty;
  ASSERT_TRUE(pty.Open());
  ASSERT_TRUE(pty.LinkAs(Dir.path(), Com));
  TOrca8xEmulator device(pty);  // gains of 1024, plant values of 512
  const QStringList lines = AmplifierSettingsReport(Com);
  ASSERT_EQ(lines.size(), 9 + 2 * 20 + 3) << lines.join('\n').toStdString();

  const QStringList head = lines.mid(0, 9);
  EXPECT_EQ(head, (QStringList{"About: [ORCA8X Orca8x amplifier v1.0]", " ",
                               "Gain: [1024,1024,1024,1024,1024,1024,1024,1024]",
                               QString("2,000 ").repeated(8), " ",
                               "Plant: [512,512,512,512,512,512,512,512]",
                               QString("0,000 ").repeated(8), " ", "Start"}));

  const QRegularExpression frameLine("^(\\d{5}): \\[((\\d+,){18})\\]$");
  qint64 previous = -1;
  for (int i = 0; i < 20; ++i) {
    const QString line = lines[9 + 2 * i];
    const auto match = frameLine.match(line);
    ASSERT_TRUE(match.hasMatch()) << line.toStdString();
    const qint64 d = match.captured(1).toLongLong();
    EXPECT_GE(d, previous);
    previous = d;
    // The device's first twenty frames, each converted for 8 channels.
    const QByteArray frame = TOrca8xEmulator::Frame(i, {});
    QString bytes, volts;
    for (int b = 1; b < 19; ++b)
      bytes += QString::number(static_cast<unsigned char>(frame[b])) + ',';
    for (int k = 0; k < 8; ++k)
      volts += QLocale().toString(
                   double(float(TOrca8xEmulator::DefaultSignal(i, k) * 0.00075 - 6.144)), 'f', 3) +
               ' ';
    EXPECT_EQ(match.captured(2), bytes) << "frame " << i;
    EXPECT_EQ(lines[10 + 2 * i], volts) << "frame " << i;
  }

  EXPECT_EQ(lines[49], "Stop: [OK]");
  const auto rate =
      QRegularExpression("^Time: (\\d+) msec, f=(\\d+),(\\d) Hz \\(n=20\\)$").match(lines[50]);
  ASSERT_TRUE(rate.hasMatch()) << lines[50].toStdString();
  EXPECT_EQ(rate.captured(1).toLongLong(), previous);
  const double hz = rate.captured(2).toDouble();
  EXPECT_GT(hz, 50) << "about 100 Hz";
  EXPECT_LT(hz, 150) << "about 100 Hz";
  EXPECT_EQ(lines[51], " ");
  EXPECT_FALSE(device.Streaming());
}

TEST_F(AmplifierReportTest, AMissingAmplifierGivesEmptyBracketsAndSaysWhy) {
  ASSERT_TRUE(QFile::link(PathOf("nowhere/tty"), PathOf("COM4")));
  const QStringList lines = AmplifierSettingsReport(Com);
  QStringList expected{"About: []", " ", "Gain: []", " ", "Plant: []", " ", "Start"};
  for (int i = 0; i < 20; ++i) expected << "00000: []";
  expected << "Stop: []"
           << "Time: 0 msec, f=0,0 Hz (n=20)";
  ASSERT_EQ(lines.size(), expected.size() + 2) << lines.join('\n').toStdString();
  EXPECT_EQ(lines.mid(0, expected.size()), expected);
  EXPECT_TRUE(lines[expected.size()].startsWith("Port error: ")) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines[expected.size()].contains("COM4"));
  EXPECT_EQ(lines.last(), " ");
}

}  // namespace
