#include "display/stretch_logic.h"

#include <algorithm>

#include "support/locale_format.h"

TInspectPoints CopyStretch(const double* time, const float* volts, int count, double xMin,
                           double xMax) {
  TInspectPoints p;
  if (!time || !volts || count <= 0) return p;
  // The times ascend: one search for the start, then one pass to the end of the stretch.
  const double* end = time + count;
  for (const double* t = std::lower_bound(time, end, xMin); t != end && *t <= xMax; ++t) {
    p.X.push_back(*t);
    p.Y.push_back(double(volts[t - time]));
  }
  return p;
}

TVisiblePoints VisiblePoints(const std::vector<double>& x, double min, double max) {
  const auto first = std::lower_bound(x.begin(), x.end(), min);
  const auto end = std::upper_bound(first, x.end(), max);
  return {int(first - x.begin()), int(end - first)};
}

QString PointsPaneText(int visible, int total) {
  return Format("Visble=%d, total=%d points", {visible, total});
}

TAxisSpan ZoomSpan(TAxisSpan span, int percent) {
  const double d = (span.Max - span.Min) * (percent - 100) * 0.01;
  return {span.Min + d, span.Max - d};
}

TAxisSpan ScrollSpan(TAxisSpan span, double increment, bool up, bool shift) {
  double move = up ? increment : -increment;
  if (shift && ((!up && span.Min > 0) || (up && span.Min < 0))) move = -span.Min;
  return {span.Min + move, span.Max + move};
}

QString WithoutExtension(const QString& name) {
  const qsizetype folderEnd =
      std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot > folderEnd ? name.left(dot) : name;
}

QString ExportFileName(const QString& inspectName, int first, int count) {
  return WithoutExtension(inspectName) + Format("_%d_%d.txt", {first, first + count});
}

QString PngFileName(const QString& inspectName) {
  return WithoutExtension(inspectName) + QStringLiteral(".png");
}

QString ExportQuestion(int count) {
  return Format("Currently selected number of points: %d", {count}) +
         QStringLiteral(
             "\rThis is more than what Excel 2003 (and older) can import "
             "(max=65536).\rContinue with export anyway?");
}

QString ExportLine(const QLocale& locale, int index, double x, double y) {
  return QString::number(index) + QLatin1Char(';') + locale.toString(x, 'g', 15) +
         QLatin1Char(';') + locale.toString(y, 'g', 15);
}

QByteArray ExportText(const TInspectPoints& points, int first, int count) {
  QByteArray out;
  first = std::max(first, 0);
  const int end = std::min(first + std::max(count, 0), points.Count());
  if (end <= first) return out;
  QLocale locale = NumberLocale();
  locale.setNumberOptions(locale.numberOptions() | QLocale::OmitLeadingZeroInExponent);
  out.reserve(qsizetype(end - first) * 32);
  for (int i = first; i < end; ++i) {
    out += ExportLine(locale, i, points.X[size_t(i)], points.Y[size_t(i)]).toLatin1();
    out += "\r\n";
  }
  return out;
}

bool CopyNeedsReduction(bool drawAllPoints, int visible, int chartWidth) {
  return drawAllPoints && visible > CopyPointsPerPixel * chartWidth;
}

TInspectPoints ReducePointsForCopy(const TInspectPoints& points, double lo, double hi,
                                   int bucketSize) {
  TInspectPoints r;
  const int n = points.Count();
  if (n == 0 || bucketSize <= 0 || lo > hi) return r;
  r.X.reserve(size_t(2 * (n / bucketSize)));
  r.Y.reserve(r.X.capacity());
  double min = 10000, max = -10000, x0 = points.X[0];
  int k = 0;
  for (int i = 0; i < n; ++i) {
    const double v = std::clamp(points.Y[size_t(i)], lo, hi);
    min = std::min(min, v);
    max = std::max(max, v);
    if (++k < bucketSize) continue;
    r.X.push_back(x0);
    r.Y.push_back(min);
    r.X.push_back(points.X[size_t(i)]);
    r.Y.push_back(max);
    k = 0;
    if (i + 1 < n) {
      min = 10000;
      max = -10000;
      x0 = points.X[size_t(i + 1)];
    }
  }
  return r;
}
