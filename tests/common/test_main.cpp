// Test entry: an application object (so signals, timers and Qt's I/O work),
// a private config folder (tests never touch the user's settings) and strict
// dialogs (a box nobody scripted fails the test instead of waiting for a person).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "doubles/scripted_dialogs.h"
#include "platform/guarded_application.h"
#include "platform/seams.h"

#ifdef TAVRIN_TEST_GUI
#include <QApplication>
using TTestApplication = TGuardedApplication<QApplication>;
#else
#include <QCoreApplication>
using TTestApplication = TGuardedApplication<QCoreApplication>;
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  qunsetenv("TAVRIN_PORTS_DIR");
  qunsetenv("TAVRIN_SIMULATE");
#ifdef TAVRIN_TEST_GUI
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  TTestApplication app(argc, argv);
  TScriptedDialogs strict;
  Seams().Dialogs = &strict;
  return RUN_ALL_TESTS();
}
