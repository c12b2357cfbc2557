#include "acq/simulated_dataq_sdk.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cmath>
#include <memory>
#include <vector>

#include "acq/models.h"
#include "doubles/manual_clock.h"

namespace {

TSimulatedDevice Device(int com, const char* model = "DI-158") {
  TSimulatedDevice d;
  d.ComNumber = com;
  d.Model = model;
  d.ModelId = ModelIdFromName(model);
  d.SerialReply = "123456701";
  return d;
}

qint32 Ramp(qint64 scan, int position) {
  return static_cast<qint32>((scan + 1000 * position) % 65536) - 32768;
}

class SimulatedDataqSdkTest : public ::testing::Test {
protected:
  TManualClock Clock;
  TSeamOverride<TClock> ClockOverride{&TSeamSet::Clock, Clock};
  std::unique_ptr<TSimulatedDataqSdk> Sdk = std::make_unique<TSimulatedDataqSdk>();
  QList<int> NewData;
  int Overruns = 0;
  QList<int> Errors;

  void SetUp() override {
    SetSimulatedDevices({Device(3)});
    QObject::connect(Sdk.get(), &TDataqSdk::OnNewData, Sdk.get(), [this](int n) { NewData << n; });
    QObject::connect(Sdk.get(), &TDataqSdk::OnOverRun, Sdk.get(), [this] { ++Overruns; });
    QObject::connect(Sdk.get(), &TDataqSdk::OnControlError, Sdk.get(),
                     [this](int code) { Errors << code; });
  }
  void TearDown() override { ResetSimulatedDevices(); }

  // Configures the control as the sampler does and starts it.
  void Start(int channels, double rate, int eventPoint, const QString& port = "COM3") {
    Sdk->SetDeviceDriver(QString());
    Sdk->SetDeviceID(port + " 158 38400");
    Sdk->SetADChannelCount(static_cast<qint16>(channels));
    Sdk->SetMaxBurstRate(1200);
    Sdk->SetEventPoint(eventPoint);
    Sdk->SetSampleRate(rate);
    QList<qint32> list;
    for (int i = 0; i < channels; ++i) list << i;
    Sdk->DataqSetChannelList(list);
    Sdk->DataqSetGainList(QList<qint32>(channels, 1));
    Sdk->DataqStart();
  }

  void Advance(qint64 ms) {
    Clock.Advance(ms);
    Sdk->Pump();
  }

  // Everything fetched so far, one list per scan-list position.
  std::vector<std::vector<qint32>> Fetched;
  void Fetch() {
    const TDataqBlock block = Sdk->DataqGetData();
    ASSERT_EQ(block.DimensionCount(), 2);
    Fetched.resize(block.Rows());
    for (int k = 0; k < block.Rows(); ++k)
      for (int j = 0; j < block.Scans(); ++j) Fetched[k].push_back(block.At(k, j));
  }
};

TEST_F(SimulatedDataqSdkTest, RaisesADataEventOnceEventPointSamplesAreReady) {
  Start(4, 100, 40);  // 10 scans of 4 channels: every 100 ms
  EXPECT_TRUE(Sdk->IsRunning());
  Advance(99);
  EXPECT_TRUE(NewData.isEmpty());
  Advance(1);
  EXPECT_EQ(NewData, QList<int>({40}));
  Advance(0);  // nothing new: no second event for the same samples
  EXPECT_EQ(NewData.size(), 1);

  TDataqBlock block = Sdk->DataqGetData();
  EXPECT_EQ(block.DimensionCount(), 2);
  EXPECT_EQ(block.Rows(), 4);
  EXPECT_EQ(block.Scans(), 10);
  EXPECT_EQ(Sdk->DataqGetData().Scans(), 0);  // fetched once only

  Advance(150);
  EXPECT_EQ(NewData, QList<int>({40, 60}));
  // An unfetched block does not repeat its event until another EventPoint is produced.
  Advance(50);
  EXPECT_EQ(NewData.size(), 2);
  Advance(50);
  EXPECT_EQ(NewData, QList<int>({40, 60, 100}));
  EXPECT_EQ(Sdk->DataqGetData().Scans(), 25);
  EXPECT_EQ(Overruns, 0);
  EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(SimulatedDataqSdkTest, RampArrivesWithoutALostOrDoubledScanAcrossBlocksAndTheWrap) {
  Start(3, 300, 90);
  // Uneven steps, some shorter than a scan, over more than 65536 scans.
  const std::vector<qint64> steps = {1, 2, 37, 250, 999, 3, 13, 1000, 4567};
  qint64 total = 0;
  for (int i = 0; total < 230000; ++i) {
    const qint64 step = steps[i % steps.size()];
    Advance(step);
    total += step;
    Fetch();
  }
  const qint64 expected = total * 300 / 1000;
  ASSERT_EQ(Fetched.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(static_cast<qint64>(Fetched[k].size()), expected) << k;
    for (qint64 i = 0; i < expected; ++i)
      ASSERT_EQ(Fetched[k][i], Ramp(i, k)) << "position " << k << " scan " << i;
  }
  EXPECT_EQ(Fetched[0][65535], 32767);
  EXPECT_EQ(Fetched[0][65536], -32768);
  EXPECT_EQ(Fetched[2][0], -30768);
  EXPECT_EQ(Overruns, 0);
}

TEST_F(SimulatedDataqSdkTest, SineIsTheDemoSixHertzWaveOnEveryChannel) {
  TSimulatedDevice d = Device(3);
  d.Signal = TSimulatedSignal::Sine;
  SetSimulatedDevices({d});
  Start(2, 240, 2);  // 240 Hz: a quarter period of 6 Hz is 10 scans
  Advance(1000);
  Fetch();
  ASSERT_EQ(Fetched[0].size(), 240u);
  EXPECT_EQ(Fetched[0], Fetched[1]);
  EXPECT_EQ(Fetched[0][0], 0);
  EXPECT_EQ(Fetched[0][10], 16384);
  EXPECT_EQ(Fetched[0][20], 0);
  EXPECT_EQ(Fetched[0][30], -16384);
  EXPECT_EQ(Fetched[0][40], 0);
  EXPECT_EQ(Fetched[0][5], static_cast<qint32>(std::nearbyint(16384 * std::sqrt(0.5))));
}

TEST_F(SimulatedDataqSdkTest, RateErrorChangesTheScansDeliveredButNotTheRateReported) {
  struct TCase {
    double RateError;
    int Scans;  // in 100 s at 100 Hz
  };
  for (const TCase& c : std::vector<TCase>{{0, 10000}, {0.011, 10110}, {-0.02, 9800}}) {
    TSimulatedDevice d = Device(3);
    d.RateError = c.RateError;
    SetSimulatedDevices({d});
    Start(2, 100, 100);
    for (int s = 0; s < 100; ++s) {
      Advance(1000);
      Fetch();
    }
    EXPECT_EQ(Fetched[0].size(), static_cast<size_t>(c.Scans)) << c.RateError;
    EXPECT_EQ(Sdk->SampleRate(), 100) << c.RateError;
    Sdk->DataqStop();
    Fetched.clear();
  }
}

TEST_F(SimulatedDataqSdkTest, ReportsTheDeviceInfoOnceStarted) {
  EXPECT_EQ(Sdk->InfoBoardID(), 0);
  EXPECT_EQ(Sdk->InfoSerial(), QString());
  Start(4, 250, 40);
  EXPECT_EQ(Sdk->SampleRate(), 250);
  EXPECT_EQ(Sdk->InfoBoardID(), 158);
  EXPECT_EQ(Sdk->InfoSerial(), QString("123456701"));
  EXPECT_EQ(Sdk->InfoRev(), 1);
  Advance(1000);
  Fetch();
  EXPECT_EQ(Fetched[0].size(), 250u);
}

TEST_F(SimulatedDataqSdkTest, InjectedFaultsAreRaisedOnceWhenTheirTimeHasPassed) {
  TSimulatedDevice d = Device(3);
  d.ControlErrors = {{19, 30}, {2, 45}};
  d.Overruns = {10};
  SetSimulatedDevices({d});
  Start(2, 100, 20);
  Advance(9999);
  EXPECT_EQ(Overruns, 0);
  Advance(1);
  EXPECT_EQ(Overruns, 1);
  Advance(19999);
  EXPECT_TRUE(Errors.isEmpty());
  Advance(1);
  EXPECT_EQ(Errors, QList<int>({19}));
  Advance(0);
  Advance(1000);
  EXPECT_EQ(Errors, QList<int>({19}));
  Advance(60000);  // both late faults in one look, in time order
  EXPECT_EQ(Errors, QList<int>({19, 2}));
  Advance(60000);
  EXPECT_EQ(Errors, QList<int>({19, 2}));
  EXPECT_EQ(Overruns, 1);
}

TEST_F(SimulatedDataqSdkTest, StopEndsProductionEventsAndFaults) {
  TSimulatedDevice d = Device(3);
  d.ControlErrors = {{19, 30}};
  SetSimulatedDevices({d});
  Start(2, 100, 20);
  Advance(250);
  EXPECT_EQ(NewData.size(), 1);
  Sdk->DataqStop();
  EXPECT_FALSE(Sdk->IsRunning());
  Advance(60000);
  EXPECT_EQ(NewData.size(), 1);
  EXPECT_TRUE(Errors.isEmpty());
  // What was produced before the stop can still be fetched; nothing after it.
  EXPECT_EQ(Sdk->DataqGetData().Scans(), 25);
  EXPECT_EQ(Sdk->DataqGetData().Scans(), 0);

  // A new start counts scans and fault times from itself.
  Start(2, 100, 20);
  Advance(100);
  Fetch();
  ASSERT_EQ(Fetched[0].size(), 10u);
  EXPECT_EQ(Fetched[0][0], Ramp(0, 0));
  Advance(29900);
  EXPECT_EQ(Errors, QList<int>({19}));
}

TEST_F(SimulatedDataqSdkTest, AStartNobodyServesFailsOnTheEventLoopWithTheRightCode) {
  SetSimulatedDevices({Device(3), Device(7, "ORCA8X")});
  struct TCase {
    const char* Name;
    QString Port;
    int Channels;
    double Rate;
    int Code;
  };
  const std::vector<TCase> cases = {
      {"no device on the port", "COM9", 2, 100, -1},
      {"an amplifier is no DATAQ device", "COM7", 2, 100, -1},
      {"no port at all", "", 2, 100, -1},
      {"more channels than the model has", "COM3", 5, 100, 14},
      {"no channels", "COM3", 0, 100, 14},
      {"no rate", "COM3", 2, 0, 9},
  };
  for (const TCase& c : cases) {
    Errors.clear();
    NewData.clear();
    Start(c.Channels, c.Rate, 20, c.Port);
    EXPECT_FALSE(Sdk->IsRunning()) << c.Name;
    EXPECT_TRUE(Errors.isEmpty()) << c.Name << ": raised inside DataqStart";
    QCoreApplication::processEvents();
    EXPECT_EQ(Errors, QList<int>({c.Code})) << c.Name;
    Advance(1000);
    EXPECT_TRUE(NewData.isEmpty()) << c.Name;
    EXPECT_EQ(Sdk->DataqGetData().DimensionCount(), 0) << c.Name;
  }
}

TEST_F(SimulatedDataqSdkTest, ABlockWithoutDimensionsBeforeAnyStart) {
  const TDataqBlock block = Sdk->DataqGetData();
  EXPECT_EQ(block.DimensionCount(), 0);
  EXPECT_EQ(block.Rows(), 0);
  EXPECT_THROW(block.At(0, 0), std::exception);
}

TEST_F(SimulatedDataqSdkTest, AnUnfetchedBufferOverflowsOldestFirstAndSaysSoLater) {
  Start(4, 300, 40);
  const qint64 capacity = TSimulatedDataqSdk::BufferSamples / 4;
  Clock.Advance(1000000);  // 300000 scans, more than the buffer holds
  const TDataqBlock block = Sdk->DataqGetData();
  EXPECT_EQ(Overruns, 0);  // fetching raises no event
  ASSERT_EQ(block.Scans(), capacity);
  EXPECT_EQ(block.At(1, 0), Ramp(300000 - capacity, 1));
  EXPECT_EQ(block.At(1, block.Scans() - 1), Ramp(299999, 1));
  Sdk->Pump();
  EXPECT_EQ(Overruns, 1);
  Sdk->Pump();
  EXPECT_EQ(Overruns, 1);
}

TEST_F(SimulatedDataqSdkTest, AHandlerThatStopsOrDeletesTheControlEndsThePump) {
  TSimulatedDevice d = Device(3);
  d.ControlErrors = {{19, 1}};
  d.Overruns = {0.5};
  SetSimulatedDevices({d});
  Start(2, 100, 20);
  QMetaObject::Connection stop =
      QObject::connect(Sdk.get(), &TDataqSdk::OnOverRun, Sdk.get(), [this] { Sdk->DataqStop(); });
  Advance(2000);  // the overrun comes first and stops the run: no error, no data event
  EXPECT_EQ(Overruns, 1);
  EXPECT_TRUE(Errors.isEmpty());
  EXPECT_TRUE(NewData.isEmpty());
  QObject::disconnect(stop);

  Start(2, 100, 20);
  QObject::connect(Sdk.get(), &TDataqSdk::OnOverRun, Sdk.get(), [this] { Sdk.reset(); });
  Clock.Advance(2000);
  Sdk->Pump();  // must return without touching the freed control
  EXPECT_EQ(Sdk, nullptr);
  EXPECT_EQ(Overruns, 2);
}

TEST_F(SimulatedDataqSdkTest, ThePollTimerRaisesEventsWithoutAPump) {
  Start(2, 100, 20);
  Clock.Advance(100);
  QElapsedTimer waited;
  waited.start();
  while (NewData.isEmpty() && waited.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_EQ(NewData, QList<int>({20}));
}

}  // namespace
