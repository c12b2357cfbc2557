#pragma once
// The channel strips under the detail chart (the content of pnCharts): one
// narrow strip per recorded channel with its selection button, and the time
// scale below them. Qt paints only in paint events, so every strip draws into
// its own image (new samples incrementally, a full redraw one column at a
// time) and its paint event shows that image.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <array>
#include <functional>

#include "acq/run_buffers.h"
#include "display/strip_mapping.h"

class TDetailChart;

// A paint box: shows its canvas; the canvas is drawn outside paint events.
class TPaintBox : public QWidget {
  Q_OBJECT

public:
  explicit TPaintBox(QWidget* parent = nullptr);

  // Called at the start of each paint event, before the canvas is shown.
  std::function<void(TPaintBox&)> OnPaint;
  QImage Canvas;
  // False: the box shows nothing (the panel colour).
  bool ShowCanvas = true;
  // The canvas does not show the buffers as they are (never drawn, or drawn
  // only from the middle of a run on).
  bool CanvasStale = true;

  // Makes the canvas as large as the box; true when it had to be made anew
  // (white, and stale).
  bool FitCanvas();
  // The canvas may be shown as it is.
  bool Current() const { return !CanvasStale && Canvas.size() == size(); }
  // Schedules a paint, except from inside one.
  void Changed();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  bool Painting = false;
};

// The tag of a control of the strips (0 the time scale, n channel strip n).
int TagOf(const QObject* control);

class TChannelStrips : public QWidget {
  Q_OBJECT

public:
  static constexpr int ScaleHeight = 40;
  static constexpr int ButtonWidth = 28;

  TChannelStrips(TRunBuffers& buffers, TDetailChart* detail, QWidget* parent = nullptr);

  // The recording time typed in edRecTime, in hours (0 when not a number).
  std::function<double()> RecTimeHours;
  // The sampler's vertical span of the strips.
  std::function<void(double& min, double& max)> GetVoltageSpan;

  void CreateStrips(int Count);
  void ClearStrips();
  TPaintBox* FindStripBox(int Number) const;
  TPaintBox* PrepareStripMapping(int Channel, TStripMapping& Mapping);
  void DrawStripPoints(int Channel, int First, int Last);
  void RepaintStrip(int Channel);
  void ServicePendingRedraws();

  // Paint handlers of the strips and the time scale, and the strip buttons' click.
  void pbChartPaint(TPaintBox* Sender);
  void pbChartAxisPaint(TPaintBox* Sender);
  void bnChartNNClick(QObject* Sender);

  // A run begins (with the detail chart's RunStarting): strips blank, the
  // time scale of the new window.
  void RunStarting();
  // Samples first..last were stored (the strip window already moved on when
  // stripsAdvanced): the detail chart follows, new samples are drawn, at most
  // one owed redraw or channel switch is carried out.
  void BlockStored(int first, int last, bool stripsAdvanced);
  // The recording time was edited: the time scale depends on it.
  void RecTimeChanged();

  // Strip heights for the current size; done on every resize, and by the
  // window after a resize while hidden (a hidden widget gets no resize event).
  void ArrangeStrips();

  TPaintBox* TimeAxisBox = nullptr;
  std::array<QPoint, TRunBuffers::MaxChannels> LastPenPos;

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  // Number of samples of channel c that may be read (0 without a buffer).
  int Readable(int c) const;

  TRunBuffers& Buffers;
  TDetailChart* Detail;
  int StripCount = 0;
};
