#include "platform/registry.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"

namespace {
const char* Fixture = R"(; two service keys
[SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
Count=dword:1
0=FTDIBUS\VID_0403+PID_6001+A1\0000

[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+A1\0000\Device Parameters]
PortName=COM7
not a value line
Broken=dword:seven
)";
}  // namespace

TEST(FixtureRegistryTest, ReadsKeysAndValuesWithoutRegardToCase) {
  int bad = -1;
  TFixtureRegistry registry = TFixtureRegistry::FromText(Fixture, &bad);
  EXPECT_EQ(bad, 2);
  auto key = registry.OpenKey("system\\currentcontrolset\\services\\ftser2k\\enum");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->ReadInteger("COUNT"), 1);
  EXPECT_EQ(key->ReadString("0"), "FTDIBUS\\VID_0403+PID_6001+A1\\0000");
  // An integer is not a string, and a missing value is neither.
  EXPECT_FALSE(key->ReadString("Count"));
  EXPECT_FALSE(key->ReadInteger("0"));
  EXPECT_FALSE(key->ReadString("1"));

  auto params = registry.OpenKey(
      "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\VID_0403+PID_6001+A1\\0000\\Device Parameters\\");
  ASSERT_TRUE(params);
  EXPECT_EQ(params->ReadString("portname"), "COM7");
  EXPECT_FALSE(params->ReadInteger("Broken"));
}

TEST(FixtureRegistryTest, MissingKeyDoesNotOpen) {
  TFixtureRegistry registry = TFixtureRegistry::FromText(Fixture);
  EXPECT_FALSE(registry.OpenKey("System\\CurrentControlSet\\Services\\usbser\\Enum"));
  EXPECT_FALSE(registry.OpenKey(""));
  EXPECT_TRUE(TFixtureRegistry().IsEmpty());
}

TEST(FixtureRegistryTest, MergeAddsKeysAndReplacesValues) {
  TFixtureRegistry registry = TFixtureRegistry::FromText(Fixture);
  TFixtureRegistry more;
  more.SetInteger("SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM", "Count", 2);
  more.SetString("System\\CurrentControlSet\\Services\\usbser\\Enum", "0", "USB\\VID_0683");
  registry.Merge(more);
  EXPECT_EQ(registry.OpenKey("SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM")
                ->ReadInteger("Count"),
            2);
  EXPECT_EQ(registry.OpenKey("SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM")
                ->ReadString("0"),
            "FTDIBUS\\VID_0403+PID_6001+A1\\0000");
  EXPECT_TRUE(registry.OpenKey("system\\currentcontrolset\\services\\USBSER\\enum"));
}

class FixtureFileTest : public TTempDirTest {};

TEST_F(FixtureFileTest, LoadsAFileAndReportsAMissingOne) {
  TFixtureRegistry registry;
  ASSERT_TRUE(registry.LoadFile(WriteFile("reg.txt", Fixture)));
  EXPECT_TRUE(registry.OpenKey("SYSTEM\\CurrentControlSet\\Services\\FTSER2K\\ENUM"));
  QString error;
  EXPECT_FALSE(registry.LoadFile(PathOf("none.txt"), &error));
  EXPECT_TRUE(error.contains("none.txt"));
  // Binary garbage is no registry, but no crash either.
  static const char bytes[] = "\x00\xff[\x01=\n]]=[";
  TFixtureRegistry garbage;
  EXPECT_TRUE(garbage.LoadFile(WriteFile("bin", QByteArray(bytes, sizeof bytes - 1))));
}
