// The main window's data file loader, driven as a person would: the open
// dialog, the questions, the charts and the converter, with scripted dialogs.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtEndian>

#include "app/kvmain.h"
#include "common/temp_dir.h"
#include "display/channel_strips.h"
#include "display/detail_chart.h"
#include "doubles/fakes.h"
#include "doubles/manual_clock.h"
#include "doubles/scripted_dialogs.h"
#include "files/data_file.h"
#include "files/hour_converter.h"
#include "files/kvconvert.h"
#include "platform/registry.h"

namespace {

const char* const OpenTitle = "Open existing primary data acquisition file";
const QString Line1 = "ZQR: 05-07-2010 14:12:54/rec.time= 0.28/smpl.frq= 100.000Hz";

QByteArray LittleEndianBytes(const std::vector<float>& values) {
  QByteArray bytes(qsizetype(values.size()) * 4, Qt::Uninitialized);
  if (!values.empty())
    qToLittleEndian<float>(values.data(), qsizetype(values.size()), bytes.data());
  return bytes;
}

// Frame f, channel k -> f * 10 + k.
QByteArray FrameBytes(int frames, int channels) {
  std::vector<float> values;
  for (int f = 0; f < frames; ++f)
    for (int k = 0; k < channels; ++k) values.push_back(float(f * 10 + k));
  return LittleEndianBytes(values);
}

QByteArray HeaderBytes(const QStringList& lines) {
  QByteArray bytes;
  for (const QString& line : lines) bytes += line.toLatin1() + "\r\n";
  return bytes;
}

class DataLoaderWindowTest : public TTempDirTest {
protected:
  TManualClock Clock;
  TScriptedDialogs Dialogs;
  TFixedSystemFacts System;
  TFakeProcesses Processes;
  TFakeKeyboard Keyboard;
  TFixtureRegistry Registry;  // no devices: the demo device, 4 channels
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
    QDir::setCurrent(Dir.path());
    SetDataDirectory(PathOf("data"));
    Window = std::make_unique<TfrmMain>(QStringList{"tavrin"});
    Window->resize(1200, 800);
    Window->show();
    Window->FormActivate();
  }
  void TearDown() override {
    Window.reset();
    SetDataDirectory(SavedDirectory);
    QDir::setCurrent(SavedCurrent);
  }
  TfrmMain& W() { return *Window; }
  TRecorder& Rec() { return *Window->Recorder; }

  // The converter in its loader use, left with Cancel and a Yes to the question.
  void ExpectConverterCancelled() {
    Dialogs.ExpectModal("File Format Converter", [](QDialog& d) {
      auto& converter = dynamic_cast<TfrmConvert&>(d);
      EXPECT_TRUE(converter.pnEditComm->isVisibleTo(&converter));
      converter.bnClose->click();
      return int(QDialog::Rejected);
    });
    Dialogs.ExpectConfirm("Conversion not yet done. You want to quit anyway?", true);
  }
  // The converter with comments 2 and 3 typed (unless null), Convert and Close.
  void ExpectConverterConverts(const QString& comment2 = {}, const QString& comment3 = {}) {
    Dialogs.ExpectModal("File Format Converter", [=](QDialog& d) {
      auto& converter = dynamic_cast<TfrmConvert&>(d);
      if (!comment2.isNull()) converter.edComment2->setText(comment2);
      if (!comment3.isNull()) converter.edComment3->setText(comment3);
      converter.bnConvert->click();
      EXPECT_TRUE(converter.ConversionDone());
      converter.bnClose->click();
      return int(QDialog::Accepted);
    });
  }
  // The text of the last loading question shown.
  std::string LastConfirmation() const {
    for (auto it = Dialogs.Shown().rbegin(); it != Dialogs.Shown().rend(); ++it)
      if (it->Kind == TScriptedDialogs::TKind::Confirm && it->Text.contains("Continue loading"))
        return it->Text.toStdString();
    return {};
  }
  void TickDemo(int ticks) {
    for (int i = 0; i < ticks && Rec().IsRunning(); ++i) {
      Clock.Advance(250);
      Rec().demoTimerTimer();
    }
  }
  static QStringList HeaderOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QStringList lines;
    ReadFileHeader(file, &lines);
    return lines;
  }
};

}  // namespace

TEST_F(DataLoaderWindowTest, FourChannelFileFillsTheWindowAndTheCharts) {
  const QStringList header = {Line1, QString(67, 'b'), QString(68, 'c')};
  ASSERT_EQ(HeaderBytes(header).size(), 200);
  const QString path = WriteFile("bean12.aq4", HeaderBytes(header) + FrameBytes(100000, 4));
  Rec().StripStart = 3000;  // as a long run leaves it
  Rec().StripEnd = 3600;

  Dialogs.ExpectOpenFile(OpenTitle, path);
  Dialogs.ExpectConfirm("Continue loading the file?", true);
  ExpectConverterCancelled();
  W().edFileAltBtn->click();

  EXPECT_EQ(Dialogs.LastOpenFile.Filter,
            "aq2 (2 channels) (*.aq2);;aq4 (4 channels) (*.aq4);;aq8 (8 channels) (*.aq8);;"
            "acq (old style 4/8 channels) (*.acq)");
  EXPECT_EQ(Dialogs.LastOpenFile.SelectedFilter, "aq4 (4 channels) (*.aq4)");
  EXPECT_EQ(Dialogs.LastOpenFile.Folder, GetDataDirectory());
  EXPECT_EQ(LastConfirmation(), ("File: " + path +
                                 "\rChannels: 4\rRecording time: 0.28 hours\r"
                                 "Samples per channel: 100000\rComment #1: " +
                                 Line1 +
                                 "\r \rBytes in file: 1600200\rBytes in header: 200\r \r"
                                 "Continue loading the file?")
                                    .toStdString());
  EXPECT_EQ(W().edFile->text(), "bean12");
  EXPECT_EQ(W().edRecTime->text(), "0.2778");
  EXPECT_EQ(W().edRecTimeHMS->text(), "0:16:40");
  EXPECT_EQ(W().edComment1->text(), Line1);
  EXPECT_EQ(W().edComment2->text(), header[1]);
  EXPECT_EQ(W().edComment3->text(), header[2]);
  EXPECT_EQ(W().spInfo->text(), "Read 100000 samples/chan");
  EXPECT_EQ(Rec().ChannelCount, 4);
  EXPECT_EQ(Rec().RecSeconds, 1000);
  EXPECT_EQ(Rec().PointsRequested, 100000);
  EXPECT_EQ(Rec().PointsStored, 100000);
  EXPECT_EQ(Rec().ChannelData[0].size(), 100100u);
  EXPECT_EQ(Rec().ChannelData[3][99999], 999993.0f);
  EXPECT_EQ(Rec().TimeData[99999], 99999 * 0.01);
  EXPECT_EQ(Rec().StripStart, 0);
  EXPECT_EQ(Rec().StripEnd, 600);
  EXPECT_EQ(Rec().DetailChannel, 0);
  EXPECT_TRUE(W().Chart1->HasPoints());
  EXPECT_FALSE(W().pnCharts->FindStripBox(1)->CanvasStale);
  // Cancelled in the converter: the comments stay those of the file.
  EXPECT_EQ(W().edComment2->text(), header[1]);

  // The next dialog opens in that file's folder; Shift on the folder button opens it too.
  Keyboard.Shift = true;
  Dialogs.ExpectOpenFile(OpenTitle, "");
  W().edFileButton->click();
  EXPECT_EQ(Dialogs.LastOpenFile.Folder, Dir.path());
}

struct TOldStyleCase {
  std::optional<QString> Answer;
  const char* Message;  // shown instead of loading; null: none
  int Channels;         // loaded; 0: the loader ends
};

TEST_F(DataLoaderWindowTest, OldStyleFileAsksForTheChannelCount) {
  const QString path =
      WriteFile("old.acq", HeaderBytes({"old", "style", "file"}) + FrameBytes(300, 8));
  const std::vector<TOldStyleCase> cases = {
      {"8", nullptr, 8},
      {" 2 ", nullptr, 2},
      {"abc", nullptr, 0},
      {"0", nullptr, 0},
      {"-3", nullptr, 0},
      {std::nullopt, nullptr, 0},
      {"9", "An old-style file can hold at most 8 channels.", 0},
  };
  for (const TOldStyleCase& c : cases) {
    const std::string what = c.Answer.value_or("(cancelled)").toStdString();
    W().edFile->setText("before");
    Rec().ChannelCount = 4;
    Dialogs.ExpectOpenFile(OpenTitle, path);
    Dialogs.ExpectInput("Old style datafile\nEnter number of channels", c.Answer);
    if (c.Message) Dialogs.ExpectMessage(c.Message);
    if (c.Channels > 0) {
      Dialogs.ExpectConfirm("Continue loading the file?", true);
      ExpectConverterCancelled();
    }
    W().edFileAltBtnClick();
    EXPECT_TRUE(Dialogs.Done()) << what;
    if (c.Channels == 0) {
      EXPECT_EQ(W().edFile->text(), "before") << what;
      EXPECT_EQ(Rec().ChannelCount, 4) << what;
      continue;
    }
    EXPECT_NE(LastConfirmation().find("\rChannels: " + std::to_string(c.Channels) + "\r"),
              std::string::npos)
        << what;
    EXPECT_EQ(Rec().ChannelCount, c.Channels) << what;
    EXPECT_EQ(Rec().PointsStored, 300 * 8 / c.Channels) << what;
    EXPECT_TRUE(W().pnCharts->FindStripBox(c.Channels)) << what;
    EXPECT_FALSE(W().pnCharts->FindStripBox(c.Channels + 1)) << what;
    if (c.Channels == 8) {
      EXPECT_EQ(Rec().ChannelData[7][299], 2997.0f);
    }
  }
}

TEST_F(DataLoaderWindowTest, OddSampleAreaIsResynchronisedAfterAMessage) {
  const QString path =
      WriteFile("odd.aq2", HeaderBytes({"a", "b", "c"}) + "\x11\x22" + FrameBytes(1000, 2));
  Dialogs.ExpectOpenFile(OpenTitle, path);
  Dialogs.ExpectConfirm("Continue loading the file?", true);
  Dialogs.ExpectMessage(
      "Bad file size, not an integer number of samples, rest=2.\r"
      "Data will be re-synched and set to 0 as necessary.");
  ExpectConverterCancelled();
  W().LoadDataFile();
  EXPECT_EQ(Rec().PointsStored, 1000);
  EXPECT_EQ(Rec().ChannelData[0][0], 0.0f);
  EXPECT_EQ(Rec().ChannelData[1][0], 0.0f);  // the file's first value
  EXPECT_EQ(Rec().ChannelData[0][1], 1.0f);
}

TEST_F(DataLoaderWindowTest, NoAtTheQuestionKeepsTheFieldsAndTheBuffers) {
  const QString path =
      WriteFile("kept.aq8", HeaderBytes({Line1, "kept 2", "kept 3"}) + FrameBytes(36000, 8));
  Dialogs.ExpectOpenFile(OpenTitle, path);
  Dialogs.ExpectConfirm("Continue loading the file?", false);
  W().LoadDataFile();
  EXPECT_EQ(W().edFile->text(), "kept");
  EXPECT_EQ(W().edRecTime->text(), "0.1000");
  EXPECT_EQ(W().edRecTimeHMS->text(), "0:06:00");
  EXPECT_EQ(W().edComment2->text(), "kept 2");
  EXPECT_EQ(W().edComment3->text(), "kept 3");
  EXPECT_EQ(Rec().PointsStored, 0);
  EXPECT_TRUE(Rec().ChannelData[7].empty());

  // START then records the device's 4 channels under its own extension.
  W().edRecTime->setText("0.001");
  W().bnStartMeas->click();
  ASSERT_TRUE(Rec().IsRunning());
  EXPECT_EQ(Rec().ChannelCount, 4);
  EXPECT_EQ(Rec().DataFileName, PathOf("data/kept.aq4"));
  EXPECT_TRUE(W().pnCharts->FindStripBox(4));
  EXPECT_FALSE(W().pnCharts->FindStripBox(5));
  // During the run the loader cannot start.
  EXPECT_FALSE(W().edFileAltBtn->isEnabled());
  W().LoadDataFile();  // no dialog: the strict dialogs would fail the test
  W().bnStartMeas->click();
}

TEST_F(DataLoaderWindowTest, MissingAndUnreadableFiles) {
  Dialogs.ExpectOpenFile(OpenTitle, "");
  W().LoadDataFile();  // cancelled: nothing
  Dialogs.ExpectOpenFile(OpenTitle, PathOf("gone.aq4"));
  Dialogs.ExpectMessage("File does not exist: " + PathOf("gone.aq4"));
  W().LoadDataFile();
  ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.aq4"));
  Dialogs.ExpectOpenFile(OpenTitle, PathOf("folder.aq4"));
  Dialogs.ExpectMessage("Error reading file (at 0): ");
  W().LoadDataFile();
  EXPECT_EQ(Rec().PointsStored, 0);
}

TEST_F(DataLoaderWindowTest, FilesWithoutSamples) {
  struct TCase {
    QByteArray Bytes;
    QStringList Comments;  // the window's comment fields afterwards
    QString ConverterLine3;
  };
  const std::vector<TCase> cases = {
      {"", {"", "", ""}, " "},
      {"one\r\ntwo\r\n", {"one", "two", ""}, " "},
      {"no line end at all", {"", "", ""}, " "},
      {"x\r\n\r\ny & z\r\n", {"x", "-", "y & z"}, "y & z"},
  };
  for (const TCase& c : cases) {
    const QString path = WriteFile("empty.aq4", c.Bytes);
    Dialogs.ExpectOpenFile(OpenTitle, path);
    Dialogs.ExpectConfirm("Samples per channel: 0\r", true);
    Dialogs.ExpectModal("File Format Converter", [&](QDialog& d) {
      auto& converter = dynamic_cast<TfrmConvert&>(d);
      EXPECT_EQ(converter.edComment3->text(), c.ConverterLine3);
      converter.bnClose->click();
      return int(QDialog::Rejected);
    });
    Dialogs.ExpectConfirm("Conversion not yet done", true);
    W().LoadDataFile();
    EXPECT_TRUE(Dialogs.Done());
    EXPECT_EQ(W().edComment1->text(), c.Comments[0]);
    EXPECT_EQ(W().edComment2->text(), c.Comments[1]);
    EXPECT_EQ(W().edComment3->text(), c.Comments[2]);
    EXPECT_EQ(Rec().PointsStored, 0);
    EXPECT_EQ(W().spInfo->text(), "Read 0 samples/chan");
  }
}

// Comments edited in the converter head every hour-based file and come back
// to the window; an "&" stays single all the way.
TEST_F(DataLoaderWindowTest, ConverterRoundTripWithEditedComments) {
  Rec().SampleRate = 10;  // 1.5 hours in 54000 frames: two hour files per channel
  const QString path =
      WriteFile("trip.aq4", HeaderBytes({Line1, "plant 1 & 2", "old 3"}) + FrameBytes(54000, 4));
  Dialogs.ExpectOpenFile(OpenTitle, path);
  Dialogs.ExpectConfirm("Recording time: 1.50 hours", true);
  Dialogs.ExpectModal("File Format Converter", [](QDialog& d) {
    auto& converter = dynamic_cast<TfrmConvert&>(d);
    EXPECT_EQ(converter.edComment2->text(), "plant 1 & 2");
    converter.edComment3->setText("edited & three");
    converter.bnConvert->click();
    converter.bnClose->click();
    return int(QDialog::Accepted);
  });
  W().LoadDataFile();
  EXPECT_EQ(W().edComment2->text(), "plant 1 & 2");
  EXPECT_EQ(W().edComment3->text(), "edited & three");
  for (int c = 0; c < 4; ++c)
    for (int hour = 1; hour <= 2; ++hour) {
      const QString hourFile = HourFileName(path, c, hour);
      const QByteArray bytes = ReadFile(hourFile);
      EXPECT_TRUE(bytes.startsWith(HeaderBytes({Line1, "plant 1 & 2", "edited & three"})))
          << hourFile.toStdString();
    }
  EXPECT_FALSE(QFileInfo::exists(HourFileName(path, 0, 3)));
}

// A recording made by the program, loaded and converted again, gives the same
// hour-based files as the conversion right after the run.
TEST_F(DataLoaderWindowTest, ReconvertingARecordingGivesTheSameHourFiles) {
  W().edFile->setText("again");
  W().edRecTime->setText("0.01");
  W().edComment2->setText("Myzus persicae, plant 7");
  W().edComment3->setText("second cage");
  W().bnStartMeas->click();
  ASSERT_TRUE(Rec().IsRunning());
  Dialogs.ExpectModal("File Format Converter", [](QDialog& d) {
    d.findChild<QPushButton*>("bnClose")->click();
    return int(QDialog::Rejected);
  });
  TickDemo(1000);
  ASSERT_FALSE(Rec().IsRunning());
  const QString recording = PathOf("data/again.aq4");
  QStringList names;
  for (int c = 0; c < 4; ++c) names << QFileInfo(HourFileName(recording, c, 1)).fileName();
  ASSERT_TRUE(QDir(Dir.path()).mkdir("first"));
  for (const QString& name : names)
    ASSERT_TRUE(QFile::rename(PathOf("data/" + name), PathOf("first/" + name)));

  Dialogs.ExpectOpenFile(OpenTitle, recording);
  Dialogs.ExpectConfirm("Samples per channel: 3600\r", true);
  ExpectConverterConverts();
  W().edFileAltBtn->click();
  EXPECT_EQ(Rec().PointsStored, 3600);
  for (const QString& name : names) {
    const QByteArray first = ReadFile(PathOf("first/" + name));
    EXPECT_GT(first.size(), 3600 * 4);
    EXPECT_EQ(ReadFile(PathOf("data/" + name)), first) << name.toStdString();
  }
  EXPECT_EQ(W().edComment2->text(), "Myzus persicae, plant 7");
  EXPECT_EQ(W().edComment3->text(), "second cage");
}
