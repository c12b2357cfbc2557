#include "tools/orca8x_emulator.h"

#include <QMutexLocker>
#include <QStringList>
#include <algorithm>
#include <chrono>

namespace {
using TSteady = std::chrono::steady_clock;
constexpr int IdleWaitMs = 20;
constexpr qsizetype MaxLineBytes = 256;
}  // namespace

QByteArray TOrca8xEmulator::Frame(qint64 index, const std::function<quint16(qint64, int)>& signal) {
  QByteArray frame(1, 'S');
  for (int k = 0; k < FrameValues; ++k) {
    const quint16 v = signal ? signal(index, k) : DefaultSignal(index, k);
    frame += char(v >> 8);
    frame += char(v & 0xFF);
  }
  return frame;
}

QByteArray TOrca8xEmulator::Block(char letter, const QList<int>& values) {
  QStringList texts;
  for (const int v : values) texts << QString::number(v);
  QByteArray block = (texts.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toLatin1();
  block = block.left(BlockBytes);
  block += QByteArray(BlockBytes - block.size(), '\0');
  return letter + block;
}

TOrca8xEmulator::TOrca8xEmulator(TPty& pty, TOrca8xOptions options)
    : TDeviceEmulator(pty),
      Options(std::move(options)),
      Period(std::chrono::microseconds(1000000 / std::max(1, Options.FramesPerSecond))) {
  StreamOn = Options.Streaming;
  NextFrame = std::chrono::steady_clock::now() + Period;
  Start();
}

TOrca8xEmulator::~TOrca8xEmulator() {
  Stop();
}

QList<QByteArray> TOrca8xEmulator::Commands() const {
  QMutexLocker lock(&CommandsLock);
  return Received;
}

int TOrca8xEmulator::CommandCount(const QByteArray& word) const {
  QMutexLocker lock(&CommandsLock);
  return int(Received.count(word));
}

void TOrca8xEmulator::Run() {
  while (!StopRequested() && !Failed) {
    int wait = IdleWaitMs;
    if (StreamOn) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(NextFrame - TSteady::now()).count();
      wait = int(std::clamp<qint64>(left, 0, IdleWaitMs));
    }
    const QByteArray input = Receive(wait);
    for (const char c : input) {
      if (c == '\n') {
        Command(Line);
        Line.clear();
      } else if (c != '\r' && c != '\0' && Line.size() < MaxLineBytes) {
        Line += c;
      }
    }
    if (!StreamOn || TSteady::now() < NextFrame) continue;
    if (Options.VanishAfter >= 0 && Frames >= Options.VanishAfter) {
      Vanish();
      break;
    }
    if (!SendFrame()) break;
    NextFrame += Period;
    // A host that stopped reading held the stream up: go on at the pace, do not burst.
    if (NextFrame < TSteady::now()) NextFrame = TSteady::now();
  }
  StreamOn = false;
}

void TOrca8xEmulator::Command(const QByteArray& line) {
  {
    QMutexLocker lock(&CommandsLock);
    Received << line;
  }
  if (Options.Silent) return;
  bool sent = true;
  if (line == "About") {
    sent = Send(Options.About + "\r\n");
  } else if (line == "Gain") {
    sent = Send(Block('G', Options.Gain));
  } else if (line == "Plant") {
    sent = Send(Block('P', Options.Plant));
  } else if (line == "Start") {
    if (!StreamOn) NextFrame = TSteady::now() + Period;  // the first frame one period later
    StreamOn = true;
  } else if (line == "Stop") {
    StreamOn = false;  // frames go out whole, so the stream has ended here
    sent = Send("OK\r\n");
  }
  if (!sent) Failed = true;
}

bool TOrca8xEmulator::SendFrame() {
  QByteArray bytes = Frame(Frames, Options.Signal);
  if (Options.Garbage) {
    std::uniform_int_distribution<int> count(1, 3);
    std::uniform_int_distribution<int> value(0, 254);
    for (int n = count(Random); n > 0; --n) {
      int b = value(Random);
      if (b >= 'S') ++b;  // every byte but "S"
      bytes += char(b);
    }
  }
  if (!Send(bytes)) return false;
  ++Frames;
  return true;
}
