#include "support/window_placement.h"

#include <algorithm>

#include "support/MyStRegIni.h"

namespace {

// Places one axis: the default rule when nothing usable is stored, then kept
// on the screen (a window larger than the screen starts at 0).
qint64 PlaceAxis(qint64 pos, qint64 size, qint64 screen, int rule, int startRule, int endRule) {
  if (pos <= 0) {
    if (rule == startRule)
      pos = 0;
    else if (rule == endRule)
      pos = screen - size;
    else if (rule == 0)
      pos = (screen - size) / 2;  // C++ division rounds toward zero
  }
  if (pos < 0) pos = 0;
  if (pos + size > screen) pos = screen - size;
  if (pos < 0) pos = 0;
  return pos;
}

}  // namespace

TWindowPlacement ComputeWindowPlacement(const TWindowPlacement& stored, QSize screen, QSize current,
                                        bool resizable, int hDefault, int vDefault) {
  qint64 width = resizable ? std::min(stored.Width, screen.width()) : -1;
  qint64 height = resizable ? std::min(stored.Height, screen.height()) : -1;
  if (width <= 0) width = current.width();
  if (height <= 0) height = current.height();
  TWindowPlacement result;
  result.Left = int(PlaceAxis(stored.Left, width, screen.width(), hDefault, 3, 4));
  result.Top = int(PlaceAxis(stored.Top, height, screen.height(), vDefault, 1, 2));
  result.Width = int(width);
  result.Height = int(height);
  return result;
}

TWindowPlacement ReadStoredPlacement(const TStRegIni& ini, bool resizable) {
  TWindowPlacement stored;
  stored.Left = ini.ReadInteger(QStringLiteral("WinLeft"), 0);
  stored.Top = ini.ReadInteger(QStringLiteral("WinTop"), 0);
  if (resizable) {
    stored.Width = ini.ReadInteger(QStringLiteral("WinWidth"), 0);
    stored.Height = ini.ReadInteger(QStringLiteral("WinHeight"), 0);
  }
  return stored;
}

void WriteStoredPlacement(TStRegIni& ini, const TWindowPlacement& placement, int state,
                          bool resizable) {
  ini.WriteInteger(QStringLiteral("WinLeft"), placement.Left);
  ini.WriteInteger(QStringLiteral("WinTop"), placement.Top);
  ini.WriteInteger(QStringLiteral("WinState"), state);
  if (resizable) {
    ini.WriteInteger(QStringLiteral("WinWidth"), placement.Width);
    ini.WriteInteger(QStringLiteral("WinHeight"), placement.Height);
  }
}
