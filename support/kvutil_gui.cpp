#include <QWidget>

#include "support/kvutil.h"

void EnableCloseCommand(QWidget& window, bool enable) {
  if (!window.isWindow()) return;
  Qt::WindowFlags flags = window.windowFlags();
  if (flags.testFlag(Qt::FramelessWindowHint)) return;  // no title bar, no close button
  if (enable) {
    flags |= Qt::WindowCloseButtonHint;
  } else {
    // Title-bar hints only count once the window customises them; the flags
    // already hold the rest of its title bar (title, menu, min/max).
    flags |= Qt::CustomizeWindowHint;
    flags &= ~Qt::WindowCloseButtonHint;
  }
  if (flags == window.windowFlags()) return;
  // Changing the flags hides a shown window; show it again where it was.
  const bool visible = window.isVisible();
  window.setWindowFlags(flags);
  if (visible) window.show();
}
