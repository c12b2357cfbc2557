#pragma once
// The settings store: one ini file, a current section, case-insensitive
// section and key names, and writes that reach the file at once.

#include <QString>

class TStRegIni {
public:
  // The second argument is accepted for the callers' sake and ignored.
  explicit TStRegIni(const QString& fileName, bool unused = false);

  void SetCurrentSection(const QString& section) { Section = section; }
  const QString& CurrentSection() const { return Section; }
  const QString& FileName() const { return File; }

  QString ReadString(const QString& key, const QString& defaultValue) const;
  // Decimal, or hexadecimal after "0x"/"0X"; the default when missing or not an integer.
  int ReadInteger(const QString& key, int defaultValue) const;
  bool ReadBool(const QString& key, bool defaultValue) const;
  // Writes raise TError("Unable to write to <file>") when the system refuses them.
  void WriteString(const QString& key, const QString& value);
  void WriteInteger(const QString& key, int value);
  void WriteBool(const QString& key, bool value);

private:
  QString File;
  QString Section;
};

// The settings file: the executable's name with ".ini", in the config folder.
QString GetIniFileName();
