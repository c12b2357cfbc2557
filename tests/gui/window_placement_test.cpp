#include "support/window_placement.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "support/MyStRegIni.h"

namespace {

// Every test starts without a settings file and leaves none behind.
class WindowPlacement : public ::testing::Test {
protected:
  void SetUp() override { QFile::remove(GetIniFileName()); }
  void TearDown() override { QFile::remove(GetIniFileName()); }
  static QSize Screen() { return QGuiApplication::primaryScreen()->geometry().size(); }
  static TStRegIni Store(const QString& section) {
    TStRegIni ini(GetIniFileName());
    ini.SetCurrentSection(section);
    return ini;
  }
};

TEST_F(WindowPlacement, NoSettingsFileCentresAtTheDesignedSize) {
  QWidget form;
  form.resize(400, 300);
  RestoreWindowPlacement(form, "frmMain", 0, 0);
  EXPECT_EQ(form.size(), QSize(400, 300));
  EXPECT_EQ(form.pos(), QPoint((Screen().width() - 400) / 2, (Screen().height() - 300) / 2));
}

TEST_F(WindowPlacement, ResizableFormGetsStoredPositionAndSize) {
  TStRegIni ini = Store("frmInspect");
  ini.WriteInteger("WinLeft", 50);
  ini.WriteInteger("WinTop", 60);
  ini.WriteInteger("WinWidth", 300);
  ini.WriteInteger("WinHeight", 200);
  ini.WriteInteger("WinState", 2);  // never applied
  QWidget form;
  form.resize(400, 300);
  RestoreWindowPlacement(form, "frmInspect", 0, 0);
  EXPECT_EQ(form.pos(), QPoint(50, 60));
  EXPECT_EQ(form.size(), QSize(300, 200));
  EXPECT_FALSE(form.isMaximized());
}

TEST_F(WindowPlacement, FixedFormKeepsItsSizeAndStoresNone) {
  TStRegIni ini = Store("frmInfo");
  ini.WriteInteger("WinLeft", 20);
  ini.WriteInteger("WinTop", 30);
  ini.WriteInteger("WinWidth", 999);
  QDialog form;
  form.setFixedSize(250, 150);
  RestoreWindowPlacement(form, "frmInfo", 0, 0);
  EXPECT_EQ(form.pos(), QPoint(20, 30));
  EXPECT_EQ(form.size(), QSize(250, 150));

  QFile::remove(GetIniFileName());
  SaveWindowPlacement(form, "frmInfo");
  EXPECT_EQ(ini.ReadInteger("WinLeft", -1), 20);
  EXPECT_EQ(ini.ReadInteger("WinTop", -1), 30);
  EXPECT_EQ(ini.ReadInteger("WinState", -1), 0);
  EXPECT_EQ(ini.ReadString("WinWidth", "none"), "none");
  EXPECT_EQ(ini.ReadString("WinHeight", "none"), "none");
}

TEST_F(WindowPlacement, SavedPlacementComesBack) {
  {
    QWidget form;
    form.move(35, 45);
    form.resize(320, 240);
    SaveWindowPlacement(form, "frmMain");
  }
  TStRegIni ini = Store("frmMain");
  EXPECT_EQ(ini.ReadInteger("WinWidth", -1), 320);
  EXPECT_EQ(ini.ReadInteger("WinHeight", -1), 240);
  QWidget again;
  again.resize(500, 400);
  RestoreWindowPlacement(again, "frmMain", 0, 0);
  EXPECT_EQ(again.pos(), QPoint(35, 45));
  EXPECT_EQ(again.size(), QSize(320, 240));
}

TEST_F(WindowPlacement, StateIsStoredAsNumber) {
  struct TCase {
    Qt::WindowState State;
    int Stored;
  };
  for (const TCase& c : std::vector<TCase>{
           {Qt::WindowNoState, 0}, {Qt::WindowMinimized, 1}, {Qt::WindowMaximized, 2}}) {
    QWidget form;
    form.setWindowState(c.State);
    SaveWindowPlacement(form, "frmMain");
    EXPECT_EQ(Store("frmMain").ReadInteger("WinState", -1), c.Stored) << c.Stored;
  }
}

TEST_F(WindowPlacement, OversizedStoredWindowIsFittedToTheScreen) {
  TStRegIni ini = Store("frmMain");
  ini.WriteInteger("WinLeft", 100);
  ini.WriteInteger("WinTop", 100);
  ini.WriteInteger("WinWidth", 5000);
  ini.WriteInteger("WinHeight", 5000);
  QWidget form;
  RestoreWindowPlacement(form, "frmMain", 0, 0);
  EXPECT_EQ(form.size(), Screen());
  EXPECT_EQ(form.pos(), QPoint(0, 0));
}

}  // namespace
