#include "acq/simulated_devices.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

#include "acq/models.h"

namespace {

// Offending text as it appears in an error line: short and printable, whatever the file held.
QString Shown(const QString& text) {
  QString s = text.left(40);
  for (QChar& c : s)
    if (!c.isPrint()) c = u'?';
  if (text.size() > 40) s += QStringLiteral("...");
  return u'"' + s + u'"';
}

std::optional<double> ParseSeconds(const QString& text) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v) || v < 0) return std::nullopt;
  return v;
}

class TParser {
public:
  explicit TParser(QString source) : Source(std::move(source)) {}

  TSimulatedDevicesLoad Run(const QString& text) {
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      LineNo = static_cast<int>(i) + 1;
      Line(lines[i]);
    }
    EndSection();
    return Result;
  }

private:
  void Problem(const QString& what) {
    if (!Result.Error.isEmpty()) Result.Error += u'\n';
    Result.Error += QStringLiteral("%1, line %2: %3").arg(Source).arg(LineNo).arg(what);
  }

  void Line(QString line) {
    if (const qsizetype c = line.indexOf(u';'); c >= 0) line.truncate(c);
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) return;
    if (line.startsWith(u'[')) {
      Section(line);
      return;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) {
      Problem(Shown(line) + QStringLiteral(" is not a key=value entry; ignored"));
      return;
    }
    if (!InSection) {
      if (!Skipping) Problem(QStringLiteral("entry outside a [COMn] section; ignored"));
      return;
    }
    Entry(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
  }

  void Section(const QString& line) {
    EndSection();
    Skipping = true;
    static const QRegularExpression form(QStringLiteral("^\\[\\s*COM([0-9]{1,5})\\s*\\]$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = form.match(line);
    const int com = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (com <= 0) {
      Problem(Shown(line) + QStringLiteral(" is not a port section such as [COM3]; its entries "
                                           "are ignored"));
      return;
    }
    for (const TSimulatedDevice& d : Result.Devices)
      if (d.ComNumber == com) {
        Problem(QStringLiteral("COM%1 appears twice; the second section is ignored").arg(com));
        return;
      }
    Current = TSimulatedDevice{};
    Current.ComNumber = com;
    SectionLine = LineNo;
    InSection = true;
    Skipping = false;
  }

  void EndSection() {
    if (!InSection) return;
    InSection = false;
    const int line = LineNo;
    LineNo = SectionLine;
    Current.ModelId = ModelIdFromName(Current.Model);
    if (Current.Model.isEmpty())
      Problem(QStringLiteral("COM%1 has no Model; the device is ignored").arg(Current.ComNumber));
    else if (Current.ModelId.isEmpty() || IsDemoModel(Current.ModelId))
      Problem(QStringLiteral("COM%1: unknown model %2; the device is ignored")
                  .arg(Current.ComNumber)
                  .arg(Shown(Current.Model)));
    else
      Result.Devices << Current;
    LineNo = line;
  }

  void Entry(const QString& key, const QString& value) {
    auto is = [&](const char* name) {
      return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    if (is("Model")) {
      Current.Model = value;
    } else if (is("SerialReply")) {
      Current.SerialReply = value;
    } else if (is("Signal")) {
      if (value.compare(QLatin1String("ramp"), Qt::CaseInsensitive) == 0)
        Current.Signal = TSimulatedSignal::Ramp;
      else if (value.compare(QLatin1String("sine"), Qt::CaseInsensitive) == 0)
        Current.Signal = TSimulatedSignal::Sine;
      else
        Problem(QStringLiteral("Signal %1 is neither ramp nor sine; ignored").arg(Shown(value)));
    } else if (is("RateError")) {
      bool ok = false;
      const double v = value.toDouble(&ok);
      if (ok && std::isfinite(v) && v > -1 && v < 1)
        Current.RateError = v;
      else
        Problem(QStringLiteral("RateError %1 is not a fraction between -1 and 1; ignored")
                    .arg(Shown(value)));
    } else if (is("ControlError")) {
      for (const QString& item : value.split(u',', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(u'@');
        bool ok = false;
        const int code = parts.size() == 2 ? parts[0].trimmed().toInt(&ok) : 0;
        const std::optional<double> at = ok ? ParseSeconds(parts[1]) : std::nullopt;
        if (at)
          Current.ControlErrors << TInjectedControlError{code, *at};
        else
          Problem(QStringLiteral("ControlError %1 is not code@seconds; ignored")
                      .arg(Shown(item.trimmed())));
      }
    } else if (is("Overrun")) {
      for (const QString& item : value.split(u',', Qt::SkipEmptyParts)) {
        const QString t = item.trimmed();
        const std::optional<double> at = t.startsWith(u'@') ? ParseSeconds(t.mid(1)) : std::nullopt;
        if (at)
          Current.Overruns << *at;
        else
          Problem(QStringLiteral("Overrun %1 is not @seconds; ignored").arg(Shown(t)));
      }
    } else {
      Problem(QStringLiteral("unknown key %1; ignored").arg(Shown(key)));
    }
  }

  QString Source;
  TSimulatedDevicesLoad Result;
  TSimulatedDevice Current;
  bool InSection = false;
  bool Skipping = false;  // inside a rejected section: its entries are dropped quietly
  int LineNo = 0;
  int SectionLine = 0;
};

struct TCurrentSet {
  bool Chosen = false;
  TSimulatedDevicesLoad Load;
};

TCurrentSet& Current() {
  static TCurrentSet set;
  return set;
}

TSimulatedDevicesLoad LoadOrNothing(const QString& path) {
  if (path.isEmpty()) return {};
  return LoadSimulatedDevices(path);
}

}  // namespace

TSimulatedDevicesLoad ParseSimulatedDevices(const QString& text, const QString& source) {
  QString body = text;
  if (body.startsWith(QChar(0xFEFF))) body.remove(0, 1);
  return TParser(source).Run(body);
}

TSimulatedDevicesLoad LoadSimulatedDevices(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    TSimulatedDevicesLoad failed;
    failed.Error = QStringLiteral("Cannot open the simulated devices file \"%1\": %2")
                       .arg(path, file.errorString());
    return failed;
  }
  if (file.size() > SimulatedDevicesMaxFileBytes) {
    TSimulatedDevicesLoad failed;
    failed.Error = QStringLiteral("The simulated devices file \"%1\" is too large (over %2 bytes)")
                       .arg(path)
                       .arg(SimulatedDevicesMaxFileBytes);
    return failed;
  }
  // Read no more than the limit even if the file grows meanwhile.
  const QByteArray bytes = file.read(SimulatedDevicesMaxFileBytes);
  return ParseSimulatedDevices(QString::fromUtf8(bytes), path);
}

QString SetSimulatedDevicesFile(const QString& path) {
  TCurrentSet& set = Current();
  set.Load = LoadOrNothing(path);
  set.Chosen = true;
  return set.Load.Error;
}

void SetSimulatedDevices(const QList<TSimulatedDevice>& devices) {
  TCurrentSet& set = Current();
  set.Load = TSimulatedDevicesLoad{devices, {}};
  set.Chosen = true;
}

void ResetSimulatedDevices() {
  Current() = TCurrentSet{};
}

static TCurrentSet& ChosenSet() {
  TCurrentSet& set = Current();
  if (!set.Chosen) {
    set.Load = LoadOrNothing(qEnvironmentVariable("TAVRIN_SIMULATE"));
    set.Chosen = true;
  }
  return set;
}

const QList<TSimulatedDevice>& SimulatedDevices() {
  return ChosenSet().Load.Devices;
}

QString SimulatedDevicesError() {
  return ChosenSet().Load.Error;
}

std::optional<TSimulatedDevice> FindSimulatedDevice(const QString& port) {
  const QString p = port.trimmed();
  for (const TSimulatedDevice& d : SimulatedDevices())
    if (p.compare(d.Port(), Qt::CaseInsensitive) == 0) return d;
  return std::nullopt;
}
