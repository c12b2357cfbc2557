#pragma once
// The run logic of the recorder: set-up checks, start, the data block handler,
// stop and abort, the measurement log and the status texts. It owns the run
// state and the three text lists; it reaches the screen only through TRunView
// (the main window, the terminal of the headless mode, or a test's recording
// view) and every question through the dialogs seam.

#include <QDateTime>
#include <QStringList>
#include <QTimer>
#include <array>
#include <memory>
#include <vector>

#include "acq/dataq.h"
#include "acq/dataq_sdk.h"
#include "acq/options.h"
#include "acq/run_buffers.h"
#include "acq/sampler.h"
#include "files/data_file.h"
#include "support/UFloatList.h"

// The four run fields shown at the start of a run.
struct TRunFields {
  QString RecTimeHMS;
  QString RecStarted;
  QString RecProgress;
  QString RecEnds;
};

class TRunView {
public:
  virtual ~TRunView() = default;

  // What the user typed: the base file name, the recording time in hours,
  // comment lines 2 and 3.
  virtual QString FileText() const = 0;
  virtual QString RecTimeText() const = 0;
  virtual QString Comment2() const = 0;
  virtual QString Comment3() const = 0;

  // The status bar panes and comment line 1, already formatted; shown at once.
  virtual void ShowStatusText(const QString& text) = 0;
  virtual void ShowCountText(const QString& text) = 0;
  virtual void ShowOverrunsText(const QString& text) = 0;
  virtual void ShowDeviceText(const QString& text) = 0;
  virtual void SetComment1(const QString& line) = 0;

  virtual void SetRunFields(const TRunFields& fields) = 0;
  virtual void SetRecProgress(const QString& hms) = 0;
  // Running: inputs locked, START reads STOP, the window refuses to close.
  virtual void SetRunState(bool running) = 0;
  // Long operations show the hourglass.
  virtual void SetBusyCursor(bool busy) = 0;

  // Chart feed. A run begins: clear the detail chart, time axis from 0, the
  // given voltage axis, strips 0..600 s.
  virtual void RunStarting(double voltsLow, double voltsHigh) = 0;
  // Samples first..last (indexes into the run buffers) have been stored;
  // stripsAdvanced: the strip window moved on, every strip needs a redraw.
  virtual void BlockStored(int first, int last, bool stripsAdvanced) = 0;

  // The log text just saved, for the info window.
  virtual void ShowSavedLog(const QStringList& lines) = 0;
  // Cuts the finished recording into hour-based files (the converter window,
  // or the converter with a progress line).
  virtual void ConvertRecording(int channelCount, const QString& path, const QStringList& lines,
                                double rate) = 0;
};

// How the last run ended.
enum class TRunEnd {
  None,
  Completed,
  StoppedByUser,
  ControlError,
  WriteError,
  DeviceLost,
  StartFailed
};

class TRecorder : public QObject, public TRunBuffers {
  Q_OBJECT

public:
  static constexpr int MaxBlockInstants = 1600;
  static constexpr qint64 AlmostFullMargin = 50LL * 1024 * 1024;
  static constexpr int BaudRateDefault = 38400;

  TRecorder(TOptions& options, TRunView& view);
  ~TRecorder() override;

  // The recording device: a new sampler with channels 0..channelCount-1 at
  // their default ranges. Refused (false) while a run is active.
  bool UseDevice(const QString& portName, const QString& model, int channelCount,
                 bool isPGL = false);
  bool IsRunning() const { return Sampler && Sampler->Running != 0; }

  // Device detection at first activation and after the options dialog: scans,
  // writes DeviceReport, selects the first real device or the demo device.
  bool DetectDevices();
  // Ends a DATAQ driver program that would hold the selected device's port.
  void CheckConflictingProcess();
  // Applies entry index of Dataq, connected to comNumber, as chosen in the
  // selection dialog; true when the channel count changed (the strips are rebuilt).
  bool ApplySelectedDevice(int index, int comNumber);

  // Set-up.
  double RecTimeHours() const;
  bool ValidateSetup();
  bool AllocateBuffers();
  // Comment line 1 from now, the recording time and the sample rate.
  void RebuildComment1();

  // START / STOP.
  void bnStartMeasClick();
  void StartMeasurement();
  // The amplifier's start and frame loop; returns when the run has ended.
  void RunAmplifier();
  void DataqSdk1NewData(int count);
  void demoTimerTimer();
  void DataqSdk1ControlError(int code);
  void DataqSdk1OverRun();
  void StopMeasurement();
  void SaveMeasurementLog();
  void ConvertRecording();

  // Reporting.
  void Log(const QString& line) { MeasLog << line; }
  void ShowStatus(const QString& text, bool alsoLog);
  void ShowStatusTimed(const QString& text, bool alsoLog);
  void ShowCount(int values, qint64 ms);
  void ShowOverruns();
  void ShowDevice(const QString& text);
  // The start-up messages, the device report and the measurement log, with a
  // line holding one blank between non-empty lists.
  QStringList LogLines() const;

  const QString& Comment1() const { return Comment1Text; }
  // The three header lines of the data file.
  QStringList CommentLines() const;
  // ms since the run start on the millisecond timer.
  quint32 RunMs() const;

  // The run state, under the names the rest of the program uses.
  TOptions& Options;
  std::unique_ptr<TSampler> Sampler;
  std::unique_ptr<TDataqSdk> DataqSdk1;
  int BaudRate = BaudRateDefault;
  int RecSeconds = 0;
  QString DataFileName;
  int LogLevel = 0;
  bool CommLog = false;
  qint64 BytesWritten = 0;
  bool HandlerBusy = false;
  TDataFileWriter DataFile;
  bool DataFileOpen = false;
  double LastDemoTime = 0;
  QDateTime StartTime;
  quint32 StartTicks = 0;
  QStringList StartupMessages;
  QStringList DeviceReport;
  QStringList MeasLog;
  quint32 ProcMinMs = 100000;
  quint32 ProcMaxMs = 0;
  int NewDataCalls = 0;
  TFloatList AmpValues;
  bool ConversionOffered = false;
  QTimer demoTimer;
  TRunEnd RunEnd = TRunEnd::None;
  TDataq Dataq;

private:
  // The end of a run that the user did not ask for: stop, save the log, and
  // offer the conversion with the given question when points were recorded.
  void AbortRun(TRunEnd end, const QString& question);
  // The recording device went silent or away: the run ends like a hardware abort.
  void DeviceLost(const QString& reason);
  // Something of this run reached the buffers (the amplifier's sampler only
  // holds the frames of the block in hand).
  bool HasRecordedPoints() const;
  // A block could not be written: the run ends like a hardware abort.
  void WriteFailed(const QString& message);
  // Steps 21 and 22 of a block: the end of the recording and the statistics.
  void FinishBlock(quint32 t0, int first, int count);
  void LogStatistics(quint32 ms);
  void ShowRunFields();
  void RaisePriority();
  void CloseDataFile();

  TRunView& View;
  QString Comment1Text;
  std::vector<float> Fetch;   // one channel's values of a block
  std::vector<float> Output;  // the block's values interleaved as they go to the file
};
