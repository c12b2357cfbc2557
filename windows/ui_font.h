#pragma once
// Window fonts named by family, falling back to the system's general font where
// the family is not installed (most Linux systems have no Arial or Segoe UI).

#include <QFont>
#include <QFontDatabase>

inline QFont FontOrDefault(const QString& family) {
  return QFontDatabase::hasFamily(family) ? QFont(family)
                                          : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}
