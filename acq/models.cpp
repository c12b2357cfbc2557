#include "acq/models.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>

#include "platform/seams.h"
#include "support/kvutil.h"

QString ModelIdFromName(const QString& name) {
  struct TRule {
    const char* Plain;
    const char* Dashed;
    const char* Id;
  };
  static const TRule rules[] = {{"DI158", "DI-158", "158"},
                                {"DI155", "DI-155", "155"},
                                {"DI148", "DI-148", "148"},
                                {"DI149", "DI-149", "149"},
                                {"DI710", "DI-710", "710"}};
  for (const TRule& r : rules)
    if (name.contains(QLatin1String(r.Plain)) || name.contains(QLatin1String(r.Dashed)))
      return QString::fromLatin1(r.Id);
  if (name.contains(QLatin1String("ORCA8X"))) return QStringLiteral("ORCA8X");
  if (name.contains(QLatin1String("Demo"))) return QStringLiteral("Demo");
  return {};
}

bool IsDI158(const QString& modelId) {
  return modelId.contains(QLatin1String("158"));
}
bool IsDI155(const QString& modelId) {
  return modelId.contains(QLatin1String("155"));
}
bool IsDI148(const QString& modelId) {
  return modelId.contains(QLatin1String("148"));
}
bool IsDI149(const QString& modelId) {
  return modelId.contains(QLatin1String("149"));
}
bool IsDI710(const QString& modelId) {
  return modelId.contains(QLatin1String("710"));
}
bool IsOrca8xModel(const QString& modelId) {
  return modelId.contains(QLatin1String("ORCA8X"));
}
bool IsDemoModel(const QString& modelId) {
  return modelId.contains(QLatin1String("Demo"));
}

bool HasModelVariant(const QString& modelId) {
  return !IsDemoModel(modelId) && !IsDI155(modelId) && !IsDI149(modelId);
}

bool IsDataqModel(const QString& modelId) {
  return !IsDemoModel(modelId) && !IsOrca8xModel(modelId);
}

int MaxChannels(const QString& modelId) {
  if (IsDI158(modelId) || IsDI155(modelId)) return 4;
  if (IsDI148(modelId) || IsDI149(modelId) || IsDI710(modelId) || IsOrca8xModel(modelId)) return 8;
  if (IsDemoModel(modelId)) return 4;
  return 0;
}

int DefaultRangeCode(const QString& modelId, bool isPGL) {
  if (IsDI158(modelId)) return 1;
  if (IsDI155(modelId)) return 104;
  if (IsDI148(modelId) || IsDI149(modelId)) return 0;
  if (IsDI710(modelId)) return isPGL ? 0 : 1;
  if (IsOrca8xModel(modelId)) return 0;
  if (IsDemoModel(modelId)) return 1;
  return 0;
}

double RangeHigh(int code, bool isPGL) {
  switch (code) {
    case 0:
      return 10;
    case 1:
      return isPGL ? 1 : 5;
    case 2:
      return isPGL ? 0.1 : 2.5;
    case 3:
      return isPGL ? 0.01 : 1.25;
    case 100:
      return 50;
    case 101:
      return 25;
    case 102:
      return 12.5;
    case 103:
      return 10;
    case 104:
      return 6.25;
    case 105:
      return 3.125;
    case 106:
      return 2.5;
    default:
      break;
  }
  if (code >= 10 && code <= 99) return std::ldexp(64.0, -(code - 10));
  return 0;
}

double RangeLow(int code, bool isPGL) {
  return -RangeHigh(code, isPGL);
}

double CountsToVolts(int counts, double high, double low) {
  return (high - low) * counts / 65536.0 + (high + low) / 2;
}

QString DataqErrorText(int code) {
  switch (code) {
    case 0:
      return QStringLiteral("No Error");
    case 1:
      return QStringLiteral("Driver Error");
    case 2:
      return QStringLiteral("Communication Error");
    case 3:
      return QStringLiteral("Reset Error");
    case 4:
      return QStringLiteral(
          "Error closing data acquisition device, or unable to claim parallel port");
    case 5:
      return QStringLiteral("Information Error");
    case 6:
      return QStringLiteral("Digital Out Error");
    case 7:
      return QStringLiteral("Analog Out Error");
    case 8:
      return QStringLiteral("Mode Error");
    case 9:
      return QStringLiteral("Start Scan Error");
    case 10:
      return QStringLiteral("Stop Scan Error");
    case 11:
      return QStringLiteral("Input Scan List Error");
    case 12:
      return QStringLiteral("Output Scan List Error");
    case 13:
      return QStringLiteral("Burst Error");
    case 14:
      return QStringLiteral("Scan List Length Error");
    case 19:
      return QStringLiteral("Device not opened for function requiring it");
    case 20:
      return QStringLiteral("Error Code Invalid");
    case 21:
      return QStringLiteral("Device already open error");
    case 888:
      return QStringLiteral("Failed to allocate array for return variant.");
    case 3000:
      return QStringLiteral("Failed to set up the monitoring process (stream feature only).");
    case 8000:
      return QStringLiteral("Failed to allocate minimum data buffer for the device.");
    case 8001:
      return QStringLiteral("Failed to allocate maximum data buffer for the device.");
    case -1:
      return QStringLiteral("Failed/uninitialized link to specified device driver.");
    default:
      return QStringLiteral("Unknown error: ") + QString::number(code);
  }
}

bool IsSevereControlError(int code) {
  return code == 19 || code == -1;
}

QString DataqProcessName(int comNumber) {
  return QString::asprintf("DISCN1%.2d.EXE", comNumber);
}

QString ModelVariantFromReply(const QString& modelId, const QString& reply) {
  if (IsDI158(modelId)) {
    const QString tail = reply.right(2);
    if (tail == QLatin1String("00")) return QStringLiteral("U");
    if (tail == QLatin1String("01")) return QStringLiteral("UP");
    return QStringLiteral("Undefined");
  }
  if (IsDI155(modelId) || IsDI149(modelId)) return QStringLiteral("Std");
  if (IsDI148(modelId))
    return reply.right(2) == QLatin1String("00") ? QStringLiteral("U")
                                                 : QStringLiteral("Undefined");
  if (IsDI710(modelId)) {
    if (reply.size() < 12) return QStringLiteral("Undefined");
    const QChar last = reply.back();
    if (last < QLatin1Char('0') || last > QLatin1Char('9')) return QStringLiteral("Undefined");
    return (last.unicode() - '0') % 2 ? QStringLiteral("PGH") : QStringLiteral("PGL");
  }
  if (IsOrca8xModel(modelId)) return QStringLiteral("Std");
  if (IsDemoModel(modelId)) return QStringLiteral("Demo");
  return QStringLiteral("Unknown device");
}

int ComNumberFromText(const QString& portText, int fallback) {
  bool ok = false;
  const int number = TextAfter(portText, QStringLiteral("COM")).toInt(&ok);
  return ok ? number : fallback;
}

QString QuerySerialNumber(int comNumber) {
  std::unique_ptr<TSerialPort> port = Seams().Serial->Create();
  if (!port) return {};
  if (!port->Open(comNumber, 38400)) {
    port->Close();
    return {};
  }
  bool written = true;
  for (const char byte : {'\0', 'N', 'Z'}) written = written && port->WriteByte(byte);
  if (!written || port->HasError()) {
    port->Close();
    return {};
  }

  // A device that keeps talking must not hold the caller for ever: besides the
  // quiet rule, the total time and the reply's size are bounded.
  TClock& clock = *Seams().Clock;
  const qint64 start = clock.Milliseconds();
  qint64 lastByte = start;
  QByteArray reply;
  while (!port->HasError() && reply.size() < SerialReplyMaxBytes) {
    const qint64 now = clock.Milliseconds();
    const qint64 quietLeft = SerialReplyQuietMs - (now - lastByte);
    const qint64 totalLeft = SerialReplyMaxMs - (now - start);
    if (quietLeft <= 0 || totalLeft <= 0) break;
    if (!port->WaitForBytes(static_cast<int>(std::min(quietLeft, totalLeft)))) continue;
    const QByteArray chunk =
        port->Read(std::min(256, SerialReplyMaxBytes - static_cast<int>(reply.size())));
    if (chunk.isEmpty()) continue;
    reply += chunk;
    lastByte = clock.Milliseconds();
  }
  const bool failed = port->HasError();
  port->Close();
  return failed ? QString() : QString::fromLatin1(reply);
}
