// Cutting intermediate data files into hour-based files. Low sample rates keep
// an "hour" short: 3600 frames at 1 Hz, 360 at 0.1 Hz.
#include "files/hour_converter.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "common/temp_dir.h"
#include "doubles/scripted_dialogs.h"
#include "files/data_file.h"
#include "platform/seams.h"

namespace {

const QStringList Comments = {"ZQR: 05-07-2010 14:12:54/rec.time= 2.50/smpl.frq=   1.000Hz",
                              "bean aphid 3", ""};
constexpr qint64 CommentsHeader = 59 + 12 + 0 + 6;

// Frame f, channel k -> f * 10 + k: a lost, doubled or shifted sample shows.
float Value(qint64 frame, int channel) {
  return float(frame * 10 + channel);
}

std::vector<float> Frames(qint64 frames, int channels) {
  std::vector<float> values;
  values.reserve(size_t(frames * channels));
  for (qint64 f = 0; f < frames; ++f)
    for (int k = 0; k < channels; ++k) values.push_back(Value(f, k));
  return values;
}

QByteArray LittleEndianBytes(const std::vector<float>& values) {
  QByteArray bytes(qsizetype(values.size()) * 4, Qt::Uninitialized);
  if (!values.empty())
    qToLittleEndian<float>(values.data(), qsizetype(values.size()), bytes.data());
  return bytes;
}

struct THourFile {
  QByteArray Header;
  std::vector<float> Values;
};

THourFile ReadHourFile(const QString& path, qint64 headerBytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  THourFile result;
  result.Header = bytes.left(headerBytes);
  const qsizetype count = (bytes.size() - result.Header.size()) / 4;
  result.Values.resize(size_t(count));
  if (count > 0)
    qFromLittleEndian<float>(bytes.constData() + headerBytes, count, result.Values.data());
  return result;
}

int OpenFileCount() {
  return int(QDir("/proc/self/fd")
                 .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                 .size());
}

quint32 Bits(float v) {
  quint32 b;
  std::memcpy(&b, &v, 4);
  return b;
}

class HourConverterTest : public TTempDirTest {
protected:
  TScriptedDialogs Dialogs;
  TSeamOverride<TDialogs> UseDialogs{&TSeamSet::Dialogs, Dialogs};
  THourFileConverter Converter;
  QStringList Log;
  std::vector<std::pair<qint64, qint64>> Progress;

  void SetUp() override {
    Converter.OnLog = [this](const QString& line) { Log << line; };
    Converter.OnProgress = [this](qint64 done, qint64 total) { Progress.push_back({done, total}); };
  }

  QString WriteRecording(const QString& name, qint64 frames, int channels) {
    const QString path = PathOf(name);
    TDataFileWriter writer;
    writer.Create(path, Comments);
    const std::vector<float> values = Frames(frames, channels);
    writer.AppendBlock(values.data(), int(values.size()));
    return path;
  }

  bool Convert(const QString& path, int channels, double rate) {
    return Converter.Convert(path, channels, Comments, rate);
  }
};

TEST(HourFileName, BesideTheIntermediateFileWithAtLeastTwoHourDigits) {
  struct TCase {
    const char* Path;
    int Channel;
    int Hour;
    const char* Expected;
  };
  const std::vector<TCase> cases = {
      {"/data/bean12.aq4", 0, 1, "/data/bean12-ch1.D01"},
      {"/data/bean12.aq4", 3, 2, "/data/bean12-ch4.D02"},
      {"/data/bean12.aq4", 0, 99, "/data/bean12-ch1.D99"},
      {"/data/bean12.aq4", 0, 100, "/data/bean12-ch1.D100"},
      {"/data/bean12.aq8", 7, 1000, "/data/bean12-ch8.D1000"},
      {"C:\\ZQR_data\\bean12.aq4", 1, 1, "C:\\ZQR_data\\bean12-ch2.D01"},
      {"/data/run.v2.acq", 0, 1, "/data/run.v2-ch1.D01"},
      {"/data.d/noext", 0, 3, "/data.d/noext-ch1.D03"},
      {"plain.aq2", 1, 12, "plain-ch2.D12"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(HourFileName(c.Path, c.Channel, c.Hour), c.Expected) << c.Path << " " << c.Hour;
}

// The first in-hour index whose time, rounded to a double, reaches the hour.
TEST(SamplesPerHour, MatchesTheRuleAppliedSampleBySample) {
  const std::vector<double> rates = {100, 1,      0.1, 3,   7.3,  10,  33.333, 128.1,
                                     250, 299.99, 300, 0.7, 1e-3, 0.3, 11,     49.999999};
  for (const double rate : rates) {
    const double dt = 1.0 / rate;
    qint64 n = 1;
    while (double(n) * dt < 3600.0) ++n;
    EXPECT_EQ(SamplesPerHour(rate), n) << rate;
  }
  EXPECT_EQ(SamplesPerHour(100), 360000);
  EXPECT_EQ(SamplesPerHour(1), 3600);
  EXPECT_EQ(SamplesPerHour(1e-9), 1) << "every frame its own hour, never 0";
  // Rates whose time never reaches an hour end at once.
  for (const double rate : {-1.0, 0.0 * -1.0, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_GT(SamplesPerHour(rate), qint64(1) << 50) << rate;
}

struct TLayoutCase {
  const char* Name;
  const char* File;
  int Channels;
  double Rate;
  qint64 Frames;
  std::vector<qint64> PerHour;  // samples in each hour's files
};

TEST_F(HourConverterTest, HoursHoldTheirSamplesChannelByChannel) {
  std::vector<qint64> hundredHours(99, 4);
  hundredHours.push_back(1);
  const std::vector<TLayoutCase> cases = {
      {"two and a half hours", "run.aq4", 4, 1.0, 9000, {3600, 3600, 1800}},
      {"exactly one hour", "one.aq4", 4, 1.0, 3600, {3600}},
      {"one frame into hour 2", "over.aq2", 2, 1.0, 3601, {3600, 1}},
      {"no samples", "empty.aq2", 2, 1.0, 0, {0}},
      {"3 channels straddle the read blocks", "old.acq", 3, 1.0, 5000, {3600, 1400}},
      {"8 channels at 0.1 Hz", "tenth.aq8", 8, 0.1, 1000, {360, 360, 280}},
      {"100 Hz", "hz100.aq2", 2, 100.0, 360001, {360000, 1}},
      {"hour 100", "long.acq", 1, 1e-3, 397, hundredHours},
  };
  for (const TLayoutCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QString path = WriteRecording(c.File, c.Frames, c.Channels);
    ASSERT_TRUE(Convert(path, c.Channels, c.Rate));
    EXPECT_EQ(Converter.Hours(), int(c.PerHour.size()));
    EXPECT_EQ(Log.last(), "Conversion done");
    const QByteArray header = ThreeLineHeader(Comments);
    for (int k = 0; k < c.Channels; ++k) {
      qint64 frame = 0;
      for (int h = 1; h <= int(c.PerHour.size()); ++h) {
        const THourFile file = ReadHourFile(HourFileName(path, k, h), header.size());
        ASSERT_EQ(file.Header, header) << "channel " << k << " hour " << h;
        ASSERT_EQ(qint64(file.Values.size()), c.PerHour[h - 1]) << "channel " << k << " hour " << h;
        for (const float v : file.Values)
          ASSERT_EQ(v, Value(frame++, k)) << "channel " << k << " hour " << h;
      }
      EXPECT_EQ(frame, c.Frames);
      EXPECT_FALSE(QFile::exists(HourFileName(path, k, int(c.PerHour.size()) + 1)));
    }
    EXPECT_FALSE(QFile::exists(HourFileName(path, c.Channels, 1)));
    EXPECT_EQ(Progress.back(), std::make_pair(c.Frames, c.Frames));
    Log.clear();
    Progress.clear();
  }
  EXPECT_TRUE(QFile::exists(PathOf("long-ch1.D100")));
}

TEST_F(HourConverterTest, LogsEveryFileAndEveryClosedHour) {
  const QString path = WriteRecording("run.aq4", 9000, 4);
  ASSERT_TRUE(Convert(path, 4, 1.0));
  QStringList expected;
  for (int h = 1; h <= 3; ++h) {
    expected << QString("-- Hour %1").arg(h);
    for (int k = 0; k < 4; ++k) expected << HourFileName(path, k, h);
    const char* full = "Samples in file = 3600 (data=14477-77=14400 bytes)";
    const char* half = "Samples in file = 1800 (data=7277-77=7200 bytes)";
    for (int k = 1; k <= 4; ++k)
      expected << QString("  Chan %1: %2").arg(k).arg(h < 3 ? full : half);
  }
  expected << "Conversion done";
  EXPECT_EQ(Log, expected);
  // Once before the first block and once after each 51200-byte block (3200 frames).
  const std::vector<std::pair<qint64, qint64>> progress = {
      {0, 9000}, {3200, 9000}, {6400, 9000}, {9000, 9000}};
  EXPECT_EQ(Progress, progress);
}

TEST_F(HourConverterTest, SampleCountInTheLogIsThatOfTheHourFile) {
  // Comment lines edited in the converter give the hour files another header length.
  const QString path = WriteRecording("run.aq2", 10, 2);
  ASSERT_TRUE(Converter.Convert(path, 2, {Comments[0], "a much longer second line", "x"}, 1.0));
  const qint64 header = 59 + 25 + 1 + 6;
  const QString line =
      QString("  Chan 1: Samples in file = 10 (data=%1-%2=40 bytes)").arg(header + 40).arg(header);
  EXPECT_TRUE(Log.contains(line)) << Log.join('\n').toStdString();
}

TEST_F(HourConverterTest, MissingHeaderLinesAreWrittenEmpty) {
  const QString path = WriteRecording("run.aq2", 5, 2);
  ASSERT_TRUE(Converter.Convert(path, 2, {"only line"}, 1.0));
  EXPECT_EQ(ReadFile(HourFileName(path, 1, 1)).left(15), QByteArray("only line\r\n\r\n\r\n"));
  EXPECT_EQ(QFileInfo(HourFileName(path, 1, 1)).size(), 15 + 20);
}

TEST_F(HourConverterTest, ExistingHourFilesAreOverwritten) {
  const QString path = WriteRecording("run.aq2", 10, 2);
  WriteFile("run-ch1.D01", QByteArray(100000, 'x'));
  ASSERT_TRUE(Convert(path, 2, 1.0));
  ASSERT_TRUE(Convert(path, 2, 1.0));
  const THourFile file = ReadHourFile(HourFileName(path, 0, 1), CommentsHeader);
  EXPECT_EQ(file.Header, ThreeLineHeader(Comments));
  EXPECT_EQ(file.Values, std::vector<float>({0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
}

// A sample area two bytes longer than whole values: reading starts two bytes
// early, that first value becomes 0.0 and the rest line up with the end.
TEST_F(HourConverterTest, RemainderResynchronisesSilently) {
  const int channels = 2;
  const qint64 frames = 5000;
  const std::vector<float> values = Frames(frames, channels);
  const QString path = WriteFile(
      "odd.aq2", ThreeLineHeader(Comments) + QByteArray("\x7f\x7f", 2) + LittleEndianBytes(values));
  ASSERT_TRUE(Convert(path, channels, 1.0));
  EXPECT_TRUE(Dialogs.Shown().isEmpty());
  std::vector<float> stream;  // what was read, back in frame order
  std::vector<std::vector<float>> perChannel;
  for (int k = 0; k < channels; ++k) {
    perChannel.push_back(ReadHourFile(HourFileName(path, k, 1), CommentsHeader).Values);
    const std::vector<float> second = ReadHourFile(HourFileName(path, k, 2), CommentsHeader).Values;
    perChannel[k].insert(perChannel[k].end(), second.begin(), second.end());
    ASSERT_EQ(qint64(perChannel[k].size()), frames);
  }
  for (qint64 f = 0; f < frames; ++f)
    for (int k = 0; k < channels; ++k) stream.push_back(perChannel[k][size_t(f)]);
  EXPECT_EQ(Bits(stream[0]), Bits(0.0f));
  for (size_t i = 1; i < stream.size(); ++i) ASSERT_EQ(stream[i], values[i - 1]) << i;
}

// ---- failures

TEST_F(HourConverterTest, UnreadableInputEndsWithTheMessage) {
  ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.aq4"));
  struct TCase {
    QString Path;
    QString Reason;  // empty: any
  };
  const std::vector<TCase> cases = {
      {PathOf("missing.aq4"), QString::fromLocal8Bit(std::strerror(ENOENT))},
      {PathOf("folder.aq4"), {}},
  };
  for (const TCase& c : cases) {
    Dialogs.ExpectMessage("Error during conversion: " + c.Reason);
    EXPECT_FALSE(Convert(c.Path, 4, 1.0));
    ASSERT_FALSE(Dialogs.Shown().isEmpty());
    EXPECT_GT(Dialogs.Shown().last().Text.size(), QString("Error during conversion: ").size());
    EXPECT_TRUE(Log.isEmpty());
  }
  EXPECT_FALSE(QFile::exists(PathOf("missing-ch1.D01")));
  EXPECT_FALSE(QFile::exists(PathOf("folder-ch1.D01")));
}

TEST_F(HourConverterTest, UnusableCountOrRateCreatesNoFile) {
  const QString path = WriteRecording("run.aq4", 100, 4);
  const std::vector<std::pair<int, double>> cases = {{0, 1.0},
                                                     {9, 1.0},
                                                     {-1, 1.0},
                                                     {4, 0.0},
                                                     {4, -1.0},
                                                     {4, std::numeric_limits<double>::quiet_NaN()},
                                                     {4, std::numeric_limits<double>::infinity()},
                                                     {4, 1e-320}};
  for (const auto& [channels, rate] : cases) {
    Dialogs.ExpectMessage("Error during conversion: ");
    EXPECT_FALSE(Convert(path, channels, rate)) << channels << " " << rate;
  }
  EXPECT_FALSE(QFile::exists(HourFileName(path, 0, 1)));
  EXPECT_TRUE(Log.isEmpty());
}

// Where a channel's hour file cannot be made, the others are still created;
// the conversion ends at that channel's first write.
TEST_F(HourConverterTest, HourFileThatIsAFolderStopsAtTheFirstWrite) {
  const QString path = WriteRecording("run.aq4", 150, 4);
  ASSERT_TRUE(QDir(Dir.path()).mkdir("run-ch2.D01"));
  Dialogs.ExpectMessage("Error creating file (writing header): ")
      .ExpectMessage("Error during conversion: ");
  const int openBefore = OpenFileCount();
  EXPECT_FALSE(Convert(path, 4, 1.0));
  EXPECT_EQ(OpenFileCount(), openBefore);
  ASSERT_EQ(Dialogs.Shown().size(), 2);
  const QString reason =
      Dialogs.Shown()[0].Text.mid(QString("Error creating file (writing header): ").size());
  EXPECT_FALSE(reason.isEmpty());
  EXPECT_EQ(Dialogs.Shown()[1].Text, "Error during conversion: " + reason);
  EXPECT_EQ(Log, QStringList({"-- Hour 1", HourFileName(path, 0, 1), "", HourFileName(path, 2, 1),
                              HourFileName(path, 3, 1)}));
  // The first 100 frames went to channel 1 before channel 2 failed; files are closed, so on disk.
  EXPECT_EQ(QFileInfo(HourFileName(path, 0, 1)).size(), CommentsHeader + 400);
  EXPECT_EQ(QFileInfo(HourFileName(path, 2, 1)).size(), CommentsHeader);
}

TEST_F(HourConverterTest, MissingHourFileIsNeverReportedAsDone) {
  struct TCase {
    const char* Name;
    qint64 Frames;
    int FailingHour;
  };
  const std::vector<TCase> cases = {{"empty", 0, 1},      // no samples at all
                                    {"short", 50, 1},     // too few samples for a whole buffer
                                    {"later", 3650, 2}};  // the second hour
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QString path = WriteRecording(c.Name + QString(".aq2"), c.Frames, 2);
    ASSERT_TRUE(QDir().mkdir(HourFileName(path, 0, c.FailingHour)));
    Dialogs.ExpectMessage("Error creating file (writing header): ")
        .ExpectMessage("Error during conversion: ");
    EXPECT_FALSE(Convert(path, 2, 1.0));
    EXPECT_FALSE(Log.contains("Conversion done"));
    if (c.FailingHour == 2) {
      // The first hour was finished and logged in full.
      EXPECT_TRUE(Log.contains("  Chan 1: Samples in file = 3600 (data=14477-77=14400 bytes)"));
      EXPECT_EQ(Log.mid(Log.indexOf("-- Hour 2")),
                QStringList({"-- Hour 2", "", HourFileName(path, 1, 2)}));
    }
    Log.clear();
  }
}

// Lets the file system refuse writes beyond a size, as a full disk does.
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
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  rlimit Previous{};
  void (*PreviousHandler)(int) = nullptr;
};

TEST_F(HourConverterTest, FullDiskStopsTheConversionAndClosesEveryFile) {
  struct TCase {
    const char* Name;
    qint64 Frames;
    double Rate;
  };
  // Hour files smaller than the file's own write buffer fail when they are
  // closed, larger ones while they are written.
  const std::vector<TCase> cases = {{"closing", 3000, 1.0}, {"writing", 10000, 10.0}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QString path = WriteRecording(c.Name + QString(".aq4"), c.Frames, 4);
    Dialogs.ExpectMessage("Error during conversion: " +
                          QString::fromLocal8Bit(std::strerror(EFBIG)));
    const int openBefore = OpenFileCount();
    {
      TFileSizeLimit limit(CommentsHeader + 1000);
      EXPECT_FALSE(Convert(path, 4, c.Rate));
    }
    EXPECT_EQ(OpenFileCount(), openBefore);
    EXPECT_FALSE(Log.contains("Conversion done"));
    EXPECT_LE(QFileInfo(HourFileName(path, 0, 1)).size(), CommentsHeader + 1000);
    Log.clear();
  }
}

TEST_F(HourConverterTest, ReadOnlyFolderRefusesEveryHourFile) {
  const QString folder = PathOf("locked");
  ASSERT_TRUE(QDir().mkdir(folder));
  const QString path = WriteRecording("locked/run.aq2", 10, 2);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
  const bool writable = ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
  if (writable) {
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    GTEST_SKIP() << "permissions do not stop this user from writing";
  }
  const QString reason = QString::fromLocal8Bit(std::strerror(EACCES));
  Dialogs.ExpectMessage("Error creating file (writing header): " + reason)
      .ExpectMessage("Error creating file (writing header): " + reason)
      .ExpectMessage("Error during conversion: " + reason);
  EXPECT_FALSE(Convert(path, 2, 1.0));
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(Log, QStringList({"-- Hour 1", "", ""}));
}

}  // namespace
