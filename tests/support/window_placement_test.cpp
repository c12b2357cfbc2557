#include "support/window_placement.h"

#include <gtest/gtest.h>

#include <climits>

#include "common/temp_dir.h"
#include "support/MyStRegIni.h"

namespace {

struct TPlacementCase {
  const char* Name;
  TWindowPlacement Stored;
  bool Resizable;
  int HDefault, VDefault;
  TWindowPlacement Expected;
};

void PrintTo(const TPlacementCase& c, std::ostream* os) {
  *os << c.Name;
}

class PlacementRule : public ::testing::TestWithParam<TPlacementCase> {};

// Screen 1920 x 1080; the window's current size is 800 x 600.
TEST_P(PlacementRule, GivesThePlacement) {
  const TPlacementCase& c = GetParam();
  const TWindowPlacement p = ComputeWindowPlacement(c.Stored, {1920, 1080}, {800, 600}, c.Resizable,
                                                    c.HDefault, c.VDefault);
  EXPECT_EQ(p.Left, c.Expected.Left);
  EXPECT_EQ(p.Top, c.Expected.Top);
  EXPECT_EQ(p.Width, c.Expected.Width);
  EXPECT_EQ(p.Height, c.Expected.Height);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementRule,
    ::testing::ValuesIn(std::vector<TPlacementCase>{
        {"nothing stored: centred at the designed size",
         {0, 0, 0, 0},
         true,
         0,
         0,
         {560, 240, 800, 600}},
        {"stored placement kept", {100, 50, 640, 480}, true, 0, 0, {100, 50, 640, 480}},
        {"width above the screen: screen width at the left edge",
         {300, 10, 5000, 500},
         true,
         0,
         0,
         {0, 10, 1920, 500}},
        {"height above the screen", {10, 300, 500, 4000}, true, 0, 0, {10, 0, 500, 1080}},
        {"right edge off screen: pulled back",
         {1800, 10, 400, 300},
         true,
         0,
         0,
         {1520, 10, 400, 300}},
        {"bottom edge off screen: pulled back",
         {10, 1000, 400, 300},
         true,
         0,
         0,
         {10, 780, 400, 300}},
        {"left 0 stored: centred, not at the edge",
         {0, 0, 400, 300},
         true,
         0,
         0,
         {760, 390, 400, 300}},
        {"negative position (closed maximised): centred",
         {-8, -8, 1936, 1096},
         true,
         0,
         0,
         {0, 0, 1920, 1080}},
        {"odd remainder rounds toward zero", {0, 0, 801, 601}, true, 0, 0, {559, 239, 801, 601}},
        {"defaults 3 and 1: left and top edges", {0, 0, 400, 300}, true, 3, 1, {0, 0, 400, 300}},
        {"defaults 4 and 2: right and bottom edges",
         {0, 0, 400, 300},
         true,
         4,
         2,
         {1520, 780, 400, 300}},
        {"other defaults keep the stored value", {-50, 0, 400, 300}, true, 7, 7, {0, 0, 400, 300}},
        {"defaults only for unusable positions",
         {30, 40, 400, 300},
         true,
         4,
         2,
         {30, 40, 400, 300}},
        {"fixed window ignores any stored size",
         {0, 0, 300, 200},
         false,
         0,
         0,
         {560, 240, 800, 600}},
        {"fixed window kept on screen", {1500, 900, 0, 0}, false, 0, 0, {1120, 480, 800, 600}},
        {"zero or negative stored size: current size",
         {0, 0, -5, 0},
         true,
         0,
         0,
         {560, 240, 800, 600}},
        {"extreme positions do not overflow",
         {INT_MAX, INT_MAX, INT_MAX, 0},
         true,
         0,
         0,
         {0, 480, 1920, 600}},
    }));

TEST(PlacementRule, WindowLargerThanTheScreenStartsAtZero) {
  const TWindowPlacement p =
      ComputeWindowPlacement({0, 0, 0, 0}, {1024, 768}, {1200, 900}, false, 0, 0);
  EXPECT_EQ(p.Left, 0);
  EXPECT_EQ(p.Top, 0);
}

class PlacementKeys : public TTempDirTest {
protected:
  QString File() const { return PathOf("placement.ini"); }
};

TEST_F(PlacementKeys, FixedWindowsNeverStoreASize) {
  TStRegIni ini(File());
  ini.SetCurrentSection("frmInfo");
  WriteStoredPlacement(ini, {11, 22, 333, 444}, 0, false);
  EXPECT_EQ(ReadFile(File()).toStdString(), "[frmInfo]\nWinLeft=11\nWinTop=22\nWinState=0\n");

  ini.SetCurrentSection("frmMain");
  WriteStoredPlacement(ini, {-8, -8, 1936, 1096}, 2, true);
  const TWindowPlacement back = ReadStoredPlacement(ini, true);
  EXPECT_EQ(back.Left, -8);
  EXPECT_EQ(back.Top, -8);
  EXPECT_EQ(back.Width, 1936);
  EXPECT_EQ(back.Height, 1096);
  EXPECT_EQ(ini.ReadInteger("WinState", -1), 2);

  const TWindowPlacement fixed = ReadStoredPlacement(ini, false);
  EXPECT_EQ(fixed.Width, 0) << "a fixed window reads no size";
  EXPECT_EQ(fixed.Height, 0);
}

}  // namespace
