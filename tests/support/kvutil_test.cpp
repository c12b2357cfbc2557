#include "support/kvutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "common/temp_dir.h"
#include "doubles/fakes.h"

namespace {

TEST(SecondsToHMS, HoursMinutesSeconds) {
  struct TCase {
    qint64 Seconds;
    const char* Text;
  };
  for (const TCase& c : std::vector<TCase>{{0, "0:00:00"},
                                           {59, "0:00:59"},
                                           {60, "0:01:00"},
                                           {3599, "0:59:59"},
                                           {3725, "1:02:05"},
                                           {86399, "23:59:59"},
                                           {90000, "25:00:00"},
                                           {3600LL * 3000000000LL + 61, "3000000000:01:01"}})
    EXPECT_EQ(SecondsToHMS(c.Seconds).toStdString(), c.Text) << c.Seconds;
}

TEST(TextSplit, FirstOccurrenceOfTheSeparator) {
  struct TCase {
    const char* Text;
    const char* Separator;
    const char* Before;
    const char* After;
  };
  for (const TCase& c : std::vector<TCase>{
           {"COM3=USB Serial Port", "=", "COM3", "USB Serial Port"},
           {"COM3", "COM", "", "3"},
           {"no separator", "=", "no separator", ""},
           {"a=b=c", "=", "a", "b=c"},
           {"reply\r\nrest\r\n", "\r\n", "reply", "rest\r\n"},
           {"/LOGMEAS=2", "/LOGMEAS=", "", "2"},
           {"Com3", "COM", "Com3", ""},
           {"text", "", "text", ""},
           {"", "=", "", ""},
           {"ends with=", "=", "ends with", ""},
       }) {
    EXPECT_EQ(TextBefore(c.Text, c.Separator).toStdString(), c.Before) << c.Text;
    EXPECT_EQ(TextAfter(c.Text, c.Separator).toStdString(), c.After) << c.Text;
  }
}

TEST(IsNotParallelPort, LptOneToFour) {
  struct TCase {
    const char* Name;
    bool NotParallel;
  };
  for (const TCase& c : std::vector<TCase>{{"LPT1", false},
                                           {"LPT4", false},
                                           {"Printer (LPT2)", false},
                                           {"LPT5", true},
                                           {"LPT0", true},
                                           {"LPT", true},
                                           {"lpt1", true},
                                           {"COM1", true},
                                           {"", true}})
    EXPECT_EQ(IsNotParallelPort(c.Name), c.NotParallel) << c.Name;
}

class FileQueries : public TTempDirTest {};

TEST_F(FileQueries, FileSizeOfFilesOnly) {
  EXPECT_EQ(GetFileSizeByName(WriteFile("five.bin", "12345")), 5);
  EXPECT_EQ(GetFileSizeByName(WriteFile("empty.bin", "")), 0);
  EXPECT_EQ(GetFileSizeByName(PathOf("missing.bin")), 0);
  EXPECT_EQ(GetFileSizeByName(Dir.path()), 0);
  EXPECT_EQ(GetFileSizeByName(""), 0);
}

TEST_F(FileQueries, FileOverFourGigabytesKeepsItsSize) {
  QFile f(PathOf("sparse.bin"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  if (!f.resize(5LL * 1024 * 1024 * 1024)) GTEST_SKIP() << "no sparse files here";
  f.close();
  EXPECT_EQ(GetFileSizeByName(f.fileName()), 5LL * 1024 * 1024 * 1024);
}

TEST(SystemQueries, DiskFreeAndVersionsComeFromTheSystemFacts) {
  TFixedSystemFacts facts;
  facts.FreeBytesByPath["/data"] = 12345;
  facts.FreeBytesByPath[QDir::currentPath()] = 777;
  TSeamOverride<TSystemFacts> o(&TSeamSet::System, facts);
  EXPECT_EQ(GetDiskFreeBytes("/data/run"), 12345);
  EXPECT_EQ(GetDiskFreeBytes(""), 777) << "an empty path means the current folder";

  facts.Version = {{2, 5, 7, 41}};
  EXPECT_EQ(GetFileVersion().Parts, (std::array<quint16, 4>{2, 5, 7, 41}));
  EXPECT_EQ(GetFileBuildNumber(), 41);
  EXPECT_EQ(GetFileVersion("/usr/bin/other").Parts, (std::array<quint16, 4>{0, 0, 0, 0}));
  EXPECT_EQ(GetFileBuildNumber("/usr/bin/other"), 0);
}

TEST(FindProcessId, FirstExactNameMatch) {
  TFakeProcesses processes;
  processes.Table = {
      {10, "other"}, {21, "DataqSdk.exe"}, {22, "dataqsdk.exe"}, {23, "DataqSdk.exe"}};
  TSeamOverride<TProcesses> o(&TSeamSet::Processes, processes);
  EXPECT_EQ(FindProcessId("DataqSdk.exe"), 21);
  EXPECT_EQ(FindProcessId("dataqsdk.exe"), 22);
  EXPECT_EQ(FindProcessId("DATAQSDK.EXE"), 0) << "letter case counts";
  EXPECT_EQ(FindProcessId("DataqSdk"), 0);
  EXPECT_EQ(FindProcessId(""), 0);
  processes.Table.clear();
  EXPECT_EQ(FindProcessId("other"), 0);
}

// The ports folder decides which numbers name devices; links that lead
// nowhere name none.
class SerialPortList : public TTempDirTest {
protected:
  void SetUp() override {
    Ports = PathOf("ports");
    QDir().mkpath(Ports);
    qputenv("TAVRIN_PORTS_DIR", Ports.toLocal8Bit());
    Device = WriteFile("device", "");
    QFile::link(Device, Ports + "/COM7");
    QFile::link(Device, Ports + "/COM200");
    QFile::link(PathOf("gone"), Ports + "/COM150");
    QFile::link(Device, Ports + "/com99");
    QFile::link(Device, Ports + "/COM0");
  }
  void TearDown() override { qunsetenv("TAVRIN_PORTS_DIR"); }
  QString Ports;
  QString Device;
};

TEST_F(SerialPortList, ExistingNodesInAscendingOrder) {
  QStringList list{"kept"};
  ListSerialPorts(false, list);
  EXPECT_EQ(list.first(), "kept") << "entries are appended";
  EXPECT_TRUE(list.contains("COM7"));
  EXPECT_TRUE(list.contains("COM200"));
  EXPECT_FALSE(list.contains("COM150"));
  EXPECT_FALSE(list.contains("COM99"));
  EXPECT_FALSE(list.contains("COM0"));
  EXPECT_LT(list.indexOf("COM7"), list.indexOf("COM200"));
  for (const QString& entry : list.mid(1))
    EXPECT_TRUE(entry.startsWith("COM")) << entry.toStdString();
}

TEST_F(SerialPortList, DetailsKeepThePortNameBeforeTheEqualsSign) {
  QStringList list;
  ListSerialPorts(true, list);
  const QString expected =
      "COM7=" + Ports + "/COM7/" + QFileInfo(Device).canonicalFilePath() + " (v )";
  EXPECT_TRUE(list.contains(expected)) << list.join("\n").toStdString();
  for (const QString& entry : list)
    EXPECT_TRUE(TextBefore(entry, "=").startsWith("COM")) << entry.toStdString();
}

}  // namespace
