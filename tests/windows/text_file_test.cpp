#include "windows/text_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cerrno>

#include "common/temp_dir.h"
#include "platform/errors.h"

namespace {

struct TEncodingCase {
  const char* Name;
  QStringList Lines;
  QByteArray Bytes;
};

class TextFile : public TTempDirTest {};

TEST_F(TextFile, WritesLatin1LinesEndedByCrLf) {
  const std::vector<TEncodingCase> cases = {
      {"no lines", {}, QByteArray()},
      {"one empty line", {QString()}, QByteArray("\r\n")},
      {"two lines", {"a", "b c"}, QByteArray("a\r\nb c\r\n")},
      {"a blank line between", {"x", " ", "y"}, QByteArray("x\r\n \r\ny\r\n")},
      {"Latin-1 letters",
       {QString::fromUtf8("Grüße µ ÿ")},
       QByteArray("Gr\xFC\xDF"
                  "e \xB5 \xFF") +
           "\r\n"},
      {"outside Latin-1", {QString::fromUtf8("5 € Ā")}, QByteArray("5 ? ?\r\n")},
      {"outside the BMP is one character",
       {QString::fromUtf8("a\U0001F600b")},
       QByteArray("a?b\r\n")},
  };
  for (const TEncodingCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QString path = PathOf("out.txt");
    WriteTextLines(path, c.Lines);
    EXPECT_EQ(ReadFile(path), c.Bytes);
    EXPECT_EQ(EncodeTextLines(c.Lines), c.Bytes);
  }
}

TEST_F(TextFile, ReplacesALongerFile) {
  const QString path = WriteFile("log.txt", QByteArray(1000, 'x'));
  WriteTextLines(path, {"short"});
  EXPECT_EQ(ReadFile(path), QByteArray("short\r\n"));
}

TEST_F(TextFile, RefusedCreateRaisesWithNameAndReason) {
  // A parent that is a regular file fails for root too.
  const QString parent = WriteFile("plain", "not a folder");
  const QString path = parent + "/log.txt";
  try {
    WriteTextLines(path, {"line"});
    FAIL() << "no error raised";
  } catch (const TError& e) {
    EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
    EXPECT_TRUE(e.Message().contains(qt_error_string(ENOTDIR))) << e.Message().toStdString();
  }
  EXPECT_EQ(ReadFile(parent), QByteArray("not a folder"));
}

TEST_F(TextFile, FullDiskRaises) {
  if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  EXPECT_THROW(WriteTextLines("/dev/full", {"line"}), TError);
}

}  // namespace
