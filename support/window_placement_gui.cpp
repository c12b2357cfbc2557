#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "support/MyStRegIni.h"
#include "support/window_placement.h"

namespace {

bool IsResizable(const QWidget& form) {
  return form.minimumSize() != form.maximumSize();
}

}  // namespace

void RestoreWindowPlacement(QWidget& form, const QString& section, int hDefault, int vDefault) {
  const bool resizable = IsResizable(form);
  TStRegIni ini(GetIniFileName());
  ini.SetCurrentSection(section);
  const TWindowPlacement stored = ReadStoredPlacement(ini, resizable);

  const QScreen* screen = form.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const TWindowPlacement p = ComputeWindowPlacement(stored, screen->geometry().size(), form.size(),
                                                    resizable, hDefault, vDefault);
  form.move(p.Left, p.Top);
  if (resizable) form.resize(p.Width, p.Height);
}

void SaveWindowPlacement(QWidget& form, const QString& section) {
  const bool resizable = IsResizable(form);
  const int state = form.isMinimized() ? 1 : (form.isMaximized() ? 2 : 0);
  TStRegIni ini(GetIniFileName());
  ini.SetCurrentSection(section);
  WriteStoredPlacement(ini, {form.x(), form.y(), form.width(), form.height()}, state, resizable);
}
