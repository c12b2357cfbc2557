#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "platform/qt_serial_port.h"
#include "tools/pty.h"

namespace {
// A port opened as COM7 through the ports folder, with the test on the other end.
class SerialPortTest : public TTempDirTest {
protected:
  void SetUp() override {
    qputenv("TAVRIN_PORTS_DIR", Dir.path().toLocal8Bit());
    ASSERT_TRUE(Peer.Open()) << Peer.Error().toStdString();
    ASSERT_TRUE(Peer.LinkAs(Dir.path(), 7));
  }
  void TearDown() override { qunsetenv("TAVRIN_PORTS_DIR"); }

  TPty Peer;
  TQtSerialPort Port;
};
}  // namespace

TEST_F(SerialPortTest, BytesTravelBothWays) {
  ASSERT_TRUE(Port.Open(7, 115200)) << Port.LastError().toStdString();
  // A pty has no modem lines; switching them must not count as a failure.
  Port.SetDtr(true);
  Port.SetRts(true);
  EXPECT_FALSE(Port.HasError()) << Port.LastError().toStdString();

  for (char c : QByteArray("About\r\n")) ASSERT_TRUE(Port.WriteByte(c));
  EXPECT_TRUE(Port.Drain(500));
  EXPECT_EQ(Peer.ReadExactly(7, 1000), QByteArray("About\r\n"));

  ASSERT_TRUE(Peer.Write("ORCA8X v1\r\n"));
  ASSERT_TRUE(Port.WaitForBytes(1000));
  QByteArray got;
  for (int i = 0; i < 100 && got.size() < 11; ++i) {
    Port.WaitForBytes(20);
    const QByteArray chunk = Port.Read(4);
    EXPECT_LE(chunk.size(), 4);
    got += chunk;
  }
  EXPECT_EQ(got, QByteArray("ORCA8X v1\r\n"));
  EXPECT_EQ(Port.Waiting(), 0);
}

TEST_F(SerialPortTest, WaitingCountsWithoutAnEventLoop) {
  ASSERT_TRUE(Port.Open(7, 38400));
  ASSERT_TRUE(Peer.Write(QByteArray(19, 'S')));
  QElapsedTimer t;
  t.start();
  while (Port.Waiting() < 19 && t.elapsed() < 1000) {
  }
  EXPECT_EQ(Port.Waiting(), 19);
  Port.Purge();
  EXPECT_EQ(Port.Waiting(), 0);
}

TEST_F(SerialPortTest, WaitForBytesEndsAtItsTimeOut) {
  ASSERT_TRUE(Port.Open(7, 115200));
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(Port.WaitForBytes(50));
  EXPECT_GE(t.elapsed(), 45);
  EXPECT_LT(t.elapsed(), 1000);
  EXPECT_TRUE(Port.Read(10).isEmpty());
}

TEST_F(SerialPortTest, VanishedPeerShowsAsError) {
  ASSERT_TRUE(Port.Open(7, 115200));
  Peer.CloseMaster();
  QElapsedTimer t;
  t.start();
  while (!Port.HasError() && t.elapsed() < 1000) Port.WaitForBytes(10);
  EXPECT_TRUE(Port.HasError());
  EXPECT_FALSE(Port.LastError().isEmpty());
  EXPECT_EQ(Port.Waiting(), 0);
  EXPECT_FALSE(Port.WriteByte('x'));
}

TEST_F(SerialPortTest, MissingPortFailsQuicklyAndSaysWhich) {
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(Port.Open(8, 38400));  // /dev/ttyS7: absent or not ours
  EXPECT_FALSE(Port.Open(200, 38400));
  EXPECT_LT(t.elapsed(), 1000);
  EXPECT_TRUE(Port.HasError());
  EXPECT_TRUE(Port.LastError().contains("COM200"));
  EXPECT_EQ(Port.Waiting(), 0);
  EXPECT_FALSE(Port.WaitForBytes(10));
  EXPECT_FALSE(Port.WriteByte('x'));
  EXPECT_TRUE(Port.Read(5).isEmpty());
}

TEST_F(SerialPortTest, ReopenAfterCloseStartsClean) {
  ASSERT_TRUE(Port.Open(7, 115200));
  Port.Close();
  EXPECT_FALSE(Port.IsOpen());
  ASSERT_TRUE(Port.Open(7, 115200));
  EXPECT_FALSE(Port.HasError());
  EXPECT_TRUE(Port.IsOpen());
}
