#include "common/temp_dir.h"

#include <QFile>

QString TTempDirTest::WriteFile(const QString& name, const QByteArray& bytes) const {
  const QString path = PathOf(name);
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  EXPECT_EQ(f.write(bytes), bytes.size());
  return path;
}

QByteArray TTempDirTest::ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}
