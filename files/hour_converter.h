#pragma once
// Cuts an intermediate data file into hour-based files: one file per channel
// and hour, each holding the three header lines and then that channel's
// samples as little-endian 32-bit floats.

#include <QFile>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

// "<folder><name>-ch<c+1>.D<hh>": beside the intermediate file, its name without
// the extension; the hour has at least two digits (D01 ... D99, D100 ...).
QString HourFileName(const QString& intermediatePath, int channelIndex, int hour);

// Frames per hour-based file at a rate: the first in-hour index n with
// n * (1 / rate) >= 3600.0, both held as doubles. 360000 at 100 Hz.
// At least 1; 2^53 (never) for a rate that is not positive.
qint64 SamplesPerHour(double rate);

// The conversion engine, shared by the converter window and the terminal.
// Errors are shown through Seams().Dialogs; the log and the progress go to the callbacks.
//
//   THourFileConverter converter;
//   converter.OnLog = [&](const QString& line) { ... };
//   converter.OnProgress = [&](qint64 done, qint64 total) { ... };   // once per input block
//   bool finished = converter.Convert(path, channels, headerLines, rate);
class THourFileConverter {
public:
  static constexpr int MaxChannels = 8;
  static constexpr int BufferValues = 100;  // per channel, written 400 bytes at a time

  std::function<void(const QString&)> OnLog;
  // Frames converted so far and the frame count N of the file.
  std::function<void(qint64, qint64)> OnProgress;

  THourFileConverter() = default;
  ~THourFileConverter() { CloseAll(); }
  THourFileConverter(const THourFileConverter&) = delete;
  THourFileConverter& operator=(const THourFileConverter&) = delete;

  // Converts the file with 1 to 8 channels; the first three of headerLines
  // head every hour-based file (missing ones empty). Existing hour files are
  // overwritten. True when the whole file was converted; false after an error,
  // which has been shown, with every output file closed.
  bool Convert(const QString& intermediatePath, int channelCount, const QStringList& headerLines,
               double rate);

  // Hours begun by the last conversion.
  int Hours() const { return Hour; }

private:
  void Log(const QString& line);
  void CreateHourFiles();
  void CreateHourFile(int channel);
  void AddFrames(const float* values, qint64 frames);
  void FlushChannelBuffers();
  void FinishHour();
  void CloseAll();

  QString Path;
  QStringList Lines;
  int Channels = 0;
  int Hour = 0;
  int Fill = 0;  // values in each channel's buffer
  std::array<QFile, MaxChannels> Files;
  std::array<QString, MaxChannels> OpenErrors;  // why a channel's file is not open
  std::array<qint64, MaxChannels> HeaderBytes{};
  alignas(16) float Buffers[MaxChannels][BufferValues];
};
