#include "display/channel_strips.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "display/channel_colors.h"
#include "display/detail_chart.h"
#include "support/locale_format.h"

namespace {
template <typename T>
T* Tagged(T* control, const QString& name, int tag) {
  control->setObjectName(name);
  control->setProperty("Tag", tag);
  return control;
}

void DrawLines(QImage& canvas, int channel, const std::vector<std::vector<QPoint>>& lines) {
  if (canvas.isNull()) return;
  QPainter p(&canvas);
  p.setPen(QPen(ChannelColors[size_t(channel)], 1));
  p.setBrush(Qt::white);
  for (const std::vector<QPoint>& line : lines)
    if (line.size() > 1) p.drawPolyline(line.data(), int(line.size()));
}
}  // namespace

// ---- paint box ----------------------------------------------------------------

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {}

bool TPaintBox::FitCanvas() {
  if (!Canvas.isNull() && Canvas.size() == size()) return false;
  Canvas = size().isEmpty() ? QImage() : QImage(size(), QImage::Format_RGB32);
  Canvas.fill(Qt::white);
  CanvasStale = true;
  return true;
}

void TPaintBox::Changed() {
  if (!Painting) update();
}

void TPaintBox::paintEvent(QPaintEvent* event) {
  Painting = true;
  if (OnPaint) OnPaint(*this);
  Painting = false;
  if (!ShowCanvas || Canvas.isNull()) return;
  QPainter p(this);
  p.drawImage(event->rect(), Canvas, event->rect());
}

int TagOf(const QObject* control) {
  const QVariant tag = control ? control->property("Tag") : QVariant();
  return tag.isValid() ? tag.toInt() : -1;
}

// ---- strips -------------------------------------------------------------------

TChannelStrips::TChannelStrips(TRunBuffers& buffers, TDetailChart* detail, QWidget* parent)
    : QWidget(parent), Buffers(buffers), Detail(detail) {
  setObjectName("pnCharts");
  LastPenPos.fill(QPoint(-1, -1));
}

void TChannelStrips::CreateStrips(int Count) {
  ClearStrips();
  Count = std::clamp(Count, 0, int(TRunBuffers::MaxChannels));
  // Created in the order of the original top-aligned panels: the scale first,
  // then the strips from the last channel to the first.
  auto* scale = Tagged(new QWidget(this), "pnChart_Scale", 0);
  TimeAxisBox = Tagged(new TPaintBox(scale), "pbChart_Scale", 0);
  TimeAxisBox->OnPaint = [this](TPaintBox& box) { pbChartAxisPaint(&box); };
  for (int n = Count; n >= 1; --n) {
    auto* panel = Tagged(new QWidget(this), Format("pnChart_%d", {n}), n);
    auto* button =
        Tagged(new QPushButton(Format("ch%d", {n}), panel), Format("bnChart_%d", {n}), n);
    connect(button, &QPushButton::clicked, this, [this, button] { bnChartNNClick(button); });
    auto* box = Tagged(new TPaintBox(panel), Format("pbChart_%d", {n}), n);
    box->OnPaint = [this](TPaintBox& b) { pbChartPaint(&b); };
  }
  StripCount = Count;
  LastPenPos.fill(QPoint(-1, -1));
  ArrangeStrips();
  for (QWidget* child : findChildren<QWidget*>()) child->setVisible(true);
}

void TChannelStrips::ClearStrips() {
  TimeAxisBox = nullptr;
  StripCount = 0;
  const QList<QWidget*> controls = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (qsizetype i = controls.size() - 1; i >= 0; --i) delete controls[i];
}

TPaintBox* TChannelStrips::FindStripBox(int Number) const {
  for (const QWidget* panel : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    for (TPaintBox* box : panel->findChildren<TPaintBox*>(Qt::FindDirectChildrenOnly))
      if (TagOf(box) == Number) return box;
  return nullptr;
}

void TChannelStrips::ArrangeStrips() {
  const int w = width();
  const int h = StripCount > 0 ? std::max(0, (height() - ScaleHeight) / StripCount) : 0;
  for (QWidget* panel : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const int tag = TagOf(panel);
    if (tag == 0) {
      panel->setGeometry(0, StripCount * h, w, ScaleHeight);
      if (TimeAxisBox) TimeAxisBox->setGeometry(0, 0, w, ScaleHeight);
      continue;
    }
    if (tag < 0) continue;
    panel->setGeometry(0, (tag - 1) * h, w, h);
    for (QWidget* control : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (qobject_cast<TPaintBox*>(control))
        control->setGeometry(ButtonWidth, 0, std::max(0, w - ButtonWidth), h);
      else
        control->setGeometry(0, 0, ButtonWidth, h);
    }
  }
}

void TChannelStrips::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeStrips();
}

int TChannelStrips::Readable(int c) const {
  if (c < 0 || c >= TRunBuffers::MaxChannels) return 0;
  const size_t n = std::min({size_t(std::max(Buffers.PointsStored, 0)), Buffers.TimeData.size(),
                             Buffers.ChannelData[size_t(c)].size()});
  return int(n);
}

TPaintBox* TChannelStrips::PrepareStripMapping(int Channel, TStripMapping& Mapping) {
  TPaintBox* box = FindStripBox(Channel + 1);
  if (!box) return nullptr;
  double low = -10, high = 10;
  if (GetVoltageSpan) GetVoltageSpan(low, high);
  Mapping =
      MakeStripMapping(Buffers.StripStart, Buffers.StripEnd, RecTimeHours ? RecTimeHours() : 0.0,
                       low, high, box->width(), box->height());
  return box;
}

void TChannelStrips::DrawStripPoints(int Channel, int First, int Last) {
  if (First > Last || Channel < 0 || Channel >= TRunBuffers::MaxChannels) return;
  TStripMapping m;
  TPaintBox* box = PrepareStripMapping(Channel, m);
  if (!box) return;
  QPoint& pen = LastPenPos[size_t(Channel)];
  if (First <= 0) {
    First = 0;
    pen = QPoint(-1, -1);
  }
  // Drawn from the first sample on, a new canvas shows the buffers as they are.
  if (box->FitCanvas() && First == 0) box->CanvasStale = false;
  Last = std::min(Last, Readable(Channel) - 1);
  if (First > Last) return;
  const std::vector<QPoint> path = StripPointsPath(
      m, Buffers.TimeData.data(), Buffers.ChannelData[size_t(Channel)].data(), First, Last, pen);
  if (path.empty()) return;
  DrawLines(box->Canvas, Channel, {path});
  pen = path.back();
  box->Changed();
}

void TChannelStrips::RepaintStrip(int Channel) {
  if (Channel < 0 || Channel >= TRunBuffers::MaxChannels ||
      Buffers.ChannelData[size_t(Channel)].empty())
    return;
  TStripMapping m;
  TPaintBox* box = PrepareStripMapping(Channel, m);
  if (!box) return;
  box->FitCanvas();
  box->Canvas.fill(Qt::white);
  box->CanvasStale = false;
  box->Changed();
  const int n = Readable(Channel);
  if (n <= 0 || !m.Valid) return;
  const TStripRedraw r =
      StripRedraw(m, Buffers.TimeData.data(), Buffers.ChannelData[size_t(Channel)].data(), n,
                  Buffers.StripStart, Buffers.StripEnd);
  DrawLines(box->Canvas, Channel, r.Lines);
  LastPenPos[size_t(Channel)] = r.LastPen;
}

void TChannelStrips::ServicePendingRedraws() {
  const int count = std::min(Buffers.ChannelCount, int(TRunBuffers::MaxChannels));
  for (int c = 0; c < count; ++c) {
    if (!Buffers.StripNeedsRedraw[size_t(c)]) continue;
    RepaintStrip(c);
    Buffers.StripNeedsRedraw[size_t(c)] = false;
    return;
  }
  if (Buffers.PendingDetailChannel >= 0) {
    const int channel = Buffers.PendingDetailChannel;
    Buffers.PendingDetailChannel = -1;
    if (Detail) Detail->SelectDetailChannel(channel);
  }
}

void TChannelStrips::pbChartPaint(TPaintBox* Sender) {
  if (!Sender) return;
  if (Buffers.PointsStored <= 0) {
    Sender->ShowCanvas = false;
    return;
  }
  const int c = TagOf(Sender) - 1;
  if (!Sender->Current()) {
    if (Buffers.RunActive) {
      // The data handler redraws it between two blocks; meanwhile the old image stays.
      if (c >= 0 && c < TRunBuffers::MaxChannels) Buffers.StripNeedsRedraw[size_t(c)] = true;
    } else {
      RepaintStrip(c);
    }
  }
  Sender->ShowCanvas = Sender->Current() || Buffers.RunActive;
}

void TChannelStrips::pbChartAxisPaint(TPaintBox* Sender) {
  if (!Sender) return;
  Sender->FitCanvas();
  Sender->CanvasStale = false;
  Sender->ShowCanvas = true;
  Sender->Changed();
  if (Sender->Canvas.isNull()) return;
  QPainter p(&Sender->Canvas);
  p.fillRect(Sender->Canvas.rect(), Qt::white);
  p.setFont(QFont("Arial", 9));
  const QFontMetrics metrics = p.fontMetrics();
  const TTimeScaleLayout layout = TimeScaleLayout(
      Buffers.StripStart, Buffers.StripEnd, RecTimeHours ? RecTimeHours() : 0.0, Sender->width(),
      [&](const QString& s) { return metrics.horizontalAdvance(s); });
  if (!layout.Valid) return;
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(layout.Left, 2, layout.Right, 2);
  for (const TScaleTick& tick : layout.Ticks) {
    p.drawLine(tick.X, 2, tick.X, 6);
    p.drawText(QPoint(tick.LabelLeft, 6 + metrics.ascent()), tick.Text);
  }
}

void TChannelStrips::bnChartNNClick(QObject* Sender) {
  const int c = TagOf(Sender) - 1;
  if (Buffers.PointsStored <= 0 || c < 0 || c >= TRunBuffers::MaxChannels ||
      Buffers.ChannelData[size_t(c)].empty())
    return;
  if (Buffers.RunActive)
    Buffers.PendingDetailChannel = c;
  else if (Detail)
    Detail->SelectDetailChannel(c);
}

void TChannelStrips::RunStarting() {
  LastPenPos.fill(QPoint(-1, -1));
  for (int n = 1; n <= StripCount; ++n) {
    TPaintBox* box = FindStripBox(n);
    if (!box) continue;
    box->FitCanvas();
    box->Canvas.fill(Qt::white);
    box->CanvasStale = false;
    box->Changed();
  }
  if (TimeAxisBox) pbChartAxisPaint(TimeAxisBox);
}

void TChannelStrips::BlockStored(int first, int last, bool stripsAdvanced) {
  if (first < 0 || last < first || last >= int(Buffers.TimeData.size())) return;
  if (stripsAdvanced && TimeAxisBox) pbChartAxisPaint(TimeAxisBox);
  if (Detail) Detail->FollowNewest(Buffers.TimeData[size_t(last)]);
  const int count = std::min(Buffers.ChannelCount, int(TRunBuffers::MaxChannels));
  for (int c = 0; c < count; ++c) DrawStripPoints(c, first, last);
  ServicePendingRedraws();
}

void TChannelStrips::RecTimeChanged() {
  if (TimeAxisBox) TimeAxisBox->update();
}
