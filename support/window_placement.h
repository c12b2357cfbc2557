#pragma once
// Where a window opens: its stored position (and, for resizable windows, size)
// kept on the screen, or a default placement when nothing usable is stored.

#include <QSize>
#include <QString>

class QWidget;
class TStRegIni;

struct TWindowPlacement {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// Horizontal defaults: 0 centred, 3 left edge, 4 right edge; vertical: 0
// centred, 1 top, 2 bottom; other values keep the stored coordinate. A
// stored size of 0 or less (and any size of a fixed window) means the current
// size. The result always has Width and Height filled in.
TWindowPlacement ComputeWindowPlacement(const TWindowPlacement& stored, QSize screen, QSize current,
                                        bool resizable, int hDefault, int vDefault);

// The keys of one window section; missing values read as 0, and Width and
// Height stay 0 for fixed-size windows.
TWindowPlacement ReadStoredPlacement(const TStRegIni& ini, bool resizable);
// state: 0 normal, 1 minimised, 2 maximised. Width and Height are written
// for resizable windows only.
void WriteStoredPlacement(TStRegIni& ini, const TWindowPlacement& placement, int state,
                          bool resizable);

// The form's placement in the settings file (defined in tavrin_gui).
void RestoreWindowPlacement(QWidget& form, const QString& section, int hDefault, int vDefault);
void SaveWindowPlacement(QWidget& form, const QString& section);
