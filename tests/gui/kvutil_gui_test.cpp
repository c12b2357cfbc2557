#include <gtest/gtest.h>

#include <QDialog>
#include <QWidget>

#include "support/kvutil.h"

namespace {

TEST(EnableCloseCommand, HidesAndRestoresTheCloseButtonOfAShownWindow) {
  QWidget window;
  window.show();
  const Qt::WindowFlags before = window.windowFlags();
  ASSERT_TRUE(before.testFlag(Qt::WindowCloseButtonHint));

  EnableCloseCommand(window, false);
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowTitleHint)) << "the title bar stays";
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
  EXPECT_TRUE(window.isVisible()) << "changing the flags must not hide the window";

  EnableCloseCommand(window, true);
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(window.isVisible());
}

TEST(EnableCloseCommand, LeavesWidgetsWithoutTitleBarAlone) {
  QWidget parent;
  QWidget child(&parent);
  const Qt::WindowFlags childFlags = child.windowFlags();
  EnableCloseCommand(child, false);
  EXPECT_FALSE(child.isWindow());
  EXPECT_EQ(child.windowFlags(), childFlags);

  QWidget frameless(nullptr, Qt::FramelessWindowHint);
  const Qt::WindowFlags flags = frameless.windowFlags();
  EnableCloseCommand(frameless, false);
  EXPECT_EQ(frameless.windowFlags(), flags);
}

TEST(EnableCloseCommand, DialogGainsNoButtons) {
  QDialog dialog;
  EnableCloseCommand(dialog, false);
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
