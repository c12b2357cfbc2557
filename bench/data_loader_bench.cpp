// Loading the largest file the recorder makes at 100 Hz (24 hours of 8
// channels, 276 MB) into the run buffers, against `cat FILE > /dev/null` on
// the same file in the same iteration.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "files/data_file.h"
#include "files/data_loader.h"

namespace {

constexpr int Channels = 8;
constexpr double Rate = 100.0;
constexpr qint64 DayFrames = 24LL * 3600 * 100;
const QStringList Comments = {"ZQR: 05-07-2010 14:12:54/rec.time=24.00/smpl.frq= 100.000Hz",
                              "bench day", ""};

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start) {
  return std::chrono::duration<double>(TClock::now() - start).count();
}

// The day file, written once per program run and removed with the folder at exit.
const QString& DayFile() {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tavrin-loader-bench-XXXXXX"));
  static const QString path = [] {
    const QString file = dir.filePath(QStringLiteral("day.aq8"));
    TDataFileWriter writer;
    writer.Create(file, Comments);
    std::vector<float> block(12800);
    for (qint64 frame = 0; frame < DayFrames; frame += 1600) {
      for (size_t i = 0; i < block.size(); ++i) block[i] = float(frame + qint64(i)) * 1e-6f;
      writer.AppendBlock(block.data(), int(block.size()));
    }
    writer.Close();
    return file;
  }();
  return path;
}

// The run buffers as the main window's AllocateBuffers leaves them: N + 100
// entries, zero-filled.
struct TBuffers {
  std::array<std::vector<float>, Channels> ChannelData;
  std::vector<double> TimeData;
  TLoadTarget Target;

  void Allocate(qint64 frames) {
    const size_t length = size_t(frames) + 100;
    for (int k = 0; k < Channels; ++k) {
      std::vector<float>().swap(ChannelData[size_t(k)]);
      ChannelData[size_t(k)].assign(length, 0.0f);
      Target.Channels[size_t(k)] = ChannelData[size_t(k)].data();
    }
    std::vector<double>().swap(TimeData);
    TimeData.assign(length, 0.0);
    Target.Time = TimeData.data();
    Target.Capacity = qint64(length);
  }
};

double CatSeconds(const QString& path) {
  const std::string command = "cat '" + path.toStdString() + "' > /dev/null";
  const auto start = TClock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return SecondsSince(start);
}

// Argument 0: buffers allocated before the clock starts (the loader's reading
// alone); 1: the allocation counted too.
void LoadDayFile(benchmark::State& state) {
  const bool countAllocation = state.range(0) != 0;
  const QString& path = DayFile();
  const qint64 bytes = QFile(path).size();
  TBuffers buffers;
  double loadTotal = 0, catTotal = 0;
  qint64 blocks = 0;
  for (auto _ : state) {
    const double cat = CatSeconds(path);
    if (cat < 0) {
      state.SkipWithError("cat failed");
      break;
    }
    catTotal += cat;

    TDataLoader loader;
    loader.OnBlock = [&](qint64, qint64) { ++blocks; };
    if (!countAllocation) {
      loader.Open(path);
      buffers.Allocate(loader.SampleCount(Channels));
    }
    const auto start = TClock::now();
    if (countAllocation) {
      loader.Open(path);
      buffers.Allocate(loader.SampleCount(Channels));
    }
    const qint64 frames = loader.Load(Channels, Rate, buffers.Target);
    const double seconds = SecondsSince(start);
    state.SetIterationTime(seconds);
    loadTotal += seconds;
    if (frames != DayFrames) state.SkipWithError("not every frame was loaded");
    benchmark::DoNotOptimize(buffers.TimeData.back());
  }
  const double n = double(state.iterations());
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = double(bytes) / 1e6;
  state.counters["load_ms"] = loadTotal / n * 1e3;
  state.counters["cat_ms"] = catTotal / n * 1e3;
  state.counters["ratio_to_cat"] = catTotal > 0 ? loadTotal / catTotal : 0;
  state.counters["us_per_block"] = blocks > 0 ? loadTotal / double(blocks) * 1e6 : 0;
}
BENCHMARK(LoadDayFile)
    ->ArgName("with_allocation")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
