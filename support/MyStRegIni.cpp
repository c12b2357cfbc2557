#include "support/MyStRegIni.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

#include "platform/errors.h"
#include "platform/paths.h"

namespace {

// One line of the file, as far as the store cares. Lines are kept as raw bytes
// so a rewrite leaves every line it does not change exactly as it was.
struct TIniLine {
  enum TKind { Other, Section, Key } Kind = Other;
  QString Name;
  QString Value;
};

TIniLine ParseLine(QByteArrayView raw) {
  TIniLine line;
  QString text = QString::fromUtf8(raw);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  text = text.trimmed();
  if (text.isEmpty() || text.startsWith(QLatin1Char(';'))) return line;
  if (text.startsWith(QLatin1Char('['))) {
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    if (close < 0) return line;
    line.Kind = TIniLine::Section;
    line.Name = text.mid(1, close - 1).trimmed();
    return line;
  }
  const qsizetype eq = text.indexOf(QLatin1Char('='));
  if (eq <= 0) return line;
  line.Name = text.left(eq).trimmed();
  if (line.Name.isEmpty()) return line;
  line.Kind = TIniLine::Key;
  line.Value = text.mid(eq + 1).trimmed();
  return line;
}

bool SameName(const QString& a, const QString& b) {
  return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

struct TIniFileText {
  QList<QByteArray> Lines;
  QByteArray Eol = "\n";
  bool Readable = true;  // false when the file exists but cannot be read
};

TIniFileText LoadLines(const QString& fileName) {
  TIniFileText file;
  QFile f(fileName);
  if (!f.exists()) return file;
  if (!f.open(QIODevice::ReadOnly)) {
    file.Readable = false;
    return file;
  }
  const QByteArray all = f.readAll();
  if (f.error() != QFileDevice::NoError) file.Readable = false;
  if (all.isEmpty()) return file;
  file.Lines = all.split('\n');
  if (file.Lines.last().isEmpty()) file.Lines.removeLast();
  if (!file.Lines.isEmpty() && file.Lines.first().endsWith('\r')) file.Eol = "\r\n";
  for (QByteArray& l : file.Lines)
    if (l.endsWith('\r')) l.chop(1);
  return file;
}

std::optional<QString> Lookup(const QString& fileName, const QString& section, const QString& key) {
  const TIniFileText file = LoadLines(fileName);
  bool inSection = false;
  for (const QByteArray& raw : file.Lines) {
    const TIniLine line = ParseLine(raw);
    if (line.Kind == TIniLine::Section)
      inSection = SameName(line.Name, section);
    else if (line.Kind == TIniLine::Key && inSection && SameName(line.Name, key))
      return line.Value;
  }
  return std::nullopt;
}

// Decimal, or hexadecimal for "0x..." (up to 32 bits, read as the int with those bits).
std::optional<int> ParseInteger(const QString& text) {
  bool ok = false;
  if (text.size() > 2 &&
      (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
    const QStringView digits = QStringView(text).mid(2);
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-')))
      return std::nullopt;
    const uint bits = digits.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return int(bits);
  }
  const int value = text.toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return value;
}

}  // namespace

TStRegIni::TStRegIni(const QString& fileName, bool) : File(fileName) {}

QString TStRegIni::ReadString(const QString& key, const QString& defaultValue) const {
  return Lookup(File, Section, key).value_or(defaultValue);
}

int TStRegIni::ReadInteger(const QString& key, int defaultValue) const {
  const std::optional<QString> text = Lookup(File, Section, key);
  if (!text) return defaultValue;
  return ParseInteger(*text).value_or(defaultValue);
}

bool TStRegIni::ReadBool(const QString& key, bool defaultValue) const {
  return ReadInteger(key, defaultValue ? 1 : 0) != 0;
}

void TStRegIni::WriteString(const QString& key, const QString& value) {
  const auto refused = [this] { return TError(QStringLiteral("Unable to write to %1").arg(File)); };
  TIniFileText file = LoadLines(File);
  // Rewriting a file we could not read would lose what it holds.
  if (!file.Readable) throw refused();

  // A line break in a value would forge lines of its own.
  QString flat = value;
  flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QByteArray entry = (key + QLatin1Char('=') + flat).toUtf8();

  // The first entry of the key in a section of that name is the one reads find;
  // a new key goes after the last entry of the first such section.
  qsizetype header = -1, anchor = -1, found = -1;
  bool inSection = false, inFirst = false;
  for (qsizetype i = 0; i < file.Lines.size() && found < 0; ++i) {
    const TIniLine line = ParseLine(file.Lines[i]);
    if (line.Kind == TIniLine::Section) {
      inSection = SameName(line.Name, Section);
      inFirst = inSection && header < 0;
      if (inFirst) header = anchor = i;
    } else if (line.Kind == TIniLine::Key && inSection) {
      if (SameName(line.Name, key))
        found = i;
      else if (inFirst)
        anchor = i;
    }
  }
  if (found >= 0) {
    file.Lines[found] = entry;
  } else if (header >= 0) {
    file.Lines.insert(anchor + 1, entry);
  } else {
    if (!file.Lines.isEmpty() && !file.Lines.last().trimmed().isEmpty())
      file.Lines.append(QByteArray());
    file.Lines.append((QLatin1Char('[') + Section + QLatin1Char(']')).toUtf8());
    file.Lines.append(entry);
  }

  QSaveFile out(File);
  if (!out.open(QIODevice::WriteOnly)) throw refused();
  for (const QByteArray& l : file.Lines) {
    out.write(l);
    out.write(file.Eol);
  }
  if (!out.commit()) throw refused();
}

void TStRegIni::WriteInteger(const QString& key, int value) {
  WriteString(key, QString::number(value));
}

void TStRegIni::WriteBool(const QString& key, bool value) {
  WriteString(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString GetIniFileName() {
  QString name;
  if (QCoreApplication::instance())
    name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  if (name.isEmpty()) name = QStringLiteral("tavrin");
  return ConfigFolder() + name + QStringLiteral(".ini");
}
