// Writing a recording and reading its sample area back.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QtEndian>
#include <csignal>
#include <cstring>
#include <vector>

#include "common/temp_dir.h"
#include "files/data_file.h"
#include "platform/errors.h"

namespace {

quint32 Bits(float v) {
  quint32 b;
  std::memcpy(&b, &v, 4);
  return b;
}

float FromBits(quint32 b) {
  float v;
  std::memcpy(&v, &b, 4);
  return v;
}

float LittleEndianAt(const QByteArray& bytes, qsizetype offset) {
  return qFromLittleEndian<float>(bytes.constData() + offset);
}

QByteArray LittleEndianBytes(const std::vector<float>& values) {
  if (values.empty()) return {};
  QByteArray bytes(qsizetype(values.size()) * 4, Qt::Uninitialized);
  qToLittleEndian<float>(values.data(), qsizetype(values.size()), bytes.data());
  return bytes;
}

// Values that show a lost, doubled or shifted sample: frame f, channel k -> f * 10 + k.
std::vector<float> Frames(int frames, int channels, int first = 0) {
  std::vector<float> values;
  for (int f = first; f < first + frames; ++f)
    for (int k = 0; k < channels; ++k) values.push_back(float(f * 10 + k));
  return values;
}

std::vector<float> ReadAll(TSampleAreaReader& reader, int channels) {
  reader.Start(channels);
  std::vector<float> all, block;
  while (reader.Next(block)) {
    EXPECT_FALSE(block.empty());
    EXPECT_EQ(block.size() % channels, 0u);
    all.insert(all.end(), block.begin(), block.end());
  }
  return all;
}

const QStringList Comments = {"ZQR: 05-07-2010 14:12:54/rec.time= 0.50/smpl.frq= 100.000Hz",
                              "bean aphid 3", ""};

class DataFileWriterTest : public TTempDirTest {};

TEST_F(DataFileWriterTest, RunOfFourChannelsAndThousandFrames) {
  const QString path = PathOf("run.aq4");
  // Bit patterns that arithmetic would disturb: -0, denormals, infinities, a NaN payload.
  std::vector<float> values;
  const quint32 specials[] = {0x80000000u, 0x00000001u, 0x7f800000u, 0xff800000u, 0x7fc12345u};
  for (int i = 0; i < 4000; ++i)
    values.push_back(i < 5 ? FromBits(specials[i]) : FromBits(0x3f800000u + quint32(i) * 977u));

  TDataFileWriter writer;
  writer.Create(path, Comments);
  EXPECT_TRUE(writer.IsOpen());
  EXPECT_EQ(writer.FilePath(), path);
  const qint64 header = writer.HeaderLength();
  EXPECT_EQ(header, 59 + 12 + 0 + 6);
  for (int block = 0; block < 40; ++block)  // 25 frames per data event
    EXPECT_EQ(writer.AppendBlock(values.data() + block * 100, 100), 400);
  EXPECT_EQ(writer.SampleBytes(), 16000);
  // The samples reach the system as they are written, before the file is closed.
  EXPECT_EQ(QFile(path).size(), header + 16000);
  writer.Close();

  const QByteArray bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), header + 16000);
  EXPECT_EQ(bytes.left(header), ThreeLineHeader(Comments));
  EXPECT_EQ(bytes.mid(header), LittleEndianBytes(values));

  TSampleAreaReader reader;
  reader.Open(path);
  EXPECT_EQ(reader.HeaderLength(), header);
  EXPECT_EQ(reader.HeaderLines(), QStringList({Comments[0], Comments[1], "-"}));
  EXPECT_EQ(reader.SampleCount(4), 1000);
  EXPECT_FALSE(reader.Resynced());
  const std::vector<float> back = ReadAll(reader, 4);
  EXPECT_EQ(reader.FramesRead(), 1000);
  ASSERT_EQ(back.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) ASSERT_EQ(Bits(back[i]), Bits(values[i])) << i;
}

TEST_F(DataFileWriterTest, CreateEmptiesAnExistingFile) {
  const QString path = WriteFile("old.aq2", QByteArray(100000, 'z'));
  TDataFileWriter writer;
  writer.Create(path, {"1", "2", "3"});
  writer.AppendBlock(std::vector<float>{1, 2}.data(), 2);
  writer.Close();
  EXPECT_EQ(ReadFile(path), QByteArray("1\r\n2\r\n3\r\n") + LittleEndianBytes({1, 2}));
}

TEST_F(DataFileWriterTest, HeaderRewriteOfEqualLengthKeepsTheSamples) {
  const QString path = PathOf("equal.aq8");
  TDataFileWriter writer;
  writer.Create(path, Comments);
  const std::vector<float> values = Frames(1600, 8);
  writer.AppendBlock(values.data(), int(values.size()));
  const QByteArray before = ReadFile(path);

  QStringList finished = Comments;
  finished[0] = "ZQR: 05-07-2010 14:12:54/rec.time= 0.50/smpl.frq=  99.871Hz";
  EXPECT_EQ(writer.RewriteHeader(finished), writer.HeaderLength());
  // Rewriting goes to the start; later appends still go to the end.
  writer.AppendBlock(values.data(), 8);
  writer.Close();

  const QByteArray after = ReadFile(path);
  const qint64 h = writer.HeaderLength();
  EXPECT_EQ(after.left(h), ThreeLineHeader(finished));
  EXPECT_EQ(after.mid(h, before.size() - h), before.mid(h));
  EXPECT_EQ(after.mid(before.size()), LittleEndianBytes({values.begin(), values.begin() + 8}));
}

struct TRewriteCase {
  const char* What;
  QStringList Created;
  QStringList Final;
  bool Written;
};

TEST_F(DataFileWriterTest, HeaderOfAnotherLengthIsNeverWritten) {
  const QString wide = "ZQR: 05-07-2010 14:12:54/rec.time= 0.50/smpl.frq=12345.678Hz";
  const QString longLine(300, 'L');
  const std::vector<TRewriteCase> cases = {
      {"rate field grown wider", Comments, {wide, Comments[1], Comments[2]}, false},
      {"line 1 held other text at the start", {"", "c", ""}, {Comments[0], "c", ""}, false},
      {"shorter comment", Comments, {Comments[0], "bean", ""}, false},
      {"long line of the same length", {"a", longLine, "b"}, {"z", QString(300, 'M'), "b"}, true},
      {"long line grown", {"a", longLine, "b"}, {"a", longLine + "+", "b"}, false},
      {"missing third line counts as empty", Comments, {Comments[0], Comments[1]}, true},
  };
  for (const TRewriteCase& c : cases) {
    const QString path = PathOf("rewrite.aq4");
    TDataFileWriter writer;
    writer.Create(path, c.Created);
    const std::vector<float> values = Frames(250, 4);
    writer.AppendBlock(values.data(), int(values.size()));
    const QByteArray before = ReadFile(path);
    if (c.Written) {
      EXPECT_EQ(writer.RewriteHeader(c.Final), writer.HeaderLength()) << c.What;
      const QByteArray after = ReadFile(path);
      EXPECT_EQ(after.left(writer.HeaderLength()), ThreeLineHeader(c.Final)) << c.What;
      EXPECT_EQ(after.mid(writer.HeaderLength()), before.mid(writer.HeaderLength())) << c.What;
      continue;
    }
    const qint64 created = ThreeLineHeader(c.Created).size();
    const qint64 rewritten = ThreeLineHeader(c.Final).size();
    try {
      writer.RewriteHeader(c.Final);
      ADD_FAILURE() << c.What << ": rewritten";
    } catch (const TError& e) {
      EXPECT_EQ(e.Message(), QString("Header not rewritten: its length changed from %1 to %2 "
                                     "bytes; the samples are kept unchanged.")
                                 .arg(created)
                                 .arg(rewritten))
          << c.What;
    }
    writer.Close();
    EXPECT_EQ(ReadFile(path), before) << c.What;
  }
}

TEST_F(DataFileWriterTest, CreateFailuresCarryTheSystemsReason) {
  TDataFileWriter writer;
  try {
    writer.Create("/dev/full", Comments);
    FAIL() << "header written to a full device";
  } catch (const TError& e) {
    EXPECT_EQ(e.Message(), QString::fromLocal8Bit(std::strerror(ENOSPC)));
  }
  EXPECT_FALSE(writer.IsOpen());
  try {
    writer.Create(PathOf("missing/run.aq4"), Comments);
    FAIL() << "file created in a missing folder";
  } catch (const TError& e) {
    EXPECT_EQ(e.Message(), QString::fromLocal8Bit(std::strerror(ENOENT)));
  }
  try {
    writer.AppendBlock(std::vector<float>{1}.data(), 1);
    FAIL() << "appended to a file that is not open";
  } catch (const TError& e) {
    EXPECT_FALSE(e.Message().isEmpty());
  }
}

// Lets the file system refuse writes beyond a size, as a full disk does, for one test.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t bytes) {
    PreviousHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &Previous);
    rlimit limit = Previous;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &Previous);
    std::signal(SIGXFSZ, PreviousHandler);
  }

private:
  rlimit Previous{};
  void (*PreviousHandler)(int) = nullptr;
};

TEST_F(DataFileWriterTest, AppendFailureThrowsAndKeepsWholeFrames) {
  const QString path = PathOf("full.aq4");
  TDataFileWriter writer;
  writer.Create(path, Comments);
  const qint64 header = writer.HeaderLength();
  const std::vector<float> values = Frames(25, 4);
  QString reason;
  {
    // Room for two blocks and half of a third: the third write is cut short.
    TFileSizeLimit limit(header + 1000);
    try {
      for (int i = 0; i < 10; ++i) writer.AppendBlock(values.data(), int(values.size()));
    } catch (const TError& e) {
      reason = e.Message();
    }
  }
  EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(EFBIG)));
  EXPECT_EQ(writer.SampleBytes(), 800);
  EXPECT_EQ(QFile(path).size(), header + 800);
  // Once there is room again the run goes on with whole frames.
  EXPECT_EQ(writer.AppendBlock(values.data(), int(values.size())), 400);
  writer.Close();
  TSampleAreaReader reader;
  reader.Open(path);
  EXPECT_EQ(ReadAll(reader, 4).size(), 3u * values.size());
  EXPECT_FALSE(reader.Resynced());
}

class SampleAreaReaderTest : public TTempDirTest {
protected:
  // A header of exactly 100 bytes.
  static QByteArray Header100() {
    return QByteArray(59, 'Z') + "\r\n" + QByteArray(31, 'c') + "\r\n" + "cccc\r\n";
  }
};

struct TRemainderCase {
  int Remainder;
  qint64 FirstOffset;
};

TEST_F(SampleAreaReaderTest, RemainderResynchronisesOnTheEndOfTheFile) {
  const std::vector<TRemainderCase> cases = {{0, 100}, {1, 97}, {2, 98}, {3, 99}};
  for (const TRemainderCase& c : cases) {
    QByteArray area(4000 + c.Remainder, Qt::Uninitialized);
    for (qsizetype i = 0; i < area.size(); ++i) area[i] = char(i * 7 + 3);
    const QByteArray file = Header100() + area;
    const QString path = WriteFile("resync.aq2", file);

    TSampleAreaReader reader;
    reader.Open(path);
    EXPECT_EQ(reader.FileSize(), file.size());
    EXPECT_EQ(reader.HeaderLength(), 100);
    EXPECT_EQ(reader.Remainder(), c.Remainder);
    EXPECT_EQ(reader.Resynced(), c.Remainder > 0);
    EXPECT_EQ(reader.SampleCount(2), 500);
    const std::vector<float> values = ReadAll(reader, 2);
    ASSERT_EQ(values.size(), 1000u) << c.Remainder;
    EXPECT_EQ(reader.FramesRead(), 500);
    for (size_t k = 0; k < values.size(); ++k) {
      const quint32 expected = (k == 0 && c.Remainder > 0)
                                   ? Bits(0.0f)
                                   : Bits(LittleEndianAt(file, c.FirstOffset + 4 * k));
      ASSERT_EQ(Bits(values[k]), expected) << "remainder " << c.Remainder << " value " << k;
    }
  }
}

struct TFramingCase {
  int Channels;
  int Frames;
  int ExtraBytes;  // beyond whole frames: spare values and a remainder
};

// Channel counts that do not divide a block make frames straddle two blocks.
TEST_F(SampleAreaReaderTest, FramesAreJoinedAcrossBlocksAndNeverLeftIncomplete) {
  const std::vector<TFramingCase> cases = {
      {1, 30000, 0}, {2, 12800, 0}, {3, 10000, 0}, {3, 10000, 8}, {5, 7000, 12},
      {6, 9000, 4},  {7, 5000, 20}, {8, 1600, 0},  {8, 4000, 28}, {4, 0, 12},
  };
  for (const TFramingCase& c : cases) {
    const std::vector<float> values = Frames(c.Frames, c.Channels);
    const QByteArray area = LittleEndianBytes(values) + QByteArray(c.ExtraBytes, '\x41');
    const QString path = WriteFile("frames.acq", "a\r\nb\r\nc\r\n" + area);
    TSampleAreaReader reader;
    reader.Open(path);
    EXPECT_EQ(reader.SampleCount(c.Channels), c.Frames);
    std::vector<float> block;
    reader.Start(c.Channels);
    qint64 frame = 0;
    while (reader.Next(block)) {
      for (size_t i = 0; i < block.size(); ++i) {
        const qint64 f = frame + qint64(i) / c.Channels;
        ASSERT_EQ(block[i], float(f * 10 + qint64(i) % c.Channels))
            << c.Channels << " channels, frame " << f;
      }
      frame += qint64(block.size()) / c.Channels;
    }
    EXPECT_EQ(frame, c.Frames) << c.Channels << " channels";
    EXPECT_EQ(reader.FramesRead(), c.Frames);
  }
}

TEST_F(SampleAreaReaderTest, ShortFilesAreAllHeader) {
  const std::vector<QByteArray> files = {"", "a\r\nb\r\n", "a\r\nb\r\nno third line"};
  for (const QByteArray& bytes : files) {
    TSampleAreaReader reader;
    reader.Open(WriteFile("short.aq4", bytes));
    EXPECT_EQ(reader.HeaderLength(), bytes.size());
    EXPECT_EQ(reader.SampleCount(4), 0);
    EXPECT_EQ(ReadAll(reader, 4).size(), 0u);
  }
}

TEST_F(SampleAreaReaderTest, ErrorsCarryTheSystemsReason) {
  TSampleAreaReader reader;
  try {
    reader.Open(PathOf("vanished.aq4"));
    FAIL() << "opened a missing file";
  } catch (const TError& e) {
    EXPECT_EQ(e.Message(), QString::fromLocal8Bit(std::strerror(ENOENT)));
  }
  reader.Open(WriteFile("ok.acq", "a\r\nb\r\nc\r\n"));
  EXPECT_THROW(reader.Start(0), TError);
  EXPECT_THROW(reader.Start(9), TError);
  reader.Start(8);
}

TEST_F(SampleAreaReaderTest, ReadsWhatTheFileHeldWhenOpened) {
  const QString path =
      WriteFile("growing.aq2", "a\r\nb\r\nc\r\n" + LittleEndianBytes(Frames(10, 2)));
  TSampleAreaReader reader;
  reader.Open(path);
  QFile more(path);
  ASSERT_TRUE(more.open(QIODevice::Append));
  more.write(LittleEndianBytes(Frames(10, 2, 10)));
  more.close();
  EXPECT_EQ(ReadAll(reader, 2), Frames(10, 2));
}

}  // namespace
