#include "display/strip_mapping.h"

#include <algorithm>
#include <cmath>

#include "support/locale_format.h"

namespace {
// Far enough outside any strip that clipping hides it, small enough for int
// and for the painter; NaN (a damaged loaded file) lands there too.
constexpr double PixLimit = 1 << 22;

// Nearest integer, ties to even (the default rounding mode).
int RoundPix(double v) {
  if (std::isnan(v)) return int(PixLimit);
  return int(std::nearbyint(std::clamp(v, -PixLimit, PixLimit)));
}

// The moves back of the detail window are bounded; a window zoomed absurdly far
// ahead of the data simply stays where the cap leaves it.
constexpr int MaxWindowSteps = 1000000;
}  // namespace

int TStripMapping::X(double t) const {
  return RoundPix((t - TimeFrom) * XScale + PixLeft);
}

int TStripMapping::Y(double v) const {
  return RoundPix((v - VoltMin) * YScale + PixBottom);
}

double StripTimeTo(double recTimeHours, double stripEnd) {
  const double seconds = recTimeHours * 3600;
  const double whole = std::isfinite(seconds) ? std::nearbyint(seconds) : 0.0;
  return std::min(whole, stripEnd);
}

TStripMapping MakeStripMapping(double stripStart, double stripEnd, double recTimeHours,
                               double voltMin, double voltMax, int width, int height) {
  TStripMapping m;
  m.TimeFrom = stripStart;
  m.TimeTo = StripTimeTo(recTimeHours, stripEnd);
  m.VoltMin = voltMin;
  m.VoltMax = voltMax;
  m.PixLeft = 4;
  m.PixRight = width - 4;
  m.PixBottom = height;
  m.PixTop = 0;
  // A window running backwards (the recording time lowered below the start of
  // an advanced window) would mirror the trace: it is treated as empty.
  const double span = m.TimeTo - m.TimeFrom;
  m.Valid =
      std::isfinite(span) && span > 0 && std::isfinite(voltMax - voltMin) && voltMax != voltMin;
  if (m.Valid) {
    m.XScale = (m.PixRight - m.PixLeft) / span;
    m.YScale = (m.PixTop - m.PixBottom) / (voltMax - voltMin);
  }
  return m;
}

std::vector<QPoint> StripPointsPath(const TStripMapping& m, const double* time, const float* volts,
                                    int first, int last, QPoint lastPen) {
  std::vector<QPoint> path;
  if (!m.Valid) return path;
  for (int k = first; k <= last; ++k) {
    const int x = m.X(time[k]);
    if (x < m.PixLeft) continue;
    if (x > m.PixRight) break;
    if (path.empty() && lastPen.x() >= 0) path.push_back(lastPen);
    path.emplace_back(x, m.Y(volts[k]));
  }
  return path;
}

TStripRedraw StripRedraw(const TStripMapping& m, const double* time, const float* volts, int count,
                         double stripStart, double stripEnd) {
  TStripRedraw r;
  if (!m.Valid || count <= 0) return r;

  const int span = m.X(time[count - 1]) - m.PixLeft;
  if (span > count) {
    r.SampleBySample = true;
    std::vector<QPoint> path = StripPointsPath(m, time, volts, 0, count - 1, QPoint(-1, -1));
    if (!path.empty()) {
      r.LastPen = path.back();
      r.Lines.push_back(std::move(path));
    }
    return r;
  }

  // The samples before the window are never read.
  const int i = int(std::lower_bound(time, time + count, stripStart) - time);
  if (i >= count) return r;
  int x0 = m.X(time[i]);
  float lo = volts[i];
  float hi = volts[i];
  QPoint pen(x0, m.Y(volts[i]));
  std::vector<QPoint> line{pen};
  for (int j = i + 1; j < count && time[j - 1] <= stripEnd; ++j) {
    const int x = m.X(time[j]);
    const float v = volts[j];
    if (x == x0 && j < count - 1) {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
      continue;
    }
    const QPoint top(std::max(x - 1, x0), m.Y(hi));
    if (x0 >= m.PixLeft) {
      line.emplace_back(x0, m.Y(lo));
      line.push_back(top);
    } else {
      if (line.size() > 1) r.Lines.push_back(std::move(line));
      line = {top};
    }
    pen = top;
    lo = hi = v;
    x0 = x;
  }
  if (line.size() > 1) r.Lines.push_back(std::move(line));
  r.LastPen = pen;
  return r;
}

TTimeScaleLayout TimeScaleLayout(double stripStart, double stripEnd, double recTimeHours, int width,
                                 const std::function<int(const QString&)>& textWidth) {
  TTimeScaleLayout layout;
  layout.Right = width - 4;
  const double t0 = stripStart;
  const double t1 = StripTimeTo(recTimeHours, stripEnd);
  const double length = t1 - t0;
  if (!std::isfinite(length) || length <= 0) return layout;
  layout.Valid = true;
  const double scale = (layout.Right - layout.Left) / length;
  const double step = std::max(length / 6, 1.0);
  // Ticks from their index rather than by summing steps, so that rounding
  // cannot lose the last one.
  const double slack = 1e-9 * std::max(1.0, std::abs(t1));
  for (int k = 0;; ++k) {
    const double h = t0 + k * step;
    if (h > t1 + slack) break;
    const double whole = std::nearbyint(h);
    TScaleTick tick;
    tick.Text = QString::number(qint64(whole));
    tick.X = RoundPix((whole - t0) * scale + layout.Left);
    const int half = textWidth(tick.Text) / 2;
    tick.LabelLeft = std::max(tick.X - half, layout.Left);
    if (tick.LabelLeft + 2 * half > layout.Right)
      tick.LabelLeft = layout.Right - textWidth(tick.Text);
    layout.Ticks.push_back(tick);
  }
  return layout;
}

TDetailWindow DetailTimeWindow(double minimum, int item, bool havePoints, double newest) {
  const double span = item == 1 ? 60 : 10;
  const double increment = item == 1 ? 10 : 1;
  if (!std::isfinite(minimum)) minimum = 0;
  double maximum = minimum + span;
  if (havePoints) {
    for (int n = 0; n < MaxWindowSteps && minimum > 0 && newest + increment < maximum; ++n) {
      minimum -= increment;
      maximum -= increment;
    }
    if (minimum < 0) {
      minimum = 0;
      maximum = span;
    }
  }
  return {minimum, maximum, increment};
}

TInspectStretch InspectStretch(double newest) {
  TInspectStretch s{newest - 90, newest};
  if (s.TimeStart < 0) {
    s.TimeStart = 0;
    s.TimeEnd = std::min(90.0, newest);
  }
  return s;
}

QString InspectName(const QString& dataFileName, double axisMin, double axisMax) {
  // Both separators count, so a name typed with either keeps its folder.
  const qsizetype folderEnd =
      std::max(dataFileName.lastIndexOf(QLatin1Char('/')), dataFileName.lastIndexOf('\\'));
  qsizetype dot = dataFileName.lastIndexOf(QLatin1Char('.'));
  if (dot <= folderEnd) dot = dataFileName.size();
  return dataFileName.left(dot) + Format("_%.0f_%.0f%s", {axisMin, axisMax, dataFileName.mid(dot)});
}
