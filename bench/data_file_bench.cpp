// The intermediate data file: one unbuffered write per data block while a run
// records, and reading a whole sample area back as the loader and converter do.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "files/data_file.h"

namespace {

const QStringList Comments = {"ZQR: 05-07-2010 14:12:54/rec.time= 0.50/smpl.frq= 100.000Hz",
                              "bench", ""};

// Arguments: channels, frames per block. A new file every 64 MB keeps the disk use small.
void AppendBlocks(benchmark::State& state) {
  const int channels = int(state.range(0));
  const int frames = int(state.range(1));
  const std::vector<float> block(size_t(channels) * frames, 0.125f);
  const int blocksPerFile = int(64 * 1024 * 1024 / (block.size() * 4));
  QTemporaryDir dir;
  TDataFileWriter writer;
  int blocks = 0;
  for (auto _ : state) {
    if (blocks % blocksPerFile == 0) {
      state.PauseTiming();
      writer.Create(dir.filePath("bench.aq8"), Comments);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(writer.AppendBlock(block.data(), int(block.size())));
    ++blocks;
  }
  state.SetBytesProcessed(state.iterations() * qint64(block.size()) * 4);
}
BENCHMARK(AppendBlocks)->Args({4, 25})->Args({8, 50})->Args({8, 1600});

// 64 MB of samples.
QString WriteSampleFile(const QTemporaryDir& dir) {
  const QString path = dir.filePath("bench.acq");
  TDataFileWriter writer;
  writer.Create(path, Comments);
  const std::vector<float> block(12800, -1.5f);
  for (int i = 0; i < 1280; ++i) writer.AppendBlock(block.data(), int(block.size()));
  return path;
}

// Argument: channels. Read in 51200-byte blocks and cut into frames.
void ReadSampleArea(benchmark::State& state) {
  const int channels = int(state.range(0));
  QTemporaryDir dir;
  const QString path = WriteSampleFile(dir);
  std::vector<float> values;
  qint64 bytes = 0;
  for (auto _ : state) {
    TSampleAreaReader reader;
    reader.Open(path);
    reader.Start(channels);
    while (reader.Next(values)) benchmark::DoNotOptimize(values.data());
    bytes += reader.FramesRead() * channels * 4;
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(ReadSampleArea)->Arg(4)->Arg(3)->Unit(benchmark::kMillisecond);

// The peer: the same file read in the same blocks and nothing else done with them, as cat does.
void ReadSampleAreaPeerCat(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = WriteSampleFile(dir);
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
BENCHMARK(ReadSampleAreaPeerCat)->Unit(benchmark::kMillisecond);

// A header line of megabytes without CR LF must cost time in proportion, and no memory.
void ReadHeaderWithoutLineEnds(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath("garbage.aq4");
  {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray(16 * 1024 * 1024, 'x'));
  }
  qint64 bytes = 0;
  for (auto _ : state) {
    QFile file(path);
    file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    bytes += ReadFileHeader(file);
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(ReadHeaderWithoutLineEnds)->Unit(benchmark::kMillisecond);

}  // namespace
