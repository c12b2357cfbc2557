#include "acq/sampler.h"

#include <cmath>
#include <numbers>

#include "acq/models.h"
#include "platform/errors.h"
#include "platform/seams.h"

TSampler::TSampler(const QString& portName, int baudRate, const QString& model)
    : PortName(portName), Model(model), BaudRate(baudRate) {
  ClearChannels();
  IsDemo = IsDemoModel(model);
  IsAmp = IsOrca8xModel(model);
}

void TSampler::ClearChannels() {
  ChannelNos.fill(-1);
  RangeCodes.fill(0);
  ChannelCount = 0;
}

int TSampler::CountChannels() const {
  return int(std::count_if(ChannelNos.begin(), ChannelNos.end(), [](int c) { return c != -1; }));
}

void TSampler::SetChannel(int index, int channelNo, int rangeCode) {
  if (index < 0 || index >= MaxPositions) return;
  ChannelNos[size_t(index)] = channelNo;
  RangeCodes[size_t(index)] = rangeCode;
  ChannelCount = CountChannels();
}

int TSampler::ChannelAt(int index) const {
  return index >= 0 && index < MaxPositions ? ChannelNos[size_t(index)] : -1;
}

int TSampler::RangeAt(int index) const {
  return index >= 0 && index < MaxPositions ? RangeCodes[size_t(index)] : -1;
}

int TSampler::DefaultRangeCode() const {
  return ::DefaultRangeCode(Model, IsPGL);
}

bool TSampler::IsDataqDevice() const {
  return !IsDemoModel(Model) && !IsOrca8xModel(Model);
}

bool TSampler::IsAmplifier() const {
  return IsOrca8xModel(Model);
}

int TSampler::ComPortNumber() const {
  return ComNumberFromText(PortName, 1);
}

void TSampler::Start(bool clearFirst, int eventPoint, double sampleRate) {
  LastError.clear();
  if (!DataqSdk) {
    LastError = QStringLiteral("DataqSdk not defined");
    return;
  }
  if (ChannelCount == 0) {
    LastError = QStringLiteral("No channels defined");
    return;
  }
  if (clearFirst) ClearData();
  ErrorCodes.clear();
  OverrunCount = 0;
  const bool dataq = IsDataqDevice();
  if (dataq) {
    DataqSdk->SetDeviceDriver(QString());
    DataqSdk->SetDeviceID(PortName + " " + Model + " " + QString::number(BaudRate));
  }
  if (IsDemo) {
    DemoRate = sampleRate;
  } else {
    DataqSdk->SetADChannelCount(qint16(ChannelCount));
    double burst = BaudRate / 32;
    if (IsDI710(Model))
      burst = 2400.0;
    else if (IsDI149(Model) || IsDI155(Model))
      burst = 5000 / ChannelCount;
    DataqSdk->SetMaxBurstRate(burst);
    DataqSdk->SetEventPoint(eventPoint);
    DataqSdk->SetSampleRate(sampleRate);
    QList<qint32> channels, gains;
    for (int i = 0; i < ChannelCount; ++i) {
      channels << ChannelNos[size_t(i)];
      int code = RangeCodes[size_t(i)];
      // The DI-155 knows its ranges as 0..6; the program numbers them 100..106.
      if (IsDI155(Model) && code >= 100) code -= 100;
      gains << code;
    }
    DataqSdk->DataqSetChannelList(channels);
    DataqSdk->DataqSetGainList(gains);
  }
  NextTime = 0;
  Running = 1;
  if (!IsDemo) DataqSdk->DataqStart();
  StartTick = Seams().Clock->TickCount();
}

void TSampler::Stop() {
  if (!DataqSdk) return;
  StopTick = Seams().Clock->TickCount();
  if (!IsDemo) DataqSdk->DataqStop();
  Running = 0;
}

double TSampler::BlockTimeStep(int scans) const {
  const qint64 n = qint64(PointCount()) + scans;
  const double e = ElapsedSeconds(n);
  double rate = e > 0 ? double(n) / e : 0;
  if (rate == 0) {
    if (IsDemo) {
      rate = DemoRate;
    } else {
      rate = DataqSdk->SampleRate();
      // (the DI-155 reports its rate summed over the scan list)
      if (IsDI155(Model) && ChannelCount > 1) rate /= ChannelCount;
    }
  }
  return rate > 0 ? 1.0 / rate : 0;
}

int TSampler::ReadData(int count) {
  if (!DataqSdk) {
    LastError = QStringLiteral("DataqSdk object not defined");
    return -1;
  }
  const TDataqBlock block = IsDemo ? MakeDemoBlock(count) : DataqSdk->DataqGetData();
  if (block.DimensionCount() == 0) {
    LastError = QStringLiteral("No data (dimension count=0)");
    return -1;
  }
  try {
    TimeList.clear();
    const int scans = block.Scans();
    const double dt = BlockTimeStep(scans);
    for (int row = 0; row < block.Rows(); ++row) {
      const int channel = row < MaxPositions ? ChannelNos[size_t(row)] : -1;
      if (channel < 0 || channel >= MaxPositions)
        throw TError(QStringLiteral("scan list position %1 holds no channel").arg(row));
      TIntList& values = ChannelValues[size_t(channel)];
      values.SetCapacity(values.Count() + scans);
      for (int scan = 0; scan < scans; ++scan) {
        values.Add(qint64(block.At(row, scan)));
        if (row == 0) {
          TimeList.push_back(NextTime);
          NextTime += dt;
        }
      }
    }
    return scans;
  } catch (const std::exception& e) {
    LastError = QStringLiteral("Error: ") + ErrorMessage(e);
    return -1;
  }
}

TDataqBlock TSampler::MakeDemoBlock(int count) {
  const int rows = ChannelCount;
  const int scans = rows > 0 ? count / rows : 0;
  const double dt = BlockTimeStep(scans);
  TDataqBlock block(rows, qMax(scans, 0));
  std::uniform_int_distribution<int> noise(0, 16383);
  for (int row = 0; row < rows; ++row) {
    double t = NextTime;
    for (int scan = 0; scan < scans; ++scan) {
      const qint32 value =
          row % 2 ? noise(Noise) - 8192
                  : qint32(std::nearbyint(std::sin(12 * std::numbers::pi * t) * 16384));
      block.Set(row, scan, value);
      t += dt;
    }
  }
  return block;
}

int TSampler::GetLastValues(int channelNo, int count, float* values) const {
  if (channelNo < 0 || channelNo >= MaxPositions || count <= 0) return 0;
  const TIntList& list = ChannelValues[size_t(channelNo)];
  const qint64* data = list.Data();
  const double high = RangeHigh(RangeCodes[size_t(channelNo)], IsPGL);
  const double low = RangeLow(RangeCodes[size_t(channelNo)], IsPGL);
  int k = count - 1;
  int m = list.Count() - 1;
  int written = 0;
  for (; k >= 0 && m >= 0; --k, --m, ++written)
    values[k] =
        IsAmp ? float(double(data[m]) / 1000) : float(CountsToVolts(int(data[m]), high, low));
  return written;
}

int TSampler::PointCount() const {
  return ChannelValues[0].Count();
}

double TSampler::ElapsedSeconds(qint64 points) const {
  if (IsDemo) return double(quint32(Seams().Clock->TickCount() - StartTick)) / 1000;
  if (IsAmp) return double(points) / 100;
  const double rate = DataqSdk ? DataqSdk->SampleRate() : 0;
  return rate > 0 ? double(points) / rate : 0;
}

double TSampler::RunTicks() const {
  return double(quint32(StopTick - StartTick));
}

void TSampler::ClearData() {
  for (auto& list : ChannelValues) list.Clear();
  TimeList.clear();
}

void TSampler::ClearTimes() {
  TimeList.clear();
}

void TSampler::AddValue(int channelNo, double volts) {
  if (channelNo < 0 || channelNo >= MaxPositions) return;
  ChannelValues[size_t(channelNo)].Add(qint64(std::nearbyint(volts * 1000)));
}

void TSampler::AddTime(double seconds) {
  TimeList.push_back(seconds);
}

double TSampler::TimeAt(int index) const {
  if (TimeList.empty()) return 0;
  if (index < 0) index = 0;
  return TimeList[size_t(qMin(index, int(TimeList.size()) - 1))];
}

double TSampler::LastTime() const {
  return TimeList.empty() ? 0 : TimeList.back();
}

void TSampler::GetVoltageSpan(double& low, double& high) const {
  if (IsAmp) {
    low = -6.644;
    high = 6.644;
    return;
  }
  low = high = 0;
  for (int i = 0; i < MaxPositions; ++i) {
    if (ChannelNos[size_t(i)] == -1) continue;
    low = qMin(low, RangeLow(RangeCodes[size_t(i)], IsPGL));
    high = qMax(high, RangeHigh(RangeCodes[size_t(i)], IsPGL));
  }
  if (low == high) {
    low = RangeLow(0, IsPGL);
    high = RangeHigh(0, IsPGL);
  }
}

int TSampler::ControlErrorCode(int index) const {
  bool ok = false;
  const int code = ErrorCodes.value(index).trimmed().toInt(&ok);
  return ok ? code : 99;
}

QString TSampler::ControlErrorText(int index) const {
  const int code = ControlErrorCode(index);
  return DataqErrorText(code) + QStringLiteral(" (%1)").arg(code);
}
