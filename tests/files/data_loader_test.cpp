// Loading an intermediate data file into per-channel arrays.
#include "files/data_loader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QtEndian>
#include <cstring>
#include <vector>

#include "common/temp_dir.h"
#include "platform/errors.h"

namespace {

QByteArray LittleEndianBytes(const std::vector<float>& values) {
  QByteArray bytes(qsizetype(values.size()) * 4, Qt::Uninitialized);
  if (!values.empty())
    qToLittleEndian<float>(values.data(), qsizetype(values.size()), bytes.data());
  return bytes;
}

// Frame f, channel k -> f * 10 + k: a lost, doubled or shifted value shows.
std::vector<float> Frames(int frames, int channels) {
  std::vector<float> values;
  values.reserve(size_t(frames) * size_t(channels));
  for (int f = 0; f < frames; ++f)
    for (int k = 0; k < channels; ++k) values.push_back(float(f * 10 + k));
  return values;
}

// A header of exactly bytes bytes (at least 10).
QByteArray Header(int bytes) {
  return "ZQR\r\n" + QByteArray(bytes - 10, 'c') + "\r\n-\r\n";
}

// Arrays for the loader, as the main window sizes them: N + 100 entries.
struct TArrays {
  std::array<std::vector<float>, 8> Channels;
  std::vector<double> Time;
  TLoadTarget Target;

  TArrays(int channels, qint64 frames) {
    const size_t length = size_t(frames) + 100;
    for (int k = 0; k < channels; ++k) {
      Channels[size_t(k)].assign(length, -1.0f);
      Target.Channels[size_t(k)] = Channels[size_t(k)].data();
    }
    Time.assign(length, -1.0);
    Target.Time = Time.data();
    Target.Capacity = qint64(length);
  }
};

QString LoadError(TDataLoader& loader, int channels, TArrays& arrays) {
  try {
    loader.Load(channels, 100.0, arrays.Target);
  } catch (const TError& e) {
    return e.Message();
  }
  return {};
}

// A device that fails from an offset on, as a file on a vanished drive does.
class TFailingBuffer : public QBuffer {
public:
  TFailingBuffer(const QByteArray& bytes, qint64 failAt) : Bytes(bytes), FailAt(failAt) {
    setBuffer(&Bytes);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }

protected:
  qint64 readData(char* data, qint64 length) override {
    if (pos() >= FailAt) {
      setErrorString(QStringLiteral("Input/output error"));
      return -1;
    }
    return QBuffer::readData(data, std::min(length, FailAt - pos()));
  }

private:
  QByteArray Bytes;
  qint64 FailAt;
};

// A device that hands out at most a few bytes per read, as a pipe or a slow
// network file may: blocks then end anywhere inside a frame.
class TTrickleBuffer : public QBuffer {
public:
  TTrickleBuffer(const QByteArray& bytes, qint64 most) : Bytes(bytes), Most(most) {
    setBuffer(&Bytes);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }

protected:
  qint64 readData(char* data, qint64 length) override {
    return QBuffer::readData(data, std::min(length, Most));
  }

private:
  QByteArray Bytes;
  qint64 Most;
};

class DataLoaderTest : public TTempDirTest {};

}  // namespace

TEST_F(DataLoaderTest, FourChannelFileAtHundredHertz) {
  const std::vector<float> values = Frames(100000, 4);
  const QByteArray samples = LittleEndianBytes(values);
  ASSERT_EQ(samples.size(), 1600000);
  const QString path = WriteFile("run.aq4", Header(200) + samples);

  TDataLoader loader;
  loader.Open(path);
  EXPECT_EQ(loader.HeaderLength(), 200);
  EXPECT_EQ(loader.FileSize(), 1600200);
  EXPECT_EQ(loader.HeaderLines().size(), 3);
  EXPECT_EQ(loader.Remainder(), 0);
  ASSERT_EQ(loader.SampleCount(4), 100000);

  TArrays arrays(4, 100000);
  std::vector<qint64> progress;
  loader.OnBlock = [&](qint64 stored, qint64 total) {
    EXPECT_EQ(total, 100000);
    progress.push_back(stored);
  };
  EXPECT_EQ(loader.Load(4, 100.0, arrays.Target), 100000);
  EXPECT_EQ(loader.Stored(), 100000);
  // One report per 51200-byte block: 3200 frames each, the last one short.
  ASSERT_EQ(progress.size(), 32u);
  EXPECT_EQ(progress.front(), 3200);
  EXPECT_EQ(progress.back(), 100000);
  for (int p = 0; p < 100000; ++p) {
    ASSERT_EQ(arrays.Time[size_t(p)], double(p) * (1.0 / 100.0)) << p;
    for (int k = 0; k < 4; ++k) ASSERT_EQ(arrays.Channels[size_t(k)][size_t(p)], float(p * 10 + k));
  }
  // Nothing is written past the frames of the file.
  EXPECT_EQ(arrays.Time[100000], -1.0);
  EXPECT_EQ(arrays.Channels[0][100000], -1.0f);
}

// Channel counts that do not divide a block: frames straddle two blocks.
TEST_F(DataLoaderTest, FramesStraddlingBlocksAreWhole) {
  for (const int channels : {1, 2, 3, 4, 5, 6, 7, 8}) {
    const int frames = 20000;
    const QString path =
        WriteFile("old.acq", Header(57) + LittleEndianBytes(Frames(frames, channels)));
    TDataLoader loader;
    loader.Open(path);
    ASSERT_EQ(loader.SampleCount(channels), frames);
    TArrays arrays(channels, frames);
    EXPECT_EQ(loader.Load(channels, 250.0, arrays.Target), frames);
    for (int p = 0; p < frames; ++p) {
      ASSERT_EQ(arrays.Time[size_t(p)], double(p) * (1.0 / 250.0));
      for (int k = 0; k < channels; ++k)
        ASSERT_EQ(arrays.Channels[size_t(k)][size_t(p)], float(p * 10 + k))
            << channels << " channels, frame " << p << ", channel " << k;
    }
  }
}

struct TTrickleCase {
  int Channels;
  qint64 Most;     // bytes per read
  int Misaligned;  // entries by which the arrays start past an aligned address
};

// Blocks of any length and arrays at any address give the same frames.
TEST_F(DataLoaderTest, BlocksEndingInsideFramesAndOddArrays) {
  const std::vector<TTrickleCase> cases = {
      {1, 52, 0}, {2, 52, 0}, {4, 52, 0}, {8, 52, 0}, {8, 36, 0},   {8, 4100, 0},
      {4, 1, 0},  {1, 52, 1}, {2, 52, 3}, {4, 52, 2}, {8, 4100, 1},
  };
  for (const TTrickleCase& c : cases) {
    const int frames = 3001;
    TTrickleBuffer device(Header(100) + LittleEndianBytes(Frames(frames, c.Channels)), c.Most);
    TDataLoader loader;
    loader.Open(device);
    TArrays arrays(c.Channels, frames + 4);
    TLoadTarget target = arrays.Target;
    for (int k = 0; k < c.Channels; ++k) target.Channels[size_t(k)] += c.Misaligned;
    target.Time += c.Misaligned;
    target.Capacity -= c.Misaligned;
    EXPECT_EQ(loader.Load(c.Channels, 100.0, target), frames);
    const size_t m = size_t(c.Misaligned);
    for (int p = 0; p < frames; ++p) {
      ASSERT_EQ(arrays.Time[m + size_t(p)], double(p) * (1.0 / 100.0));
      for (int k = 0; k < c.Channels; ++k)
        ASSERT_EQ(arrays.Channels[size_t(k)][m + size_t(p)], float(p * 10 + k))
            << c.Channels << " channels, " << c.Most << " bytes per read, frame " << p;
    }
    EXPECT_EQ(arrays.Time[m + frames], -1.0);
    if (c.Misaligned > 0) {
      EXPECT_EQ(arrays.Channels[0][m - 1], -1.0f);
    }
  }
}

TEST_F(DataLoaderTest, RemainderZeroesTheFirstValueAndAlignsOnTheEnd) {
  for (const int rest : {1, 2, 3}) {
    // Two channels, 500 frames; the odd bytes stand before the first value.
    const QByteArray file =
        Header(100) + QByteArray(rest, '\x7f') + LittleEndianBytes(Frames(500, 2));
    TDataLoader loader;
    loader.Open(WriteFile("odd.aq2", file));
    EXPECT_EQ(loader.Remainder(), rest);
    ASSERT_EQ(loader.SampleCount(2), 500);
    TArrays arrays(2, 500);
    EXPECT_EQ(loader.Load(2, 100.0, arrays.Target), 500);
    // Reading began one value early, at H + rest - 4: that value (header
    // bytes and the odd ones) reads 0.0, every later one is shifted by one
    // channel, and the file's last value is left over.
    EXPECT_EQ(arrays.Channels[0][0], 0.0f) << rest;
    EXPECT_EQ(arrays.Channels[1][0], 0.0f) << rest;   // the file's frame 0, channel 0
    EXPECT_EQ(arrays.Channels[0][1], 1.0f) << rest;   // frame 0, channel 1
    EXPECT_EQ(arrays.Channels[1][1], 10.0f) << rest;  // frame 1, channel 0
    EXPECT_EQ(arrays.Channels[1][499], 4990.0f) << rest;
  }
}

struct TShortFileCase {
  const char* What;
  QByteArray Bytes;
  qint64 Header;
};

TEST_F(DataLoaderTest, FilesWithoutSamplesLoadNothing) {
  const std::vector<TShortFileCase> cases = {
      {"empty", "", 0},
      {"header only", "a\r\nb\r\nc\r\n", 9},
      {"two header lines", "a\r\nb\r\n", 6},
      {"no CR LF at all", QByteArray(70000, 'x'), 70000},
      {"megabytes of header", QByteArray(3 * 1024 * 1024, '\r') + "\n", 3 * 1024 * 1024 + 1},
      {"three bytes after the header", "a\r\nb\r\nc\r\nxyz", 9},
  };
  for (const TShortFileCase& c : cases) {
    TDataLoader loader;
    loader.Open(WriteFile("short.aq8", c.Bytes));
    EXPECT_EQ(loader.HeaderLength(), c.Header) << c.What;
    EXPECT_EQ(loader.SampleCount(8), 0) << c.What;
    TArrays arrays(8, 0);
    int blocks = 0;
    loader.OnBlock = [&](qint64, qint64) { ++blocks; };
    EXPECT_EQ(loader.Load(8, 100.0, arrays.Target), 0) << c.What;
    EXPECT_EQ(blocks, 0) << c.What;
    EXPECT_EQ(arrays.Time[0], -1.0) << c.What;
  }
}

TEST_F(DataLoaderTest, FileCutShortWhileReadingIsAnErrorWithTheFramesStored) {
  const QString path = WriteFile("cut.aq8", Header(100) + LittleEndianBytes(Frames(20000, 8)));
  TDataLoader loader;
  loader.Open(path);
  TArrays arrays(8, 20000);
  // After the first block the file is cut inside frame 9597.
  loader.OnBlock = [&](qint64 stored, qint64) {
    if (stored == 1600) QFile::resize(path, 100 + 9597 * 32 + 7);
  };
  EXPECT_EQ(LoadError(loader, 8, arrays),
            "Error reading file (at 9597): The file became shorter while it was read (9597 of "
            "20000 samples per channel).");
  EXPECT_EQ(loader.Stored(), 9597);
  EXPECT_EQ(arrays.Channels[7][9596], 95967.0f);
  EXPECT_EQ(arrays.Time[9597], -1.0);
}

TEST_F(DataLoaderTest, FileRemovedWhileReadingIsReadToItsEnd) {
  // The open file stays readable after its name is gone.
  const QString path = WriteFile("gone.aq4", Header(100) + LittleEndianBytes(Frames(10000, 4)));
  TDataLoader loader;
  loader.Open(path);
  TArrays arrays(4, 10000);
  loader.OnBlock = [&](qint64 stored, qint64) {
    if (stored == 3200) QFile::remove(path);
  };
  EXPECT_EQ(loader.Load(4, 100.0, arrays.Target), 10000);
  EXPECT_EQ(arrays.Channels[3][9999], 99993.0f);
}

TEST_F(DataLoaderTest, ReadFailuresCarryTheFramesStoredAndTheReason) {
  const QByteArray file = Header(100) + LittleEndianBytes(Frames(10000, 4));
  struct TCase {
    qint64 FailAt;
    const char* Message;
  };
  const std::vector<TCase> cases = {
      {50, "Error reading file (at 0): Input/output error"},  // inside the header
      {100, "Error reading file (at 0): Input/output error"},
      {100 + 2 * 51200 + 10, "Error reading file (at 6400): Input/output error"},
  };
  for (const TCase& c : cases) {
    TFailingBuffer device(file, c.FailAt);
    TDataLoader loader;
    TArrays arrays(4, 10000);
    try {
      loader.Open(device);
      loader.Load(4, 100.0, arrays.Target);
      ADD_FAILURE() << "no error for a failure at " << c.FailAt;
    } catch (const TError& e) {
      EXPECT_EQ(e.Message(), c.Message) << c.FailAt;
    }
  }
}

TEST_F(DataLoaderTest, OpeningFailuresAndBadArguments) {
  TDataLoader loader;
  try {
    loader.Open(PathOf("missing.aq4"));
    ADD_FAILURE() << "a missing file opened";
  } catch (const TError& e) {
    EXPECT_EQ(e.Message(),
              "Error reading file (at 0): " + QString::fromLocal8Bit(strerror(ENOENT)));
  }
  loader.Open(WriteFile("few.aq4", Header(100) + LittleEndianBytes(Frames(10, 4))));
  TArrays arrays(8, 10);
  for (const int channels : {0, 9}) {
    EXPECT_EQ(LoadError(loader, channels, arrays),
              QString("Error reading file (at 0): Unsupported channel count: %1").arg(channels));
  }
  try {
    loader.Load(4, 0.0, arrays.Target);
    ADD_FAILURE() << "loaded at 0 Hz";
  } catch (const TError& e) {
    EXPECT_TRUE(e.Message().startsWith("Error reading file (at 0): "));
  }
}

TEST_F(DataLoaderTest, ArraysSmallerThanTheFileTakeWhatFits) {
  TDataLoader loader;
  loader.Open(WriteFile("big.aq2", Header(100) + LittleEndianBytes(Frames(5000, 2))));
  TArrays arrays(2, 2900);  // room for 3000
  EXPECT_EQ(loader.Load(2, 100.0, arrays.Target), 3000);
  EXPECT_EQ(arrays.Channels[1][2999], 29991.0f);
  EXPECT_EQ(arrays.Time[2999], 2999 * (1.0 / 100.0));
}

TEST(DataLoaderTexts, FileDialogFilterInTheToolkitsSyntax) {
  EXPECT_EQ(QtFileFilter(DataFileFilterEntries()),
            "aq2 (2 channels) (*.aq2);;aq4 (4 channels) (*.aq4);;aq8 (8 channels) (*.aq8);;"
            "acq (old style 4/8 channels) (*.acq)");
  EXPECT_EQ(QtFileFilterEntry(DataFileFilterEntries()[1]), "aq4 (4 channels) (*.aq4)");
  EXPECT_EQ(QtFileFilterEntry("Data|*.aq2;*.aq4|"), "Data (*.aq2 *.aq4)");
}

TEST(DataLoaderTexts, AmpersandsReadBackAsTheyWereWritten) {
  for (const QString line : {"bean & aphid", "a && b", "&", "&&&", "no ampersand", ""}) {
    QByteArray bytes = line.toLatin1() + "\r\nx\r\ny\r\n";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QStringList lines;
    ReadFileHeader(buffer, &lines);
    EXPECT_EQ(UndoubledAmpersands(lines[0]), line.isEmpty() ? "-" : line) << line.toStdString();
  }
}
