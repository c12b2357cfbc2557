#include "files/hour_converter.h"

#include <QFileInfo>
#include <QSysInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <vector>

#include "files/data_file.h"
#include "platform/errors.h"
#include "platform/seams.h"
#include "support/kvutil.h"
#include "support/locale_format.h"

QString HourFileName(const QString& intermediatePath, int channelIndex, int hour) {
  const QString fileName = QFileInfo(intermediatePath).fileName();
  const QString folder = intermediatePath.left(intermediatePath.size() - fileName.size());
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  const QString name = dot >= 0 ? fileName.left(dot) : fileName;
  return folder + name +
         QStringLiteral("-ch%1.D%2").arg(channelIndex + 1).arg(hour, 2, 10, QLatin1Char('0'));
}

namespace {

// A buffered write that stops part-way leaves no reason behind; tried once
// more, the rest fails again with the system's reason (or goes through).
// Nothing of a refused write is kept, so the retry writes it once only.
void WriteOrThrow(QFile& file, const char* data, qint64 bytes) {
  if (file.write(data, bytes) == bytes || file.write(data, bytes) == bytes) return;
  throw TError(file.errorString());
}

}  // namespace

qint64 SamplesPerHour(double rate) {
  const double dt = 1.0 / rate;
  const auto reachesHour = [dt](qint64 n) {
    const double t = double(n) * dt;
    return t >= 3600.0;
  };
  // The quotient is off by at most a step or two from the first index whose
  // rounded product reaches the hour; the product grows with n, so walk there.
  constexpr double LastExact = 9007199254740992.0;  // 2^53: counts beyond no longer step by one
  if (!(dt > 0.0)) return qint64(LastExact);        // time never reaches the hour
  const double estimate = std::ceil(3600.0 / dt);
  if (!(estimate < LastExact)) return qint64(LastExact);
  qint64 n = std::max<qint64>(1, qint64(estimate));
  while (n > 1 && reachesHour(n - 1)) --n;
  while (!reachesHour(n)) ++n;
  return n;
}

void THourFileConverter::Log(const QString& line) {
  if (OnLog) OnLog(line);
}

bool THourFileConverter::Convert(const QString& intermediatePath, int channelCount,
                                 const QStringList& headerLines, double rate) {
  CloseAll();
  Path = intermediatePath;
  Lines = headerLines.mid(0, 3);
  Channels = 0;
  Hour = 0;
  Fill = 0;
  TSampleAreaReader reader;
  try {
    // A rate of 0 would begin a new hour at every frame: a flood of files.
    if (!(rate > 0.0) || !std::isfinite(rate) || !std::isfinite(1.0 / rate))
      throw TError(QStringLiteral("Invalid sample rate: %1").arg(NumberLocale().toString(rate)));
    reader.Open(Path);
    reader.Start(channelCount);
    Channels = channelCount;
    const qint64 total = reader.SampleCount(Channels);
    const qint64 perHour = SamplesPerHour(rate);
    if (OnProgress) OnProgress(0, total);
    Hour = 1;
    Log(QString::asprintf("-- Hour %d", Hour));
    CreateHourFiles();

    qint64 inHour = 0;
    qint64 done = 0;
    std::vector<float> values;
    while (reader.Next(values)) {
      const float* frame = values.data();
      qint64 frames = qint64(values.size()) / Channels;
      while (frames > 0) {
        if (inHour >= perHour) {
          FinishHour();
          inHour = 0;
          ++Hour;
          Log(QString::asprintf("-- Hour %d", Hour));
          CreateHourFiles();
        }
        const qint64 run = std::min(frames, perHour - inHour);
        AddFrames(frame, run);
        frame += run * Channels;
        frames -= run;
        inHour += run;
        done += run;
      }
      if (OnProgress) OnProgress(done, total);
    }
    FinishHour();
    reader.Close();
    Log(QStringLiteral("Conversion done"));
    return true;
  } catch (const std::exception& e) {
    CloseAll();
    reader.Close();
    Seams().Dialogs->Message(QStringLiteral("Error during conversion: %1").arg(ErrorMessage(e)));
    return false;
  }
}

void THourFileConverter::CreateHourFiles() {
  for (int c = 0; c < Channels; ++c) CreateHourFile(c);
}

// A channel whose file could not be made is reported here; the conversion
// goes on until that channel's first write fails.
void THourFileConverter::CreateHourFile(int channel) {
  const QString name = HourFileName(Path, channel, Hour);
  OpenErrors[channel].clear();
  HeaderBytes[channel] = 0;
  try {
    TDataFileWriter header;
    header.CreateWithHeader(name, Lines);
    HeaderBytes[channel] = header.HeaderLength();
  } catch (const TError& e) {
    OpenErrors[channel] = e.Message();
    Seams().Dialogs->Message(QStringLiteral("Error creating file (writing header): ") +
                             e.Message());
    Log(QString());
    return;
  }
  Log(name);
  QFile& file = Files[channel];
  file.setFileName(name);
  // Buffered: the 400-byte writes reach the disk in larger pieces; failures
  // still surface, at the latest when the file is closed.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
    OpenErrors[channel] = file.errorString();
    Seams().Dialogs->Message(QStringLiteral("Error opening file (writing data):") +
                             OpenErrors[channel]);
  }
}

void THourFileConverter::AddFrames(const float* values, qint64 frames) {
  while (frames > 0) {
    const int n = int(std::min<qint64>(frames, BufferValues - Fill));
    for (int k = 0; k < Channels; ++k) {
      float* out = Buffers[k] + Fill;
      const float* in = values + k;
      for (int i = 0; i < n; ++i) out[i] = in[i * Channels];
    }
    Fill += n;
    values += qint64(n) * Channels;
    frames -= n;
    if (Fill == BufferValues) FlushChannelBuffers();
  }
}

// A channel without a file fails here even with nothing to write, so that a
// missing hour-based file is never reported as a finished conversion.
void THourFileConverter::FlushChannelBuffers() {
  const qint64 bytes = qint64(Fill) * 4;
  for (int c = 0; c < Channels; ++c) {
    QFile& file = Files[c];
    if (!file.isOpen()) throw TError(OpenErrors[c]);
    if (bytes == 0) continue;
    const char* data = reinterpret_cast<const char*>(Buffers[c]);
    char swapped[BufferValues * 4];
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
      qToLittleEndian<float>(Buffers[c], Fill, swapped);
      data = swapped;
    }
    WriteOrThrow(file, data, bytes);
  }
  Fill = 0;
}

void THourFileConverter::FinishHour() {
  FlushChannelBuffers();
  for (int c = 0; c < Channels; ++c) {
    QFile& file = Files[c];
    // Flushed first: close() would forget why the buffered rest could not be
    // written. The second try gives the reason after a part-way write.
    const bool flushed = file.flush() || file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!flushed) throw TError(reason);
    if (file.error() != QFileDevice::NoError) throw TError(file.errorString());
  }
  for (int c = 0; c < Channels; ++c) {
    const qint64 size = GetFileSizeByName(HourFileName(Path, c, Hour));
    const qint64 header = HeaderBytes[c];
    Log(QString::asprintf("  Chan %d: Samples in file = %.0f (data=%lld-%lld=%lld bytes)", c + 1,
                          double(size - header) / 4.0, static_cast<long long>(size),
                          static_cast<long long>(header), static_cast<long long>(size - header)));
  }
}

void THourFileConverter::CloseAll() {
  for (QFile& file : Files)
    if (file.isOpen()) file.close();
}
