#pragma once
// The detail chart of the main window: one channel at a time over a time axis
// that follows the newest sample. Its line reads the run buffers in place (a
// day at 300 Hz is 26 million points: no second copy), so "the series" is
// always TimeData[0 .. PointsStored-1] against ChannelData[DetailChannel].

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "acq/run_buffers.h"

class QButtonGroup;
class QCustomPlot;
class QGroupBox;
class QLabel;
class QRadioButton;
class TRunBufferGraph;

struct TAxisRange {
  double Min = 0;
  double Max = 0;
};

// What an inspect window is given (bnInspectClick).
struct TInspectRequest {
  QString Name;
  double TimeStart = 0;
  double TimeEnd = 0;
  // Both 0: the inspect window scales its vertical axis itself.
  double VoltMin = 0;
  double VoltMax = 0;
};

class TDetailChart : public QWidget {
  Q_OBJECT

public:
  explicit TDetailChart(TRunBuffers& buffers, QWidget* parent = nullptr);
  ~TDetailChart() override;

  // The intermediate data file of the last start (empty before any).
  std::function<QString()> DataFileName;

  void SelectDetailChannel(int Channel);
  void SetDetailTimeAxis(double Minimum);
  void rgTimeAxisClick();
  // A run begins: empty series, time axis from 0, the left axis fixed from now on.
  void RunStarting(double voltsLow, double voltsHigh);
  // After a block: the time axis follows the newest sample, keeping its span.
  void FollowNewest(double newest);
  // The buffers changed: repaint at the next turn of the event loop.
  void DataChanged();
  // Redraws at once (benchmarks, grabs).
  void ReplotNow();

  // Empty when the series holds no point.
  std::optional<TInspectRequest> InspectHandOver() const;
  // True when the selected channel has samples to show.
  bool HasPoints() const;

  TAxisRange BottomAxisRange() const;
  double BottomAxisIncrement() const;
  TAxisRange LeftAxisRange() const;
  bool LeftAxisAutomatic() const { return AutoLeftAxis; }
  // As a mouse zoom would leave it.
  void SetBottomAxisRange(double min, double max);
  QColor SeriesColor() const;
  // 0 "10 sec", 1 "1 min".
  int TimeAxisItem() const;
  QString BottomAxisTitle() const;
  QString LeftAxisTitle() const;
  QCustomPlot* Plot() const { return Chart; }

  QLabel* labSelChan;
  QGroupBox* rgTimeAxis;
  QRadioButton* rbTime10s;
  QRadioButton* rbTime1min;

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void PlaceLabel();
  void RescaleLeftAxis();

  TRunBuffers& Buffers;
  QCustomPlot* Chart;
  TRunBufferGraph* Series1;
  QButtonGroup* TimeAxisGroup;
  bool AutoLeftAxis = true;
};
