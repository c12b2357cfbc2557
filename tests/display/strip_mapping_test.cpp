#include "display/strip_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

namespace {

// Volts -8..8 on 64 pixels: y = 32 - 4 v, exact in binary.
TStripMapping Mapping(double start, double end, double hours, int width, int height = 64) {
  return MakeStripMapping(start, end, hours, -8, 8, width, height);
}

struct TSamples {
  std::vector<double> Time;
  std::vector<float> Volts;
  int Count() const { return int(Time.size()); }
};

TSamples Regular(double rate, double seconds, float (*volts)(int) = nullptr) {
  TSamples s;
  const int n = int(std::lround(rate * seconds));
  for (int k = 0; k < n; ++k) {
    s.Time.push_back(k / rate);
    s.Volts.push_back(volts ? volts(k) : 0.0f);
  }
  return s;
}

TEST(StripMapping, FieldsFollowTheWindowAndTheBox) {
  const TStripMapping m = Mapping(30, 630, 1.0, 1000, 49);
  EXPECT_TRUE(m.Valid);
  EXPECT_EQ(m.TimeFrom, 30);
  EXPECT_EQ(m.TimeTo, 630);
  EXPECT_EQ(m.PixLeft, 4);
  EXPECT_EQ(m.PixRight, 996);
  EXPECT_EQ(m.PixBottom, 49) << "the height, not height - 1";
  EXPECT_EQ(m.PixTop, 0);
  EXPECT_DOUBLE_EQ(m.XScale, 992.0 / 600);
  EXPECT_DOUBLE_EQ(m.YScale, -49.0 / 16);
  EXPECT_EQ(m.X(30), 4);
  EXPECT_EQ(m.X(630), 996);
  EXPECT_EQ(m.Y(-8), 49);
  EXPECT_EQ(m.Y(8), 0);
}

TEST(StripMapping, WindowEndIsTheRecordingTimeInWholeSecondsAtMostTheStripEnd) {
  struct TCase {
    double Start, End, Hours, TimeTo;
    bool Valid;
  };
  const std::vector<TCase> cases = {
      {0, 600, 0.01, 36, true},      // 36 s recording
      {0, 600, 1.0, 600, true},      // longer than the window
      {0, 600, 0.0001, 0, false},    // 0.36 s rounds to 0: no window
      {0, 600, 0, 0, false},         // nothing typed
      {0, 600, NAN, 0, false},       // not a number
      {0, 600, INFINITY, 0, false},  // absurd input
      {30, 630, 0.005, 18, false},   // lowered below an advanced window's start
  };
  for (const TCase& c : cases) {
    const TStripMapping m = Mapping(c.Start, c.End, c.Hours, 1000);
    EXPECT_EQ(m.TimeTo, c.TimeTo) << c.Hours;
    EXPECT_EQ(m.Valid, c.Valid) << c.Hours;
  }
}

TEST(StripMapping, PixelsRoundToTheNearestEvenOnATie) {
  // 100 s on 200 pixels: 2 px/s.
  const TStripMapping m = Mapping(0, 600, 100.0 / 3600, 208);
  ASSERT_DOUBLE_EQ(m.XScale, 2);
  struct TCase {
    double T;
    int X;
  };
  for (const TCase& c : std::vector<TCase>{{0.25, 4}, {0.75, 6}, {1.25, 6}, {0.3, 5}, {0.2, 4}})
    EXPECT_EQ(m.X(c.T), c.X) << c.T;
  struct TVCase {
    double V;
    int Y;
  };
  for (const TVCase& c : std::vector<TVCase>{{-7.875, 64}, {-7.625, 62}, {0, 32}, {0.1, 32}})
    EXPECT_EQ(m.Y(c.V), c.Y) << c.V;
}

TEST(StripMapping, DamagedValuesStayFarOutsideTheStrip) {
  const TStripMapping m = Mapping(0, 600, 1, 1000);
  EXPECT_GT(m.Y(NAN), 1000000);
  EXPECT_LT(m.Y(1e30f), -1000000);
  EXPECT_GT(m.X(1e300), 1000000);
}

// ---- DrawStripPoints ---------------------------------------------------------------

TEST(StripPointsPath, VisitsTheSamplesInsideTheStripFromThePenPosition) {
  // 1 px/s from x = 4 to 14.
  const TStripMapping m = Mapping(0, 600, 10.0 / 3600, 18);
  ASSERT_DOUBLE_EQ(m.XScale, 1);
  const TSamples s{{1, 2, 3, 20, 5}, {0, 1, 2, 3, 4}};
  struct TCase {
    const char* Name;
    int First, Last;
    QPoint Pen;
    std::vector<QPoint> Path;
  };
  const std::vector<TCase> cases = {
      {"no pen yet: the first point is a plain move", 0, 2, {-1, -1}, {{5, 32}, {6, 28}, {7, 24}}},
      {"continues from the pen", 1, 2, {3, 40}, {{3, 40}, {6, 28}, {7, 24}}},
      {"a sample past the right edge ends the loop", 2, 4, {6, 28}, {{6, 28}, {7, 24}}},
      {"nothing to draw leaves no path", 3, 4, {7, 24}, {}},
      {"first after last", 2, 1, {-1, -1}, {}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(StripPointsPath(m, s.Time.data(), s.Volts.data(), c.First, c.Last, c.Pen), c.Path)
        << c.Name;
}

TEST(StripPointsPath, SkipsSamplesLeftOfTheWindowAndDrawsNothingWithoutAWindow) {
  const TStripMapping advanced = MakeStripMapping(30, 630, 1, -8, 8, 1000, 64);
  const TSamples s{{10, 29.5, 30, 31}, {1, 1, 1, 1}};
  const std::vector<QPoint> path =
      StripPointsPath(advanced, s.Time.data(), s.Volts.data(), 0, 3, {-1, -1});
  ASSERT_EQ(path.size(), 2u);
  EXPECT_EQ(path[0], QPoint(4, 28));

  const TStripMapping none = Mapping(0, 600, 0, 1000);
  EXPECT_TRUE(StripPointsPath(none, s.Time.data(), s.Volts.data(), 0, 3, {-1, -1}).empty());
}

// ---- RepaintStrip ------------------------------------------------------------------

TEST(StripRedraw, OneStrokePerPixelColumnThroughItsLowestAndHighestSample) {
  const TStripMapping m = Mapping(0, 600, 10.0 / 3600, 18);  // 1 px/s
  struct TCase {
    const char* Name;
    TSamples Samples;
    std::vector<QPoint> Path;
    QPoint LastPen;
  };
  const std::vector<TCase> cases = {
      {"columns 4 and 5; the last sample starts a column that is not drawn",
       {{0, 0.3, 0.6, 1.0, 1.4, 2.0}, {1, 3, 2, -1, 4, 0}},
       {{4, 28}, {4, 28}, {4, 20}, {5, 36}, {5, 16}},
       {5, 16}},
      {"a gap is bridged up to the pixel before the next sample",
       {{0, 0.2, 0.4, 3.0, 3.2}, {1, 1, 1, 2, 2}},
       {{4, 28}, {4, 28}, {6, 28}, {7, 24}, {7, 24}},
       {7, 24}},
      {"the last sample closes the open column without joining it",
       {{0, 0.3}, {1, 5}},
       {{4, 28}, {4, 28}, {4, 28}},
       {4, 28}},
  };
  for (const TCase& c : cases) {
    const TStripRedraw r =
        StripRedraw(m, c.Samples.Time.data(), c.Samples.Volts.data(), c.Samples.Count(), 0, 600);
    EXPECT_FALSE(r.SampleBySample) << c.Name;
    ASSERT_EQ(r.Lines.size(), 1u) << c.Name;
    EXPECT_EQ(r.Lines[0], c.Path) << c.Name;
    EXPECT_EQ(r.LastPen, c.LastPen) << c.Name;
  }
}

TEST(StripRedraw, FewSamplesForThePixelsAreDrawnOneByOne) {
  // 36 s on a strip 1000 wide: 992 pixels between the margins.
  const TStripMapping m = Mapping(0, 600, 0.01, 1000);
  const TSamples slow = Regular(10, 36);
  const TStripRedraw r = StripRedraw(m, slow.Time.data(), slow.Volts.data(), slow.Count(), 0, 600);
  EXPECT_TRUE(r.SampleBySample);
  ASSERT_EQ(r.Lines.size(), 1u);
  EXPECT_EQ(r.Lines[0],
            StripPointsPath(m, slow.Time.data(), slow.Volts.data(), 0, 359, QPoint(-1, -1)));
  EXPECT_EQ(r.Lines[0].size(), 360u);
  EXPECT_EQ(r.LastPen, r.Lines[0].back());
}

TEST(StripRedraw, ManySamplesCoverEveryColumnOnce) {
  const TStripMapping m = Mapping(0, 600, 0.01, 1000);
  const TSamples fast = Regular(100, 36, [](int k) { return k % 2 ? 1.0f : -1.0f; });
  const TStripRedraw r = StripRedraw(m, fast.Time.data(), fast.Volts.data(), fast.Count(), 0, 600);
  EXPECT_FALSE(r.SampleBySample);
  ASSERT_EQ(r.Lines.size(), 1u);
  const std::vector<QPoint>& path = r.Lines[0];
  ASSERT_EQ(path.size() % 2, 1u);
  int nextColumn = 4;
  for (size_t k = 1; k < path.size(); k += 2) {
    const QPoint low = path[k], high = path[k + 1];
    EXPECT_EQ(low.x(), nextColumn) << "columns follow each other without a gap";
    EXPECT_GE(high.x(), low.x());
    EXPECT_EQ(low.y(), m.Y(-1));
    EXPECT_EQ(high.y(), m.Y(1));
    nextColumn = high.x() + 1;
  }
  // Every column up to the one of the newest sample, which is left open.
  EXPECT_EQ(nextColumn, m.X(fast.Time.back()));
  EXPECT_LT(path.size(), 2u * 992 + 2) << "one stroke per column, not per sample";
}

TEST(StripRedraw, ReadsOnlyFromTheWindowStartToTheFirstSamplePastItsEnd) {
  // An advanced window 30..630 over 700 s at 10 Hz.
  const TStripMapping m = MakeStripMapping(30, 630, 1, -8, 8, 1000, 64);
  TSamples s = Regular(10, 700, [](int) { return 2.0f; });
  // Samples outside what may be read would show as a jump to -8 V.
  for (int k = 0; k < s.Count(); ++k)
    if (s.Time[size_t(k)] < 29.95 || s.Time[size_t(k)] > 630.15) s.Volts[size_t(k)] = -8;
  const TStripRedraw r = StripRedraw(m, s.Time.data(), s.Volts.data(), s.Count(), 30, 630);
  EXPECT_FALSE(r.SampleBySample);
  ASSERT_EQ(r.Lines.size(), 1u);
  EXPECT_EQ(r.Lines[0].front().x(), 4);
  for (const QPoint& p : r.Lines[0]) EXPECT_EQ(p.y(), m.Y(2));
}

TEST(StripRedraw, NothingWithoutAWindowOrWithoutASampleInIt) {
  const TSamples s = Regular(100, 20);
  const TStripMapping none = Mapping(0, 600, 0, 1000);
  TStripRedraw r = StripRedraw(none, s.Time.data(), s.Volts.data(), s.Count(), 0, 600);
  EXPECT_TRUE(r.Lines.empty());
  EXPECT_EQ(r.LastPen, QPoint(-1, -1));

  // Every sample lies before an advanced window.
  const TStripMapping later = MakeStripMapping(30, 630, 1, -8, 8, 1000, 64);
  r = StripRedraw(later, s.Time.data(), s.Volts.data(), s.Count(), 30, 630);
  EXPECT_TRUE(r.Lines.empty());
  EXPECT_EQ(r.LastPen, QPoint(-1, -1));

  r = StripRedraw(later, s.Time.data(), s.Volts.data(), 0, 30, 630);
  EXPECT_TRUE(r.Lines.empty());
}

// ---- time scale --------------------------------------------------------------------

std::vector<QString> Labels(const TTimeScaleLayout& layout) {
  std::vector<QString> texts;
  for (const TScaleTick& t : layout.Ticks) texts.push_back(t.Text);
  return texts;
}

int SixPerChar(const QString& s) {
  return 6 * int(s.size());
}

TEST(TimeScale, LabelsSplitTheWindowInSixSteps) {
  struct TCase {
    const char* Name;
    double Start, End, Hours;
    std::vector<QString> Labels;
  };
  const std::vector<TCase> cases = {
      {"36 s recording", 0, 600, 0.01, {"0", "6", "12", "18", "24", "30", "36"}},
      {"600 s window", 0, 600, 1, {"0", "100", "200", "300", "400", "500", "600"}},
      {"after one advance", 30, 630, 1, {"30", "130", "230", "330", "430", "530", "630"}},
      {"uneven steps keep their last tick",
       0,
       600,
       50.0 / 3600,
       {"0", "8", "17", "25", "33", "42", "50"}},
      {"steps of at least one second", 0, 600, 4.0 / 3600, {"0", "1", "2", "3", "4"}},
      {"no window", 0, 600, 0, {}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Labels(TimeScaleLayout(c.Start, c.End, c.Hours, 1000, SixPerChar)), c.Labels)
        << c.Name;
}

TEST(TimeScale, TicksLineUpWithTheStripsAndLabelsStayInside) {
  const TTimeScaleLayout layout = TimeScaleLayout(0, 600, 1, 1028, SixPerChar);
  ASSERT_TRUE(layout.Valid);
  EXPECT_EQ(layout.Left, 32);
  EXPECT_EQ(layout.Right, 1024);
  ASSERT_EQ(layout.Ticks.size(), 7u);
  // The scale spans 28 pixels more than a strip: x = 32 on it is x = 4 on a strip.
  const TStripMapping strip = Mapping(0, 600, 1, 1000);
  for (const TScaleTick& t : layout.Ticks) EXPECT_EQ(t.X - 28, strip.X(t.Text.toDouble()));
  EXPECT_EQ(layout.Ticks[0].LabelLeft, 32) << "not left of the base line";
  EXPECT_EQ(layout.Ticks[1].X, 197);
  EXPECT_EQ(layout.Ticks[1].LabelLeft, 197 - 9);
  EXPECT_EQ(layout.Ticks[6].X, 1024);
  EXPECT_EQ(layout.Ticks[6].LabelLeft, 1024 - 18) << "not past the right end";

  // An odd width: half is rounded down, the right edge check uses twice that.
  const TTimeScaleLayout odd =
      TimeScaleLayout(0, 600, 1, 1028, [](const QString& s) { return 7 * int(s.size()); });
  EXPECT_EQ(odd.Ticks[1].LabelLeft, 197 - 10);
  EXPECT_EQ(odd.Ticks[6].LabelLeft, 1024 - 21);
}

// ---- detail time axis --------------------------------------------------------------

TEST(DetailTimeWindow, MovesBackUntilTheNewestSampleIsNearTheEnd) {
  struct TCase {
    const char* Name;
    double Minimum;
    int Item;
    bool Points;
    double Newest;
    TDetailWindow Expected;
  };
  const std::vector<TCase> cases = {
      {"10 sec to 1 min", 170, 1, true, 179.5, {120, 180, 10}},
      {"1 min back to 10 sec", 120, 0, true, 179.5, {120, 130, 1}},
      {"never forward", 170, 0, true, 179.5, {170, 180, 1}},
      {"far behind the window", 170, 0, true, 50, {41, 51, 1}},
      {"without points it stays", 170, 1, false, 0, {170, 230, 10}},
      {"start of a run", 0, 0, false, 0, {0, 10, 1}},
      {"moved below zero: from zero", 5, 1, true, 2, {0, 60, 10}},
  };
  for (const TCase& c : cases) {
    const TDetailWindow w = DetailTimeWindow(c.Minimum, c.Item, c.Points, c.Newest);
    EXPECT_DOUBLE_EQ(w.Min, c.Expected.Min) << c.Name;
    EXPECT_DOUBLE_EQ(w.Max, c.Expected.Max) << c.Name;
    EXPECT_EQ(w.Increment, c.Expected.Increment) << c.Name;
  }
}

TEST(DetailTimeWindow, AbsurdMinimumsEndWithAWindowOfTheSpan) {
  TDetailWindow w = DetailTimeWindow(1e15, 0, true, 10);
  EXPECT_DOUBLE_EQ(w.Max - w.Min, 10);
  w = DetailTimeWindow(NAN, 1, true, 10);
  EXPECT_EQ(w.Min, 0);
  EXPECT_EQ(w.Max, 60);
}

// ---- inspect hand-over ---------------------------------------------------------------

TEST(InspectHandOver, TakesTheLast90Seconds) {
  struct TCase {
    double Newest, Start, End;
  };
  for (const TCase& c :
       std::vector<TCase>{{40, 0, 40}, {200, 110, 200}, {90, 0, 90}, {95, 5, 95}}) {
    const TInspectStretch s = InspectStretch(c.Newest);
    EXPECT_EQ(s.TimeStart, c.Start) << c.Newest;
    EXPECT_EQ(s.TimeEnd, c.End) << c.Newest;
  }
}

TEST(InspectHandOver, NameCarriesTheDetailAxisBeforeTheExtension) {
  struct TCase {
    QString File;
    double Min, Max;
    QString Name;
  };
  const std::vector<TCase> cases = {
      {"C:\\ZQR_data\\test.aq4", 290, 300, "C:\\ZQR_data\\test_290_300.aq4"},
      {"", 0, 10, "_0_10"},
      {"/home/u/ZQR_data/run.aq8", 12, 22, "/home/u/ZQR_data/run_12_22.aq8"},
      {"/data.d/run", 0, 10, "/data.d/run_0_10"},
      {"run.old.aq2", 290.4, 300.6, "run.old_290_301.aq2"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(InspectName(c.File, c.Min, c.Max), c.Name) << c.File.toStdString();
}

}  // namespace
