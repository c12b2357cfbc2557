#pragma once
// The inspect window without any widget: which points it copies and shows,
// how its axes zoom and scroll, the text it exports and the thinned series it
// draws into a vector picture.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <vector>

// A series of points, X ascending.
struct TInspectPoints {
  std::vector<double> X;
  std::vector<double> Y;
  int Count() const { return int(X.size()); }
};

// The points of an ascending series with xMin <= time <= xMax, as doubles.
TInspectPoints CopyStretch(const double* time, const float* volts, int count, double xMin,
                           double xMax);

// The points an axis range shows: the first one at or after min, and how many
// follow up to max.
struct TVisiblePoints {
  int First = 0;
  int Count = 0;
};
TVisiblePoints VisiblePoints(const std::vector<double>& x, double min, double max);

// The text of the points pane.
QString PointsPaneText(int visible, int total);

struct TAxisSpan {
  double Min = 0;
  double Max = 0;
};

// Percent above 100 zooms in (110: a tenth of the span off each end), below
// 100 out; there is no limit either way.
TAxisSpan ZoomSpan(TAxisSpan span, int percent);

// One click on an up-down control: the axis moves by one increment; with
// shift, a move towards 0 that would pass it stops the axis start at 0.
TAxisSpan ScrollSpan(TAxisSpan span, double increment, bool up, bool shift);

// The name with its extension (the last dot after the last folder separator) removed.
QString WithoutExtension(const QString& name);
// The text export's file: first and one past the last index exported.
QString ExportFileName(const QString& inspectName, int first, int count);
QString PngFileName(const QString& inspectName);

// The question asked before exporting more points than old spreadsheets import.
constexpr int ExportQuestionLimit = 65536;
QString ExportQuestion(int count);

// "index;x;y" with the locale's decimal separator, numbers in their shortest
// general form of up to 15 significant digits.
QString ExportLine(const QLocale& locale, int index, double x, double y);
// Points first .. first + count - 1 as lines ending in CR LF, ASCII only.
QByteArray ExportText(const TInspectPoints& points, int first, int count);

// The vector copy is thinned when a series drawn point by point has more than
// this many visible points per pixel of chart width.
constexpr int CopyPointsPerPixel = 20;
constexpr int CopyBucketSize = 100;
bool CopyNeedsReduction(bool drawAllPoints, int visible, int chartWidth);

// Two points per bucket of bucketSize source points: (first x, lowest y) and
// (last x, highest y), the values limited to [lo, hi]; a last bucket that is
// not full gives none.
TInspectPoints ReducePointsForCopy(const TInspectPoints& points, double lo, double hi,
                                   int bucketSize);
