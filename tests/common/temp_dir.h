#pragma once
// A fresh folder for one test, removed afterwards.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class TTempDirTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  // Full path of a name inside the folder.
  QString PathOf(const QString& name) const { return Dir.filePath(name); }
  // Writes bytes to a file in the folder and returns its path.
  QString WriteFile(const QString& name, const QByteArray& bytes) const;
  static QByteArray ReadFile(const QString& path);
};
