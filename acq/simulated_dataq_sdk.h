#pragma once
// The DATAQ control for simulated devices (acq/simulated_devices.h). After
// DataqStart it produces scans at SampleRate × (1 + RateError) per second of
// the clock seam and raises OnNewData whenever at least EventPoint samples are
// ready; injected faults are raised when their run time has passed. A port that
// no simulated DATAQ device serves fails as a real device without a driver
// does: control error -1 on the event loop, and no data.
//
// Time is looked at by a poll timer on the event loop and by Pump(), which
// tests call after moving a manual clock.

#include <QTimer>
#include <optional>

#include "acq/dataq_sdk.h"
#include "acq/simulated_devices.h"

class TSimulatedDataqSdk : public TDataqSdk {
  Q_OBJECT

public:
  // The device's buffer: what is not fetched beyond this many samples is lost
  // (oldest first) and reported by OnOverRun.
  static constexpr qint64 BufferSamples = 1 << 20;
  static constexpr int PollMs = 10;

  explicit TSimulatedDataqSdk(QObject* parent = nullptr);

  double SampleRate() const override;
  qint16 InfoBoardID() const override { return BoardId; }
  QString InfoSerial() const override { return Serial; }
  qint16 InfoRev() const override { return Revision; }

  void DataqStart() override;
  void DataqStop() override;
  TDataqBlock DataqGetData() override;

  // Raises what is due by now: injected faults, a lost-data overrun, a data event.
  void Pump();
  bool IsRunning() const { return Running; }

private:
  struct TFault {
    double AtMs = 0;
    bool Overrun = false;
    int Code = 0;
  };

  void FailStart(int code);
  // Brings the produced scan count up to now (or to the stop), dropping what overflows the buffer.
  void Produce();
  qint32 Count(qint64 scan, int position) const;

  QTimer PollTimer;
  std::optional<TSimulatedDevice> Device;
  bool Started = false;  // the last start succeeded: DataqGetData has a shape
  bool Running = false;
  quint64 RunId = 0;
  int Rows = 0;
  double RateInEffect = 0;
  double ProductionRate = 0;  // scans per second actually produced
  qint64 StartMs = 0;
  qint64 StopMs = 0;
  qint64 Produced = 0;           // scans produced since the start
  qint64 Delivered = 0;          // scans fetched or lost
  qint64 LastEventProduced = 0;  // Produced when the last data event was raised
  bool OverflowPending = false;
  QList<TFault> Faults;  // in time order
  qsizetype NextFault = 0;
  qint16 BoardId = 0;
  QString Serial;
  qint16 Revision = 0;
};
