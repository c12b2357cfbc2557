// The main window driven as a person would: a demo recording from START to
// the converter window, with scripted dialogs and a manual clock.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>

#include "app/kvmain.h"
#include "common/temp_dir.h"
#include "display/channel_strips.h"
#include "doubles/fakes.h"
#include "doubles/manual_clock.h"
#include "doubles/scripted_dialogs.h"
#include "files/data_file.h"
#include "platform/registry.h"
#include "support/MyStRegIni.h"

namespace {
class MainWindowTest : public TTempDirTest {
protected:
  TManualClock Clock;
  TScriptedDialogs Dialogs;
  TFixedSystemFacts System;
  TFakeProcesses Processes;
  TFakeKeyboard Keyboard;
  TFixtureRegistry Registry;  // no devices: the demo device is chosen
  TSeamOverride<TClock> ClockOverride{&TSeamSet::Clock, Clock};
  TSeamOverride<TDialogs> DialogsOverride{&TSeamSet::Dialogs, Dialogs};
  TSeamOverride<TSystemFacts> SystemOverride{&TSeamSet::System, System};
  TSeamOverride<TProcesses> ProcessesOverride{&TSeamSet::Processes, Processes};
  TSeamOverride<TKeyboard> KeyboardOverride{&TSeamSet::Keyboard, Keyboard};
  TSeamOverride<TDeviceRegistry> RegistryOverride{&TSeamSet::Registry, Registry};
  QString SavedDirectory = GetDataDirectory();
  QString SavedCurrent = QDir::currentPath();
  std::unique_ptr<TfrmMain> Window;

  void SetUp() override {
    QLocale::setDefault(QLocale::c());
    QDir::setCurrent(Dir.path());  // trace.txt lands here
    SetDataDirectory(PathOf("data"));
  }
  void TearDown() override {
    Window.reset();
    SetDataDirectory(SavedDirectory);
    QDir::setCurrent(SavedCurrent);
  }
  TfrmMain& Open(const QStringList& arguments = {"tavrin"}) {
    Window = std::make_unique<TfrmMain>(arguments);
    Window->resize(1200, 800);
    Window->show();
    Window->FormActivate();
    return *Window;
  }
  void TickDemo(int ticks) {
    for (int i = 0; i < ticks && Window->Recorder->IsRunning(); ++i) {
      Clock.Advance(250);
      Window->Recorder->demoTimerTimer();
    }
  }
  // The converter window after a run: closed with its Close button.
  void ExpectConverter() {
    Dialogs.ExpectModal("File Format Converter", [](QDialog& d) {
      d.findChild<QPushButton*>("bnClose")->click();
      return int(QDialog::Rejected);
    });
  }
};
}  // namespace

TEST_F(MainWindowTest, FirstActivationFindsTheDemoDeviceAndIsReady) {
  TfrmMain& w = Open();
  EXPECT_TRUE(QFileInfo(PathOf("data")).isDir());  // created
  EXPECT_EQ(w.spInfo->text(), "Ready to measure (demo)");
  EXPECT_EQ(w.spDevice->text(), "Demo device");
  EXPECT_EQ(w.spVersion->text(), "Tavrin+d v01.30 (20-03-2018)");
  EXPECT_EQ(w.spOverruns->text(), "Overruns: 0");
  EXPECT_EQ(w.spCount->text(), "0 (0)");
  EXPECT_EQ(w.edRecTime->text(), "0.01");
  EXPECT_EQ(w.edRecTimeHMS->text(), "---");
  EXPECT_TRUE(w.edComment1->text().startsWith("ZQR: "));
  EXPECT_EQ(w.labFile->text(), "File (directory: " + PathOf("data") + ")");
  EXPECT_TRUE(w.bnStartMeas->isEnabled());
  EXPECT_EQ(w.Recorder->ChannelCount, 4);
  EXPECT_TRUE(w.pnCharts->FindStripBox(4));
  EXPECT_FALSE(w.pnCharts->FindStripBox(5));
  const QStringList startup = w.Recorder->StartupMessages;
  EXPECT_TRUE(startup.contains("Data directory created: " + PathOf("data")));
  EXPECT_EQ(startup.last(), "Initialization done");
  EXPECT_TRUE(w.Recorder->DeviceReport.contains("Devices detected:"));
  // A second activation does nothing again.
  w.FormActivate();
  EXPECT_EQ(w.Recorder->StartupMessages, startup);
}

TEST_F(MainWindowTest, DemoRecordingThroughTheWindow) {
  TfrmMain& w = Open();
  w.edFile->setText("win1");
  w.edComment2->setText("window run");
  w.bnStartMeas->click();
  ASSERT_TRUE(w.Recorder->IsRunning());
  EXPECT_EQ(w.bnStartMeas->text(), "STOP");
  EXPECT_FALSE(w.edFile->isEnabled());
  EXPECT_FALSE(w.edComment2->isEnabled());
  EXPECT_EQ(w.edRecTimeHMS->text(), "0:00:36");
  EXPECT_EQ(w.edRecProgress->text(), "0");
  TickDemo(20);
  EXPECT_EQ(w.edRecProgress->text(), "0:00:05");
  EXPECT_EQ(w.spCount->text().section(' ', 0, 0), "100");
  // Closing is refused during a run.
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());

  ExpectConverter();
  TickDemo(1000);  // to the end: the converter opens by itself
  EXPECT_FALSE(w.Recorder->IsRunning());
  EXPECT_EQ(w.bnStartMeas->text(), "START");
  EXPECT_TRUE(w.edFile->isEnabled());
  EXPECT_TRUE(w.spInfo->text().contains("> Recording done "));
  for (const char* name : {"win1.aq4", "win1_log.txt", "win1-ch1.D01", "win1-ch4.D01"})
    EXPECT_TRUE(QFileInfo::exists(PathOf("data/") + name)) << name;
  EXPECT_TRUE(w.close());
}

TEST_F(MainWindowTest, StopAsksAboutTheConversion) {
  TfrmMain& w = Open();
  w.edFile->setText("win2");
  w.edComment2->setText("stopped");
  w.bnStartMeas->click();
  TickDemo(8);
  Dialogs.ExpectConfirm("Measurement aborted by user. Convert data to hour-based files?", true);
  ExpectConverter();
  w.bnStartMeas->click();
  EXPECT_FALSE(w.Recorder->IsRunning());
  EXPECT_TRUE(QFileInfo::exists(PathOf("data/win2-ch2.D01")));
  EXPECT_EQ(w.spInfo->text(), "Stopped by user");
}

TEST_F(MainWindowTest, SettingsAreRefusedDuringARun) {
  TfrmMain& w = Open();
  w.edFile->setText("win3");
  w.edComment2->setText("c");
  w.bnStartMeas->click();
  Dialogs.ExpectInformation("cannot be changed while a measurement is running");
  w.spOptionsClick();
  EXPECT_TRUE(w.Recorder->Sampler->IsDemo);
  w.bnStartMeas->click();  // no block yet: nothing to convert, no question
}

TEST_F(MainWindowTest, CommandLineSwitches) {
  Dialogs.ExpectMessage("Logging enabled, level=2");
  TfrmMain& w = Open({"tavrin", "/LOGMEAS=2", "x", "/TEST"});
  EXPECT_EQ(w.Recorder->LogLevel, 2);
  EXPECT_EQ(w.edFile->text(), "xx");
  EXPECT_EQ(w.edComment2->text(), "Comment 2");
  EXPECT_EQ(w.edComment3->text(), "Comment 3");
  Window.reset();
  TfrmMain& other = Open({"tavrin", "/LOGMEAS=a", "/test"});
  EXPECT_EQ(other.Recorder->LogLevel, 0);
  EXPECT_EQ(other.edFile->text(), "");
}

TEST_F(MainWindowTest, ShiftAtStartSkipsTheSettings) {
  QFile ini(GetIniFileName());
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[Options]\nNumChan_Demo=2\n");
  ini.close();
  Keyboard.Shift = true;
  EXPECT_EQ(Open().Recorder->ChannelCount, 4);
  Window.reset();
  Keyboard.Shift = false;
  EXPECT_EQ(Open().Recorder->ChannelCount, 2);
  QFile::remove(GetIniFileName());
}

TEST_F(MainWindowTest, DataDirectoryThatCannotBeMadeDisablesStart) {
  WriteFile("blocker", "a file where a folder should be");
  SetDataDirectory(PathOf("blocker/data"));
  Dialogs.ExpectMessage("Failed to create data directory: " + PathOf("blocker/data") +
                        "\rSTART button has been disabled.");
  TfrmMain& w = Open();
  EXPECT_FALSE(w.bnStartMeas->isEnabled());
  Dialogs.ExpectFolder("Select data directory", Dir.path());
  w.edFileButtonClick();
  EXPECT_TRUE(w.bnStartMeas->isEnabled());
  EXPECT_EQ(GetDataDirectory(), Dir.path());
}

TEST_F(MainWindowTest, Screenshot) {
  const QString target = qEnvironmentVariable("TAVRIN_SCREENSHOT");
  if (target.isEmpty()) GTEST_SKIP() << "set TAVRIN_SCREENSHOT=file.png to take one";
  TfrmMain& w = Open();
  w.edFile->setText("bean12");
  w.edComment2->setText("Myzus persicae on Vicia faba, plant 12");
  w.edRecTime->setText("0.1");
  w.bnStartMeas->click();
  TickDemo(4 * 45);
  w.grab().save(target);
  Dialogs.ExpectConfirm("aborted by user", false);
  w.bnStartMeas->click();
}

TEST_F(MainWindowTest, WindowAndHeadlessRunsLeaveFilesOfTheSameLayout) {
  TfrmMain& w = Open();
  w.edFile->setText("same");
  w.edRecTime->setText("0.0005");
  w.edComment2->setText("layout");
  w.edComment3->setText("check");
  w.bnStartMeas->click();
  ExpectConverter();
  TickDemo(100);
  ASSERT_FALSE(w.Recorder->IsRunning());

  QProcess tavrin;
  tavrin.start(TAVRIN_EXE, {"--record", "same", "--hours", "0.0005", "--comment2", "layout",
                            "--comment3", "check", "--data-dir", PathOf("headless")});
  ASSERT_TRUE(tavrin.waitForFinished(30000));
  ASSERT_EQ(tavrin.exitCode(), 0) << tavrin.readAllStandardError().toStdString();

  const QStringList names = QDir(PathOf("data")).entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(names, QDir(PathOf("headless")).entryList(QDir::Files, QDir::Name));
  EXPECT_EQ(names.size(), 6);  // .aq4, the log and four hour files
  for (const QString& name : names) {
    if (name.endsWith("_log.txt")) continue;
    QFile a(PathOf("data/" + name)), b(PathOf("headless/" + name));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly)) << name.toStdString();
    QStringList la, lb;
    const qint64 ha = ReadFileHeader(a, &la), hb = ReadFileHeader(b, &lb);
    EXPECT_EQ(a.size(), b.size()) << name.toStdString();
    EXPECT_EQ(ha, hb) << name.toStdString();
    EXPECT_EQ(la.mid(1), lb.mid(1)) << name.toStdString();  // line 1 holds the start time
    EXPECT_EQ(la[0].size(), 59);
  }
}
