#include "app/recorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cmath>

#include "acq/models.h"
#include "acq/simulated_dataq_sdk.h"
#include "amp/amplifier_link.h"
#include "platform/errors.h"
#include "platform/seams.h"
#include "support/kvutil.h"
#include "support/locale_format.h"
#include "windows/text_file.h"

namespace {
const char* const WriteAbortQuestion =
    "Measurement aborted by a file error. Convert data to hour-based files?";
const char* const HardwareAbortQuestion =
    "Measurement aborted by hardware (control) error. Convert data to hour-based files?";

quint32 Ticks() {
  return Seams().Clock->TickCount();
}

// Clears the busy flag however the handler is left.
struct TBusyGuard {
  bool& Flag;
  ~TBusyGuard() { Flag = false; }
};
}  // namespace

TRecorder::TRecorder(TOptions& options, TRunView& view)
    : Options(options),
      DataqSdk1(std::make_unique<TSimulatedDataqSdk>()),
      Dataq(QueryAmplifierAbout),
      View(view) {
  Fetch.resize(MaxBlockInstants);
  Output.resize(MaxBlockInstants * TSampler::MaxPositions);
  connect(DataqSdk1.get(), &TDataqSdk::OnNewData, this, &TRecorder::DataqSdk1NewData);
  connect(DataqSdk1.get(), &TDataqSdk::OnOverRun, this, &TRecorder::DataqSdk1OverRun);
  connect(DataqSdk1.get(), &TDataqSdk::OnControlError, this, &TRecorder::DataqSdk1ControlError);
  connect(&demoTimer, &QTimer::timeout, this, &TRecorder::demoTimerTimer);
}

TRecorder::~TRecorder() {
  if (Sampler) Sampler->Stop();
  demoTimer.stop();
  DataqSdk1->disconnect(this);
  CloseDataFile();
  if (Sampler) Sampler->DataqSdk = nullptr;
}

bool TRecorder::UseDevice(const QString& portName, const QString& model, int channelCount,
                          bool isPGL) {
  if (IsRunning()) return false;
  auto sampler = std::make_unique<TSampler>(portName, BaudRate, model);
  sampler->DataqSdk = DataqSdk1.get();
  sampler->IsPGL = isPGL;
  for (int i = 0; i < channelCount && i < TSampler::MaxPositions; ++i)
    sampler->SetChannel(i, i, sampler->DefaultRangeCode());
  Sampler = std::move(sampler);
  ChannelCount = Sampler->ChannelCount;
  return true;
}

double TRecorder::RecTimeHours() const {
  return ParseLocaleDouble(View.RecTimeText()).value_or(0);
}

void TRecorder::RebuildComment1() {
  Comment1Text = FormatHeaderLine(Seams().Clock->Now(), RecTimeHours(), SampleRate);
  View.SetComment1(Comment1Text);
}

QStringList TRecorder::CommentLines() const {
  return {Comment1Text, View.Comment2(), View.Comment3()};
}

quint32 TRecorder::RunMs() const {
  return quint32(Ticks() - StartTicks);
}

// ---- set-up ---------------------------------------------------------------

bool TRecorder::ValidateSetup() {
  TDialogs& dialogs = *Seams().Dialogs;
  if (View.FileText().trimmed().isEmpty()) {
    dialogs.Message("No datafile has been specified.");
    return false;
  }
  const QString directory = GetDataDirectory();
  if (!QFileInfo(directory).isDir()) {
    dialogs.Message("The specified data directory does not exist:\r" + directory);
    return false;
  }
  const QString path = IntermediateFileName(View.FileText(), ChannelCount);
  if (QFileInfo::exists(path) &&
      !dialogs.Confirm("Datafile: " + path +
                       "\rIntermediate datafile already exists. Overwrite it?"))
    return false;
  const double hours = RecTimeHours();
  if (!(hours > 0)) {
    dialogs.Message("Recording time is zero, less than zero or a bad numerical value.");
    return false;
  }
  if (hours > 24) {
    dialogs.Message(Format("Recording time is too long, maximum is %d hours.", {24}));
    return false;
  }
  const qint64 required = qint64(std::nearbyint(hours * 3600 * ChannelCount * 4 * SampleRate));
  const qint64 free = GetDiskFreeBytes(path);
  const QString sizes = Format("Required size on disk: %d kB\rFree space on disk: %d kB\r \r",
                               {required / 1024, free / 1024});
  if (required > free) {
    dialogs.Message(sizes + "There is not enough space on the specified disk.");
    return false;
  }
  if (free - required < AlmostFullMargin &&
      !dialogs.Confirm(sizes + "This measurement will almost fill the specified disk.\r"
                               "Continue anyway?"))
    return false;
  if (View.Comment2().isEmpty()) {
    dialogs.Message("Please enter a short description in comment line 2.");
    return false;
  }
  return true;
}

bool TRecorder::AllocateBuffers() {
  try {
    for (auto& channel : ChannelData) std::vector<float>().swap(channel);
    std::vector<double>().swap(TimeData);
    const size_t length = size_t(PointsRequested) + 100;
    for (int ch = 0; ch < ChannelCount; ++ch) ChannelData[size_t(ch)].assign(length, 0.0f);
    TimeData.assign(length, 0.0);
    PointsStored = 0;
    return true;
  } catch (const std::exception& e) {
    for (auto& channel : ChannelData) std::vector<float>().swap(channel);
    std::vector<double>().swap(TimeData);
    Seams().Dialogs->Message("Error getting memory for data storage: " + ErrorMessage(e));
    return false;
  }
}

// ---- start ------------------------------------------------------------------

void TRecorder::bnStartMeasClick() {
  if (IsRunning()) {
    RunEnd = TRunEnd::StoppedByUser;
    ShowStatus("Stopped by user", true);
    StopMeasurement();
    SaveMeasurementLog();
    if (HasRecordedPoints()) {
      ConversionOffered = true;
      if (Seams().Dialogs->Confirm(
              "Measurement aborted by user. Convert data to hour-based files?"))
        ConvertRecording();
    }
    return;
  }
  if (!Sampler) {
    Seams().Dialogs->Message("No recording device has been selected.");
    return;
  }
  // The amplifier delivers 100 frames a second whatever the options say; the
  // checks and the point count use that rate.
  if (Sampler->IsAmplifier()) SampleRate = 100.0;
  if (ValidateSetup()) StartMeasurement();
}

void TRecorder::StartMeasurement() {
  const QString path = IntermediateFileName(View.FileText(), ChannelCount);
  RunEnd = TRunEnd::StartFailed;
  // Header line 1 is always the run description: the rewrite at the stop relies on its length.
  RebuildComment1();
  try {
    DataFile.CreateWithHeader(path, CommentLines());
  } catch (const std::exception& e) {
    ShowStatus("File error (header)", true);
    Seams().Dialogs->Message("Error creating file (writing header):" + ErrorMessage(e));
    return;
  }
  try {
    DataFile.OpenForAppend();
  } catch (const std::exception& e) {
    ShowStatus("File error (data): " + ErrorMessage(e), true);
    Seams().Dialogs->Message("Error opening file (writing data):" + ErrorMessage(e));
    return;
  }
  DataFileOpen = true;
  DataFileName = path;
  BytesWritten = 0;
  const double hours = RecTimeHours();
  RecSeconds = int(std::nearbyint(hours * 3600));
  PointsRequested = int(std::nearbyint(hours * 3600 * SampleRate));
  if (!AllocateBuffers()) {
    CloseDataFile();  // a start that failed leaves no file open
    return;
  }
  Sampler->ClearData();
  ConversionOffered = false;
  StripStart = 0;
  StripEnd = 600;
  StripNeedsRedraw.fill(false);
  MeasLog.clear();
  ProcMinMs = 100000;
  ProcMaxMs = 0;
  NewDataCalls = 0;

  const double period = RecSeconds > 3600            ? 0.5
                        : Sampler->ChannelCount == 8 ? Options.ReqTime8Chan / 1000.0
                                                     : Options.ReqTime4Chan / 1000.0;
  const int perEvent = int(SampleRate * period);
  const int eventPoint = perEvent * Sampler->ChannelCount;

  if (Sampler->IsAmplifier()) {
    RunAmplifier();
    return;
  }
  View.RunStarting(-5, 5);

  View.SetBusyCursor(true);
  Log("Issuing start");
  Sampler->Start(true, eventPoint, SampleRate);
  RunActive = Sampler->Running == 1;
  Log(Format("Elapsed time: %.1f sec", {Sampler->ElapsedSeconds(PointsStored)}));
  if (Sampler->IsDemo && Sampler->Running == 1) {
    demoTimer.setInterval(int(std::nearbyint(perEvent * 1000.0 / SampleRate)));
    demoTimer.start();
  }
  View.SetBusyCursor(false);
  LastDemoTime = 0;

  if (Sampler->Running == 1) {
    RunEnd = TRunEnd::None;
    StartTime = Seams().Clock->Now();
    StartTicks = Ticks();
    Log(Format("Measurement starts %s (%d)", {DateTimeText(StartTime), StartTicks}));
    Comment1Text = FormatHeaderLine(StartTime, hours, SampleRate);
    View.SetComment1(Comment1Text);
    ShowRunFields();
    View.SetRunState(true);
    if (Sampler->IsDemo) {
      Log("Demo device");
    } else {
      Log(Format(
          "ID: %d, serial: %s, rev : %d",
          {int(DataqSdk1->InfoBoardID()), DataqSdk1->InfoSerial(), int(DataqSdk1->InfoRev())}));
      RaisePriority();
    }
    Log(Format("Requested sample rate   : %.0f Hz", {SampleRate}));
    // The demo device leaves the control alone: its rate in effect is its own.
    Log(Format("Actual    sample rate   : %.2f Hz",
               {Sampler->IsDemo ? Sampler->DemoRate : DataqSdk1->SampleRate()}));
    Log(Format("Requested recording time: %d sec = %d points/channel",
               {RecSeconds, PointsRequested}));
    Log(Format("Number of channels      : %d", {Sampler->ChannelCount}));
    Log(Format("Range                   : +/- %.2f V",
               {RangeHigh(Sampler->RangeAt(0), Sampler->IsPGL)}));
    if (IsDI710(Sampler->Model))
      Log(Format("DI-710 model            : %s", {Sampler->IsPGL ? "PGL" : "PGH"}));
    Log(Format("Timing method used      : %s", {Sampler->TimingMethodName()}));
    const QString now = DateTimeText(Seams().Clock->Now());
    ShowStatusTimed(Format("Recording started %s", {now}), false);
    Log(" ");
    Log(Format("%8d: Recording started %s", {RunMs(), now}));
  } else {
    const QString reason =
        Sampler->LastError.isEmpty() ? QStringLiteral("Control error") : Sampler->LastError;
    ShowStatus("Start failed: " + reason, true);
    CloseDataFile();
  }
  QCoreApplication::processEvents();
}

void TRecorder::ShowRunFields() {
  TRunFields fields;
  const qint64 seconds = qint64(std::nearbyint(RecTimeHours() * 3600));
  fields.RecTimeHMS = SecondsToHMS(seconds);
  const QDateTime now = Seams().Clock->Now();
  fields.RecStarted = DateTimeText(now);
  fields.RecProgress = "0";
  fields.RecEnds = DateTimeText(now.addSecs(seconds));
  View.SetRunFields(fields);
  ShowCount(0, 0);
  ShowOverruns();
}

void TRecorder::RaisePriority() {
  if (Options.ProcessPriority == 0) return;
  QString error;
  const auto priority =
      Options.ProcessPriority == 2 ? TPriorityClass::RealTime : TPriorityClass::High;
  if (!Seams().Processes->SetPriority(priority, &error))
    Log("Process priority not raised: " + error);
}

// ---- the data block handler -----------------------------------------------

void TRecorder::DataqSdk1NewData(int count) {
  const quint32 t0 = Ticks();
  ++NewDataCalls;
  const int first = PointsStored;
  const quint32 ms = quint32(t0 - StartTicks);
  if (!Sampler) return;

  if (HandlerBusy) {
    Sampler->AddOverrun();
    ShowStatusTimed(Format("%8d: Data handler busy - overrun (data count=%d)", {ms, count}), true);
    ShowOverruns();
    if (Sampler->IsDataqDevice()) DataqSdk1->DataqGetData();
    return;
  }
  if (Sampler->Running != 1) {
    Log(Format("%8d: Not started", {ms}));
    return;
  }
  if (Sampler->IsDataqDevice() && Sampler->ControlErrorCount() > 0) {
    Log(Format("%8d: Control errors - stopping", {ms}));
    AbortRun(TRunEnd::ControlError, HardwareAbortQuestion);
    return;
  }
  if (count == 0) {
    Log(Format("%8d: No data", {ms}));
    ShowCount(0, 0);
    return;
  }
  const int channels = Sampler->ChannelCount;
  const int n = Sampler->IsAmplifier() ? count / qMax(channels, 1) : Sampler->ReadData(count);
  if (n < 0) {
    ShowStatusTimed(Sampler->LastError, false);
    Log(Format("%8d: Error %s", {ms, Sampler->LastError}));
    return;
  }

  HandlerBusy = true;
  TBusyGuard guard{HandlerBusy};
  if (LogLevel >= 2) {
    const int f = count / qMax(channels, 1) + PointsStored;
    Log(Format("NewData - elapsed time=%.1f sec (%d samples)", {Sampler->ElapsedSeconds(f), f}));
  }

  // A block longer than the block arrays is cut to its first instants.
  if (int(Fetch.size()) < n) Fetch.resize(size_t(n));
  double newest = 0;
  int w = 0;
  const bool invert = Options.InvertSignal;
  for (int m = 0; m < channels; ++m) {
    const int ch = Sampler->ChannelAt(m);
    int k = Sampler->GetLastValues(ch, n, Fetch.data());
    if (PointsStored + k > PointsRequested) {
      k = PointsRequested - PointsStored;
      if (m == 0) Log(Format("%8d: NewData - Enough points, adding only %d points", {ms, k}));
    }
    std::vector<float>& data = ChannelData[size_t(ch)];
    const int limit = qMin(k, MaxBlockInstants);
    for (int i = 0; i < limit; ++i) {
      float v = Fetch[size_t(i)];
      if (invert) v = -v;
      const double time = Sampler->TimeAt(i);
      newest = time;
      Output[size_t(i * channels + m)] = v;
      ++w;
      if (m == channels - 1) TimeData[size_t(PointsStored++)] = time;
      data[size_t(first + i)] = v;
    }
    if (m == 0 && LogLevel >= 2) Log(Format("NewData - Data count so far=%d", {PointsStored}));
  }

  if (w > 0) {
    try {
      const qint64 bytes = DataFile.AppendBlock(Output.data(), w);
      BytesWritten += bytes;
      if (LogLevel >= 2)
        Log(Format("%8d: NewData - written = %d bytes = %d samples (nFile=%d)",
                   {ms, bytes, bytes / 4, w}));
    } catch (const std::exception& e) {
      // The writer cut the file back to whole blocks: the buffers keep what it holds.
      PointsStored = first;
      WriteFailed(ErrorMessage(e));
      return;
    }
  }

  bool advanced = false;
  if (newest > StripEnd) {
    StripStart += 30;
    StripEnd += 30;
    for (int ch = 0; ch < ChannelCount; ++ch) StripNeedsRedraw[size_t(ch)] = true;
    advanced = true;
  }
  if (PointsStored - 1 >= first) View.BlockStored(first, PointsStored - 1, advanced);
  View.SetRecProgress(SecondsToHMS(qint64(std::nearbyint(Sampler->ElapsedSeconds(PointsStored)))));

  QCoreApplication::processEvents();

  const quint32 t1 = Ticks();
  const quint32 d = quint32(t1 - t0);
  if (LogLevel >= 1)
    Log(Format("%8d: NewData - %2d points/chan processed in %3d msecs (n=%d, N=%d)",
               {ms, PointsStored - first, d, count, PointsStored}));
  ProcMaxMs = qMax(ProcMaxMs, d);
  ProcMinMs = qMin(ProcMinMs, d);
  ShowCount(count, d);
  FinishBlock(t0, first, count);
}

void TRecorder::FinishBlock(quint32 t0, int first, int count) {
  const quint32 ms = quint32(t0 - StartTicks);
  const int channels = qMax(Sampler->ChannelCount, 1);
  if (PointsStored >= PointsRequested && Sampler->Running == 1) {
    const quint32 t2 = Ticks();
    if (LogLevel >= 1)
      Log(Format("%8d: NewData - %2d points/chan processed in %3d msecs (n=%d, N=%d)",
                 {ms, PointsStored - first, quint32(t2 - t0), count, PointsStored}));
    const QString now = DateTimeText(Seams().Clock->Now());
    ShowStatusTimed(Format("Recording done %s", {now}), false);
    Log(Format("%8d: Recording done %s", {ms, now}));
    Log(" ");
    Log(Format("Time last data point     : %.2f seconds (%d points)",
               {Sampler->LastTime(), Sampler->PointCount()}));
    Log(Format("Number of samples/channel: %d (%d)", {PointsStored, PointsRequested}));
    Log(Format("Total bytes written      : %d (%d/channel)",
               {BytesWritten, BytesWritten / channels}));
    Log(Format("Total samples written    : %d (%d/channel)",
               {BytesWritten / 4, BytesWritten / 4 / channels}));
    RunEnd = TRunEnd::Completed;
    StopMeasurement();
    Log(Format("Measurement total time (PC clock): %.2f hours (%.1f sec)",
               {Sampler->RunTicks() / 3600000, Sampler->RunTicks() / 1000}));
    Log(" ");
  }
  if (Sampler->Running == 0) {
    if (!ConversionOffered) ConvertRecording();
    LogStatistics(ms);
  }
}

void TRecorder::LogStatistics(quint32 ms) {
  const double perCall = NewDataCalls > 0 ? double(ms) / NewDataCalls : 0;
  Log(Format("Specified sample rate: %.2f Hz", {SampleRate}));
  double measured = SampleRate, deviation = 0;
  const bool dataq = Sampler->IsDataqDevice();
  if (dataq) {
    const double secs = Sampler->RunTicks() / 1000;
    measured = secs > 0 ? Sampler->PointCount() / secs : SampleRate;
    deviation = std::abs(measured - SampleRate) * 100 / SampleRate;
    Log(Format("Measured  sample rate: %.2f Hz", {measured}));
    Log(Format("Deviation            : %.2f %%", {deviation}));
  }
  Log(Format("Calls to NewData     : %d", {NewDataCalls}));
  Log(Format("Time per call        : %.1f msecs", {perCall}));
  Log(Format("Data process time min: %d msecs", {ProcMinMs}));
  Log(Format("Data process time max: %d msecs", {ProcMaxMs}));
  SaveMeasurementLog();
  if (dataq && deviation > 1.0)
    Seams().Dialogs->Information(
        "Deviation in sample rate greater than 1%.\r \r" +
        Format("Specified rate: %.2f Hz\rMeasured rate: %.2f Hz\r", {SampleRate, measured}) +
        " \rYour acquisition device may be faulty.");
}

void TRecorder::demoTimerTimer() {
  if (!Sampler) return;
  const double now = Sampler->ElapsedSeconds(0);
  const double dt = now - LastDemoTime;
  LastDemoTime = now;
  qint64 n = qint64(SampleRate * dt);
  // The block count is a 16-bit number: a long stall must not overflow it.
  const int channels = qMax(Sampler->ChannelCount, 1);
  n = qMin<qint64>(n, 32767 / channels);
  if (n > 0) DataqSdk1NewData(int(channels * n));
}

// ---- stop, abort and device errors -----------------------------------------

void TRecorder::AbortRun(TRunEnd end, const QString& question) {
  RunEnd = end;
  StopMeasurement();
  SaveMeasurementLog();
  if (HasRecordedPoints()) {
    ConversionOffered = true;
    if (Seams().Dialogs->Confirm(question)) ConvertRecording();
  }
}

void TRecorder::WriteFailed(const QString& message) {
  ShowStatus("File error (data): " + message, true);
  Seams().Dialogs->Message("Error writing file (data):\r" + message +
                           "\rThe recording has been stopped; the data written so far are kept.");
  AbortRun(TRunEnd::WriteError, WriteAbortQuestion);
}

void TRecorder::DataqSdk1ControlError(int code) {
  if (!Sampler) return;
  Sampler->AddControlError(QString::number(code));
  ShowStatusTimed(Format("Control error: %d", {code}), true);
  if (Sampler->IsDemo) {
    Log("Ignored (demomode)");
    return;
  }
  if (Sampler->Running == 1) AbortRun(TRunEnd::ControlError, HardwareAbortQuestion);
}

void TRecorder::DataqSdk1OverRun() {
  ShowStatusTimed("Data overrun", true);
  if (Sampler) Sampler->AddOverrun();
  ShowOverruns();
}

void TRecorder::StopMeasurement() {
  Sampler->Stop();
  RunActive = false;
  demoTimer.stop();
  Log(" ");
  Log(Format("Stopped at %s", {DateTimeText(Seams().Clock->Now())}));
  Log(Format("Overruns: %d", {Sampler->OverrunCount}));
  double rate = SampleRate;
  if (Sampler->IsDataqDevice()) {
    const double secs = Sampler->RunTicks() / 1000;
    rate = secs > 0 ? Sampler->PointCount() / secs : SampleRate;
  }
  Comment1Text = FormatHeaderLine(StartTime, RecTimeHours(), rate);
  View.SetComment1(Comment1Text);
  if (DataFileOpen) {
    Log("Save header to file");
    try {
      DataFile.RewriteHeader(CommentLines());
    } catch (const std::exception& e) {
      Log(ErrorMessage(e));
      Seams().Errors->Report(ErrorMessage(e));
    }
    CloseDataFile();
  }
  if (Options.ProcessPriority != 0) Seams().Processes->SetPriority(TPriorityClass::Normal);
  View.SetRunState(false);
  if (Sampler->IsAmplifier()) return;
  const int n = Sampler->ControlErrorCount();
  Log(Format("Control error count: %d", {n}));
  bool severe = false;
  for (int i = 0; i < n; ++i) {
    Log("  " + Sampler->ControlErrorText(i));
    severe = severe || IsSevereControlError(Sampler->ControlErrorCode(i));
  }
  if (!severe) return;
  ShowStatus("Control error", true);
  Log("Please disconnect your acquisition device, wait a few seconds and then reconnect.");
  QString message =
      "There were errors during the recording.\rTo reset the acquisition device please "
      "disconnect it,\rwait a few seconds and then reconnect.";
  const int port = Sampler->ComPortNumber();
  if (port > 16 && Sampler->IsDataqDevice()) {
    Log(Format("Please note: your device is connected to COM%d ", {port}));
    Log("but DATAQ supports only COM1 to COM16.");
    message += Format(
        "\r \rPlease note: your device is connected to COM%d \rbut DATAQ supports "
        "only COM1 to COM16. Please change the COM port\ryour device is using and "
        "try again.",
        {port});
  }
  Seams().Dialogs->Message(message);
}

bool TRecorder::HasRecordedPoints() const {
  return PointsStored > 0 || (Sampler && Sampler->PointCount() > 0);
}

void TRecorder::CloseDataFile() {
  if (!DataFileOpen && !DataFile.IsOpen()) return;
  DataFileOpen = false;
  DataFile.Close();
}

void TRecorder::SaveMeasurementLog() {
  const QString name = DataFilePath(View.FileText().trimmed() + "_log.txt");
  const QStringList lines = LogLines();
  try {
    WriteTextLines(name, lines);
  } catch (const std::exception& e) {
    Seams().Errors->Report("The measurement log could not be saved: " + ErrorMessage(e));
  }
  View.ShowSavedLog(lines);
}

void TRecorder::ConvertRecording() {
  if (!HasRecordedPoints()) return;
  View.ConvertRecording(ChannelCount, IntermediateFileName(View.FileText(), ChannelCount),
                        CommentLines(), SampleRate);
}

// ---- reporting ----------------------------------------------------------------

void TRecorder::ShowStatus(const QString& text, bool alsoLog) {
  View.ShowStatusText(text);
  if (alsoLog) Log(text);
}

void TRecorder::ShowStatusTimed(const QString& text, bool alsoLog) {
  View.ShowStatusText(LongTimeText(Seams().Clock->Now().time()) + "> " + text);
  if (alsoLog) Log(text);
}

void TRecorder::ShowCount(int values, qint64 ms) {
  View.ShowCountText(Format("%d (%d)", {values, ms}));
}

void TRecorder::ShowOverruns() {
  View.ShowOverrunsText(Sampler ? Format("Overruns: %d", {Sampler->OverrunCount})
                                : QStringLiteral("?"));
}

void TRecorder::ShowDevice(const QString& text) {
  View.ShowDeviceText(text);
}

QStringList TRecorder::LogLines() const {
  QStringList lines;
  const QStringList* lists[] = {&StartupMessages, &DeviceReport, &MeasLog};
  for (int i = 0; i < 3; ++i) {
    lines += *lists[i];
    if (i < 2 && !lists[i]->isEmpty()) lines << " ";
  }
  return lines;
}
