#include "support/locale_format.h"

#include <gtest/gtest.h>

namespace {
// Switches the default locale for one test.
class LocaleFormatTest : public ::testing::Test {
protected:
  void TearDown() override { QLocale::setDefault(QLocale::c()); }
};
}  // namespace

TEST_F(LocaleFormatTest, FormatsTheProgramsPatterns) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  const struct {
    const char* Format;
    std::initializer_list<TFormatArg> Args;
    const char* Expected;
  } cases[] = {
      {"%8d: Not started", {1234}, "    1234: Not started"},
      {"%d:%.2d:%.2d", {1, 2, 5}, "1:02:05"},
      {"rec.time=%5.2f/smpl.frq=%8.3fHz", {0.5, 100.0}, "rec.time= 0.50/smpl.frq= 100.000Hz"},
      {"Range                   : +/- %.2f V", {5.0}, "Range                   : +/- 5.00 V"},
      {"Deviation            : %.2f %%", {1.105}, "Deviation            : 1.10 %"},
      {"%s-ch%d.D%.2d", {"bean12", 1, 100}, "bean12-ch1.D100"},
      {"%-6s|%3s", {"ab", "c"}, "ab    |  c"},
      {"%d %d", {-7}, "-7 %d"},  // a missing argument leaves the conversion as it stands
      {"%.1f sec", {12345678.04}, "12345678.0 sec"},  // never a group separator
      {"%.0f Hz", {100.0}, "100 Hz"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.Format, c.Args), c.Expected) << c.Format;
}

TEST_F(LocaleFormatTest, DecimalSeparatorFollowsTheLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(Format("rec.time=%5.2f", {0.01}), "rec.time= 0,01");
  EXPECT_EQ(FormatFixed(1000.5, 3), "1000,500");
  EXPECT_EQ(ParseLocaleDouble("0,5"), 0.5);
  EXPECT_FALSE(ParseLocaleDouble("0.5x"));
  EXPECT_FALSE(ParseLocaleDouble("abc"));
}

TEST_F(LocaleFormatTest, TimeTextsUseTheTimeSeparator) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
  EXPECT_EQ(LongTimeText(QTime(9, 5, 7)), "09:05:07");
  const QString text = DateTimeText(QDateTime(QDate(2010, 7, 5), QTime(14, 12, 54)));
  EXPECT_TRUE(text.endsWith(" 14:12:54")) << text.toStdString();
  EXPECT_TRUE(text.startsWith("05/07/2010")) << text.toStdString();
}
