// The amplifier link against the Orca8x emulator (and raw bytes) on a pty
// linked as a COM port into a temporary ports folder.
#include "amp/amplifier_link.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "common/temp_dir.h"
#include "platform/seams.h"
#include "tools/orca8x_emulator.h"
#include "tools/pty.h"

namespace {

constexpr int Com = 7;
// Guards against a hang, not a speed check: every call here is meant to end
// well inside it.
constexpr qint64 HangMs = 3000;

float Volts(qint64 raw) {
  return static_cast<float>(double(raw) * 0.00075 - 6.144);
}

std::vector<float> Values(const TFloatList& list) {
  return std::vector<float>(list.Items().begin(), list.Items().end());
}

// The text form of the 18 data bytes of a frame.
QString FrameText(const QByteArray& frame) {
  QString text;
  for (const char b : frame.mid(1, 18))
    text += QString::number(static_cast<unsigned char>(b)) + QLatin1Char(',');
  return text;
}

// ---- conversions ------------------------------------------------------------

TEST(AmplifierParsing, FrameTextToVolts) {
  const QString full = "32,0,0,0,63,255,31,255,0,1,1,0,2,0,3,0,4,0,";
  struct TCase {
    const char* Name;
    QString Text;
    int Channels;
    std::vector<float> Expected;
  };
  const std::vector<TCase> cases = {
      {"mid scale is 0 V", "32,0,", 1, {Volts(8192)}},
      {"zero raw is -6.144 V", "0,0,", 1, {-6.144f}},
      {"top raw is +6.14325 V", "63,255,", 1, {6.14325f}},
      {"four channels use the first 8 bytes",
       full,
       4,
       {Volts(8192), Volts(0), Volts(16383), Volts(8191)}},
      {"eight channels",
       full,
       8,
       {Volts(8192), Volts(0), Volts(16383), Volts(8191), Volts(1), Volts(256), Volts(512),
        Volts(768)}},
      {"a piece that is not a number counts as 0", "x,0,32,y,", 2, {Volts(0), Volts(8192)}},
      {"a text shorter than asked gives what it holds",
       "32,0,63",
       8,
       {Volts(8192), Volts(63 * 256)}},
      {"no channels asked", full, 0, {}},
  };
  for (const TCase& c : cases) {
    TFloatList list;
    list.Add(99.0f);  // the list is cleared first
    ParseAmplifierFrame(c.Text, c.Channels, list);
    ASSERT_EQ(list.Count(), int(c.Expected.size())) << c.Name;
    for (int i = 0; i < list.Count(); ++i)
      EXPECT_NEAR(list.Get(i), c.Expected[size_t(i)], 1e-5) << c.Name << " value " << i;
  }
  TFloatList mid;
  ParseAmplifierFrame("32,0,", 1, mid);
  EXPECT_NEAR(mid.Get(0), 0.0f, 1e-5);
}

TEST(AmplifierParsing, GainAndPlantLists) {
  TFloatList list;
  ParseGainReply("1024,0", list);
  EXPECT_EQ(Values(list), (std::vector<float>{2.0f, 1.0f}));
  ParseGainReply("2048,abc,-1024", list);
  EXPECT_EQ(Values(list), (std::vector<float>{3.0f, 1.0f, 0.0f}));
  ParsePlantReply("512", list);
  EXPECT_EQ(Values(list), (std::vector<float>{0.0f}));
  ParsePlantReply("0,1024,256", list);
  EXPECT_EQ(Values(list), (std::vector<float>{-0.5f, 0.5f, -0.25f}));
}

// ---- against a device -------------------------------------------------------

class AmplifierLinkTest : public TTempDirTest {
protected:
  void SetUp() override {
    qputenv("TAVRIN_PORTS_DIR", Dir.path().toLocal8Bit());
    ASSERT_TRUE(Pty.Open()) << Pty.Error().toStdString();
    ASSERT_TRUE(Pty.LinkAs(Dir.path(), Com)) << Pty.Error().toStdString();
  }
  void TearDown() override {
    Device.reset();
    StopWriter = true;
    if (Writer.joinable()) Writer.join();
    qunsetenv("TAVRIN_PORTS_DIR");
  }

  void StartDevice(TOrca8xOptions options = {}) {
    Device = std::make_unique<TOrca8xEmulator>(Pty, std::move(options));
  }
  // The test itself plays the device: bytes written after a delay, on another thread.
  void WriteLater(int delayMs, QByteArray bytes) {
    Writer = std::thread([this, delayMs, bytes] {
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
      if (!StopWriter) Pty.Write(bytes);
    });
  }
  // Raw access to the port, without the open sequence's Stop commands.
  void OpenRaw() { ASSERT_TRUE(Link.Port().Open(Com, AmplifierBaudRate)); }

  TPty Pty;
  std::unique_ptr<TOrca8xEmulator> Device;
  std::thread Writer;
  std::atomic<bool> StopWriter{false};
  TAmplifierLink Link;
  QElapsedTimer Timer;
};

TEST_F(AmplifierLinkTest, AboutGainAndPlant) {
  TOrca8xOptions options;
  options.Gain = {1024, 0, 2048};
  options.Plant = {512, 0};
  StartDevice(options);
  ASSERT_TRUE(Link.OpenAmplifierPort(Com));
  EXPECT_FALSE(Link.PortFailed()) << Link.PortError().toStdString();

  EXPECT_EQ(Link.GetAmplifierAbout(), "ORCA8X Orca8x amplifier v1.0");
  const QString gain = Link.GetAmplifierGain();
  EXPECT_EQ(gain, "1024,0,2048");
  TFloatList list;
  ParseGainReply(gain, list);
  EXPECT_EQ(Values(list), (std::vector<float>{2.0f, 1.0f, 3.0f}));
  const QString plant = Link.GetAmplifierPlant();
  EXPECT_EQ(plant, "512,0");
  ParsePlantReply(plant, list);
  EXPECT_EQ(Values(list), (std::vector<float>{0.0f, -0.5f}));

  // An idle amplifier answers the opening Stop at once.
  EXPECT_EQ(Device->Commands(), (QList<QByteArray>{"Stop", "About", "Gain", "Plant"}));
}

TEST_F(AmplifierLinkTest, CommandsGoOutAsWordAndCrLf) {
  OpenRaw();
  Link.SendAmplifierCommand("About");
  Link.FlushAmplifierOutput();
  EXPECT_EQ(Pty.ReadExactly(7, 1000), QByteArray("\x41\x62\x6F\x75\x74\x0D\x0A"));
}

TEST_F(AmplifierLinkTest, BlockRepliesWithAWrongLetterAreDropped) {
  OpenRaw();
  Pty.Write("X1024,0\r\n");
  EXPECT_EQ(Link.GetAmplifierGain(), "");
  EXPECT_EQ(Link.ReadReplyLine(50), "1024,0") << "only the letter is consumed";

  Pty.Write(QByteArray("P12\0,3\r\n", 8) + QByteArray(42, '\0'));
  EXPECT_EQ(Link.GetAmplifierPlant(), "12") << "the block ends at a NUL";
  Pty.Write(QByteArray("G1,2"));  // fewer than 49 bytes: nothing
  EXPECT_EQ(Link.GetAmplifierGain(), "");
}

TEST_F(AmplifierLinkTest, FramesCarryTheDeviceSignalAlsoBetweenGarbage) {
  for (const bool garbage : {false, true}) {
    SCOPED_TRACE(garbage ? "with garbage" : "clean stream");
    TOrca8xOptions options;
    options.Garbage = garbage;
    StartDevice(options);
    ASSERT_TRUE(Link.OpenAmplifierPort(Com));
    const qint64 first = Device->FramesSent();
    Link.StartAmplifier();

    TFloatList volts;
    int found = 0;
    for (int call = 0; call < 200 && found < 30; ++call) {
      const QString frame = Link.ReadAmplifierFrame();
      if (frame.isEmpty()) {
        EXPECT_TRUE(garbage) << "a clean stream has a frame at every call";
        continue;
      }
      const qint64 i = first + found++;
      EXPECT_EQ(frame, FrameText(TOrca8xEmulator::Frame(i, {}))) << "frame " << i;
      ParseAmplifierFrame(frame, 8, volts);
      ASSERT_EQ(volts.Count(), 8);
      for (int k = 0; k < 8; ++k)
        EXPECT_NEAR(volts.Get(k), Volts(TOrca8xEmulator::DefaultSignal(i, k)), 1e-5);
    }
    EXPECT_EQ(found, 30);
    EXPECT_TRUE(Link.StopAmplifier().startsWith("OK"));
    EXPECT_FALSE(Device->Streaming());
    Link.CloseAmplifierPort();
    Device.reset();
  }
}

TEST_F(AmplifierLinkTest, AShortFrameIsLostAndTheNextOneFound) {
  OpenRaw();
  Pty.Write(QByteArray("S") + QByteArray(10, '\x01'));
  EXPECT_EQ(Link.ReadAmplifierFrame(), "");
  const QByteArray frame = TOrca8xEmulator::Frame(42, {});
  Pty.Write(QByteArray(8, '\x01') + frame);
  QString found;
  for (int call = 0; call < 40 && found.isEmpty(); ++call) found = Link.ReadAmplifierFrame();
  EXPECT_EQ(found, FrameText(frame));
}

// An amplifier left streaming is brought back to idle by the opening sequence.
TEST_F(AmplifierLinkTest, OpeningStopsAStreamingAmplifier) {
  const std::vector<std::pair<const char*, std::function<quint16(qint64, int)>>> streams = {
      {"counting signal", {}},
      {"flat signal without any LF byte", [](qint64, int) -> quint16 { return 8192; }},
  };
  for (const auto& [name, signal] : streams) {
    SCOPED_TRACE(name);
    TOrca8xOptions options;
    options.Streaming = true;
    options.Signal = signal;
    StartDevice(options);
    Timer.start();
    ASSERT_TRUE(Link.OpenAmplifierPort(Com));
    EXPECT_LT(Timer.elapsed(), HangMs);
    EXPECT_FALSE(Device->Streaming());
    EXPECT_GE(Device->CommandCount("Stop"), 1);
    EXPECT_LE(Device->CommandCount("Stop"), AmplifierStopTries);
    EXPECT_EQ(Link.GetAmplifierAbout(), "ORCA8X Orca8x amplifier v1.0") << "in step again";
    Link.CloseAmplifierPort();
    Device.reset();
  }
}

TEST_F(AmplifierLinkTest, StopGivesUpAfterTenCommands) {
  TOrca8xOptions options;
  options.Streaming = true;
  options.Silent = true;                                           // never stops
  options.Signal = [](qint64, int) -> quint16 { return 0x000A; };  // an LF in every value
  StartDevice(options);
  Timer.start();
  ASSERT_TRUE(Link.OpenAmplifierPort(Com));
  EXPECT_LT(Timer.elapsed(), HangMs);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Device->CommandCount("Stop"), AmplifierStopTries);
  EXPECT_FALSE(Link.StopAmplifier().startsWith("OK"));
}

TEST_F(AmplifierLinkTest, NothingAttachedOpensAfterTenUnansweredStops) {
  Timer.start();
  EXPECT_TRUE(Link.OpenAmplifierPort(Com));
  EXPECT_LT(Timer.elapsed(), HangMs);  // about 1.65 s
  EXPECT_FALSE(Link.PortFailed());
  const QByteArray sent = Pty.Read(100);
  EXPECT_EQ(sent, QByteArray("Stop\r\n").repeated(AmplifierStopTries));
}

TEST_F(AmplifierLinkTest, NothingAttachedGivesAnEmptyAbout) {
  Timer.start();
  EXPECT_EQ(QueryAmplifierAbout(Com), "");
  EXPECT_LT(Timer.elapsed(), HangMs);  // about 1.8 s
  EXPECT_TRUE(Pty.Read(100).endsWith("Stop\r\nAbout\r\n"));
}

TEST_F(AmplifierLinkTest, AMissingPortAnswersNothingAtOnce) {
  ASSERT_TRUE(QFile::link(PathOf("nowhere/tty"), PathOf("COM9")));
  Timer.start();
  EXPECT_TRUE(Link.OpenAmplifierPort(9));
  EXPECT_TRUE(Link.PortFailed());
  EXPECT_TRUE(Link.PortError().contains("COM9")) << Link.PortError().toStdString();
  EXPECT_EQ(Link.GetAmplifierAbout(), "");
  EXPECT_EQ(Link.GetAmplifierGain(), "");
  EXPECT_EQ(Link.ReadAmplifierFrame(), "");
  EXPECT_EQ(Link.StopAmplifier(), "");
  for (int com : {9, 0, -1, 1000}) EXPECT_EQ(QueryAmplifierAbout(com), "") << com;
  EXPECT_LT(Timer.elapsed(), 500) << "no reply is waited for on a port that is not there";
}

TEST_F(AmplifierLinkTest, AVanishedAmplifierFailsThePortAndReadsReturnAtOnce) {
  TOrca8xOptions options;
  options.VanishAfter = 30;
  StartDevice(options);
  ASSERT_TRUE(Link.OpenAmplifierPort(Com));
  Link.StartAmplifier();
  int frames = 0;
  for (int call = 0; call < 100 && !Link.PortFailed(); ++call)
    if (!Link.ReadAmplifierFrame().isEmpty()) ++frames;
  EXPECT_LE(frames, 30);
  EXPECT_GE(frames, 1);
  ASSERT_TRUE(Link.PortFailed());
  EXPECT_FALSE(Link.PortError().isEmpty());

  Timer.start();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Link.ReadAmplifierFrame(), "");
  EXPECT_EQ(Link.ReadReplyLine(50), "");
  EXPECT_EQ(Link.StopAmplifier(), "");
  EXPECT_LT(Timer.elapsed(), 250) << "a live port would take 50 ms per read";
}

TEST_F(AmplifierLinkTest, ALineEndsAtItsLfUnlessACrFollows) {
  struct TCase {
    QByteArray First;
    QByteArray Later;  // arrives well inside the idle time-out
    QString Expected;
  };
  const std::vector<TCase> cases = {
      {"OK\r\n", "XY\r\n", "OK"},
      {"OK\n\r", "XY\r\n", "OKXY"},    // the CR clears the end mark: the reader waits on
      {"OK\r\nAB", "XY\r\n", "OKAB"},  // bytes behind the LF in the same chunk are kept
      {"O\rK", "\r\n", "OK"},
  };
  OpenRaw();
  for (const TCase& c : cases) {
    Pty.Write(c.First);
    WriteLater(100, c.Later);
    EXPECT_EQ(Link.ReadReplyLine(1000), c.Expected) << c.First.toStdString();
    Writer.join();
    Link.ReadReplyLine(200);  // whatever is left
  }
  Timer.start();
  Pty.Write("OK\n\r");
  EXPECT_EQ(Link.ReadReplyLine(50), "OK");
  EXPECT_LT(Timer.elapsed(), HangMs);
}

TEST_F(AmplifierLinkTest, AStreamWithoutLfCannotHoldALineRead) {
  TOrca8xOptions options;
  options.Streaming = true;
  options.Silent = true;
  options.Signal = [](qint64, int) -> quint16 { return 8192; };  // bytes 0x20 0x00
  StartDevice(options);
  OpenRaw();
  Timer.start();
  const QString line = Link.ReadReplyLine(50);
  EXPECT_LT(Timer.elapsed(), HangMs);  // about ten idle time-outs
  EXPECT_FALSE(line.isEmpty());
  EXPECT_TRUE(QString(line).remove('S').remove(' ').remove(QChar(0)).isEmpty());
}

TEST_F(AmplifierLinkTest, AFloodCannotHoldALineRead) {
  OpenRaw();
  Writer = std::thread([this] {
    while (!StopWriter && Pty.Write(QByteArray(512, 'x'))) {
    }
  });
  Timer.start();
  EXPECT_EQ(Link.ReadReplyLine(50), QString(AmplifierLineMaxBytes, 'x'));
  EXPECT_LT(Timer.elapsed(), HangMs);
}

TEST_F(AmplifierLinkTest, TheCommLogRecordsBothDirections) {
  StartDevice();
  Link.CommLog = true;
  ASSERT_TRUE(Link.OpenAmplifierPort(Com));
  Link.GetAmplifierAbout();
  const QString log = Link.CommLines.join('\n');
  EXPECT_TRUE(Link.CommLines.contains("> Stop<0D><0A>")) << log.toStdString();
  EXPECT_TRUE(Link.CommLines.contains("> About<0D><0A>")) << log.toStdString();
  EXPECT_TRUE(log.contains("< ORCA8X Orca8x amplifier v1.0<0D><0A>")) << log.toStdString();

  TAmplifierLink quiet;
  ASSERT_TRUE(quiet.OpenAmplifierPort(Com));
  EXPECT_TRUE(quiet.CommLines.isEmpty());
}

}  // namespace
