#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "common/temp_dir.h"

namespace {
class PortsFolderTest : public TTempDirTest {
protected:
  void SetUp() override { qputenv("TAVRIN_PORTS_DIR", Dir.path().toLocal8Bit()); }
  void TearDown() override { qunsetenv("TAVRIN_PORTS_DIR"); }
};
}  // namespace

TEST_F(PortsFolderTest, FixedTableMapsComNumbersToLinuxNodes) {
  const struct {
    int Com;
    const char* Node;
  } cases[] = {{1, "/dev/ttyS0"},    {32, "/dev/ttyS31"},  {33, "/dev/ttyUSB0"},
               {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"}, {96, "/dev/ttyACM31"},
               {97, ""},             {0, ""},             {-1, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(ResolveComPort(c.Com), QString::fromLatin1(c.Node)) << "COM" << c.Com;
    if (*c.Node) {
      EXPECT_EQ(ComNumberOfDeviceNode(QString::fromLatin1(c.Node)), c.Com);
    }
  }
  EXPECT_EQ(ComNumberOfDeviceNode("/dev/ttyUSB32"), -1);
  EXPECT_EQ(ComNumberOfDeviceNode("/dev/pts/3"), -1);
  EXPECT_EQ(ComNumberOfDeviceNode("/dev/ttyS"), -1);
}

TEST_F(PortsFolderTest, EntryInPortsFolderWinsOverTheTable) {
  ASSERT_TRUE(QFile::link("/dev/null", PathOf("COM3")));
  EXPECT_EQ(ResolveComPort(3), PathOf("COM3"));
  // A dangling link still names the port, so opening it reports what is wrong.
  ASSERT_TRUE(QFile::link(PathOf("gone"), PathOf("COM40")));
  EXPECT_EQ(ResolveComPort(40), PathOf("COM40"));
  EXPECT_EQ(ResolveComPort(4), "/dev/ttyS3");
}

TEST(PathsTest, ConfigFolderFollowsXdgAndEndsWithSeparator) {
  // The test main points XDG_CONFIG_HOME at a private folder.
  const QString folder = ConfigFolder();
  EXPECT_TRUE(folder.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
  EXPECT_TRUE(folder.endsWith("/tavrin/"));
  EXPECT_TRUE(QDir(folder).exists());
  EXPECT_EQ(PortsFolder(), folder + "ports/");
  EXPECT_EQ(DefaultDataDirectory(), QDir::homePath() + "/ZQR_data");
}
