#include "windows/os_description.h"

#include <gtest/gtest.h>

#include <vector>

#include "doubles/fakes.h"

namespace {

TWindowsVersionInfo Windows(int major, int minor, int build, int productType = 1, int suiteMask = 0,
                            int spMajor = 0, int spMinor = 0, bool extendedOk = true) {
  return {2, major, minor, build, extendedOk, spMajor, spMinor, productType, suiteMask};
}

TEST(WindowsDescriptionLines, NameEditionNumberBuildAndServicePack) {
  struct TCase {
    TWindowsVersionInfo Info;
    const char* Line1;
    const char* Line2;
  };
  const std::vector<TCase> cases = {
      // Names by version.
      {Windows(3, 51, 1057), "Microsoft Windows NT Workstation 3.51",
       "Build 1057: Service Pack 0.0"},
      {Windows(4, 0, 1381, 1, 0, 6), "Microsoft Windows NT Workstation 4.00",
       "Build 1381: Service Pack 6.0"},
      {Windows(5, 0, 2195, 1, 0, 4), "Microsoft Windows 2000 Professional 5.00",
       "Build 2195: Service Pack 4.0"},
      {Windows(5, 1, 2600, 1, 0, 3), "Microsoft Windows XP Professional 5.01",
       "Build 2600: Service Pack 3.0"},
      {Windows(5, 2, 3790, 3, 0, 2), "Microsoft Windows Server 2003 Standard Edition 5.02",
       "Build 3790: Service Pack 2.0"},
      {Windows(6, 0, 6002, 1, 0, 2), "Microsoft Windows Vista 6.00",
       "Build 6002: Service Pack 2.0"},
      {Windows(6, 1, 7601, 1, 0, 1), "Microsoft Windows 7 6.01", "Build 7601: Service Pack 1.0"},
      {Windows(6, 2, 9200), "Future Microsoft Windows v6.2 6.02", "Build 9200: Service Pack 0.0"},
      {Windows(5, 3, 1, 3), "Future Microsoft Windows v5.3 5.03", "Build 1: Service Pack 0.0"},
      {Windows(5, 3, 1, 1), "Future Microsoft Windows v5.3 Professional 5.03",
       "Build 1: Service Pack 0.0"},
      {Windows(10, 0, 19045, 1, 0, 0, 1), "Future Microsoft Windows v10.0 10.00",
       "Build 19045: Service Pack 0.1"},
      // Editions up to NT 4.
      {Windows(4, 0, 1381, 3, 0x0002), "Microsoft Windows NT Server, Enterprise Edition 4.00",
       "Build 1381: Service Pack 0.0"},
      {Windows(4, 0, 1381, 3, 0x0010), "Microsoft Windows NT Server 4.00",
       "Build 1381: Service Pack 0.0"},
      {Windows(4, 0, 1381, 2), "Microsoft Windows NT 4.00", "Build 1381: Service Pack 0.0"},
      // Major 5 workstations.
      {Windows(5, 1, 2600, 1, 0x0200), "Microsoft Windows XP Home Edition 5.01",
       "Build 2600: Service Pack 0.0"},
      {Windows(5, 0, 2195, 1, 0x0200), "Microsoft Windows 2000 Home Edition 5.00",
       "Build 2195: Service Pack 0.0"},
      {Windows(5, 2, 3790, 1), "Microsoft Windows Server 2003 Professional 5.02",
       "Build 3790: Service Pack 0.0"},
      // 2000 servers: the rows are tried from the top.
      {Windows(5, 0, 2195, 3, 0x0080 | 0x0002), "Microsoft Windows 2000 Datacenter Server 5.00",
       "Build 2195: Service Pack 0.0"},
      {Windows(5, 0, 2195, 3, 0x0002), "Microsoft Windows 2000 Advanced Server 5.00",
       "Build 2195: Service Pack 0.0"},
      {Windows(5, 0, 2195, 3, 0x0400), "Microsoft Windows 2000 Server 5.00",
       "Build 2195: Service Pack 0.0"},
      // Server 2003.
      {Windows(5, 2, 3790, 3, 0x0080 | 0x0002),
       "Microsoft Windows Server 2003 Datacenter Edition 5.02", "Build 3790: Service Pack 0.0"},
      {Windows(5, 2, 3790, 3, 0x0002 | 0x0400),
       "Microsoft Windows Server 2003 Enterprise Edition 5.02", "Build 3790: Service Pack 0.0"},
      {Windows(5, 2, 3790, 3, 0x0400), "Microsoft Windows Server 2003 Web Edition 5.02",
       "Build 3790: Service Pack 0.0"},
      {Windows(5, 2, 3790, 3, 0x0400 | 0x0010),
       "Microsoft Windows Server 2003 Standard Edition 5.02", "Build 3790: Service Pack 0.0"},
      // Nothing appended.
      {Windows(5, 1, 2600, 3), "Microsoft Windows XP 5.01", "Build 2600: Service Pack 0.0"},
      {Windows(5, 2, 3790, 2), "Microsoft Windows Server 2003 5.02",
       "Build 3790: Service Pack 0.0"},
      {Windows(6, 1, 7601, 3, 0x0002), "Microsoft Windows 7 6.01", "Build 7601: Service Pack 0.0"},
      // The extended query failed: no edition and no service pack.
      {Windows(5, 1, 2600, 1, 0x0200, 3, 0, false), "Microsoft Windows XP 5.01", "Build 2600: "},
      {Windows(4, 0, 1381, 3, 0x0002, 6, 0, false), "Microsoft Windows NT 4.00", "Build 1381: "},
  };
  for (const TCase& c : cases) {
    const QStringList lines = WindowsDescriptionLines(c.Info);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString(c.Line1));
    EXPECT_EQ(lines[1], QString(c.Line2)) << c.Line1;
  }
}

TEST(WindowsDescription, RoutinesOnTheirOwn) {
  const TWindowsVersionInfo xp = Windows(5, 1, 2600, 1, 0x0200, 3, 0, false);
  EXPECT_EQ(WindowsVersionNumber(xp), QString("5.01"));
  EXPECT_EQ(WindowsBuildNumber(xp), 2600);
  EXPECT_EQ(ServicePackText(xp), QString());
  EXPECT_EQ(WindowsVersionText(xp), QString("Microsoft Windows XP"));
  EXPECT_EQ(WindowsVersionNumber(Windows(6, 12, 0)), QString("6.12"));
}

TEST(SystemDescriptionLines, OsNameThenKernel) {
  TFixedSystemFacts facts;
  facts.Os = "Debian GNU/Linux 12 (bookworm)";
  facts.Kernel = "6.1.0-18-amd64";
  TSeamOverride<TSystemFacts> o(&TSeamSet::System, facts);
  EXPECT_EQ(SystemDescriptionLines(),
            QStringList({"Debian GNU/Linux 12 (bookworm)", "Kernel 6.1.0-18-amd64"}));
}

}  // namespace
