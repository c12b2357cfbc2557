#include "display/stretch_logic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct TSeries {
  std::vector<double> Time;
  std::vector<float> Volts;
};

// k / rate seconds, volts k / 1000.
TSeries Regular(double rate, int count) {
  TSeries s;
  for (int k = 0; k < count; ++k) {
    s.Time.push_back(k / rate);
    s.Volts.push_back(float(k) / 1000);
  }
  return s;
}

TInspectPoints Points(std::vector<double> x, std::vector<double> y) {
  TInspectPoints p;
  p.X = std::move(x);
  p.Y = std::move(y);
  return p;
}

TEST(InspectLogic, CopyStretchTakesExactlyThePointsInsideTheRange) {
  const TSeries s = Regular(100, 20001);  // 0 .. 200 s
  struct TCase {
    double From, To;
    int First, Count;
  };
  const std::vector<TCase> cases = {
      {0, 40, 0, 4001},         // 40 s into a run: both ends included
      {110, 200, 11000, 9001},  // the last 90 s of 200 s
      {110.005, 110.025, 11001, 2},
      {-5, 0, 0, 1},
      {200.5, 290, 0, 0},  // past the newest sample
      {50, 40, 0, 0},      // an empty range
  };
  for (const TCase& c : cases) {
    const TInspectPoints p = CopyStretch(s.Time.data(), s.Volts.data(), 20001, c.From, c.To);
    ASSERT_EQ(p.Count(), c.Count) << c.From << ".." << c.To;
    ASSERT_EQ(p.Y.size(), p.X.size());
    for (int i = 0; i < p.Count(); ++i) {
      ASSERT_EQ(p.X[size_t(i)], s.Time[size_t(c.First + i)]);
      ASSERT_EQ(p.Y[size_t(i)], double(s.Volts[size_t(c.First + i)]));
    }
  }
  EXPECT_EQ(CopyStretch(nullptr, nullptr, 0, 0, 10).Count(), 0);
  // Only the stored points count, not what the buffer holds beyond them.
  EXPECT_EQ(CopyStretch(s.Time.data(), s.Volts.data(), 1000, 0, 200).Count(), 1000);
}

TEST(InspectLogic, VisiblePointsAreThoseInsideTheAxisRange) {
  const std::vector<double> x = {0, 1, 2, 3, 4, 5};
  struct TCase {
    double Min, Max;
    int First, Count;
  };
  const std::vector<TCase> cases = {
      {0, 5, 0, 6},   {-10, 10, 0, 6}, {0.5, 3.5, 1, 3}, {1, 3, 1, 3},
      {5.5, 9, 6, 0}, {-3, -1, 0, 0},  {2.2, 2.8, 3, 0},
  };
  for (const TCase& c : cases) {
    const TVisiblePoints v = VisiblePoints(x, c.Min, c.Max);
    EXPECT_EQ(v.First, c.First) << c.Min << ".." << c.Max;
    EXPECT_EQ(v.Count, c.Count) << c.Min << ".." << c.Max;
  }
  EXPECT_EQ(PointsPaneText(9000, 9001), "Visble=9000, total=9001 points");
}

TEST(InspectLogic, ZoomRemovesOrAddsATenthOfTheSpanAtEachEnd) {
  struct TCase {
    TAxisSpan From;
    int Percent;
    TAxisSpan To;
  };
  const std::vector<TCase> cases = {
      {{0, 30}, 110, {3, 27}}, {{3, 27}, 110, {5.4, 24.6}}, {{0, 30}, 90, {-3, 33}},
      {{-5, 5}, 110, {-4, 4}}, {{-5, 5}, 90, {-6, 6}},
  };
  for (const TCase& c : cases) {
    const TAxisSpan s = ZoomSpan(c.From, c.Percent);
    EXPECT_NEAR(s.Min, c.To.Min, 1e-12) << c.From.Min << ".." << c.From.Max << " " << c.Percent;
    EXPECT_NEAR(s.Max, c.To.Max, 1e-12) << c.From.Min << ".." << c.From.Max << " " << c.Percent;
  }
}

TEST(InspectLogic, ScrollMovesByOneIncrementAndShiftStopsAtZero) {
  struct TCase {
    TAxisSpan From;
    bool Up, Shift;
    TAxisSpan To;
  };
  const std::vector<TCase> cases = {
      {{12, 42}, false, false, {7, 37}},
      {{12, 42}, true, false, {17, 47}},
      {{12, 42}, false, true, {0, 30}},  // down towards 0: starts at 0
      {{12, 42}, true, true, {17, 47}},  // up, away from 0: an increment
      {{-3, 27}, true, true, {0, 30}},   // up towards 0 from below
      {{-3, 27}, false, true, {-8, 22}},
      {{0, 30}, false, true, {-5, 25}},  // already at 0: an increment
      {{0, 30}, true, true, {5, 35}},
  };
  for (const TCase& c : cases) {
    const TAxisSpan s = ScrollSpan(c.From, 5, c.Up, c.Shift);
    EXPECT_DOUBLE_EQ(s.Min, c.To.Min) << c.From.Min << " up " << c.Up << " shift " << c.Shift;
    EXPECT_DOUBLE_EQ(s.Max, c.To.Max) << c.From.Min << " up " << c.Up << " shift " << c.Shift;
  }
}

TEST(InspectLogic, FileNamesReplaceTheExtensionOnly) {
  struct TCase {
    QString Name;
    int First, Count;
    QString Text, Png;
  };
  const std::vector<TCase> cases = {
      {"C:\\ZQR_data\\test_290_300.aq4", 0, 9000, "C:\\ZQR_data\\test_290_300_0_9000.txt",
       "C:\\ZQR_data\\test_290_300.png"},
      {"/home/u/ZQR_data/run_110_200.aq8", 1200, 3000, "/home/u/ZQR_data/run_110_200_1200_4200.txt",
       "/home/u/ZQR_data/run_110_200.png"},
      // No extension: a dot in a folder name is not one.
      {"/data.d/run_0_10", 5, 0, "/data.d/run_0_10_5_5.txt", "/data.d/run_0_10.png"},
      {"C:\\a.b\\run_0_10", 0, 1, "C:\\a.b\\run_0_10_0_1.txt", "C:\\a.b\\run_0_10.png"},
      // No data file: the suffix alone.
      {"_0_10", 0, 1001, "_0_10_0_1001.txt", "_0_10.png"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ExportFileName(c.Name, c.First, c.Count), c.Text) << c.Name.toStdString();
    EXPECT_EQ(PngFileName(c.Name), c.Png) << c.Name.toStdString();
  }
}

TEST(InspectLogic, ExportQuestionText) {
  EXPECT_EQ(ExportQuestion(70000),
            "Currently selected number of points: 70000\r"
            "This is more than what Excel 2003 (and older) can import (max=65536).\r"
            "Continue with export anyway?");
}

class InspectExport : public ::testing::Test {
protected:
  void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(InspectExport, LinesUseTheSystemDecimalSeparatorAndTheShortestForm) {
  struct TCase {
    QLocale::Language Language;
    QString Line0, Line1, Line2;
  };
  const std::vector<TCase> cases = {
      {QLocale::C, "0;0;-1.5", "1;0.01;0.1", "2;1234.56789;1e-5"},
      {QLocale::German, "0;0;-1,5", "1;0,01;0,1", "2;1234,56789;1E-5"},  // its own exponent sign
  };
  const TInspectPoints p = Points({0, 0.01, 1234.56789, 5000}, {-1.5, 0.1, 0.00001, 2.0 / 3});
  for (const TCase& c : cases) {
    QLocale::setDefault(QLocale(c.Language));
    const QByteArray text = ExportText(p, 0, 3);
    EXPECT_EQ(text.toStdString(),
              (c.Line0 + "\r\n" + c.Line1 + "\r\n" + c.Line2 + "\r\n").toStdString())
        << QLocale().name().toStdString();
  }
  QLocale::setDefault(QLocale::c());
  // Fifteen significant digits, no group separator even for large indexes.
  EXPECT_EQ(ExportLine(QLocale::c(), 70000, 1.0 / 3, -2.0 / 3),
            "70000;0.333333333333333;-0.666666666666667");
  // A single-precision sample keeps the value it has as a double.
  EXPECT_EQ(ExportLine(QLocale::c(), 0, 0, double(0.1f)), "0;0;0.100000001490116");
}

TEST_F(InspectExport, WritesTheVisibleRangeOnly) {
  const TInspectPoints p = Points({0, 1, 2, 3, 4}, {10, 11, 12, 13, 14});
  EXPECT_EQ(ExportText(p, 1, 3), "1;1;11\r\n2;2;12\r\n3;3;13\r\n");
  EXPECT_EQ(ExportText(p, 3, 10), "3;3;13\r\n4;4;14\r\n");  // never past the end
  EXPECT_EQ(ExportText(p, 5, 0), "");
  EXPECT_EQ(ExportText(p, 2, -1), "");
}

TEST(InspectLogic, CopyIsReducedOnlyForDenseSeriesDrawnPointByPoint) {
  struct TCase {
    bool DrawAll;
    int Visible, Width;
    bool Reduce;
  };
  const std::vector<TCase> cases = {
      {true, 60000, 758, true},   {true, 15160, 758, false}, {true, 15161, 758, true},
      {false, 60000, 758, false}, {true, 9000, 758, false},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(CopyNeedsReduction(c.DrawAll, c.Visible, c.Width), c.Reduce) << c.Visible;
}

TEST(InspectLogic, ReductionGivesTwoPointsPerFullBucket) {
  struct TCase {
    int Points;
    int Reduced;
  };
  for (const TCase& c :
       std::vector<TCase>{{60000, 1200}, {60050, 1200}, {99, 0}, {100, 2}, {0, 0}}) {
    TInspectPoints p;
    for (int k = 0; k < c.Points; ++k) {
      p.X.push_back(k * 0.01);
      p.Y.push_back(std::sin(k * 0.1));
    }
    const TInspectPoints r = ReducePointsForCopy(p, -5, 5, 100);
    EXPECT_EQ(r.Count(), c.Reduced) << c.Points;
    EXPECT_EQ(r.Y.size(), r.X.size());
  }
}

TEST(InspectLogic, ReducedBucketsHoldFirstXWithTheLowestAndLastXWithTheHighest) {
  // Falling steadily from 5 V to 3 V in one bucket, then rising in a second.
  TInspectPoints p;
  for (int k = 0; k < 100; ++k) {
    p.X.push_back(10 + k);
    p.Y.push_back(5 - 2.0 * k / 99);
  }
  for (int k = 0; k < 100; ++k) {
    p.X.push_back(110 + k);
    p.Y.push_back(-1 + k * 0.1);  // -1 .. 8.9
  }
  const TInspectPoints r = ReducePointsForCopy(p, -0.5, 6, 100);
  ASSERT_EQ(r.Count(), 4);
  EXPECT_EQ(r.X, (std::vector<double>{10, 109, 110, 209}));
  EXPECT_DOUBLE_EQ(r.Y[0], 3);
  EXPECT_DOUBLE_EQ(r.Y[1], 5);
  // Values are limited to the left axis range.
  EXPECT_DOUBLE_EQ(r.Y[2], -0.5);
  EXPECT_DOUBLE_EQ(r.Y[3], 6);
}

}  // namespace
