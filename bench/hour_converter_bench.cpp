// Cutting an intermediate data file into hour-based files, against a plain
// read of the same file in the same blocks.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "files/data_file.h"
#include "files/hour_converter.h"

namespace {

const QStringList Comments = {"ZQR: 05-07-2010 14:12:54/rec.time= 1.00/smpl.frq= 100.000Hz",
                              "bench", ""};
constexpr double Rate = 100.0;
// One hour of 8 channels at 100 Hz: 11.5 MB of samples.
constexpr qint64 SampleValues = 360000LL * 8;

QString WriteRecording(const QTemporaryDir& dir, int channels) {
  const QString path = dir.filePath(QStringLiteral("bench.aq%1").arg(channels));
  TDataFileWriter writer;
  writer.Create(path, Comments);
  std::vector<float> block(12800);
  for (size_t i = 0; i < block.size(); ++i) block[i] = float(i) * 0.001f;
  for (qint64 written = 0; written < SampleValues; written += qint64(block.size()))
    writer.AppendBlock(block.data(), int(block.size()));
  return path;
}

// Argument: channels. 8 channels give one hour file per channel, 2 channels four hours.
void ConvertToHourFiles(benchmark::State& state) {
  const int channels = int(state.range(0));
  QTemporaryDir dir;
  const QString path = WriteRecording(dir, channels);
  const qint64 bytes = QFile(path).size();
  THourFileConverter converter;
  for (auto _ : state) {
    if (!converter.Convert(path, channels, Comments, Rate))
      state.SkipWithError("conversion failed");
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["hours"] = converter.Hours();
}
BENCHMARK(ConvertToHourFiles)->Arg(8)->Arg(2)->Unit(benchmark::kMillisecond);

// The peer: the same file read in 51200-byte blocks and nothing else done with them.
void ConvertToHourFilesPeerRead(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = WriteRecording(dir, 8);
  std::vector<char> block(TSampleAreaReader::BlockBytes);
  qint64 bytes = 0;
  for (auto _ : state) {
    QFile file(path);
    file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    qint64 got;
    while ((got = file.read(block.data(), qint64(block.size()))) > 0) bytes += got;
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(ConvertToHourFilesPeerRead)->Unit(benchmark::kMillisecond);

}  // namespace
