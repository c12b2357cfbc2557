// The main window's data file loader: a stored intermediate data file is read
// into the run buffers for the charts, its header lines and timing go into the
// window's fields, and the converter opens for a separate conversion.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <climits>
#include <cmath>

#include "app/kvmain.h"
#include "display/channel_strips.h"
#include "display/detail_chart.h"
#include "files/data_file.h"
#include "files/data_loader.h"
#include "files/kvconvert.h"
#include "platform/errors.h"
#include "platform/seams.h"
#include "support/kvutil.h"
#include "support/locale_format.h"

namespace {
struct TLoaderHourglass {
  TLoaderHourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TLoaderHourglass() { QApplication::restoreOverrideCursor(); }
};

// The channel count of an old-style file, asked from the user; 0 when the
// loader is to end (cancelled, not a number, below 1, or refused).
int AskOldStyleChannels() {
  TDialogs& dialogs = *Seams().Dialogs;
  const std::optional<QString> answer =
      dialogs.Input(QStringLiteral("Old style datafile"),
                    QStringLiteral("Enter number of channels"), QStringLiteral("4"));
  if (!answer) return 0;
  bool ok = false;
  const int channels = answer->trimmed().toInt(&ok);
  if (!ok || channels < 1) return 0;
  // The run buffers hold eight channels.
  if (channels > TRunBuffers::MaxChannels) {
    dialogs.Message(
        Format("An old-style file can hold at most %d channels.", {TRunBuffers::MaxChannels}));
    return 0;
  }
  return channels;
}
}  // namespace

void TfrmMain::LoadDataFile() {
  // The file field is disabled during a run; this also guards the other ways in.
  if (Recorder->IsRunning()) return;
  TDialogs& dialogs = *Seams().Dialogs;
  const QStringList filters = DataFileFilterEntries();
  const QString fileName = dialogs.OpenFile(
      QStringLiteral("Open existing primary data acquisition file"), QtFileFilter(filters),
      LoaderFolder.isEmpty() ? GetDataDirectory() : LoaderFolder, QtFileFilterEntry(filters[1]));
  if (fileName.isEmpty()) return;
  if (!QFileInfo::exists(fileName)) {
    dialogs.Message("File does not exist: " + fileName);
    return;
  }
  LoaderFolder = QFileInfo(fileName).absolutePath();

  TRecorder& rec = *Recorder;
  TDataLoader loader;
  int channels = 0;
  QStringList lines;
  // Steps that end the loader silently return false; errors are thrown.
  const auto load = [&]() -> bool {
    loader.Open(fileName);
    channels = IsOldStyleDataFile(fileName) ? AskOldStyleChannels() : ChannelsFromFileExt(fileName);
    if (channels < 1) return false;
    const qint64 n = loader.SampleCount(channels);
    const double rate = rec.SampleRate;
    const double hours = double(n) / rate / 3600;
    // The edit fields show text as it is, so the doubled "&" of the header
    // reader is undone; otherwise every conversion of a loaded file would
    // double them once more in the hour-based files.
    for (const QString& line : loader.HeaderLines()) lines << UndoubledAmpersands(line);
    while (lines.size() < 3) lines << QStringLiteral(" ");

    edFile->setText(QFileInfo(fileName).completeBaseName());
    edRecTime->setText(Format("%.4f", {hours}));
    edRecTimeHMS->setText(SecondsToHMS(qint64(std::nearbyint(hours * 3600))));
    rec.ChannelCount = channels;
    edComment1->setText(lines[0].trimmed());
    edComment2->setText(lines[1].trimmed());
    edComment3->setText(lines[2].trimmed());

    if (!dialogs.Confirm(Format("File: %s\rChannels: %d\rRecording time: %.2f hours\r"
                                "Samples per channel: %d\rComment #1: %s\r \rBytes in file: %d\r"
                                "Bytes in header: %d\r \rContinue loading the file?",
                                {QDir::toNativeSeparators(fileName), channels, hours, n,
                                 lines[0].trimmed(), loader.FileSize(), loader.HeaderLength()})))
      return false;
    if (loader.Remainder() > 0)
      dialogs.Message(
          Format("Bad file size, not an integer number of samples, rest=%d.\r"
                 "Data will be re-synched and set to 0 as necessary.",
                 {loader.Remainder()}));

    const double points = std::nearbyint(hours * 3600 * rate);
    // The run buffers count in int (a day at 300 Hz is 26 million points).
    if (!(points <= double(INT_MAX - 100))) {
      dialogs.Message(
          Format("The file holds too many samples to be loaded (%d per channel).", {n}));
      return false;
    }
    rec.RecSeconds = int(std::nearbyint(hours * 3600));
    rec.PointsRequested = int(points);
    if (!rec.AllocateBuffers()) return false;
    // The strips show the file from its start, whatever the last run left.
    rec.StripStart = 0;
    rec.StripEnd = 600;
    rec.StripNeedsRedraw.fill(false);
    rec.PendingDetailChannel = -1;

    TLoaderHourglass busy;
    TLoadTarget target;
    for (int k = 0; k < channels; ++k)
      target.Channels[size_t(k)] = rec.ChannelData[size_t(k)].data();
    target.Time = rec.TimeData.data();
    target.Capacity = qint64(rec.TimeData.size());
    loader.OnBlock = [&](qint64 stored, qint64 total) {
      rec.PointsStored = int(stored);
      rec.ShowStatus(Format("Reading data (%d/%d) ...", {stored, total}), false);
      // Paints only: the window takes no input until the file is read.
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    try {
      rec.PointsStored = int(loader.Load(channels, rate, target));
    } catch (...) {
      rec.PointsStored = int(loader.Stored());
      throw;
    }
    rec.ShowStatus(Format("Read %d samples/chan", {rec.PointsStored}), false);
    if (!pnCharts->FindStripBox(channels) || pnCharts->FindStripBox(channels + 1))
      pnCharts->CreateStrips(channels);
    for (int c = 0; c < channels; ++c) pnCharts->RepaintStrip(c);
    Chart1->SelectDetailChannel(0);
    return true;
  };

  bool loaded = false;
  try {
    loaded = load();
  } catch (const std::exception& e) {
    dialogs.Message(ErrorMessage(e));
  }
  loader.Close();
  if (!loaded) return;

  TfrmConvert converter(this);
  converter.PrepareConversion(channels, fileName, true, lines, rec.SampleRate);
  dialogs.RunModal(converter);
  if (converter.ConversionDone()) {
    edComment2->setText(converter.GetComment(2));
    edComment3->setText(converter.GetComment(3));
  }
}
