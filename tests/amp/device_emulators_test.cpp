// The device emulators themselves: what they put on the line.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "acq/models.h"
#include "common/temp_dir.h"
#include "platform/qt_serial_port.h"
#include "tools/dataq_responder.h"
#include "tools/orca8x_emulator.h"
#include "tools/pty.h"

namespace {

TEST(Orca8xEmulatorBytes, FramesAndBlocks) {
  const QByteArray frame = TOrca8xEmulator::Frame(3, {});
  ASSERT_EQ(frame.size(), 19);
  EXPECT_EQ(frame[0], 'S');
  for (int k = 0; k < 9; ++k) {
    const int v = (static_cast<unsigned char>(frame[1 + 2 * k]) << 8) |
                  static_cast<unsigned char>(frame[2 + 2 * k]);
    EXPECT_EQ(v, (3 * 7 + k * 1000) % 16384) << k;
  }
  EXPECT_EQ(TOrca8xEmulator::DefaultSignal(3000, 8), (3000 * 7 + 8000) % 16384);

  const QByteArray block = TOrca8xEmulator::Block('G', {1024, 0});
  EXPECT_EQ(block, "G1024,0\r\n" + QByteArray(41, '\0'));
  const QByteArray longBlock = TOrca8xEmulator::Block('P', QList<int>(20, 12345));
  EXPECT_EQ(longBlock.size(), 50) << "a list too long for the block is cut";
}

class EmulatorTest : public TTempDirTest {
protected:
  void SetUp() override {
    qputenv("TAVRIN_PORTS_DIR", Dir.path().toLocal8Bit());
    ASSERT_TRUE(Pty.Open());
    ASSERT_TRUE(Pty.LinkAs(Dir.path(), Com));
  }
  void TearDown() override { qunsetenv("TAVRIN_PORTS_DIR"); }
  static constexpr int Com = 6;
  TPty Pty;
};

TEST_F(EmulatorTest, DataqResponderAnswersTheSerialNumberQuery) {
  {
    TDataqSerialResponder device(Pty, TDataqSerialResponder::TBehaviour::Reply, "123456700");
    EXPECT_EQ(QuerySerialNumber(Com), "123456700");
    EXPECT_EQ(QuerySerialNumber(Com), "123456700");
    EXPECT_EQ(device.Queries(), 2);
  }
  {
    TDataqSerialResponder device(Pty, TDataqSerialResponder::TBehaviour::Silent);
    EXPECT_EQ(QuerySerialNumber(Com), "");
    EXPECT_EQ(device.Queries(), 1);
  }
}

TEST_F(EmulatorTest, DataqResponderCanKeepSendingForEver) {
  TDataqSerialResponder device(Pty, TDataqSerialResponder::TBehaviour::Endless);
  TQtSerialPort port;
  ASSERT_TRUE(port.Open(Com, 38400));
  for (const char c : QByteArray("\0NZ", 3)) port.WriteByte(c);
  QByteArray got;
  QElapsedTimer timer;
  timer.start();
  while (got.size() < 30 && timer.elapsed() < 3000) {
    port.WaitForBytes(100);
    got += port.Read(30 - int(got.size()));
  }
  EXPECT_EQ(got, "abcdefghijklmnopqrstuvwxyzabcd");
  EXPECT_EQ(device.Queries(), 1);
}

TEST_F(EmulatorTest, Orca8xStreamsAtItsPaceAndStopsWithOk) {
  TOrca8xEmulator device(Pty);
  // The test writes to its own master here: the host side is the slave node.
  QFile host(Pty.SlavePath());
  ASSERT_TRUE(host.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
  ASSERT_EQ(host.write("Start\r\n"), 7);
  QElapsedTimer timer;
  timer.start();
  while (device.FramesSent() < 10 && timer.elapsed() < 2000) QThread::msleep(5);
  EXPECT_EQ(device.FramesSent(), 10);
  EXPECT_GE(timer.elapsed(), 60) << "100 frames a second, not a burst";
  ASSERT_EQ(host.write("Stop\r\n"), 6);
  while (device.Streaming() && timer.elapsed() < 2000) QThread::msleep(5);
  EXPECT_FALSE(device.Streaming());
  EXPECT_EQ(device.Commands(), (QList<QByteArray>{"Start", "Stop"}));
}

}  // namespace
