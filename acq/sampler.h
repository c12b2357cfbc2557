#pragma once
// The one object through which the program reaches the recording device: its
// channel list, start and stop, each block of samples, every sample of the run
// (as integers: counts, or millivolts for the amplifier), the time stamps of
// the last block, and the overrun and control-error bookkeeping.
//
// Three kinds of device: a DATAQ device through the DATAQ control, the demo
// device that synthesises its blocks, and the Orca8x amplifier, whose run loop
// fills the sampler itself (AddTime, AddValue).

#include <QString>
#include <QStringList>
#include <array>
#include <random>
#include <vector>

#include "acq/dataq_sdk.h"
#include "support/UIntList.h"

class TSampler {
public:
  static constexpr int MaxPositions = 8;

  TSampler(const QString& portName, int baudRate, const QString& model);
  TSampler(const TSampler&) = delete;
  TSampler& operator=(const TSampler&) = delete;

  // Channel list.
  void ClearChannels();
  int CountChannels() const;
  // Ignored unless 0 <= index <= 7.
  void SetChannel(int index, int channelNo, int rangeCode);
  int ChannelAt(int index) const;
  // -1 outside 0..7.
  int RangeAt(int index) const;
  int DefaultRangeCode() const;

  bool IsDataqDevice() const;
  bool IsAmplifier() const;
  // The number after "COM" in PortName; 1 when there is none.
  int ComPortNumber() const;

  // Configures and starts the device; LastError says why when Running stays 0.
  void Start(bool clearFirst, int eventPoint, double sampleRate);
  void Stop();
  // Fetches one block and appends it; scans per channel, or -1 with LastError.
  int ReadData(int count);
  // The newest count samples of a channel in volts into values[0..count-1],
  // newest last; returns how many were written (the first entries stay untouched
  // when fewer are held).
  int GetLastValues(int channelNo, int count, float* values) const;
  int PointCount() const;
  // Seconds that a number of samples per channel represents.
  double ElapsedSeconds(qint64 points) const;
  // Milliseconds from StartTick to StopTick across a wrap of the 32-bit tick count.
  double RunTicks() const;

  void ClearData();
  void ClearTimes();
  // Stores volts as whole millivolts (the amplifier's values).
  void AddValue(int channelNo, double volts);
  void AddTime(double seconds);
  // An index at or beyond the end gives the last time; 0 when there is none.
  double TimeAt(int index) const;
  double LastTime() const;
  void GetVoltageSpan(double& low, double& high) const;

  void AddOverrun() { ++OverrunCount; }
  void AddControlError(const QString& codeText) { ErrorCodes << codeText; }
  int ControlErrorCount() const { return int(ErrorCodes.size()); }
  // 99 when the entry is not a number.
  int ControlErrorCode(int index) const;
  // "Communication Error (2)".
  QString ControlErrorText(int index) const;

  QString TimingMethodName() const { return QStringLiteral("DATAQ"); }
  bool UsesPerformanceCounter() const { return false; }
  QString PerformanceCounterInfo() const { return QStringLiteral("Not used"); }

  // The samples of one channel as stored (counts, or millivolts).
  const TIntList& Values(int channelNo) const { return ChannelValues[size_t(channelNo)]; }

  // The demo device's block: even positions a 6 Hz sine, odd positions noise.
  TDataqBlock MakeDemoBlock(int count);

  std::array<int, MaxPositions> ChannelNos{};
  std::array<int, MaxPositions> RangeCodes{};
  int OverrunCount = 0;
  QStringList ErrorCodes;
  int ChannelCount = 0;
  double DemoRate = 0;
  bool IsPGL = false;
  int Running = 0;
  TDataqSdk* DataqSdk = nullptr;  // not owned
  QString PortName;
  QString Model;
  int BaudRate = 0;
  QString LastError;
  bool IsDemo = false;
  bool IsAmp = false;
  quint32 StartTick = 0;
  quint32 StopTick = 0;
  double NextTime = 0;

private:
  // The time step of the next block of scans, from the rate measured so far.
  double BlockTimeStep(int scans) const;

  std::array<TIntList, MaxPositions> ChannelValues;
  // Times of the scans of the last block, in seconds.
  std::vector<double> TimeList;
  std::mt19937 Noise{std::random_device{}()};
};
