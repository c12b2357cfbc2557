// The inspect window's exports of long stretches: the text export of 70,000
// visible points (written to a temporary folder) and the vector copy of
// 60,000 points, thinned to 1,200 before drawing, on a chart 758 pixels wide.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <cmath>

#include "acq/run_buffers.h"
#include "display/stretch_window.h"
#include "platform/console_dialogs.h"
#include "platform/seams.h"

namespace {

// A 100 Hz recording of a 6 Hz wave on channel 1.
TRunBuffers Recording(int points) {
  TRunBuffers b;
  b.ChannelCount = 2;
  b.TimeData.resize(size_t(points));
  b.ChannelData[0].resize(size_t(points));
  for (int k = 0; k < points; ++k) {
    b.TimeData[size_t(k)] = k / 100.0;
    b.ChannelData[0][size_t(k)] = float(2 * std::sin(2 * M_PI * 6 * k / 100.0) + 0.001 * k);
  }
  b.PointsStored = points;
  return b;
}

// The window as the user sees it: shown, drawn once, every point in view.
struct TShownInspect {
  TfrmInspect Window;
  TShownInspect(const QString& name, int points) {
    const TRunBuffers b = Recording(points);
    Window.LoadStretch(name, b, 0, true, 0, points / 100.0, -5, 5);
    Window.show();
    QApplication::processEvents();
    Window.ReplotNow();
  }
};

void TextExport70000(benchmark::State& state) {
  QTemporaryDir dir;
  // The export question is answered Yes, as a person going on would.
  int questions = 0;
  TConsoleDialogs dialogs;
  dialogs.Answer = [&questions](const QString&) { return ++questions > 0; };
  TSeamOverride<TDialogs> o(&TSeamSet::Dialogs, dialogs);
  TShownInspect shown(dir.filePath("bench_0_700.aq4"), 70000);
  for (auto _ : state) shown.Window.bnSaveClick();
  const QFileInfo file(dir.filePath("bench_0_700_0_70000.txt"));
  state.counters["points"] = shown.Window.Visible().Count;
  state.counters["file_bytes"] = double(file.size());
  state.counters["MB"] = benchmark::Counter(double(file.size()) * double(state.iterations()) / 1e6,
                                            benchmark::Counter::kIsRate);
  if (questions != int(state.iterations())) state.SkipWithError("no export question");
}
BENCHMARK(TextExport70000)->Unit(benchmark::kMillisecond);

void VectorCopy60000(benchmark::State& state) {
  TShownInspect shown("bench_0_600.aq4", 60000);
  shown.Window.resize(758, shown.Window.height());
  QApplication::processEvents();
  for (auto _ : state) shown.Window.miCopyasEnhancedMetaFileEMF1Click();
  state.counters["points"] = shown.Window.SeriesPointCount();
  state.counters["drawn_points"] = shown.Window.LastCopyPointCount();
  state.counters["svg_bytes"] =
      double(QGuiApplication::clipboard()->mimeData()->data("image/svg+xml").size());
}
BENCHMARK(VectorCopy60000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The windows store their placement: never in the user's settings.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
