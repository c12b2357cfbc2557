// The one file that includes the chart library's header (it is costly to compile).
#include "display/detail_chart.h"

#include <qcustomplot.h>

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "display/channel_colors.h"
#include "display/strip_mapping.h"
#include "support/locale_format.h"

// The detail line, read straight from the run buffers: only the samples of the
// visible time range are touched, every one of them when they are few for the
// pixels, else the lowest and highest of each pixel column.
class TRunBufferGraph : public QCPAbstractPlottable {
public:
  TRunBufferGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, const TRunBuffers& buffers)
      : QCPAbstractPlottable(keyAxis, valueAxis), Buffers(buffers) {}

  double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }

  QCPRange getKeyRange(bool& foundRange, QCP::SignDomain) const override {
    const int n = Count();
    foundRange = n > 0;
    return foundRange ? QCPRange(Buffers.TimeData[0], Buffers.TimeData[size_t(n - 1)]) : QCPRange();
  }

  QCPRange getValueRange(bool& foundRange, QCP::SignDomain,
                         const QCPRange& inKeyRange) const override {
    auto [from, to] = inKeyRange == QCPRange() ? std::pair(0, Count()) : Visible(inKeyRange, false);
    foundRange = false;
    QCPRange range;
    if (to <= from) return range;
    const float* v = Values();
    for (int k = from; k < to; ++k) {
      if (!std::isfinite(v[k])) continue;
      if (!foundRange) range = QCPRange(v[k], v[k]);
      range.expand(v[k]);
      foundRange = true;
    }
    return range;
  }

protected:
  void draw(QCPPainter* painter) override {
    QCPAxis* key = keyAxis();
    QCPAxis* value = valueAxis();
    if (!key || !value) return;
    const auto [from, to] = Visible(key->range(), true);
    if (to <= from) return;
    const double* t = Buffers.TimeData.data();
    const float* v = Values();
    const int columns = std::max(1, key->axisRect()->width());
    QPolygonF line;
    if (to - from <= 2 * columns) {
      line.reserve(to - from);
      for (int k = from; k < to; ++k) line << coordsToPixels(t[k], v[k]);
    } else {
      line.reserve(2 * columns + 4);
      int column = INT_MIN;
      float lo = 0, hi = 0;
      auto close = [&] {
        if (column == INT_MIN) return;
        line << QPointF(column, value->coordToPixel(lo))
             << QPointF(column, value->coordToPixel(hi));
      };
      for (int k = from; k < to; ++k) {
        const double x = std::clamp(key->coordToPixel(t[k]), -1e6, 1e6);
        const int c = int(std::floor(x));
        if (c == column) {
          lo = std::min(lo, v[k]);
          hi = std::max(hi, v[k]);
          continue;
        }
        close();
        column = c;
        lo = hi = v[k];
      }
      close();
    }
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPolyline(line);
  }

  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override {
    painter->setPen(mPen);
    painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
  }

private:
  // Samples that can be shown: a channel without a buffer shows none.
  int Count() const {
    const size_t c = size_t(Buffers.DetailChannel);
    if (c >= Buffers.ChannelData.size()) return 0;
    const size_t n = std::min({size_t(std::max(Buffers.PointsStored, 0)), Buffers.TimeData.size(),
                               Buffers.ChannelData[c].size()});
    return int(n);
  }
  const float* Values() const { return Buffers.ChannelData[size_t(Buffers.DetailChannel)].data(); }

  // The index range of the samples inside range (TimeData ascends); with
  // neighbours, one sample beyond each end so the line runs to the border.
  std::pair<int, int> Visible(const QCPRange& range, bool neighbours) const {
    const int n = Count();
    const double* t = Buffers.TimeData.data();
    int from = int(std::lower_bound(t, t + n, range.lower) - t);
    int to = int(std::upper_bound(t, t + n, range.upper) - t);
    if (neighbours) {
      from = std::max(from - 1, 0);
      to = std::min(to + 1, n);
    }
    return {from, to};
  }

  const TRunBuffers& Buffers;
};

namespace {
// Axis labels "###0.###": up to three decimals, trailing zeros dropped.
template <typename Base>
class TLabelTicker : public Base {
protected:
  QString getTickLabel(double tick, const QLocale&, QChar, int) override {
    if (std::abs(tick) < 0.0005) tick = 0;
    QString text = NumberLocale().toString(tick, 'f', 3);
    const QString point = NumberLocale().decimalPoint();
    if (text.contains(point)) {
      while (text.endsWith(QLatin1Char('0'))) text.chop(1);
      if (text.endsWith(point)) text.chop(point.size());
    }
    return text;
  }
};

QSharedPointer<QCPAxisTickerFixed> TimeTicker(QCustomPlot* chart) {
  return qSharedPointerCast<QCPAxisTickerFixed>(chart->xAxis->ticker());
}
}  // namespace

TDetailChart::TDetailChart(TRunBuffers& buffers, QWidget* parent)
    : QWidget(parent), Buffers(buffers) {
  setObjectName("Chart1");
  Chart = new QCustomPlot(this);
  Chart->setObjectName("Chart1Plot");
  Chart->setBackground(Qt::white);
  Chart->legend->setVisible(false);
  Chart->setLocale(NumberLocale());

  const QPen grid(QColor(192, 192, 192), 0, Qt::DotLine);
  QCPAxis* bottom = Chart->xAxis;
  auto ticker = QSharedPointer<TLabelTicker<QCPAxisTickerFixed>>::create();
  ticker->setTickStep(1);
  // Zoomed far out, the step grows by whole multiples instead of crowding the axis.
  ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
  bottom->setTicker(ticker);
  bottom->setRange(0, 10);
  bottom->setLabel("Time (sec)");
  bottom->grid()->setPen(grid);
  QCPAxis* left = Chart->yAxis;
  left->setTicker(QSharedPointer<TLabelTicker<QCPAxisTicker>>::create());
  left->setLabel("Output voltage");
  left->grid()->setPen(grid);

  Series1 = new TRunBufferGraph(bottom, left, Buffers);
  Series1->setName("Details");
  Series1->setAntialiased(false);
  Series1->setPen(QPen(ChannelColors[0]));

  Chart->setSelectionRectMode(QCP::srmZoom);
  Chart->selectionRect()->setPen(QPen(Qt::magenta));
  Chart->selectionRect()->setBrush(QBrush(Qt::magenta, Qt::DiagCrossPattern));

  labSelChan = new QLabel("Chan 1", Chart);
  labSelChan->setObjectName("labSelChan");

  rgTimeAxis = new QGroupBox("Time axis", this);
  rgTimeAxis->setObjectName("rgTimeAxis");
  rbTime10s = new QRadioButton("10 sec", rgTimeAxis);
  rbTime1min = new QRadioButton("1 min", rgTimeAxis);
  auto* items = new QVBoxLayout(rgTimeAxis);
  items->addWidget(rbTime10s);
  items->addWidget(rbTime1min);
  TimeAxisGroup = new QButtonGroup(this);
  TimeAxisGroup->addButton(rbTime10s, 0);
  TimeAxisGroup->addButton(rbTime1min, 1);
  rbTime10s->setChecked(true);
  connect(TimeAxisGroup, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) rgTimeAxisClick();
  });

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Chart, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(rgTimeAxis);
  side->addStretch(1);
  layout->addLayout(side);
  PlaceLabel();
}

TDetailChart::~TDetailChart() = default;

void TDetailChart::SelectDetailChannel(int Channel) {
  if (Channel < 0 || Channel >= TRunBuffers::MaxChannels) return;
  Buffers.DetailChannel = Channel;
  labSelChan->setText(Format("Chan %d", {Channel + 1}));
  PlaceLabel();
  Series1->setPen(QPen(ChannelColors[size_t(Channel)]));
  if (AutoLeftAxis) RescaleLeftAxis();
  DataChanged();
}

void TDetailChart::SetDetailTimeAxis(double Minimum) {
  bool have = false;
  const double newest = Series1->getKeyRange(have, QCP::sdBoth).upper;
  const TDetailWindow w = DetailTimeWindow(Minimum, TimeAxisItem(), have, newest);
  Chart->xAxis->setRange(w.Min, w.Max);
  TimeTicker(Chart)->setTickStep(w.Increment);
  DataChanged();
}

void TDetailChart::rgTimeAxisClick() {
  SetDetailTimeAxis(Chart->xAxis->range().lower);
}

void TDetailChart::RunStarting(double voltsLow, double voltsHigh) {
  AutoLeftAxis = false;
  Chart->yAxis->setRange(voltsLow, voltsHigh);
  Chart->xAxis->setRangeLower(0);
  SetDetailTimeAxis(0);
}

void TDetailChart::FollowNewest(double newest) {
  const QCPRange r = Chart->xAxis->range();
  if (newest > r.upper) Chart->xAxis->setRange(newest - r.size(), newest);
  DataChanged();
}

void TDetailChart::DataChanged() {
  Chart->replot(QCustomPlot::rpQueuedReplot);
}

void TDetailChart::ReplotNow() {
  Chart->replot(QCustomPlot::rpImmediateRefresh);
}

bool TDetailChart::HasPoints() const {
  bool found = false;
  Series1->getKeyRange(found, QCP::sdBoth);
  return found;
}

std::optional<TInspectRequest> TDetailChart::InspectHandOver() const {
  bool have = false;
  const double newest = Series1->getKeyRange(have, QCP::sdBoth).upper;
  if (!have) return std::nullopt;
  const TInspectStretch s = InspectStretch(newest);
  const TAxisRange x = BottomAxisRange();
  const TAxisRange y = LeftAxisRange();
  TInspectRequest r;
  r.Name = InspectName(DataFileName ? DataFileName() : QString(), x.Min, x.Max);
  r.TimeStart = s.TimeStart;
  r.TimeEnd = s.TimeEnd;
  r.VoltMin = y.Min;
  r.VoltMax = y.Max;
  return r;
}

TAxisRange TDetailChart::BottomAxisRange() const {
  return {Chart->xAxis->range().lower, Chart->xAxis->range().upper};
}

double TDetailChart::BottomAxisIncrement() const {
  return TimeTicker(Chart)->tickStep();
}

TAxisRange TDetailChart::LeftAxisRange() const {
  return {Chart->yAxis->range().lower, Chart->yAxis->range().upper};
}

void TDetailChart::SetBottomAxisRange(double min, double max) {
  Chart->xAxis->setRange(min, max);
  DataChanged();
}

QString TDetailChart::BottomAxisTitle() const {
  return Chart->xAxis->label();
}

QString TDetailChart::LeftAxisTitle() const {
  return Chart->yAxis->label();
}

QColor TDetailChart::SeriesColor() const {
  return Series1->pen().color();
}

int TDetailChart::TimeAxisItem() const {
  return rbTime1min->isChecked() ? 1 : 0;
}

void TDetailChart::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceLabel();
}

void TDetailChart::PlaceLabel() {
  labSelChan->adjustSize();
  labSelChan->move(4, Chart->height() - labSelChan->height() - 4);
}

void TDetailChart::RescaleLeftAxis() {
  bool found = false;
  const QCPRange r = Series1->getValueRange(found, QCP::sdBoth, QCPRange());
  if (!found) return;
  if (r.size() > 0)
    Chart->yAxis->setRange(r);
  else
    Chart->yAxis->setRange(r.lower - 1, r.upper + 1);
}
