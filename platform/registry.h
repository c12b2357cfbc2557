#pragma once
// A device registry held in memory: the fixture tree of the tests and the
// simulated devices, and the tree the Linux view synthesizes from sysfs.
//
// Fixture text: "[key\path]" starts a key, "name=value" sets a string value,
// "name=dword:123" an integer value; blank lines and lines starting with ";"
// or "#" are ignored.

#include <QHash>

#include "platform/seams.h"

class TFixtureRegistry : public TDeviceRegistry {
public:
  // Parses fixture text; lines it cannot read are skipped and counted in *badLines.
  static TFixtureRegistry FromText(const QString& text, int* badLines = nullptr);
  // Loads a fixture file; false with a reason in *error when it cannot be read.
  bool LoadFile(const QString& path, QString* error = nullptr);

  // Creates the key (and its parents' entries need not exist) when missing.
  void AddKey(const QString& path);
  void SetString(const QString& path, const QString& name, const QString& value);
  void SetInteger(const QString& path, const QString& name, qint64 value);
  // Adds every key and value of other, replacing values of the same name.
  void Merge(const TFixtureRegistry& other);
  bool IsEmpty() const { return Keys.isEmpty(); }

  std::unique_ptr<TRegistryKey> OpenKey(const QString& path) override;

  struct TValue {
    std::optional<qint64> Integer;
    QString Text;
  };
  struct TKey {
    QHash<QString, TValue> Values;  // by lower-case name
  };

private:
  static QString Normalized(const QString& path);
  QHash<QString, TKey> Keys;  // by normalized path
};
