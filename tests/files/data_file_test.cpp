// Names, the run description line and the header lines of the intermediate data file.
#include "files/data_file.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>

#include "common/temp_dir.h"
#include "doubles/manual_clock.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace {

struct TNameCase {
  const char* Name;
  int Channels;
  bool OldStyle;
};

TEST(DataFileNames, ChannelCountAndOldStyleFromTheExtension) {
  const std::vector<TNameCase> cases = {
      {"test.aq8", 8, false},
      {"test.AQ8", 8, false},
      {"test.aq2", 2, false},
      {"test.Aq2", 2, false},
      {"test.aq4", 4, false},
      {"test.aq3", 4, false},
      {"test.acq", 4, true},
      {"test.ACQ", 4, true},
      {"test", 4, false},
      {"test.", 4, false},
      {"a.b.aq2", 2, false},
      {"dir.aq8/test", 4, false},
      {"/data/bean.acq.aq8", 8, false},
  };
  for (const TNameCase& c : cases) {
    EXPECT_EQ(ChannelsFromFileExt(c.Name), c.Channels) << c.Name;
    EXPECT_EQ(IsOldStyleDataFile(c.Name), c.OldStyle) << c.Name;
  }
}

TEST(DataFileNames, PathsInTheDataDirectory) {
  EXPECT_EQ(GetDataDirectory(), DefaultDataDirectory());
  EXPECT_EQ(GetDataDirectory(), QDir::homePath() + "/ZQR_data");
  const QString previous = GetDataDirectory();
  SetDataDirectory("/tmp/epg");
  EXPECT_EQ(DataFilePath("run_log.txt"), "/tmp/epg/run_log.txt");
  EXPECT_EQ(IntermediateFileName("  bean12 ", 4), "/tmp/epg/bean12.aq4");
  EXPECT_EQ(IntermediateFileName("b", 8), "/tmp/epg/b.aq8");
  SetDataDirectory(previous);
  EXPECT_EQ(DataFileExt(2), "aq2");
  EXPECT_EQ(DataFileExt(8), "aq8");
}

// The line depends on the default locale; every test leaves it as it found it.
class HeaderLineTest : public ::testing::Test {
protected:
  void TearDown() override { QLocale::setDefault(Saved); }
  QLocale Saved;
};

struct THeaderLineCase {
  QLocale::Language Language;
  double Hours;
  double Rate;
  const char* Expected;
};

TEST_F(HeaderLineTest, DateTimeAndNumbersInTheSystemsSeparators) {
  const QDateTime start(QDate(2010, 7, 5), QTime(14, 12, 54));
  const std::vector<THeaderLineCase> cases = {
      {QLocale::C, 0.5, 100, "ZQR: 05-07-2010 14:12:54/rec.time= 0.50/smpl.frq= 100.000Hz"},
      {QLocale::German, 0.5, 100, "ZQR: 05-07-2010 14:12:54/rec.time= 0,50/smpl.frq= 100,000Hz"},
      {QLocale::German, 0.01, 99.5, "ZQR: 05-07-2010 14:12:54/rec.time= 0,01/smpl.frq=  99,500Hz"},
      // Group separators would widen the line ("1,000.000").
      {QLocale::English, 24, 1000, "ZQR: 05-07-2010 14:12:54/rec.time=24.00/smpl.frq=1000.000Hz"},
      {QLocale::German, 99.99, 9999.999,
       "ZQR: 05-07-2010 14:12:54/rec.time=99,99/smpl.frq=9999,999Hz"},
      {QLocale::Finnish, 1, 0, "ZQR: 05-07-2010 14.12.54/rec.time= 1,00/smpl.frq=   0,000Hz"},
  };
  for (const THeaderLineCase& c : cases) {
    QLocale::setDefault(QLocale(c.Language));
    const QString line = FormatHeaderLine(start, c.Hours, c.Rate);
    EXPECT_EQ(line, c.Expected) << QLocale::languageToString(c.Language).toStdString();
    EXPECT_EQ(line.size(), 59) << c.Expected;
  }
}

TEST_F(HeaderLineTest, InvalidStartMeansNow) {
  QLocale::setDefault(QLocale::c());
  TManualClock clock(1000, QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
  TSeamOverride<TClock> use(&TSeamSet::Clock, clock);
  EXPECT_EQ(FormatHeaderLine(QDateTime(), 2, 300),
            "ZQR: 31-12-2023 23:59:59/rec.time= 2.00/smpl.frq= 300.000Hz");
}

TEST(HeaderLineBytes, Latin1WithQuestionMarksAndNoControlCharacters) {
  EXPECT_EQ(HeaderLineBytes(QString::fromUtf8("caf\u00e9 & co")), QByteArray("caf\xe9 & co"));
  EXPECT_EQ(HeaderLineBytes(QString::fromUtf8("5 \u20ac")), QByteArray("5 ?"));
  // One character outside the basic plane is one "?", not two.
  EXPECT_EQ(HeaderLineBytes(QString::fromUtf8("a\U0001F41Bb")), QByteArray("a?b"));
  // A CR LF inside a comment would end the line early and shift the sample area.
  EXPECT_EQ(HeaderLineBytes("one\r\ntwo\tthree"), QByteArray("onetwothree"));
  EXPECT_EQ(ThreeLineHeader({"a", "b"}), QByteArray("a\r\nb\r\n\r\n"));
  EXPECT_EQ(ThreeLineHeader({"a", "b", "c", "d"}), QByteArray("a\r\nb\r\nc\r\n"));
}

struct THeaderReadCase {
  const char* What;
  QByteArray Bytes;
  qint64 Length;
  QStringList Lines;
};

TEST(ReadFileHeader, ByteRules) {
  const QByteArray samples("\x01\x02\x03\x04\r\n\r\n", 8);
  const std::vector<THeaderReadCase> cases = {
      {"three lines then samples",
       "ZQR: x\r\ncomment\r\nthird\r\n" + samples,
       24,
       {"ZQR: x", "comment", "third"}},
      {"empty third line", "a\r\nb\r\n\r\n" + samples, 8, {"a", "b", "-"}},
      {"ampersand doubled", "a\r\nbeans & peas\r\n&\r\n", 20, {"a", "beans && peas", "&&"}},
      {"byte 0xE9", "caf\xe9\r\nb\r\nc\r\n", 12, {QString::fromUtf8("caf\u00e9"), "b", "c"}},
      {"high bytes", "\x80\xff\r\n\r\n\r\n", 8, {QString(QChar(0x80)) + QChar(0xff), "-", "-"}},
      {"two lines only", "a\r\nb\r\n", 6, {"a", "b"}},
      {"no CR LF at all", "abc\rdef\n", 8, {}},
      {"empty file", "", 0, {}},
      {"lone CR and LF inside", "a\rb\nc\r\nd\r\ne\r\n", 13, {"abc", "d", "e"}},
      {"LF CR does not end a line", "a\n\rb\r\nc\r\nd\r\n", 12, {"ab", "c", "d"}},
      {"CR CR LF ends a line", "a\r\r\nb\r\nc\r\n", 10, {"a", "b", "c"}},
      {"control bytes dropped",
       QByteArray("a\tb\x01"
                  "c\0d\r\ne\r\nf\r\n",
                  15),
       15,
       {"abcd", "e", "f"}},
      {"stops after the third line", "1\r\n2\r\n3\r\n4\r\n5\r\n", 9, {"1", "2", "3"}},
  };
  for (const THeaderReadCase& c : cases) {
    QByteArray bytes = c.Bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    QStringList lines;
    EXPECT_EQ(ReadFileHeader(buffer, &lines), c.Length) << c.What;
    EXPECT_EQ(lines, c.Lines) << c.What;
    EXPECT_EQ(buffer.pos(), c.Length) << c.What;
  }
}

TEST(ReadFileHeader, AppendsToTheListAndWorksWithoutOne) {
  QByteArray bytes("a\r\nb\r\nc\r\n");
  QBuffer buffer(&bytes);
  ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
  QStringList lines{"kept"};
  EXPECT_EQ(ReadFileHeader(buffer, &lines), 9);
  EXPECT_EQ(lines, QStringList({"kept", "a", "b", "c"}));
  buffer.seek(0);
  EXPECT_EQ(ReadFileHeader(buffer), 9);
}

TEST(ReadFileHeader, BinaryGarbageIsHarmless) {
  QRandomGenerator random(20100705);
  for (int round = 0; round < 50; ++round) {
    QByteArray bytes(1 + random.bounded(5000), Qt::Uninitialized);
    for (char& b : bytes) b = static_cast<char>(random.bounded(256));
    // Now and then a CR LF, so that some rounds find all three lines.
    for (int i = 0; i < 3; ++i) bytes.insert(random.bounded(int(bytes.size())), "\r\n");
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    QStringList lines;
    const qint64 length = ReadFileHeader(buffer, &lines);
    EXPECT_EQ(buffer.pos(), length);
    EXPECT_LE(lines.size(), 3);
    if (lines.size() < 3) {
      EXPECT_EQ(length, bytes.size());
    }
    for (const QString& line : lines) {
      EXPECT_FALSE(line.isEmpty());
      for (QChar ch : line) EXPECT_TRUE(ch.unicode() >= 0x20 && ch.unicode() <= 0xff);
    }
  }
}

class HeaderFileTest : public TTempDirTest {};

TEST_F(HeaderFileTest, FilesAreLeftRightBehindTheHeader) {
  const QString path = WriteFile("x.aq4", QByteArray("a\r\nb\r\nc\r\nSAMPLES"));
  for (QIODevice::OpenMode mode :
       {QIODevice::ReadOnly | QIODevice::Unbuffered, QIODevice::OpenMode(QIODevice::ReadOnly)}) {
    QFile file(path);
    ASSERT_TRUE(file.open(mode));
    EXPECT_EQ(ReadFileHeader(file), 9);
    EXPECT_EQ(file.pos(), 9);
    EXPECT_EQ(file.read(7), "SAMPLES");
  }
}

TEST_F(HeaderFileTest, MegabytesWithoutCrLfKeepOnlyTheStartOfTheLine) {
  const qsizetype size = 8 * 1024 * 1024;
  const QString endless = WriteFile("endless.acq", QByteArray(size, 'x'));
  const QString third = WriteFile("long.aq4", "a\r\nb\r\n" + QByteArray(size, 'y') + "\r\n");
  QFile file(endless);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QStringList lines;
  EXPECT_EQ(ReadFileHeader(file, &lines), size);
  EXPECT_TRUE(lines.isEmpty());
  EXPECT_TRUE(file.atEnd());

  QFile longLine(third);
  ASSERT_TRUE(longLine.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
  EXPECT_EQ(ReadFileHeader(longLine, &lines), size + 8);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[2], QString(MaxKeptHeaderLineChars, 'y'));
}

TEST_F(HeaderFileTest, WriteFileHeaderOverwritesTheStartOnly) {
  const QString path = WriteFile("w.aq2", QByteArray("1\r\n22\r\n333\r\nDATA"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  file.seek(file.size());
  EXPECT_EQ(WriteFileHeader(file, {"A", "BB", "CCC", "ignored fourth line"}), 12);
  file.close();
  EXPECT_EQ(ReadFile(path), QByteArray("A\r\nBB\r\nCCC\r\nDATA"));
}

}  // namespace
