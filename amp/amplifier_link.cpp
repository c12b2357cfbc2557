#include "amp/amplifier_link.h"

#include <algorithm>

#include "platform/seams.h"

namespace {
constexpr int LineChunkBytes = 256;
constexpr int BlockBufferBytes = 64;
constexpr int DrainMs = 1000;

QString Latin1Text(const QByteArray& bytes) {
  return QString::fromLatin1(bytes);
}

// Printable ASCII as it is, every other byte as <hh>.
QString VisibleText(const QByteArray& bytes) {
  QString text;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F)
      text += QLatin1Char(c);
    else
      text += QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper();
  }
  return text;
}

// A piece of a comma-separated list as an integer; 0 when it is not a number.
qint64 PieceValue(const QString& piece) {
  bool ok = false;
  const int v = piece.trimmed().toInt(&ok);
  return ok ? v : 0;
}

template <typename TScale>
void ParseValueList(const QString& text, TFloatList& values, TScale scale) {
  values.Clear();
  for (const QString& piece : text.split(QLatin1Char(',')))
    values.Add(static_cast<float>(scale(double(PieceValue(piece)))));
}
}  // namespace

// Counts a time-out down on the seam's clock. A port wait that ran out counts
// in full even when the clock did not move (a manual clock in a test), so no
// read can outlast its time-out whatever clock is in place.
class TAmplifierLink::TCountdown {
public:
  explicit TCountdown(qint64 limit) : Limit(limit) { Restart(); }
  void Restart() {
    Start = Seams().Clock->Milliseconds();
    Credited = 0;
  }
  void Credit(qint64 ms) { Credited += ms; }
  int Remaining() const {
    const qint64 elapsed = std::max(Seams().Clock->Milliseconds() - Start, Credited);
    return static_cast<int>(std::clamp<qint64>(Limit - elapsed, 0, Limit));
  }

private:
  qint64 Limit;
  qint64 Start = 0;
  qint64 Credited = 0;
};

TAmplifierLink::TAmplifierLink() : SerialPort(Seams().Serial->Create()) {}

TAmplifierLink::~TAmplifierLink() {
  if (SerialPort->IsOpen()) CloseAmplifierPort();
}

bool TAmplifierLink::OpenAmplifierPort(int port) {
  try {
    Pending.clear();
    if (!SerialPort->Open(port, AmplifierBaudRate))
      LogTraffic("! ", SerialPort->LastError().toLocal8Bit());
    SerialPort->SetDtr(true);
    SerialPort->SetRts(true);
    SerialPort->Purge();
    ReadReplyLine(AmplifierReplyMs);
    StopAmplifier();
    return true;
  } catch (...) {
    return false;
  }
}

void TAmplifierLink::CloseAmplifierPort() {
  SerialPort->Purge();
  Pending.clear();
  SerialPort->SetRts(false);
  SerialPort->SetDtr(false);
  SerialPort->Close();
}

void TAmplifierLink::SendAmplifierCommand(const QString& word) {
  if (!Alive()) return;
  const QByteArray bytes = word.toLatin1() + "\r\n";
  LogTraffic("> ", bytes);
  for (const char b : bytes) SerialPort->WriteByte(b);
  Pause(AmplifierCommandPauseMs);
}

void TAmplifierLink::FlushAmplifierOutput() {
  if (Alive()) SerialPort->Drain(DrainMs);
}

QString TAmplifierLink::ReadReplyLine(int timeout) {
  QString result;
  bool end = false;
  int consumed = 0;
  TCountdown idle(timeout);
  TCountdown total(qint64(timeout) * AmplifierLineTotalFactor);
  while (!end && consumed < AmplifierLineMaxBytes && idle.Remaining() > 0 &&
         total.Remaining() > 0) {
    const int room = std::min(LineChunkBytes, AmplifierLineMaxBytes - consumed);
    QByteArray chunk = Take(room);
    if (chunk.isEmpty() && Alive() && SerialPort->Waiting() > 0) {
      chunk = SerialPort->Read(room);
      LogTraffic("< ", chunk);
      if (chunk.isEmpty()) {  // announced but not delivered: do not spin on it
        idle.Credit(1);
        total.Credit(1);
      }
    }
    if (chunk.isEmpty()) {
      if (!Alive()) break;
      const int left = std::min(idle.Remaining(), total.Remaining());
      if (left > 0 && !SerialPort->WaitForBytes(left)) {
        idle.Credit(left);
        total.Credit(left);
      }
      continue;
    }
    consumed += int(chunk.size());
    for (const char b : chunk) {
      if (b == '\n')
        end = true;
      else if (b == '\r')
        end = false;
      else
        result += QChar(static_cast<unsigned char>(b));
    }
    idle.Restart();
  }
  return result;
}

QString TAmplifierLink::ReadReplyByte(int timeout) {
  TCountdown countdown(timeout);
  if (!WaitForPending(1, countdown)) return {};
  return Latin1Text(Take(1));
}

QString TAmplifierLink::ReadReplyBlock(int count, int timeout) {
  count = std::min(count, BlockBufferBytes);
  if (count <= 0) return {};
  TCountdown countdown(timeout);
  if (!WaitForPending(count, countdown)) return {};
  QByteArray bytes = Take(count);
  const qsizetype nul = bytes.indexOf('\0');
  if (nul >= 0) bytes.truncate(nul);
  const qsizetype crlf = bytes.indexOf("\r\n");
  if (crlf >= 0) bytes.truncate(crlf);
  return Latin1Text(bytes);
}

QString TAmplifierLink::ReadSampleBytes(int timeout) {
  TCountdown countdown(timeout);
  if (!WaitForPending(AmplifierFrameDataBytes, countdown)) return {};
  QString text;
  for (const char b : Take(AmplifierFrameDataBytes)) {
    text += QString::number(static_cast<unsigned char>(b));
    text += QLatin1Char(',');
  }
  return text;
}

void TAmplifierLink::StartAmplifier() {
  ReadReplyLine(AmplifierReplyMs);
  SendAmplifierCommand(QStringLiteral("Start"));
}

QString TAmplifierLink::StopAmplifier() {
  FlushAmplifierOutput();
  QString reply;
  for (int i = 0; i < AmplifierStopTries && Alive(); ++i) {
    if (reply.startsWith(QLatin1String("OK"))) break;
    SendAmplifierCommand(QStringLiteral("Stop"));
    Pause(AmplifierStopPauseMs);
    reply = ReadReplyLine(AmplifierReplyMs);
  }
  return reply;
}

QString TAmplifierLink::GetAmplifierAbout() {
  FlushAmplifierOutput();
  SendAmplifierCommand(QStringLiteral("About"));
  Pause(AmplifierAboutPauseMs);
  return ReadReplyLine(AmplifierReplyMs);
}

QString TAmplifierLink::GetAmplifierGain() {
  FlushAmplifierOutput();
  SendAmplifierCommand(QStringLiteral("Gain"));
  if (ReadReplyByte(AmplifierReplyMs) != QLatin1String("G")) return {};
  return ReadReplyBlock(AmplifierBlockBytes, AmplifierReplyMs);
}

QString TAmplifierLink::GetAmplifierPlant() {
  FlushAmplifierOutput();
  SendAmplifierCommand(QStringLiteral("Plant"));
  if (ReadReplyByte(AmplifierReplyMs) != QLatin1String("P")) return {};
  return ReadReplyBlock(AmplifierBlockBytes, AmplifierReplyMs);
}

QString TAmplifierLink::ReadAmplifierFrame() {
  if (ReadReplyByte(AmplifierReplyMs) != QLatin1String("S")) return {};
  return ReadSampleBytes(AmplifierReplyMs);
}

QString TAmplifierLink::QueryAmplifierAbout(int port) {
  QString reply;
  try {
    OpenAmplifierPort(port);
    SendAmplifierCommand(QStringLiteral("About"));
    reply = ReadReplyLine(AmplifierReplyMs);
  } catch (...) {
    CloseAmplifierPort();
    throw;
  }
  CloseAmplifierPort();
  return reply;
}

bool TAmplifierLink::PortFailed() const {
  return SerialPort->HasError();
}

QString TAmplifierLink::PortError() const {
  return SerialPort->LastError();
}

bool TAmplifierLink::Alive() const {
  return SerialPort->IsOpen() && !SerialPort->HasError();
}

void TAmplifierLink::Pause(int ms) {
  // A dead port answers nothing, so there is nothing to wait for.
  if (Alive()) Seams().Clock->Sleep(ms);
}

bool TAmplifierLink::WaitForPending(int count, TCountdown& countdown) {
  while (Pending.size() < count) {
    if (!Alive()) return false;
    if (SerialPort->Waiting() > 0) {
      // Only what this read needs: the rest stays in the port for the next one.
      const QByteArray got = SerialPort->Read(count - int(Pending.size()));
      if (!got.isEmpty()) {
        LogTraffic("< ", got);
        Pending += got;
        continue;
      }
      countdown.Credit(1);  // announced but not delivered: do not spin on it
    }
    const int left = countdown.Remaining();
    if (left <= 0) return false;
    if (!SerialPort->WaitForBytes(left)) countdown.Credit(left);
  }
  return true;
}

QByteArray TAmplifierLink::Take(int count) {
  const QByteArray taken = Pending.left(count);
  Pending.remove(0, taken.size());
  return taken;
}

void TAmplifierLink::LogTraffic(const char* direction, const QByteArray& bytes) {
  if (!CommLog || bytes.isEmpty() || CommLines.size() > AmplifierCommLogMaxLines) return;
  if (CommLines.size() == AmplifierCommLogMaxLines)
    CommLines << QStringLiteral("(comm log full)");
  else
    CommLines << QLatin1String(direction) + VisibleText(bytes);
}

void ParseAmplifierFrame(const QString& text, int channelCount, TFloatList& values) {
  values.Clear();
  const QStringList pieces = text.split(QLatin1Char(','));
  for (qsizetype i = 0; i < pieces.size() && values.Count() < channelCount; i += 2) {
    const qint64 hi = PieceValue(pieces[i]);
    const qint64 lo = i + 1 < pieces.size() ? PieceValue(pieces[i + 1]) : 0;
    values.Add(static_cast<float>(double(hi * 256 + lo) * 0.00075 - 6.144));
  }
}

void ParseGainReply(const QString& text, TFloatList& values) {
  ParseValueList(text, values, [](double v) { return v / 1024 + 1; });
}

void ParsePlantReply(const QString& text, TFloatList& values) {
  ParseValueList(text, values, [](double v) { return v / 1024 - 0.5; });
}

QString QueryAmplifierAbout(int comNumber) {
  TAmplifierLink link;
  return link.QueryAmplifierAbout(comNumber);
}
