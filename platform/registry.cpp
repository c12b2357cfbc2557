#include "platform/registry.h"

#include <QFile>

namespace {
class TFixtureKey : public TRegistryKey {
public:
  explicit TFixtureKey(TFixtureRegistry::TKey key) : Key(std::move(key)) {}
  std::optional<qint64> ReadInteger(const QString& name) const override {
    const auto it = Key.Values.constFind(name.toLower());
    if (it == Key.Values.cend()) return std::nullopt;
    return it->Integer;
  }
  std::optional<QString> ReadString(const QString& name) const override {
    const auto it = Key.Values.constFind(name.toLower());
    if (it == Key.Values.cend() || it->Integer) return std::nullopt;
    return it->Text;
  }

private:
  TFixtureRegistry::TKey Key;
};
}  // namespace

QString TFixtureRegistry::Normalized(const QString& path) {
  QString p = path.toLower();
  p.replace(QLatin1Char('/'), QLatin1Char('\\'));
  while (p.contains(QLatin1String("\\\\"))) p.replace(QLatin1String("\\\\"), QLatin1String("\\"));
  while (p.endsWith(QLatin1Char('\\'))) p.chop(1);
  while (p.startsWith(QLatin1Char('\\'))) p.remove(0, 1);
  return p;
}

TFixtureRegistry TFixtureRegistry::FromText(const QString& text, int* badLines) {
  TFixtureRegistry registry;
  QString current;
  bool inKey = false;
  int bad = 0;
  for (QString line : text.split(QLatin1Char('\n'))) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
      continue;
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      current = line.mid(1, line.size() - 2).trimmed();
      inKey = !current.isEmpty();
      if (inKey) registry.AddKey(current);
      else ++bad;
      continue;
    }
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (!inKey || eq <= 0) {
      ++bad;
      continue;
    }
    const QString name = line.left(eq).trimmed();
    const QString value = line.mid(eq + 1).trimmed();
    if (value.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
      bool ok = false;
      const qint64 n = value.mid(6).trimmed().toLongLong(&ok, 0);
      if (ok) registry.SetInteger(current, name, n);
      else ++bad;
    } else {
      registry.SetString(current, name, value);
    }
  }
  if (badLines) *badLines = bad;
  return registry;
}

bool TFixtureRegistry::LoadFile(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = path + ": " + file.errorString();
    return false;
  }
  Merge(FromText(QString::fromUtf8(file.readAll())));
  return true;
}

void TFixtureRegistry::AddKey(const QString& path) { Keys[Normalized(path)]; }

void TFixtureRegistry::SetString(const QString& path, const QString& name, const QString& value) {
  Keys[Normalized(path)].Values[name.toLower()] = TValue{std::nullopt, value};
}

void TFixtureRegistry::SetInteger(const QString& path, const QString& name, qint64 value) {
  Keys[Normalized(path)].Values[name.toLower()] = TValue{value, QString::number(value)};
}

void TFixtureRegistry::Merge(const TFixtureRegistry& other) {
  for (auto key = other.Keys.cbegin(); key != other.Keys.cend(); ++key) {
    TKey& mine = Keys[key.key()];
    for (auto v = key->Values.cbegin(); v != key->Values.cend(); ++v) mine.Values[v.key()] = *v;
  }
}

std::unique_ptr<TRegistryKey> TFixtureRegistry::OpenKey(const QString& path) {
  const auto it = Keys.constFind(Normalized(path));
  if (it == Keys.cend()) return nullptr;
  return std::make_unique<TFixtureKey>(*it);
}
