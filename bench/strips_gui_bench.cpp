// The live charts: a full redraw of one channel strip, and the display work of
// one data block (new samples on the strips, the detail chart following and
// repainting) at the start and near the end of a day recorded at 300 Hz. The
// per-block figure must not grow with the samples already stored.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QVBoxLayout>
#include <cmath>
#include <memory>

#include "acq/run_buffers.h"
#include "display/channel_strips.h"
#include "display/detail_chart.h"

namespace {

constexpr double Rate = 300;
constexpr int Channels = 4;
constexpr int DayPoints = int(24 * 3600 * Rate);
// Blocks of a long recording come every half second.
constexpr int BlockPoints = int(Rate / 2);

// A whole day in the buffers (about 620 MB), shown in a window 1028 pixels wide,
// so that every strip is 1000 pixels wide.
struct TDay {
  TRunBuffers Buffers;
  QWidget Window;
  TDetailChart* Detail;
  TChannelStrips* Strips;

  TDay() {
    Buffers.ChannelCount = Channels;
    Buffers.PointsRequested = DayPoints;
    Buffers.TimeData.resize(size_t(DayPoints) + 100);
    for (size_t k = 0; k < Buffers.TimeData.size(); ++k) Buffers.TimeData[k] = double(k) / Rate;
    // A 6 Hz wave with a slow drift, different per channel.
    float wave[50];
    for (int k = 0; k < 50; ++k) wave[k] = float(2 * std::sin(2 * M_PI * k / 50));
    for (int c = 0; c < Channels; ++c) {
      std::vector<float>& data = Buffers.ChannelData[size_t(c)];
      data.resize(Buffers.TimeData.size());
      for (size_t k = 0; k < data.size(); ++k)
        data[k] = wave[(k + size_t(c) * 7) % 50] + float((k / 3000) % 7) * 0.3f - 1.0f;
    }
    Detail = new TDetailChart(Buffers);
    Strips = new TChannelStrips(Buffers, Detail);
    Strips->RecTimeHours = [] { return 24.0; };
    Strips->GetVoltageSpan = [](double& low, double& high) {
      low = -10;
      high = 10;
    };
    auto* layout = new QVBoxLayout(&Window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Detail, 1);
    layout->addWidget(Strips, 1);
    Window.resize(1028, 40 + 2 * TChannelStrips::ScaleHeight + Channels * 60);
    Window.show();
    QApplication::processEvents();
    Strips->setFixedSize(1028, TChannelStrips::ScaleHeight + Channels * 60);
    Strips->CreateStrips(Channels);
    Detail->RunStarting(-5, 5);
    Strips->RunStarting();
    Buffers.RunActive = true;
    QApplication::processEvents();
  }

  // The state of a run that has stored up to newest seconds, strips and detail drawn.
  void StoredUpTo(double newest, double windowStart) {
    Buffers.PointsStored = int(newest * Rate) + 1;
    Buffers.StripStart = windowStart;
    Buffers.StripEnd = Buffers.StripStart + 600;
    Buffers.StripNeedsRedraw.fill(false);
    for (int c = 0; c < Channels; ++c) Strips->RepaintStrip(c);
    Detail->SetBottomAxisRange(std::max(0.0, newest - 10), std::max(10.0, newest));
    QApplication::processEvents();
  }
};

// Made on first use, freed before the application object.
std::unique_ptr<TDay> TheDay;
TDay& Day() {
  if (!TheDay) TheDay = std::make_unique<TDay>();
  return *TheDay;
}

// Argument: 0 the window 0..600 s, 1 the last window of the day.
void FullStripRedraw(benchmark::State& state) {
  TDay& day = Day();
  if (state.range(0))
    day.StoredUpTo(86399, 85800);
  else
    day.StoredUpTo(600, 0);
  for (auto _ : state) day.Strips->RepaintStrip(0);
  state.counters["window_samples"] = 600 * Rate;
  state.counters["stored_samples"] = day.Buffers.PointsStored;
}
BENCHMARK(FullStripRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Argument: seconds already stored when the measured blocks begin. One
// iteration is one block: the display steps of the data handler and the
// message pump that paints them.
void PerBlock(benchmark::State& state) {
  TDay& day = Day();
  // The strip window holds the 200 s of blocks measured.
  const double from = double(state.range(0));
  day.StoredUpTo(from, from > 0 ? from - 300 : 0);
  for (auto _ : state) {
    const int first = day.Buffers.PointsStored;
    day.Buffers.PointsStored += BlockPoints;
    day.Strips->BlockStored(first, day.Buffers.PointsStored - 1, false);
    QApplication::processEvents();
  }
  state.counters["stored_samples"] = day.Buffers.PointsStored;
}
// 400 blocks are 200 s: the strip window never advances during a measurement.
BENCHMARK(PerBlock)->Arg(0)->Arg(86000)->Iterations(400)->UseRealTime()->Unit(
    benchmark::kMicrosecond);

// The detail chart's repaint alone (part of every block above).
void DetailReplot(benchmark::State& state) {
  TDay& day = Day();
  day.StoredUpTo(double(state.range(0)), 0);
  for (auto _ : state) day.Detail->ReplotNow();
}
BENCHMARK(DetailReplot)->Arg(200)->Arg(86000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  TheDay.reset();
  return 0;
}
