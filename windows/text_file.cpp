#include "windows/text_file.h"

#include <QDir>
#include <QFile>

#include "platform/errors.h"

namespace {

// One "?" per character, so a character outside the BMP (two UTF-16 units)
// does not turn into two.
void AppendLatin1(QByteArray& out, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c.unicode() <= 0xFF) {
      out.append(char(c.unicode()));
      continue;
    }
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
    out.append('?');
  }
}

}  // namespace

QByteArray EncodeTextLines(const QStringList& lines) {
  QByteArray out;
  qsizetype size = 0;
  for (const QString& line : lines) size += line.size() + 2;
  out.reserve(size);
  for (const QString& line : lines) {
    AppendLatin1(out, line);
    out.append("\r\n");
  }
  return out;
}

void WriteTextLines(const QString& fileName, const QStringList& lines) {
  const QString shown = QDir::toNativeSeparators(fileName);
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw TError(QStringLiteral("Cannot create file \"%1\". %2").arg(shown, file.errorString()));
  const QByteArray bytes = EncodeTextLines(lines);
  // A full disk shows only when the buffer is flushed.
  if (file.write(bytes) != bytes.size() || !file.flush())
    throw TError(QStringLiteral("Cannot write file \"%1\". %2").arg(shown, file.errorString()));
  file.close();
  if (file.error() != QFileDevice::NoError)
    throw TError(QStringLiteral("Cannot write file \"%1\". %2").arg(shown, file.errorString()));
}
