#include "acq/simulated_dataq_sdk.h"

#include <QPointer>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "acq/models.h"
#include "platform/seams.h"

namespace {

// Codes of the control's error table.
constexpr int NoDriverLink = -1;
constexpr int StartScanError = 9;
constexpr int ScanListLengthError = 14;

qint64 NowMs() {
  return Seams().Clock->Milliseconds();
}

}  // namespace

TSimulatedDataqSdk::TSimulatedDataqSdk(QObject* parent) : TDataqSdk(parent) {
  PollTimer.setInterval(PollMs);
  connect(&PollTimer, &QTimer::timeout, this, &TSimulatedDataqSdk::Pump);
}

double TSimulatedDataqSdk::SampleRate() const {
  return Started ? RateInEffect : TDataqSdk::SampleRate();
}

void TSimulatedDataqSdk::FailStart(int code) {
  // A real control reports a failed start through its event, after the call returned.
  QMetaObject::invokeMethod(
      this, [this, code] { emit OnControlError(code); }, Qt::QueuedConnection);
}

void TSimulatedDataqSdk::DataqStart() {
  if (Running) return;
  ++RunId;
  Started = false;
  Device.reset();

  const QString port = DeviceID().section(u' ', 0, 0, QString::SectionSkipEmpty);
  std::optional<TSimulatedDevice> device = FindSimulatedDevice(port);
  if (!device || !IsDataqModel(device->ModelId)) {
    FailStart(NoDriverLink);
    return;
  }

  const QList<qint32> channels = ChannelList();
  const int rows = ADChannelCount() > 0 ? ADChannelCount() : static_cast<int>(channels.size());
  if (rows <= 0 || rows > MaxChannels(device->ModelId) ||
      (!channels.isEmpty() && rows > channels.size())) {
    FailStart(ScanListLengthError);
    return;
  }

  const double rate = TDataqSdk::SampleRate();
  if (!std::isfinite(rate) || rate <= 0) {
    FailStart(StartScanError);
    return;
  }

  Device = device;
  Rows = rows;
  RateInEffect = rate;
  ProductionRate = rate * (1 + device->RateError);
  StartMs = NowMs();
  StopMs = StartMs;
  Produced = Delivered = LastEventProduced = 0;
  OverflowPending = false;

  Faults.clear();
  for (const TInjectedControlError& e : device->ControlErrors)
    Faults << TFault{e.Seconds * 1000, false, e.Code};
  for (double at : device->Overruns) Faults << TFault{at * 1000, true, 0};
  std::stable_sort(Faults.begin(), Faults.end(),
                   [](const TFault& a, const TFault& b) { return a.AtMs < b.AtMs; });
  NextFault = 0;

  BoardId = static_cast<qint16>(device->ModelId.toInt());
  Serial = device->SerialReply;
  Revision = 1;

  Started = true;
  Running = true;
  PollTimer.start();
}

void TSimulatedDataqSdk::DataqStop() {
  if (!Running) return;
  StopMs = NowMs();
  Running = false;
  PollTimer.stop();
}

void TSimulatedDataqSdk::Produce() {
  if (!Started) return;
  const qint64 end = Running ? NowMs() : StopMs;
  const double elapsed = static_cast<double>(std::max<qint64>(end - StartMs, 0));
  // The small offset keeps exact products (100 ms at 100 Hz = 10 scans) from
  // falling just short through rounding.
  const qint64 due = static_cast<qint64>(std::floor(elapsed * ProductionRate / 1000.0 + 1e-7));
  Produced = std::max(Produced, due);
  const qint64 capacity = BufferSamples / Rows;
  if (Produced - Delivered > capacity) {
    Delivered = Produced - capacity;
    OverflowPending = true;
  }
}

qint32 TSimulatedDataqSdk::Count(qint64 scan, int position) const {
  if (Device->Signal == TSimulatedSignal::Sine) {
    const double t = static_cast<double>(scan) / ProductionRate;
    return static_cast<qint32>(std::nearbyint(std::sin(12 * std::numbers::pi * t) * 16384));
  }
  return static_cast<qint32>((scan + 1000LL * position) % 65536) - 32768;
}

TDataqBlock TSimulatedDataqSdk::DataqGetData() {
  if (!Started) return {};
  Produce();
  const int scans = static_cast<int>(Produced - Delivered);
  TDataqBlock block(Rows, scans);
  for (int k = 0; k < Rows; ++k)
    for (int j = 0; j < scans; ++j) block.Set(k, j, Count(Delivered + j, k));
  Delivered = Produced;
  return block;
}

void TSimulatedDataqSdk::Pump() {
  if (!Running) return;
  // A handler may stop, restart or even delete the control: look again after every event.
  const QPointer<TSimulatedDataqSdk> self(this);
  const quint64 run = RunId;
  auto goneOrStopped = [&] { return !self || !Running || RunId != run; };

  const double runMs = static_cast<double>(NowMs() - StartMs);
  while (NextFault < Faults.size() && runMs >= Faults[NextFault].AtMs) {
    const TFault fault = Faults[NextFault++];
    if (fault.Overrun)
      emit OnOverRun();
    else
      emit OnControlError(fault.Code);
    if (goneOrStopped()) return;
  }

  Produce();
  if (OverflowPending) {
    OverflowPending = false;
    emit OnOverRun();
    if (goneOrStopped()) return;
  }

  const qint64 threshold = std::max<qint64>(EventPoint(), 1);
  const qint64 ready = (Produced - Delivered) * Rows;
  if (ready >= threshold && (Produced - LastEventProduced) * Rows >= threshold) {
    LastEventProduced = Produced;
    emit OnNewData(static_cast<int>(ready));
  }
}
