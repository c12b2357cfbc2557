#include "display/detail_chart.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <cmath>

#include "display/channel_colors.h"

namespace {

class DetailChart : public ::testing::Test {
protected:
  DetailChart() : Chart(Buffers) {
    Buffers.ChannelCount = 4;
    for (int c = 0; c < 4; ++c) Buffers.ChannelData[size_t(c)].assign(100000, 0.0f);
    Buffers.TimeData.assign(100000, 0.0);
    Chart.resize(800, 400);
  }

  void Store(double rate, double seconds, float (*volts)(int k)) {
    const int n = int(std::lround(rate * seconds));
    for (int k = 0; k < n; ++k) {
      Buffers.TimeData[size_t(k)] = k / rate;
      for (int c = 0; c < 4; ++c) Buffers.ChannelData[size_t(c)][size_t(k)] = volts(k);
    }
    Buffers.PointsStored = n;
  }

  // Rows between the highest and the lowest pixel of the trace colour, and
  // the columns that hold any (0 when none does).
  struct TTrace {
    int Top = -1, Bottom = -1, Columns = 0;
  };
  TTrace Trace(QColor colour) {
    Chart.ReplotNow();
    const QImage image = Chart.grab().toImage();
    TTrace t;
    for (int x = 0; x < image.width(); ++x) {
      bool any = false;
      for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y).rgb() != colour.rgb()) continue;
        any = true;
        if (t.Top < 0 || y < t.Top) t.Top = y;
        t.Bottom = std::max(t.Bottom, y);
      }
      t.Columns += any;
    }
    return t;
  }

  TRunBuffers Buffers;
  TDetailChart Chart;
};

TEST_F(DetailChart, StartsWithTheDesignTimeSettings) {
  EXPECT_EQ(Chart.objectName(), "Chart1");
  EXPECT_EQ(Chart.BottomAxisRange().Min, 0);
  EXPECT_EQ(Chart.BottomAxisRange().Max, 10);
  EXPECT_EQ(Chart.BottomAxisIncrement(), 1);
  EXPECT_EQ(Chart.BottomAxisTitle(), "Time (sec)");
  EXPECT_EQ(Chart.LeftAxisTitle(), "Output voltage");
  EXPECT_TRUE(Chart.LeftAxisAutomatic());
  EXPECT_EQ(Chart.labSelChan->text(), "Chan 1");
  EXPECT_EQ(Chart.rgTimeAxis->title(), "Time axis");
  EXPECT_EQ(Chart.rbTime10s->text(), "10 sec");
  EXPECT_EQ(Chart.rbTime1min->text(), "1 min");
  EXPECT_EQ(Chart.TimeAxisItem(), 0);
  EXPECT_EQ(Chart.SeriesColor(), ChannelColors[0]);
  EXPECT_FALSE(Chart.HasPoints());
  EXPECT_FALSE(Chart.InspectHandOver());

  Chart.show();
  QApplication::processEvents();
  const QWidget* plot = Chart.labSelChan->parentWidget();
  EXPECT_LT(Chart.labSelChan->x(), 10);
  EXPECT_GT(Chart.labSelChan->y(), plot->height() / 2) << "lower left corner";
  EXPECT_LE(Chart.labSelChan->geometry().bottom(), plot->height());
}

TEST_F(DetailChart, SelectingAChannelShowsItsNumberColourAndRange) {
  Store(100, 20, [](int k) { return float(std::sin(k / 10.0)) * 3; });
  Chart.SelectDetailChannel(2);
  EXPECT_EQ(Buffers.DetailChannel, 2);
  EXPECT_EQ(Chart.labSelChan->text(), "Chan 3");
  EXPECT_EQ(Chart.SeriesColor(), ChannelColors[2]);
  // Before the first start the left axis fits the data.
  EXPECT_NEAR(Chart.LeftAxisRange().Min, -3, 0.01);
  EXPECT_NEAR(Chart.LeftAxisRange().Max, 3, 0.01);
  EXPECT_GT(Trace(ChannelColors[2]).Columns, 300);

  Chart.RunStarting(-6.144, 6.144);
  EXPECT_FALSE(Chart.LeftAxisAutomatic());
  Chart.SelectDetailChannel(1);
  EXPECT_EQ(Chart.LeftAxisRange().Min, -6.144) << "fixed from the first start on";
  EXPECT_EQ(Chart.LeftAxisRange().Max, 6.144);
}

TEST_F(DetailChart, ARunStartsAtZeroWithTheChosenSpan) {
  Chart.SetBottomAxisRange(300, 400);
  Chart.RunStarting(-5, 5);
  EXPECT_EQ(Chart.BottomAxisRange().Min, 0);
  EXPECT_EQ(Chart.BottomAxisRange().Max, 10);
  EXPECT_EQ(Chart.LeftAxisRange().Min, -5);
  EXPECT_EQ(Chart.LeftAxisRange().Max, 5);

  Chart.rbTime1min->setChecked(true);
  Chart.RunStarting(-5, 5);
  EXPECT_EQ(Chart.BottomAxisRange().Max, 60);
  EXPECT_EQ(Chart.BottomAxisIncrement(), 10);
}

TEST_F(DetailChart, TheFollowStepKeepsTheUsersSpan) {
  Chart.SetBottomAxisRange(100, 125);  // as a mouse zoom leaves it
  Chart.FollowNewest(120);
  EXPECT_EQ(Chart.BottomAxisRange().Min, 100) << "newest still inside";
  EXPECT_EQ(Chart.BottomAxisRange().Max, 125);
  Chart.FollowNewest(130.5);
  EXPECT_DOUBLE_EQ(Chart.BottomAxisRange().Min, 105.5);
  EXPECT_DOUBLE_EQ(Chart.BottomAxisRange().Max, 130.5);
}

TEST_F(DetailChart, SwitchingTheTimeAxisMovesTheWindowBack) {
  Store(100, 179.51, [](int) { return 0.0f; });  // newest sample at 179.5 s
  Chart.SetBottomAxisRange(170, 180);
  Chart.rbTime1min->click();
  EXPECT_EQ(Chart.TimeAxisItem(), 1);
  EXPECT_DOUBLE_EQ(Chart.BottomAxisRange().Min, 120);
  EXPECT_DOUBLE_EQ(Chart.BottomAxisRange().Max, 180);
  EXPECT_EQ(Chart.BottomAxisIncrement(), 10);

  Chart.rbTime10s->click();
  EXPECT_DOUBLE_EQ(Chart.BottomAxisRange().Min, 120);
  EXPECT_DOUBLE_EQ(Chart.BottomAxisRange().Max, 130);
  EXPECT_EQ(Chart.BottomAxisIncrement(), 1);
  Chart.FollowNewest(179.5);
  EXPECT_DOUBLE_EQ(Chart.BottomAxisRange().Min, 169.5);
  EXPECT_DOUBLE_EQ(Chart.BottomAxisRange().Max, 179.5);
}

TEST_F(DetailChart, InspectTakesTheLastStretchAndNamesItAfterTheAxis) {
  Chart.DataFileName = [] { return QString("C:\\ZQR_data\\test.aq4"); };
  Store(100, 40.01, [](int) { return 0.0f; });
  Chart.RunStarting(-5, 5);
  Chart.SetBottomAxisRange(290, 300);
  std::optional<TInspectRequest> r = Chart.InspectHandOver();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Name, "C:\\ZQR_data\\test_290_300.aq4");
  EXPECT_EQ(r->TimeStart, 0);
  EXPECT_DOUBLE_EQ(r->TimeEnd, 40);
  EXPECT_EQ(r->VoltMin, -5);
  EXPECT_EQ(r->VoltMax, 5);

  Store(100, 200.01, [](int) { return 0.0f; });
  Chart.DataFileName = nullptr;  // no run started yet
  Chart.SetBottomAxisRange(0, 10);
  r = Chart.InspectHandOver();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Name, "_0_10");
  EXPECT_DOUBLE_EQ(r->TimeStart, 110);
  EXPECT_DOUBLE_EQ(r->TimeEnd, 200);
}

TEST_F(DetailChart, TheLineShowsEverySampleFewOrMany) {
  Chart.RunStarting(-5, 5);
  Chart.SelectDetailChannel(2);
  // Alternating +1 / -1 V: drawn sample by sample (10 Hz) or as a band of
  // lowest and highest per pixel column (300 Hz): either way from +1 to -1.
  TTrace few, many;
  Store(10, 10, [](int k) { return k % 2 ? 1.0f : -1.0f; });
  few = Trace(ChannelColors[2]);
  Store(300, 10, [](int k) { return k % 2 ? 1.0f : -1.0f; });
  many = Trace(ChannelColors[2]);
  ASSERT_GT(few.Columns, 300);
  EXPECT_NEAR(many.Columns, few.Columns, 10);
  EXPECT_NEAR(many.Top, few.Top, 1);
  EXPECT_NEAR(many.Bottom, few.Bottom, 1);
  EXPECT_GT(few.Bottom - few.Top, 40);
}

TEST_F(DetailChart, OnlyTheVisibleRangeIsDrawn) {
  Chart.RunStarting(-5, 5);
  Chart.SelectDetailChannel(2);
  Store(300, 100, [](int k) { return k == 15001 ? 4.0f : 0.0f; });  // one sample, just after 50 s
  const TTrace flat = Trace(ChannelColors[2]);
  EXPECT_LE(flat.Bottom - flat.Top, 1);
  Chart.SetBottomAxisRange(45, 55);
  EXPECT_LT(Trace(ChannelColors[2]).Top, flat.Top - 40);
}

TEST_F(DetailChart, AChannelWithoutABufferShowsNothing) {
  Store(100, 20, [](int) { return 1.0f; });
  Chart.SelectDetailChannel(5);
  EXPECT_EQ(Chart.labSelChan->text(), "Chan 6");
  EXPECT_FALSE(Chart.HasPoints());
  EXPECT_FALSE(Chart.InspectHandOver());
  EXPECT_EQ(Trace(ChannelColors[5]).Columns, 0);
}

TEST_F(DetailChart, ARectangleDraggedWithTheMouseZooms) {
  Chart.RunStarting(-5, 5);
  Chart.show();
  QApplication::processEvents();
  Chart.ReplotNow();
  QWidget* plot = Chart.labSelChan->parentWidget();
  auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, plot->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(plot, &e);
  };
  const QPoint from(plot->width() / 3, plot->height() / 3);
  const QPoint to(plot->width() / 2, plot->height() / 2);
  send(QEvent::MouseButtonPress, from, Qt::LeftButton);
  send(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
  send(QEvent::MouseMove, to, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, to, Qt::NoButton);
  const TAxisRange x = Chart.BottomAxisRange();
  const TAxisRange y = Chart.LeftAxisRange();
  EXPECT_GT(x.Min, 0);
  EXPECT_LT(x.Max, 10);
  EXPECT_LT(x.Max - x.Min, 5);
  EXPECT_GT(y.Min, -5);
  EXPECT_LT(y.Max, 5);
}

}  // namespace
