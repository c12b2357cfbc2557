#include "app/headless.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>

#include "acq/models.h"
#include "acq/options.h"
#include "acq/simulated_devices.h"
#include "acq/simulated_seams.h"
#include "app/recorder.h"
#include "files/data_file.h"
#include "files/hour_converter.h"
#include "platform/console_dialogs.h"
#include "platform/seams.h"
#include "support/kvutil.h"
#include "support/locale_format.h"
#include "windows/identity.h"

namespace {
std::atomic<bool> StopRequested{false};

void OnInterrupt(int) {
  StopRequested = true;
}

void Out(const QString& text) {
  std::fprintf(stderr, "%s\n", DisplayText(text).toLocal8Bit().constData());
  std::fflush(stderr);
}

// A line that rewrites itself on a terminal, and prints now and then elsewhere.
class TProgressLine {
public:
  void Show(const QString& text, bool force = false) {
    const bool tty = ::isatty(STDERR_FILENO);
    if (!force && Timer.isValid() && Timer.elapsed() < (tty ? 250 : 10000)) return;
    Timer.start();
    std::fprintf(stderr, tty ? "\r%s\033[K" : "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    Open = tty;
  }
  void End() {
    if (Open) std::fprintf(stderr, "\n");
    Open = false;
    Timer.invalidate();
  }

private:
  QElapsedTimer Timer;
  bool Open = false;
};

// Cuts a file into hour-based files with a progress line; true when it finished.
bool ConvertWithProgress(const QString& path, int channels, const QStringList& lines, double rate) {
  Out(Format("Converting %s (%d channels, %.3f Hz)", {path, channels, rate}));
  TProgressLine progress;
  THourFileConverter converter;
  converter.OnLog = [&](const QString& line) {
    progress.End();
    Out(line);
  };
  converter.OnProgress = [&](qint64 done, qint64 total) {
    progress.Show(Format("Converting: %d of %d frames (%d %%)",
                         {done, total, total > 0 ? done * 100 / total : 100}),
                  done == total);
  };
  const bool done = converter.Convert(path, channels, lines, rate);
  progress.End();
  return done;
}

struct TRecordArgs {
  QString Name;
  QString Hours;
  QString Comment2;
  QString Comment3;
  QString Device = "demo";
  QString DataDir;
  QString Simulate;
  double Rate = 100;
  bool Yes = false;
  bool NoConvert = false;
  int LogLevel = 0;
};

class TTerminalView : public TRunView {
public:
  explicit TTerminalView(const TRecordArgs& args) : Args(args) {}

  TRecorder* Recorder = nullptr;
  bool Converted = false;

  QString FileText() const override { return Args.Name; }
  QString RecTimeText() const override { return Args.Hours; }
  QString Comment2() const override { return Args.Comment2; }
  QString Comment3() const override { return Args.Comment3; }

  void ShowStatusText(const QString& text) override {
    Progress.End();
    Out(text);
  }
  void ShowCountText(const QString&) override {}
  void ShowOverrunsText(const QString&) override {}
  void ShowDeviceText(const QString& text) override { Out("Device: " + text); }
  void SetComment1(const QString&) override {}
  void SetRunFields(const TRunFields& fields) override {
    Out("Recording " + fields.RecTimeHMS + ", started " + fields.RecStarted + ", ends " +
        fields.RecEnds);
  }
  void SetRecProgress(const QString&) override {
    if (!Recorder || !Recorder->Sampler) return;
    const double stored = Recorder->PointsStored, requested = Recorder->PointsRequested;
    const qint64 elapsed = qint64(stored / Recorder->SampleRate);
    const qint64 left = qint64((requested - stored) / Recorder->SampleRate + 0.5);
    Progress.Show(Format("%s elapsed, %s left (%d of %d points)",
                         {SecondsToHMS(elapsed), SecondsToHMS(left), int(stored), int(requested)}));
  }
  void SetRunState(bool running) override {
    if (!running) Progress.End();
  }
  void SetBusyCursor(bool) override {}
  void RunStarting(double, double) override {}
  void BlockStored(int, int, bool) override {}
  void ShowSavedLog(const QStringList&) override {}
  void ConvertRecording(int channels, const QString& path, const QStringList& lines,
                        double rate) override {
    Progress.End();
    Converted = ConvertWithProgress(path, channels, lines, rate);
  }

private:
  const TRecordArgs& Args;
  TProgressLine Progress;
};

// The value after option name; empty with ok false when it is missing.
QString ValueOf(const QStringList& args, int& i, bool& ok) {
  if (i + 1 >= args.size()) {
    ok = false;
    Out(args[i] + " needs a value");
    return {};
  }
  return args[++i];
}

std::optional<double> RateArg(const QString& text) {
  bool ok = false;
  const double rate = text.toDouble(&ok);
  if (!ok || rate < 10 || rate > MaxOtherSampleFreq) {
    Out(Format("Bad sample rate \"%s\" (range is %d-%d Hz)", {text, 10, MaxOtherSampleFreq}));
    return std::nullopt;
  }
  return rate;
}

int LogLevelFromArgs(const QStringList& args) {
  // The whole command line, as the window reads its switches.
  const QString line = args.join(' ');
  const QString after = TextAfter(line, "/LOGMEAS=");
  return after.isEmpty() ? 0 : TextBefore(after, " ").toInt();
}

int Record(const QStringList& args) {
  TRecordArgs a;
  bool ok = true;
  for (int i = 0; i < args.size() && ok; ++i) {
    const QString& o = args[i];
    if (o == "--record")
      a.Name = ValueOf(args, i, ok);
    else if (o == "--hours")
      a.Hours = ValueOf(args, i, ok);
    else if (o == "--comment2")
      a.Comment2 = ValueOf(args, i, ok);
    else if (o == "--comment3")
      a.Comment3 = ValueOf(args, i, ok);
    else if (o == "--device")
      a.Device = ValueOf(args, i, ok);
    else if (o == "--data-dir")
      a.DataDir = ValueOf(args, i, ok);
    else if (o == "--simulate")
      a.Simulate = ValueOf(args, i, ok);
    else if (o == "--rate") {
      const auto rate = RateArg(ValueOf(args, i, ok));
      ok = ok && rate.has_value();
      if (rate) a.Rate = *rate;
    } else if (o == "--yes")
      a.Yes = true;
    else if (o == "--no-convert")
      a.NoConvert = true;
    else if (o.startsWith("/LOGMEAS=") || o == "/TEST" || o.startsWith("/LOGCOMM="))
      continue;
    else {
      Out("Unknown option: " + o);
      ok = false;
    }
  }
  if (!ok) return 2;
  if (a.Hours.isEmpty() || (a.Comment2.isEmpty() && !args.contains("/TEST"))) {
    Out("--record needs --hours and --comment2");
    return 2;
  }
  if (args.contains("/TEST")) {
    if (a.Comment2.isEmpty()) a.Comment2 = "Comment 2";
    if (a.Comment3.isEmpty()) a.Comment3 = "Comment 3";
  }
  // Hours are typed with the system's decimal separator; accept "." too.
  bool hoursOk = false;
  const double hours = a.Hours.toDouble(&hoursOk);
  if (hoursOk && !ParseLocaleDouble(a.Hours)) a.Hours = FormatFixed(hours, 6);

  if (!a.Simulate.isEmpty()) {
    const QString error = SetSimulatedDevicesFile(a.Simulate);
    if (!error.isEmpty()) Out(error);
  }
  if (!a.DataDir.isEmpty()) SetDataDirectory(QDir(a.DataDir).absolutePath());
  if (!QDir().mkpath(GetDataDirectory())) {
    Out("Failed to create data directory: " + GetDataDirectory());
    return 1;
  }

  TConsoleDialogs dialogs;
  dialogs.Answer = [&a](const QString& question) {
    return question.contains("Convert data to hour-based files?") ? !a.NoConvert : a.Yes;
  };
  TSeamOverride<TDialogs> dialogsOverride(&TSeamSet::Dialogs, dialogs);

  TOptions options;
  options.LoadOptions();
  options.SampleFrequency = int(a.Rate);
  TTerminalView view(a);
  TRecorder recorder(options, view);
  view.Recorder = &recorder;
  recorder.SampleRate = a.Rate;
  recorder.LogLevel = LogLevelFromArgs(args);
  recorder.CommLog = args.join(' ').contains("/LOGCOMM=");

  if (a.Device.compare("demo", Qt::CaseInsensitive) == 0) {
    recorder.UseDevice("Demo port", "Demo", options.NumChanDemo);
    recorder.ShowDevice("Demo device");
    recorder.DeviceReport << "Device: Demo device";
  } else {
    // The device is found as the window finds it: detection first, then the
    // entry on the port asked for, as a selection would apply it.
    InstallDeviceSeams();
    recorder.DetectDevices();
    int entry = -1;
    for (int i = 1; i < recorder.Dataq.DeviceCount() && entry < 0; ++i)
      if (recorder.Dataq.DevicePort(i).compare(a.Device, Qt::CaseInsensitive) == 0) entry = i;
    if (entry < 0 || recorder.Dataq.DeviceModelId(entry).isEmpty()) {
      Out(a.Device + ": no recording device found on this port (tavrin --devices lists them)");
      return 1;
    }
    if (recorder.Sampler->PortName.compare(a.Device, Qt::CaseInsensitive) != 0)
      recorder.ApplySelectedDevice(entry, recorder.Dataq.DeviceComNumber(entry));
    else if (recorder.Sampler->IsDataqDevice())
      recorder.CheckConflictingProcess();
  }
  recorder.StartupMessages << ProgramName() + " v" + ProgramVersion() + " (" + ProgramDate() + ")"
                           << "Data directory: " + GetDataDirectory();
  recorder.RebuildComment1();

  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  StopRequested = false;
  // Ctrl-C is STOP; the amplifier's run loop lets this timer through while it reads.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (StopRequested.exchange(false) && recorder.IsRunning()) {
      Out("Stop requested");
      recorder.bnStartMeasClick();
    }
    if (!recorder.IsRunning()) QCoreApplication::quit();
  });
  watch.start(100);
  recorder.bnStartMeasClick();  // an amplifier run returns only when it has ended
  if (recorder.IsRunning()) QCoreApplication::exec();
  watch.stop();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  if (recorder.RunEnd == TRunEnd::StartFailed || recorder.PointsRequested == 0) {
    Out("The recording did not start.");
    return 1;
  }

  Out("Log: " + DataFilePath(a.Name.trimmed() + "_log.txt"));
  const bool completed = recorder.RunEnd == TRunEnd::Completed;
  const bool converted = view.Converted || a.NoConvert;
  if (!completed)
    Out("The recording did not run to its end.");
  else if (!converted)
    Out("The conversion into hour-based files did not finish.");
  return completed && view.Converted ? 0 : 1;
}

int Convert(const QStringList& args) {
  QString path;
  double rate = 100;
  int channels = 0;
  bool ok = true;
  for (int i = 0; i < args.size() && ok; ++i) {
    if (args[i] == "--convert")
      path = ValueOf(args, i, ok);
    else if (args[i] == "--rate") {
      const auto r = RateArg(ValueOf(args, i, ok));
      ok = ok && r.has_value();
      if (r) rate = *r;
    } else if (args[i] == "--channels") {
      channels = ValueOf(args, i, ok).toInt();
      if (ok && (channels < 1 || channels > 8)) {
        Out("--channels must be 1 to 8");
        ok = false;
      }
    } else {
      Out("Unknown option: " + args[i]);
      ok = false;
    }
  }
  if (!ok || path.isEmpty()) return 2;
  if (!QFileInfo(path).isFile()) {
    Out("No such file: " + path);
    return 1;
  }
  if (channels == 0) {
    if (IsOldStyleDataFile(path)) {
      Out("An old-style .acq file does not tell its channel count: give --channels N");
      return 2;
    }
    channels = ChannelsFromFileExt(path);
  }
  QStringList lines;
  try {
    TSampleAreaReader reader;
    reader.Open(path);
    lines = reader.HeaderLines();
  } catch (const std::exception& e) {
    Out(ErrorMessage(e));
    return 1;
  }
  // The reader shows "&" doubled for the window's labels; the files keep it single.
  for (QString& line : lines) line.replace("&&", "&");
  TConsoleDialogs dialogs;
  TSeamOverride<TDialogs> dialogsOverride(&TSeamSet::Dialogs, dialogs);
  return ConvertWithProgress(QFileInfo(path).absoluteFilePath(), channels, lines, rate) ? 0 : 1;
}
}  // namespace

QString HeadlessUsage() {
  return QStringLiteral(
      "usage:\n"
      "  tavrin --record NAME --hours H --comment2 TEXT [--comment3 TEXT] [--device demo|COMn]\n"
      "         [--rate HZ] [--data-dir DIR] [--simulate FILE] [--yes] [--no-convert]\n"
      "  tavrin --convert FILE [--rate HZ] [--channels N]\n"
      "  tavrin --devices [--simulate FILE]\n"
      "  tavrin --version\n"
      "Ctrl-C stops a recording; the data so far are kept and converted.");
}

int RunHeadless(const QStringList& args) {
  if (args.contains("--record")) return Record(args);
  if (args.contains("--convert")) return Convert(args);
  if (args.contains("--devices")) return ListDevices(args);
  return -1;
}
