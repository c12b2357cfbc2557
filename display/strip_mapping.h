#pragma once
// The geometry of the live charts without any widget: how a channel strip maps
// time and volts to pixels, which points its pen visits, where the time-scale
// ticks go, how the detail chart's time window is chosen and what the inspect
// hand-over takes. The widgets only replay these results on a canvas.

#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

// Pixel positions of one channel strip, computed each time it is drawn.
struct TStripMapping {
  double TimeFrom = 0;
  double TimeTo = 0;
  double VoltMin = 0;
  double VoltMax = 0;
  int PixLeft = 4;
  int PixRight = 0;
  int PixBottom = 0;
  int PixTop = 0;
  double XScale = 0;  // pixels per second
  double YScale = 0;  // pixels per volt, negative
  // False when the window has no length (nothing is drawn then).
  bool Valid = false;

  int X(double t) const;
  int Y(double v) const;
};

// The strip window's right end: the requested time in whole seconds, at most stripEnd.
// A recording time that is not a finite number counts as 0.
double StripTimeTo(double recTimeHours, double stripEnd);

TStripMapping MakeStripMapping(double stripStart, double stripEnd, double recTimeHours,
                               double voltMin, double voltMax, int width, int height);

// The pen's way through samples first..last of one channel (DrawStripPoints):
// the first point is where the pen starts (lastPen when it has x >= 0, else a
// plain move), every further point a line; empty when no sample lies in the
// strip. The new pen position is the last point.
std::vector<QPoint> StripPointsPath(const TStripMapping& m, const double* time, const float* volts,
                                    int first, int last, QPoint lastPen);

// A full redraw of one strip from count buffered samples (RepaintStrip).
struct TStripRedraw {
  // Few samples for the pixels: drawn one by one rather than per column.
  bool SampleBySample = false;
  // Pen paths, each drawn as one polyline from its first point.
  std::vector<std::vector<QPoint>> Lines;
  // The pen position afterwards ((-1, -1) when nothing was visited).
  QPoint LastPen{-1, -1};
};
TStripRedraw StripRedraw(const TStripMapping& m, const double* time, const float* volts, int count,
                         double stripStart, double stripEnd);

// The time-scale strip under the channel strips.
struct TScaleTick {
  int X = 0;
  QString Text;
  int LabelLeft = 0;
};
struct TTimeScaleLayout {
  int Left = 32;
  int Right = 0;
  // False when the window has no length: the strip stays white.
  bool Valid = false;
  std::vector<TScaleTick> Ticks;
};
TTimeScaleLayout TimeScaleLayout(double stripStart, double stripEnd, double recTimeHours, int width,
                                 const std::function<int(const QString&)>& textWidth);

// The detail chart's time axis after a change of the "Time axis" choice
// (item 0: 10 s, item 1: 1 min), moved back so the newest sample stays near its end.
struct TDetailWindow {
  double Min = 0;
  double Max = 0;
  double Increment = 0;
};
TDetailWindow DetailTimeWindow(double minimum, int item, bool havePoints, double newest);

// What the inspect window is given: the last 90 s (or the first 90 s of a shorter run).
struct TInspectStretch {
  double TimeStart = 0;
  double TimeEnd = 0;
};
TInspectStretch InspectStretch(double newest);
// The data file's name with the detail axis' range put before its extension.
QString InspectName(const QString& dataFileName, double axisMin, double axisMax);
