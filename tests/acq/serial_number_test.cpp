// The serial-number query against a pseudo terminal standing in for the device.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "acq/models.h"
#include "common/temp_dir.h"
#include "tools/pty.h"

namespace {

constexpr int Com = 5;

class SerialNumberTest : public TTempDirTest {
protected:
  void SetUp() override {
    qputenv("TAVRIN_PORTS_DIR", PathOf("ports").toLocal8Bit());
    ASSERT_TRUE(Pty.Open()) << Pty.Error().toStdString();
    ASSERT_TRUE(Pty.LinkAs(PathOf("ports"), Com)) << Pty.Error().toStdString();
  }
  void TearDown() override {
    Stop = true;
    if (Responder.joinable()) Responder.join();
    qunsetenv("TAVRIN_PORTS_DIR");
  }

  // The device: waits for the query, keeps it, then behaves as told until the test ends.
  void StartDevice(std::function<void()> behaviour) {
    Responder = std::thread([this, behaviour] {
      Query = Pty.ReadExactly(3, 5000);
      if (Query.size() == 3) behaviour();
    });
  }
  // Sends bytes without blocking; false once the test is over.
  bool Send(const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size() && !Stop;) {
      const ssize_t n = ::write(Pty.MasterFd(), bytes.constData() + done, bytes.size() - done);
      if (n > 0)
        done += n;
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return !Stop;
  }
  static void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  QString TimedQuery(qint64* elapsed) {
    QElapsedTimer timer;
    timer.start();
    const QString reply = QuerySerialNumber(Com);
    *elapsed = timer.elapsed();
    Stop = true;
    if (Responder.joinable()) Responder.join();
    return reply;
  }

  TPty Pty;
  std::thread Responder;
  std::atomic<bool> Stop{false};
  QByteArray Query;
};

TEST_F(SerialNumberTest, SendsTheCommandAndReturnsTheReply) {
  StartDevice([this] { Send("123456700"); });
  qint64 elapsed = 0;
  EXPECT_EQ(TimedQuery(&elapsed), "123456700");
  EXPECT_EQ(Query, QByteArray("\0NZ", 3));
}

TEST_F(SerialNumberTest, AReplyInPartsIsJoinedWhileTheGapsStayShort) {
  StartDevice([this] {
    Send("1234");
    Pause(200);
    Send("567");
    Pause(200);
    Send("01");
  });
  qint64 elapsed = 0;
  EXPECT_EQ(TimedQuery(&elapsed), "123456701");
}

TEST_F(SerialNumberTest, ASilentDeviceGivesNothing) {
  StartDevice([] {});
  qint64 elapsed = 0;
  EXPECT_EQ(TimedQuery(&elapsed), "");
  EXPECT_EQ(Query, QByteArray("\0NZ", 3));
}

TEST_F(SerialNumberTest, ADeviceThatNeverStopsIsCutAtTheTimeBound) {
  StartDevice([this] {
    for (int i = 0; Send(QByteArray(1, char('a' + i % 26))); ++i) Pause(20);
  });
  qint64 elapsed = 0;
  const QString reply = TimedQuery(&elapsed);
  EXPECT_FALSE(reply.isEmpty());
  EXPECT_LT(reply.size(), SerialReplyMaxBytes);
  EXPECT_TRUE(
      QString("abcdefghijklmnopqrstuvwxyz").repeated(reply.size() / 26 + 1).startsWith(reply));
  EXPECT_LT(elapsed, SerialReplyMaxMs + 2000);  // guards against a hang, not a speed check
}

TEST_F(SerialNumberTest, AFloodingDeviceIsCutAtTheSizeBound) {
  StartDevice([this] {
    while (Send(QByteArray(512, 'x'))) {
    }
  });
  qint64 elapsed = 0;
  const QString reply = TimedQuery(&elapsed);
  EXPECT_EQ(reply.size(), SerialReplyMaxBytes);
  EXPECT_EQ(reply, QString(SerialReplyMaxBytes, 'x'));
  EXPECT_LT(elapsed, SerialReplyMaxMs + 2000);
}

TEST_F(SerialNumberTest, APeerThatVanishesMidReplyGivesNothing) {
  StartDevice([this] {
    Send("1234");
    Pause(50);
    Pty.CloseMaster();
  });
  qint64 elapsed = 0;
  EXPECT_EQ(TimedQuery(&elapsed), "");
}

TEST_F(SerialNumberTest, APortThatDoesNotExistGivesNothingAtOnce) {
  ASSERT_TRUE(QFile::link(PathOf("nowhere/tty"), PathOf("ports/COM9")));
  for (int com : {9, 0, -1, 99, 1000}) {
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(QuerySerialNumber(com), "") << com;
    EXPECT_LT(timer.elapsed(), SerialReplyQuietMs) << com;  // no wait for a reply
  }
}

}  // namespace
