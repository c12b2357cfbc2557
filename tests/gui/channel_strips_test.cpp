#include "display/channel_strips.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "display/channel_colors.h"
#include "display/detail_chart.h"

namespace {

// Four channels on strips 1000 pixels wide and 64 high: volts -8..8 give
// y = 32 - 4 v, and a one-hour recording maps 0..600 s onto x = 4..996.
class ChannelStrips : public ::testing::Test {
protected:
  static constexpr int StripWidth = 1000;
  static constexpr int StripHeight = 64;

  ChannelStrips() : Detail(Buffers), Strips(Buffers, &Detail) {
    Strips.RecTimeHours = [this] { return Hours; };
    Strips.GetVoltageSpan = [](double& low, double& high) {
      low = -8;
      high = 8;
    };
    Strips.resize(StripWidth + TChannelStrips::ButtonWidth,
                  TChannelStrips::ScaleHeight + 4 * StripHeight);
    Buffers.ChannelCount = 4;
    for (int c = 0; c < 4; ++c) Buffers.ChannelData[size_t(c)].assign(400000, 0.0f);
    Buffers.TimeData.assign(400000, 0.0);
    Strips.CreateStrips(4);
    Strips.show();
  }

  // Stores samples at rate from the current end, volts given per channel and index.
  void Store(int count, double rate, float (*volts)(int channel, int k)) {
    for (int k = 0; k < count; ++k) {
      const int i = Buffers.PointsStored + k;
      Buffers.TimeData[size_t(i)] = i / rate;
      for (int c = 0; c < 4; ++c) Buffers.ChannelData[size_t(c)][size_t(i)] = volts(c, i);
    }
    Buffers.PointsStored += count;
  }

  static int X(double t) { return int(std::nearbyint(t * 992 / 600 + 4)); }
  static int Y(double v) { return int(std::nearbyint(32 - 4 * v)); }
  QImage Shown(int channel) { return Strips.FindStripBox(channel + 1)->grab().toImage(); }
  static bool ShowsColour(const QImage& image, QPoint p, QColor colour) {
    return image.pixelColor(p).rgb() == colour.rgb();
  }

  TRunBuffers Buffers;
  double Hours = 1;
  TDetailChart Detail;
  TChannelStrips Strips;
};

TEST_F(ChannelStrips, CreateStripsBuildsStripsTopDownAndTheScaleBelow) {
  Strips.resize(1028, 239);
  Strips.CreateStrips(4);
  QStringList panels;
  for (QWidget* w : Strips.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    panels << w->objectName();
  EXPECT_EQ(panels,
            QStringList({"pnChart_Scale", "pnChart_4", "pnChart_3", "pnChart_2", "pnChart_1"}))
      << "created as the top-aligned panels were";

  for (int n = 1; n <= 4; ++n) {
    auto* panel = Strips.findChild<QWidget*>(QString("pnChart_%1").arg(n));
    ASSERT_TRUE(panel);
    EXPECT_EQ(TagOf(panel), n);
    EXPECT_EQ(panel->geometry(), QRect(0, (n - 1) * 49, 1028, 49)) << "(239 - 40) div 4";
    auto* button = panel->findChild<QPushButton*>(QString("bnChart_%1").arg(n));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->text(), QString("ch%1").arg(n));
    EXPECT_EQ(TagOf(button), n);
    EXPECT_EQ(button->geometry(), QRect(0, 0, 28, 49));
    TPaintBox* box = Strips.FindStripBox(n);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->objectName(), QString("pbChart_%1").arg(n));
    EXPECT_EQ(box->parentWidget(), panel);
    EXPECT_EQ(box->geometry(), QRect(28, 0, 1000, 49));
  }
  auto* scale = Strips.findChild<QWidget*>("pnChart_Scale");
  EXPECT_EQ(TagOf(scale), 0);
  EXPECT_EQ(scale->geometry(), QRect(0, 196, 1028, 40));
  ASSERT_TRUE(Strips.TimeAxisBox);
  EXPECT_EQ(Strips.TimeAxisBox->objectName(), "pbChart_Scale");
  EXPECT_EQ(Strips.FindStripBox(0), Strips.TimeAxisBox);
  EXPECT_EQ(Strips.TimeAxisBox->geometry(), QRect(0, 0, 1028, 40));
  EXPECT_EQ(Strips.FindStripBox(5), nullptr);

  Strips.resize(1028, 300);
  EXPECT_EQ(Strips.findChild<QWidget*>("pnChart_2")->height(), 65) << "resized with the window";
  EXPECT_EQ(Strips.findChild<QWidget*>("pnChart_Scale")->geometry(), QRect(0, 260, 1028, 40));

  Strips.CreateStrips(2);
  EXPECT_EQ(Strips.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 3);
  EXPECT_EQ(Strips.FindStripBox(3), nullptr) << "old strips are gone";
  EXPECT_EQ(Strips.findChild<QWidget*>("pnChart_1")->height(), 130);
  Strips.ClearStrips();
  EXPECT_TRUE(Strips.findChildren<QWidget*>().isEmpty());
  EXPECT_EQ(Strips.TimeAxisBox, nullptr);
}

TEST_F(ChannelStrips, NewSamplesAreDrawnOnTheStripInTheChannelColour) {
  Buffers.RunActive = true;
  Store(3, 0.1, [](int, int) { return 2.0f; });  // 0, 10 and 20 s at 2 V
  Strips.DrawStripPoints(1, 0, 2);
  EXPECT_EQ(Strips.LastPenPos[1], QPoint(X(20), Y(2)));
  QImage image = Shown(1);
  EXPECT_TRUE(ShowsColour(image, {X(15), Y(2)}, ChannelColors[1]));
  EXPECT_TRUE(ShowsColour(image, {X(15), Y(2) + 4}, Qt::white));
  EXPECT_TRUE(ShowsColour(image, {X(25), Y(2)}, Qt::white));

  // The next block continues from the pen.
  Store(1, 0.1, [](int, int) { return 2.0f; });
  Strips.DrawStripPoints(1, 3, 3);
  EXPECT_EQ(Strips.LastPenPos[1], QPoint(X(30), Y(2)));
  image = Shown(1);
  EXPECT_TRUE(ShowsColour(image, {X(25), Y(2)}, ChannelColors[1]));
  EXPECT_FALSE(ShowsColour(Shown(0), {X(25), Y(2)}, ChannelColors[1])) << "other strips untouched";
}

TEST_F(ChannelStrips, BlockStoredDrawsEveryChannelAndTheDetailFollows) {
  Buffers.RunActive = true;
  Detail.RunStarting(-5, 5);
  Strips.RunStarting();
  Store(1500, 100, [](int c, int) { return float(c) - 2; });
  Strips.BlockStored(0, 1499, false);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(Strips.LastPenPos[size_t(c)], QPoint(X(14.99), Y(c - 2))) << c;
    EXPECT_TRUE(ShowsColour(Shown(c), {X(7), Y(c - 2)}, ChannelColors[size_t(c)])) << c;
  }
  EXPECT_DOUBLE_EQ(Detail.BottomAxisRange().Min, 4.99);
  EXPECT_DOUBLE_EQ(Detail.BottomAxisRange().Max, 14.99);
}

TEST_F(ChannelStrips, APaintShowsTheImageAndRedrawsOnlyWhenItIsStale) {
  Store(3600, 100, [](int, int) { return 1.0f; });
  QImage image = Shown(0);  // never drawn: redrawn from the buffers
  EXPECT_TRUE(ShowsColour(image, {X(20), Y(1)}, ChannelColors[0]));

  for (int k = 0; k < Buffers.PointsStored; ++k) Buffers.ChannelData[0][size_t(k)] = -3;
  image = Shown(0);
  EXPECT_TRUE(ShowsColour(image, {X(20), Y(1)}, ChannelColors[0])) << "shown, not redrawn";
  EXPECT_TRUE(ShowsColour(image, {X(20), Y(-3)}, Qt::white));

  Strips.resize(Strips.width(), Strips.height() + 4);  // the strips grow by one pixel
  image = Shown(0);
  EXPECT_EQ(image.height(), StripHeight + 1);
  EXPECT_TRUE(ShowsColour(image, {X(20), int(std::nearbyint((-3 + 8) * -65.0 / 16 + 65))},
                          ChannelColors[0]))
      << "redrawn at its new size";
}

TEST_F(ChannelStrips, DuringARunAPaintOnlyMarksTheRedraw) {
  Buffers.RunActive = true;
  Store(3600, 100, [](int, int) { return 1.0f; });
  QImage image = Shown(2);
  EXPECT_TRUE(Buffers.StripNeedsRedraw[2]);
  EXPECT_FALSE(Buffers.StripNeedsRedraw[1]);
  EXPECT_EQ(Strips.LastPenPos[2], QPoint(-1, -1)) << "nothing drawn";

  Strips.ServicePendingRedraws();
  EXPECT_FALSE(Buffers.StripNeedsRedraw[2]);
  EXPECT_TRUE(ShowsColour(Shown(2), {X(20), Y(1)}, ChannelColors[2]));
  EXPECT_NE(Strips.LastPenPos[2], QPoint(-1, -1));
}

TEST_F(ChannelStrips, ClicksAndPaintsBeforeAnyDataDoNothing) {
  Buffers.RunActive = true;
  Strips.findChild<QPushButton*>("bnChart_3")->click();
  EXPECT_EQ(Buffers.PendingDetailChannel, -1);
  Buffers.RunActive = false;
  Strips.findChild<QPushButton*>("bnChart_3")->click();
  EXPECT_EQ(Buffers.DetailChannel, 0);
  Shown(0);
  EXPECT_FALSE(Strips.FindStripBox(1)->ShowCanvas) << "the strip keeps the panel colour";
  EXPECT_FALSE(Buffers.StripNeedsRedraw[0]);
}

TEST_F(ChannelStrips, StripButtonsSelectTheDetailChannelOrDeferItDuringARun) {
  Store(100, 100, [](int, int) { return 0.0f; });
  Strips.findChild<QPushButton*>("bnChart_3")->click();
  EXPECT_EQ(Buffers.DetailChannel, 2);
  EXPECT_EQ(Detail.labSelChan->text(), "Chan 3");

  Buffers.RunActive = true;
  Strips.findChild<QPushButton*>("bnChart_2")->click();
  EXPECT_EQ(Buffers.DetailChannel, 2);
  EXPECT_EQ(Buffers.PendingDetailChannel, 1);

  // A strip for a channel without a buffer does nothing.
  Buffers.ChannelData[3].clear();
  Strips.findChild<QPushButton*>("bnChart_4")->click();
  EXPECT_EQ(Buffers.PendingDetailChannel, 1);
}

TEST_F(ChannelStrips, OwedWorkIsDoneOneItemPerBlockRedrawsFirst) {
  Buffers.RunActive = true;
  Store(100, 100, [](int, int) { return 0.0f; });
  Buffers.StripNeedsRedraw = {true, true, true, true, false, false, false, false};
  Buffers.PendingDetailChannel = 2;
  for (int c = 0; c < 4; ++c) {
    Strips.ServicePendingRedraws();
    for (int d = 0; d < 4; ++d) EXPECT_EQ(Buffers.StripNeedsRedraw[size_t(d)], d > c) << c;
    EXPECT_EQ(Buffers.PendingDetailChannel, 2);
    EXPECT_EQ(Buffers.DetailChannel, 0);
  }
  Strips.ServicePendingRedraws();
  EXPECT_EQ(Buffers.PendingDetailChannel, -1);
  EXPECT_EQ(Buffers.DetailChannel, 2);
  EXPECT_EQ(Detail.labSelChan->text(), "Chan 3");
}

TEST_F(ChannelStrips, AfterAnAdvanceTheStripsAreRedrawnOnePerBlock) {
  Buffers.RunActive = true;
  Store(60001, 100, [](int, int) { return 1.0f; });  // up to 600.00 s
  Strips.BlockStored(0, 60000, false);
  // The block reaching 600.01 s moved the window on.
  Store(1, 100, [](int, int) { return 1.0f; });
  Buffers.StripStart = 30;
  Buffers.StripEnd = 630;
  for (int c = 0; c < 4; ++c) Buffers.StripNeedsRedraw[size_t(c)] = true;
  Strips.BlockStored(60001, 60001, true);
  EXPECT_EQ(Buffers.StripNeedsRedraw, (std::array<bool, 8>{false, true, true, true}));
  // Redrawn for the new window: 30 s is at the left margin.
  EXPECT_TRUE(ShowsColour(Shown(0), {4, Y(1)}, ChannelColors[0]));
  for (int c = 1; c < 4; ++c) {
    Store(10, 100, [](int, int) { return 1.0f; });
    Strips.BlockStored(Buffers.PointsStored - 10, Buffers.PointsStored - 1, false);
    for (int d = 0; d < 4; ++d) EXPECT_EQ(Buffers.StripNeedsRedraw[size_t(d)], d > c);
  }
}

TEST_F(ChannelStrips, TheTimeScaleShowsTheWindowAndNothingWithoutOne) {
  Strips.pbChartAxisPaint(Strips.TimeAxisBox);
  QImage image = Strips.TimeAxisBox->grab().toImage();
  // The scale's x = 32 is the strips' x = 4.
  EXPECT_TRUE(ShowsColour(image, {32, 2}, Qt::black));
  EXPECT_TRUE(ShowsColour(image, {X(100) + 28, 5}, Qt::black)) << "tick at 100 s";
  EXPECT_TRUE(ShowsColour(image, {X(150) + 28, 5}, Qt::white));
  EXPECT_TRUE(ShowsColour(image, {1024, 2}, Qt::black));

  Hours = 0;
  Strips.RecTimeChanged();
  image = Strips.TimeAxisBox->grab().toImage();
  EXPECT_TRUE(ShowsColour(image, {32, 2}, Qt::white)) << "no window: a white strip";
}

TEST_F(ChannelStrips, AStripWithoutAWindowIsWhite) {
  Hours = 0;
  Store(3600, 100, [](int, int) { return 1.0f; });
  const QImage image = Shown(0);
  EXPECT_TRUE(Strips.FindStripBox(1)->ShowCanvas);
  for (int x = 0; x < image.width(); x += 50) EXPECT_TRUE(ShowsColour(image, {x, Y(1)}, Qt::white));
}

TEST_F(ChannelStrips, CountsBeyondTheBuffersReadNothingOutsideThem) {
  Store(1000, 100, [](int, int) { return 1.0f; });
  Buffers.PointsStored = int(Buffers.TimeData.size()) + 100000;
  Strips.DrawStripPoints(0, 990, Buffers.PointsStored - 1);
  Strips.RepaintStrip(1);
  Strips.BlockStored(Buffers.PointsStored - 10, Buffers.PointsStored - 1, false);
  Detail.ReplotNow();
  EXPECT_TRUE(ShowsColour(Shown(1), {X(5), Y(1)}, ChannelColors[1]));
}

}  // namespace
