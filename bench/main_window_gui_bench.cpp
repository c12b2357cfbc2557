// The main window: start-up to "Ready to measure" with no devices, and the
// window's work per data block (strips, detail chart, status panes) over a
// simulated day at 300 Hz: median and maximum at several hours, which must
// stay flat however many samples are already stored.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/kvmain.h"
#include "display/channel_strips.h"
#include "files/data_file.h"
#include "platform/registry.h"
#include "platform/seams.h"

namespace {
TFixtureRegistry NoDevices;

void BM_StartupToReady(benchmark::State& state) {
  for (auto _ : state) {
    TfrmMain window({"tavrin"});
    window.resize(1200, 800);
    window.show();
    window.FormActivate();
    benchmark::DoNotOptimize(window.spInfo->text());
    if (window.spInfo->text() != "Ready to measure (demo)") state.SkipWithError("not ready");
  }
}
BENCHMARK(BM_StartupToReady)->Unit(benchmark::kMillisecond)->Iterations(10);

// A day of 4 channels at 300 Hz in the window's buffers; blocks of half a second.
void WorkPerBlockOverADay() {
  constexpr double Rate = 300;
  constexpr int Channels = 4;
  constexpr int Day = int(24 * 3600 * Rate);
  constexpr int Block = 150;
  TfrmMain window({"tavrin"});
  window.resize(1200, 800);
  window.show();
  window.FormActivate();
  TRecorder& r = *window.Recorder;
  r.ChannelCount = Channels;
  r.SampleRate = Rate;
  r.PointsRequested = Day;
  r.TimeData.resize(size_t(Day) + 100);
  for (size_t k = 0; k < r.TimeData.size(); ++k) r.TimeData[k] = double(k) / Rate;
  for (int c = 0; c < Channels; ++c) {
    r.ChannelData[size_t(c)].resize(r.TimeData.size());
    for (size_t k = 0; k < r.TimeData.size(); ++k)
      r.ChannelData[size_t(c)][k] = float(2 * std::sin(12 * M_PI * double(k) / Rate));
  }
  window.edRecTime->setText("24");
  window.pnCharts->CreateStrips(Channels);
  window.RunStarting(-5, 5);
  r.RunActive = true;
  std::printf("%-28s %10s %10s\n", "window work per block at", "median ms", "max ms");
  for (int hour : {0, 6, 12, 18, 23}) {
    const int start = qMax(Block, int(hour * 3600 * Rate));
    // The strip window as the run would have moved it by then.
    r.StripEnd = qMax(600.0, std::ceil((start / Rate - 600) / 30) * 30 + 600);
    r.StripStart = r.StripEnd - 600;
    window.pnCharts->RepaintStrip(0);
    std::vector<double> ms;
    for (int b = 0; b < 200; ++b) {
      const int first = start + b * Block;
      QElapsedTimer t;
      t.start();
      r.PointsStored = first + Block;
      window.BlockStored(first, first + Block - 1, false);
      r.ShowCount(Block * Channels, 0);
      QCoreApplication::processEvents();
      ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("hour %2d (%9d points)      %10.3f %10.3f\n", hour, start, ms[ms.size() / 2],
                ms.back());
  }
  r.RunActive = false;
}
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication app(argc, argv);
  Seams().Registry = &NoDevices;
  QTemporaryDir data;
  SetDataDirectory(data.path());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  WorkPerBlockOverADay();
  return 0;
}
