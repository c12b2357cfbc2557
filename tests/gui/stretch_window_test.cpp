// The inspect window played as a person would, offscreen with scripted dialogs,
// and its hand-over from the main window's Inspect button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

#include "app/kvmain.h"
#include "common/temp_dir.h"
#include "display/detail_chart.h"
#include "display/stretch_window.h"
#include "doubles/fakes.h"
#include "doubles/manual_clock.h"
#include "doubles/scripted_dialogs.h"
#include "files/data_file.h"
#include "platform/errors.h"
#include "platform/registry.h"
#include "support/MyStRegIni.h"

namespace {

// Volts of sample k: a slow wave within -2..2 V.
float Wave(int k) {
  return float(2 * std::sin(k * 0.01));
}

void Store(TRunBuffers& buffers, double rate, int points) {
  buffers.ChannelCount = 4;
  buffers.TimeData.resize(size_t(points) + 100);
  for (int c = 0; c < 4; ++c) buffers.ChannelData[size_t(c)].assign(size_t(points) + 100, 0.0f);
  for (int k = 0; k < points; ++k) {
    buffers.TimeData[size_t(k)] = k / rate;
    buffers.ChannelData[1][size_t(k)] = Wave(k);
  }
  buffers.PointsStored = points;
}

void DeleteClosedWindows() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class InspectWindow : public TTempDirTest {
protected:
  TScriptedDialogs Dialogs;
  TFakeKeyboard Keyboard;
  TSeamOverride<TDialogs> DialogsOverride{&TSeamSet::Dialogs, Dialogs};
  TSeamOverride<TKeyboard> KeyboardOverride{&TSeamSet::Keyboard, Keyboard};
  TRunBuffers Buffers;
  QList<QPointer<TfrmInspect>> Windows;

  void SetUp() override {
    QLocale::setDefault(QLocale::c());
    QFile::remove(GetIniFileName());
  }
  void TearDown() override {
    for (const QPointer<TfrmInspect>& w : Windows) delete w.data();
    DeleteClosedWindows();
    QFile::remove(GetIniFileName());
    QLocale::setDefault(QLocale::c());
  }

  // A shown window with channel 2 of the buffers from..to, drawn once.
  TfrmInspect& Open(const QString& name, double from, double to, double voltMin = -5,
                    double voltMax = 5) {
    auto* w = new TfrmInspect;
    Windows << w;
    w->LoadStretch(name, Buffers, 1, true, from, to, voltMin, voltMax);
    w->show();
    QApplication::processEvents();
    w->ReplotNow();
    return *w;
  }
  static QStringList Lines(const QString& path) {
    const QByteArray bytes = ReadFile(path);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    return QString::fromLatin1(bytes).split("\r\n", Qt::SkipEmptyParts);
  }
};

TEST_F(InspectWindow, StartsWithTheDesignedControls) {
  TfrmInspect& w = Open("x", 0, 0);
  EXPECT_EQ(w.objectName(), "frmInspect");
  EXPECT_EQ(w.windowTitle(), "Inspect: x");
  EXPECT_TRUE(w.testAttribute(Qt::WA_DeleteOnClose));
  const std::vector<std::pair<QToolButton*, QString>> hints = {
      {w.bnCopy, "Copy to clipboard"}, {w.bnSave, "Save as .txt file (ASCII)"},
      {w.bnClose, "Close window"},     {w.bnZoomInX, "Zoom in"},
      {w.bnZoomOutX, "Zoom out"},      {w.bnAutoScaleX, "Auto-scale"},
      {w.bnZoomInY, "Zoom in"},        {w.bnZoomOutY, "Zoom out"},
      {w.bnAutoScaleY, "Auto-scale"},
  };
  for (const auto& [button, hint] : hints) EXPECT_EQ(button->toolTip(), hint);
  EXPECT_EQ(w.bnCopy->menu(), w.puCopy);
  EXPECT_EQ(w.miCopyasEnhancedMetaFileEMF1->text(), "Copy as SVG (vector)");
  EXPECT_EQ(w.miCopyasBMP1->text(), "Copy as BMP");
  EXPECT_EQ(w.miCopyasPNG1->text(), "Save as PNG");
  EXPECT_EQ(w.spInfo->text(), "");
  EXPECT_GE(w.spPoints->width(), 188);
  EXPECT_EQ(w.BottomAxisRange().Min, 0);
  EXPECT_EQ(w.BottomAxisRange().Max, 30);
  EXPECT_EQ(w.LeftAxisRange().Min, -5);
  EXPECT_EQ(w.LeftAxisRange().Max, 5);
  // An empty source leaves the window empty, with its caption.
  EXPECT_EQ(w.Points().Count(), 0);
  EXPECT_EQ(w.ChartTitle(), "");
  EXPECT_EQ(w.spPoints->text(), "Visble=0, total=0 points");
  // The up-down controls lie centred on the chart's left and bottom edges.
  const QWidget* chart = w.udX->parentWidget();
  EXPECT_EQ(w.udY->geometry(), QRect(0, chart->height() / 2 - 18, 22, 37));
  EXPECT_EQ(w.udX->geometry(), QRect(chart->width() / 2 - 18, chart->height() - 19, 37, 17));
}

TEST_F(InspectWindow, CopiesExactlyTheStretch) {
  struct TCase {
    int Points;  // stored at 100 Hz
    double From, To;
    int First, Count;
  };
  // 40 s into a run: 0..40; 200 s into it: 110..200.
  for (const TCase& c :
       std::vector<TCase>{{4001, 0, 40, 0, 4001}, {20001, 110, 200, 11000, 9001}}) {
    Store(Buffers, 100, c.Points);
    TfrmInspect& w = Open("run_0_10.aq4", c.From, c.To);
    const TInspectPoints& p = w.Points();
    ASSERT_EQ(p.Count(), c.Count);
    for (int i = 0; i < p.Count(); ++i) {
      ASSERT_EQ(p.X[size_t(i)], Buffers.TimeData[size_t(c.First + i)]);
      ASSERT_EQ(p.Y[size_t(i)], double(Buffers.ChannelData[1][size_t(c.First + i)]));
    }
    EXPECT_EQ(p.X.front(), c.From);
    EXPECT_EQ(p.X.back(), c.To);
    EXPECT_EQ(w.SeriesPointCount(), c.Count);
    EXPECT_TRUE(w.DrawsAllPoints());
    EXPECT_EQ(w.ChartTitle(), "run_0_10.aq4");
    EXPECT_EQ(w.BottomAxisRange().Min, c.From);
    EXPECT_EQ(w.BottomAxisRange().Max, c.To);
    EXPECT_EQ(w.spPoints->text(), PointsPaneText(c.Count, c.Count));
  }
}

TEST_F(InspectWindow, LeftAxisIsFixedOrFitsTheDataWhenBothLimitsAreZero) {
  Store(Buffers, 100, 9001);
  TfrmInspect& fixed = Open("a", 0, 90, -6.144, 6.144);
  EXPECT_EQ(fixed.LeftAxisRange().Min, -6.144);
  EXPECT_EQ(fixed.LeftAxisRange().Max, 6.144);
  TfrmInspect& automatic = Open("b", 0, 90, 0, 0);
  const auto [lo, hi] =
      std::minmax_element(automatic.Points().Y.begin(), automatic.Points().Y.end());
  EXPECT_DOUBLE_EQ(automatic.LeftAxisRange().Min, *lo);
  EXPECT_DOUBLE_EQ(automatic.LeftAxisRange().Max, *hi);
}

TEST_F(InspectWindow, ZoomButtonsAndAutoScale) {
  Store(Buffers, 100, 9001);
  TfrmInspect& w = Open("z", 0, 90);
  w.SetBottomAxisRange({0, 30});
  w.bnZoomInX->click();
  EXPECT_NEAR(w.BottomAxisRange().Min, 3, 1e-9);
  EXPECT_NEAR(w.BottomAxisRange().Max, 27, 1e-9);
  w.bnZoomInX->click();
  EXPECT_NEAR(w.BottomAxisRange().Min, 5.4, 1e-9);
  EXPECT_NEAR(w.BottomAxisRange().Max, 24.6, 1e-9);
  w.ReplotNow();
  EXPECT_NEAR(w.Visible().Count, 1921, 1);  // 5.4 .. 24.6 s at 100 Hz
  EXPECT_EQ(w.spPoints->text(), PointsPaneText(w.Visible().Count, 9001));
  w.bnAutoScaleX->click();
  EXPECT_EQ(w.BottomAxisRange().Min, 0);
  EXPECT_EQ(w.BottomAxisRange().Max, 90);
  w.SetBottomAxisRange({0, 30});
  w.bnZoomOutX->click();
  EXPECT_NEAR(w.BottomAxisRange().Min, -3, 1e-9);
  EXPECT_NEAR(w.BottomAxisRange().Max, 33, 1e-9);

  w.bnZoomInY->click();
  EXPECT_NEAR(w.LeftAxisRange().Min, -4, 1e-9);
  EXPECT_NEAR(w.LeftAxisRange().Max, 4, 1e-9);
  w.bnZoomOutY->click();
  EXPECT_NEAR(w.LeftAxisRange().Min, -4.8, 1e-9);
  EXPECT_NEAR(w.LeftAxisRange().Max, 4.8, 1e-9);
  w.bnAutoScaleY->click();
  EXPECT_NEAR(w.LeftAxisRange().Min, -2, 1e-3);
  EXPECT_NEAR(w.LeftAxisRange().Max, 2, 1e-3);
}

TEST_F(InspectWindow, UpDownClicksScrollByTheDrawnIncrement) {
  Store(Buffers, 100, 9001);
  TfrmInspect& w = Open("s", 0, 90);
  w.SetBottomAxisRange({12, 42});
  w.ReplotNow();
  const double dx = w.XIncrement();
  ASSERT_GT(dx, 0);
  EXPECT_EQ(std::fmod(dx, 1), 0) << "whole multiples of the 1 s step";
  w.udX->Down->click();
  EXPECT_DOUBLE_EQ(w.BottomAxisRange().Min, 12 - dx);
  EXPECT_DOUBLE_EQ(w.BottomAxisRange().Max, 42 - dx);
  w.udX->Up->click();
  EXPECT_DOUBLE_EQ(w.BottomAxisRange().Min, 12);
  Keyboard.Shift = true;
  w.udX->Down->click();  // towards 0 with Shift: the axis starts at 0
  EXPECT_DOUBLE_EQ(w.BottomAxisRange().Min, 0);
  EXPECT_DOUBLE_EQ(w.BottomAxisRange().Max, 30);

  const double dy = w.YIncrement();
  ASSERT_GT(dy, 0);
  w.udY->Up->click();  // Shift has no effect on the left axis
  EXPECT_DOUBLE_EQ(w.LeftAxisRange().Min, -5 + dy);
  EXPECT_DOUBLE_EQ(w.LeftAxisRange().Max, 5 + dy);
  w.udY->Down->click();
  w.udY->Down->click();
  EXPECT_DOUBLE_EQ(w.LeftAxisRange().Min, -5 - dy);
}

TEST_F(InspectWindow, TextExportOfTheVisiblePoints) {
  struct TCase {
    QLocale::Language Language;
    const char* Second;  // the line of index 1001
  };
  for (const TCase& c :
       std::vector<TCase>{{QLocale::C, "1001;10.01;"}, {QLocale::German, "1001;10,01;"}}) {
    QLocale::setDefault(QLocale(c.Language));
    Store(Buffers, 100, 9001);
    TfrmInspect& w = Open(PathOf("test_290_300.aq4"), 0, 90);
    w.bnSave->click();
    const QString all = PathOf("test_290_300_0_9001.txt");
    EXPECT_EQ(w.spInfo->text(), "Data saved to " + QDir::toNativeSeparators(all));
    QStringList lines = Lines(all);
    ASSERT_EQ(lines.size(), 9001);
    EXPECT_EQ(lines[0], "0;0;0");
    EXPECT_EQ(lines[9000].section(';', 0, 1), "9000;90");

    w.SetBottomAxisRange({10, 20});
    w.bnSave->click();
    lines = Lines(PathOf("test_290_300_1000_2001.txt"));
    ASSERT_EQ(lines.size(), 1001);
    EXPECT_TRUE(lines[1].startsWith(c.Second)) << lines[1].toStdString();
    const QStringList fields = lines[1].split(';');
    ASSERT_EQ(fields.size(), 3);
    bool ok = false;
    EXPECT_FLOAT_EQ(float(QLocale().toDouble(fields[2], &ok)), Wave(1001));
    EXPECT_TRUE(ok);
  }
}

TEST_F(InspectWindow, MoreThan65536PointsAskFirst) {
  Store(Buffers, 100, 70000);
  TfrmInspect& w = Open(PathOf("big_0_10.aq4"), 0, 700);
  const QString file = PathOf("big_0_10_0_70000.txt");
  Dialogs.ExpectConfirm("Currently selected number of points: 70000\r", false);
  w.bnSaveClick();
  EXPECT_FALSE(QFileInfo::exists(file));
  EXPECT_EQ(w.spInfo->text(), "");
  Dialogs.ExpectConfirm("Continue with export anyway?", true);
  w.bnSaveClick();
  EXPECT_EQ(Lines(file).size(), 70000);
  // 65536 points go out without a question.
  w.SetBottomAxisRange({0, 655.35});
  w.bnSaveClick();
  EXPECT_EQ(Lines(PathOf("big_0_10_0_65536.txt")).size(), 65536);
  Dialogs.VerifyDone();
}

TEST_F(InspectWindow, ExportFailureIsRaisedNotReportedAsSaved) {
  Store(Buffers, 100, 101);
  TfrmInspect& w = Open(PathOf("missing/run.aq4"), 0, 1);
  EXPECT_THROW(w.bnSaveClick(), TError);
  EXPECT_THROW(w.miCopyasPNG1Click(), TError);
  EXPECT_EQ(w.spInfo->text(), "");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is restored";
}

TEST_F(InspectWindow, PngAndBitmapOfTheChartAtItsSize) {
  Store(Buffers, 100, 9001);
  TfrmInspect& w = Open(PathOf("pic_0_10.aq4"), 0, 90);
  const QWidget* chart = w.udX->parentWidget();
  QFile::remove(PathOf("pic_0_10.png"));
  w.miCopyasPNG1->trigger();
  EXPECT_EQ(w.spInfo->text(), "Chart saved as " + PathOf("pic_0_10.png"));
  const QImage png(PathOf("pic_0_10.png"));
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.size(), chart->size());
  // The trace is in the picture: far more black than on an empty chart of the same size.
  auto black = [](const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == Qt::black;
    return n;
  };
  TfrmInspect& empty = Open(PathOf("empty.aq4"), 0, 90);
  empty.LoadStretch(PathOf("empty.aq4"), TRunBuffers(), 1, true, 0, 90, -5, 5);
  empty.resize(w.size());
  QApplication::processEvents();
  empty.miCopyasPNG1Click();
  EXPECT_GT(black(png), black(QImage(PathOf("empty.png"))) + 1000);

  w.miCopyasBMP1->trigger();
  EXPECT_EQ(w.spInfo->text(), "Chart copied to clipboard (BMP)");
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), chart->size());
}

TEST_F(InspectWindow, VectorCopyThinsDenseSeriesAndRestoresThem) {
  struct TCase {
    int Points;
    int Drawn;
  };
  for (const TCase& c : std::vector<TCase>{{60000, 1200}, {60050, 1200}, {9001, 9001}}) {
    Store(Buffers, 100, c.Points);
    TfrmInspect& w = Open("vec_0_10.aq4", 0, 700);
    ASSERT_LE(w.udX->parentWidget()->width(), 758);
    w.miCopyasEnhancedMetaFileEMF1->trigger();
    EXPECT_EQ(w.LastCopyPointCount(), c.Drawn) << c.Points;
    EXPECT_EQ(w.SeriesPointCount(), c.Points) << "all points are shown again";
    EXPECT_EQ(w.spInfo->text(), "Chart copied to clipboard (SVG)");
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime && mime->hasFormat("image/svg+xml"));
    const QByteArray svg = mime->data("image/svg+xml");
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("<title>vec_0_10.aq4</title>"));
    EXPECT_TRUE(svg.contains("Tavrin+a v01.30 (13-04-2016)"));
  }
}

TEST_F(InspectWindow, PlacementIsSavedUnderFrmInspectWhenClosed) {
  Store(Buffers, 100, 101);
  QPointer<TfrmInspect> w = &Open("p", 0, 1);
  w->resize(700, 500);
  w->move(40, 50);
  QApplication::processEvents();
  const QRect frame(w->pos(), w->size());
  w->bnClose->click();
  DeleteClosedWindows();
  EXPECT_TRUE(w.isNull()) << "closing frees the window";
  TStRegIni ini(GetIniFileName());
  ini.SetCurrentSection("frmInspect");
  EXPECT_EQ(ini.ReadInteger("WinLeft", -1), frame.x());
  EXPECT_EQ(ini.ReadInteger("WinTop", -1), frame.y());
  EXPECT_EQ(ini.ReadInteger("WinWidth", -1), 700);
  EXPECT_EQ(ini.ReadInteger("WinHeight", -1), 500);
  // The next one opens there.
  TfrmInspect& next = Open("q", 0, 1);
  EXPECT_EQ(next.size(), QSize(700, 500));
  EXPECT_EQ(next.pos(), frame.topLeft());
}

TEST_F(InspectWindow, TwoWindowsAtOnceAreIndependent) {
  Store(Buffers, 100, 20001);
  TfrmInspect& first = Open("one", 110, 200);
  QPointer<TfrmInspect> second = &Open("two", 0, 90);
  EXPECT_TRUE(first.isVisible());
  EXPECT_TRUE(second->isVisible());
  second->bnZoomInX->click();
  EXPECT_EQ(first.BottomAxisRange().Min, 110);
  EXPECT_EQ(first.BottomAxisRange().Max, 200);
  second->close();
  DeleteClosedWindows();
  EXPECT_TRUE(second.isNull());
  EXPECT_TRUE(first.isVisible());
  EXPECT_EQ(first.Points().Count(), 9001);
}

// The main window's Inspect button.
class InspectButton : public TTempDirTest {
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
    QDir::setCurrent(Dir.path());
    SetDataDirectory(PathOf("data"));
    Window = std::make_unique<TfrmMain>(QStringList{"tavrin"});
    Window->resize(1200, 800);
    Window->show();
    Window->FormActivate();
  }
  void TearDown() override {
    Window.reset();
    DeleteClosedWindows();
    SetDataDirectory(SavedDirectory);
    QDir::setCurrent(SavedCurrent);
  }
  QList<TfrmInspect*> InspectWindows() const { return Window->findChildren<TfrmInspect*>(); }
};

TEST_F(InspectButton, NothingBeforeAnyData) {
  EXPECT_TRUE(Window->bnInspect->isEnabled());
  Window->bnInspect->click();
  EXPECT_TRUE(InspectWindows().isEmpty());
}

TEST_F(InspectButton, HandsTheLast90SecondsToANewWindow) {
  struct TCase {
    int Points;  // at 100 Hz
    double AxisMin, AxisMax;
    double From, To;
    QString Name;
  };
  const std::vector<TCase> cases = {
      {4001, 30, 40, 0, 40, "test_30_40.aq4"},
      {20001, 190, 200, 110, 200, "test_190_200.aq4"},
  };
  TfrmMain& w = *Window;
  w.Recorder->DataFileName = PathOf("data/test.aq4");
  for (const TCase& c : cases) {
    Store(*w.Recorder, 100, c.Points);
    w.Chart1->SelectDetailChannel(1);
    w.Chart1->RunStarting(-5, 5);
    w.Chart1->SetBottomAxisRange(c.AxisMin, c.AxisMax);
    const int before = int(InspectWindows().size());
    w.bnInspect->click();
    ASSERT_EQ(InspectWindows().size(), before + 1) << "one more window each time";
    TfrmInspect* inspect = InspectWindows().last();
    EXPECT_TRUE(inspect->isVisible());
    EXPECT_TRUE(inspect->isWindow());
    EXPECT_EQ(inspect->InspectName(), PathOf("data/") + c.Name);
    EXPECT_EQ(inspect->BottomAxisRange().Min, c.From);
    EXPECT_EQ(inspect->BottomAxisRange().Max, c.To);
    EXPECT_EQ(inspect->LeftAxisRange().Min, -5);
    EXPECT_EQ(inspect->LeftAxisRange().Max, 5);
    EXPECT_TRUE(inspect->DrawsAllPoints());
    const TInspectPoints& p = inspect->Points();
    ASSERT_EQ(p.Count(), int(std::lround((c.To - c.From) * 100)) + 1);
    EXPECT_EQ(p.X.front(), c.From);
    EXPECT_EQ(p.X.back(), c.To);
    const int first = int(std::lround(c.From * 100));
    EXPECT_EQ(p.Y.front(), double(w.Recorder->ChannelData[1][size_t(first)]));
  }
  EXPECT_EQ(InspectWindows().size(), 2);
}

}  // namespace
