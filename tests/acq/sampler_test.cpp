#include "acq/sampler.h"

#include <gtest/gtest.h>

#include <cmath>

#include "acq/models.h"
#include "acq/simulated_dataq_sdk.h"
#include "doubles/manual_clock.h"

namespace {
// A sampler configured as the program does it: channel i at position i, default ranges.
std::unique_ptr<TSampler> Configured(const QString& port, const QString& model, int channels,
                                     TDataqSdk* sdk, bool pgl = false) {
  auto s = std::make_unique<TSampler>(port, 38400, model);
  s->DataqSdk = sdk;
  s->IsPGL = pgl;
  for (int i = 0; i < channels; ++i) s->SetChannel(i, i, s->DefaultRangeCode());
  return s;
}

class SamplerTest : public ::testing::Test {
protected:
  TManualClock Clock{0xFFFFF000u};  // the tick count wraps four seconds in
  TSeamOverride<TClock> ClockOverride{&TSeamSet::Clock, Clock};
  TSimulatedDataqSdk Sdk;

  void SetUp() override {
    TSimulatedDevice d;
    d.ComNumber = 5;
    d.Model = "DI-158";
    d.ModelId = "158";
    TSimulatedDevice dataq155 = d;
    dataq155.ComNumber = 6;
    dataq155.Model = "DI-155";
    dataq155.ModelId = "155";
    SetSimulatedDevices({d, dataq155});
  }
  void TearDown() override { ResetSimulatedDevices(); }
};
}  // namespace

TEST(SamplerChannelsTest, PositionsOutsideTheListAreIgnored) {
  TSampler s("COM3", 38400, "158");
  s.SetChannel(0, 0, 1);
  s.SetChannel(1, 1, 2);
  s.SetChannel(8, 3, 1);
  s.SetChannel(-1, 3, 1);
  EXPECT_EQ(s.ChannelCount, 2);
  EXPECT_EQ(s.RangeAt(1), 2);
  EXPECT_EQ(s.RangeAt(8), -1);
  EXPECT_EQ(s.RangeAt(-1), -1);
  s.SetChannel(1, -1, 0);  // freeing a position counts it out
  EXPECT_EQ(s.ChannelCount, 1);
  s.ClearChannels();
  EXPECT_EQ(s.ChannelCount, 0);
  EXPECT_EQ(s.ChannelAt(0), -1);
}

TEST(SamplerChannelsTest, DeviceKindAndPortNumberFollowModelAndPortText) {
  const struct {
    const char* Port;
    const char* Model;
    int Com;
    bool Dataq, Amp, Demo;
  } cases[] = {{"COM12", "710", 12, true, false, false},
               {"Demo port", "Demo", 1, false, false, true},
               {"COM7", "ORCA8X", 7, false, true, false},
               {"COMx", "158", 1, true, false, false}};
  for (const auto& c : cases) {
    TSampler s(c.Port, 38400, c.Model);
    EXPECT_EQ(s.ComPortNumber(), c.Com) << c.Port;
    EXPECT_EQ(s.IsDataqDevice(), c.Dataq) << c.Model;
    EXPECT_EQ(s.IsAmplifier(), c.Amp) << c.Model;
    EXPECT_EQ(s.IsDemo, c.Demo) << c.Model;
  }
}

TEST_F(SamplerTest, StartRefusesWithoutControlOrChannels) {
  TSampler none("COM5", 38400, "158");
  none.SetChannel(0, 0, 1);
  none.Start(true, 100, 100);
  EXPECT_EQ(none.LastError, "DataqSdk not defined");
  EXPECT_EQ(none.Running, 0);
  EXPECT_EQ(none.ReadData(4), -1);
  EXPECT_EQ(none.LastError, "DataqSdk object not defined");

  TSampler empty("COM5", 38400, "158");
  empty.DataqSdk = &Sdk;
  empty.Start(true, 100, 100);
  EXPECT_EQ(empty.LastError, "No channels defined");
  EXPECT_EQ(empty.Running, 0);
  EXPECT_FALSE(Sdk.IsRunning());
}

TEST_F(SamplerTest, ConfiguresTheControlPerModel) {
  const struct {
    const char* Port;
    const char* Model;
    int Channels;
    double Burst;
    QList<qint32> Gains;
  } cases[] = {{"COM5", "158", 4, 1200, {1, 1, 1, 1}},
               {"COM6", "155", 2, 2500, {4, 4}},  // range 104 goes to the device as 4
               {"COM5", "149", 4, 1250, {0, 0, 0, 0}},
               {"COM5", "710", 2, 2400, {1, 1}}};
  for (const auto& c : cases) {
    auto s = Configured(c.Port, c.Model, c.Channels, &Sdk);
    s->Start(true, 25 * c.Channels, 100);
    EXPECT_EQ(Sdk.DeviceID(), QString(c.Port) + " " + c.Model + " 38400");
    EXPECT_EQ(Sdk.DeviceDriver(), "");
    EXPECT_EQ(Sdk.ADChannelCount(), c.Channels);
    EXPECT_EQ(Sdk.MaxBurstRate(), c.Burst) << c.Model;
    EXPECT_EQ(Sdk.EventPoint(), 25 * c.Channels);
    EXPECT_EQ(Sdk.SampleRate(), 100);
    EXPECT_EQ(Sdk.GainList(), c.Gains) << c.Model;
    EXPECT_EQ(Sdk.ChannelList().size(), c.Channels);
    EXPECT_EQ(s->Running, 1);
    s->Stop();
    EXPECT_EQ(s->Running, 0);
  }
}

TEST_F(SamplerTest, DataqBlocksAreStoredWhole) {
  auto s = Configured("COM5", "158", 4, &Sdk);
  s->Start(true, 100, 100);
  ASSERT_EQ(s->Running, 1);
  for (int block = 0; block < 3; ++block) {
    Clock.Advance(250);
    Sdk.Pump();
    EXPECT_EQ(s->ReadData(100), 25);
    // Times step by 1 / rate from the run start, across blocks.
    EXPECT_NEAR(s->TimeAt(0), block * 0.25, 1e-9);
    EXPECT_NEAR(s->TimeAt(24), block * 0.25 + 0.24, 1e-9);
  }
  EXPECT_EQ(s->PointCount(), 75);
  for (int ch = 0; ch < 4; ++ch)
    for (int i = 0; i < 75; ++i)
      ASSERT_EQ(s->Values(ch).Get(i), (i + 1000 * ch) % 65536 - 32768) << ch << " " << i;
  EXPECT_DOUBLE_EQ(s->ElapsedSeconds(75), 0.75);
}

TEST_F(SamplerTest, BlockWithoutDimensionsIsAnError) {
  auto s = Configured("COM9", "158", 2, &Sdk);  // no simulated device on COM9
  s->Start(true, 50, 100);
  EXPECT_EQ(s->ReadData(50), -1);
  EXPECT_EQ(s->LastError, "No data (dimension count=0)");
}

TEST_F(SamplerTest, DemoBlockHasSineOnEvenAndNoiseOnOddPositions) {
  auto s = Configured("Demo port", "Demo", 4, &Sdk);
  s->Start(true, 0, 100);
  EXPECT_FALSE(Sdk.IsRunning());  // the demo device never touches the control
  EXPECT_DOUBLE_EQ(s->DemoRate, 100);
  Clock.Advance(500);
  ASSERT_EQ(s->ReadData(4 * 50 + 3), 50);  // Count div channel count
  for (int i = 0; i < 50; ++i) {
    const double t = s->TimeAt(i);
    EXPECT_NEAR(t, i * 0.01, 1e-9);
    EXPECT_EQ(s->Values(0).Get(i), std::nearbyint(std::sin(12 * M_PI * t) * 16384));
    EXPECT_EQ(s->Values(2).Get(i), s->Values(0).Get(i));
    for (int odd : {1, 3}) {
      EXPECT_GE(s->Values(odd).Get(i), -8192);
      EXPECT_LE(s->Values(odd).Get(i), 8191);
    }
  }
  // The demo's elapsed time is the clock's, whatever the points.
  EXPECT_DOUBLE_EQ(s->ElapsedSeconds(0), 0.5);
}

TEST_F(SamplerTest, DemoTimeStepFollowsTheRateActuallyProduced) {
  auto s = Configured("Demo port", "Demo", 2, &Sdk);
  s->Start(true, 0, 100);
  Clock.Advance(1000);
  ASSERT_EQ(s->ReadData(2 * 50), 50);  // 50 scans in 1 s: 50 Hz measured
  EXPECT_NEAR(s->TimeAt(1) - s->TimeAt(0), 0.02, 1e-12);
}

TEST_F(SamplerTest, LastValuesFillFromTheEndInVolts) {
  auto s = Configured("COM5", "158", 2, &Sdk);  // range code 1: +/-5 V
  s->Start(true, 50, 100);
  Clock.Advance(30);
  Sdk.Pump();
  ASSERT_EQ(s->ReadData(6), 3);
  float values[5] = {9, 9, 9, 9, 9};
  EXPECT_EQ(s->GetLastValues(0, 5, values), 3);
  EXPECT_EQ(values[0], 9);
  EXPECT_EQ(values[1], 9);
  EXPECT_FLOAT_EQ(values[2], float(-32768 * 5.0 / 32768));
  EXPECT_FLOAT_EQ(values[4], float(-32766 * 5.0 / 32768));
  EXPECT_EQ(s->GetLastValues(8, 5, values), 0);
  EXPECT_EQ(s->GetLastValues(-1, 5, values), 0);
  float two[2];
  EXPECT_EQ(s->GetLastValues(1, 2, two), 2);  // only the newest
  EXPECT_FLOAT_EQ(two[1], float((1000 + 2 - 32768) * 5.0 / 32768));
}

TEST(SamplerConversionTest, CountsAndMillivoltsToVolts) {
  TSampler dataq("COM3", 38400, "158");
  dataq.SetChannel(0, 0, 1);
  // Counts reach the lists only through blocks; the conversion is the range table's.
  EXPECT_NEAR(CountsToVolts(32767, RangeHigh(1, false), RangeLow(1, false)), 4.99985, 1e-5);
  EXPECT_DOUBLE_EQ(CountsToVolts(-32768, RangeHigh(1, false), RangeLow(1, false)), -5);

  TSampler amp("COM7", 38400, "ORCA8X");
  amp.SetChannel(0, 0, 0);
  amp.AddValue(0, 0.0625);  // ties go to even
  amp.AddValue(0, 0.1875);
  amp.AddValue(0, -6.144);
  amp.AddValue(8, 1.0);  // no such channel: ignored
  EXPECT_EQ(amp.Values(0).Get(0), 62);
  EXPECT_EQ(amp.Values(0).Get(1), 188);
  EXPECT_EQ(amp.Values(0).Get(2), -6144);
  float v[3];
  ASSERT_EQ(amp.GetLastValues(0, 3, v), 3);
  EXPECT_FLOAT_EQ(v[0], 0.062f);
  EXPECT_FLOAT_EQ(v[2], -6.144f);
  EXPECT_DOUBLE_EQ(amp.ElapsedSeconds(250), 2.5);
}

TEST(SamplerTimesTest, TimeAtClampsToTheLastEntry) {
  TSampler s("COM7", 38400, "ORCA8X");
  EXPECT_EQ(s.LastTime(), 0);
  EXPECT_EQ(s.TimeAt(0), 0);
  for (double t : {0.0, 0.01, 0.02}) s.AddTime(t);
  EXPECT_DOUBLE_EQ(s.TimeAt(5), 0.02);
  EXPECT_DOUBLE_EQ(s.TimeAt(1), 0.01);
  EXPECT_DOUBLE_EQ(s.LastTime(), 0.02);
  s.ClearTimes();
  EXPECT_EQ(s.LastTime(), 0);
}

TEST_F(SamplerTest, RunTicksSpanTheWrapOfTheTickCount) {
  auto s = Configured("Demo port", "Demo", 2, &Sdk);
  s->Start(true, 0, 100);
  Clock.Advance(10000);  // the 32-bit tick count wraps in between
  s->Stop();
  EXPECT_LT(s->StopTick, s->StartTick);
  EXPECT_DOUBLE_EQ(s->RunTicks(), 10000);
  EXPECT_DOUBLE_EQ(s->ElapsedSeconds(0), 10);
}

TEST(SamplerSpanTest, VoltageSpanCoversTheRangesInUse) {
  TSampler amp("COM7", 38400, "ORCA8X");
  double low, high;
  amp.GetVoltageSpan(low, high);
  EXPECT_DOUBLE_EQ(low, -6.644);
  EXPECT_DOUBLE_EQ(high, 6.644);

  TSampler dataq("COM3", 38400, "155");
  dataq.GetVoltageSpan(low, high);  // nothing in use: +/-10 V
  EXPECT_DOUBLE_EQ(high, 10);
  dataq.SetChannel(0, 0, 104);
  dataq.SetChannel(1, 1, 100);
  dataq.GetVoltageSpan(low, high);
  EXPECT_DOUBLE_EQ(low, -50);
  EXPECT_DOUBLE_EQ(high, 50);
}

TEST(SamplerErrorsTest, ControlErrorsKeepTheirCodesAndTexts) {
  TSampler s("COM3", 38400, "158");
  s.AddControlError("2");
  s.AddControlError("-1");
  s.AddControlError("x");
  s.AddOverrun();
  EXPECT_EQ(s.ControlErrorCount(), 3);
  EXPECT_EQ(s.ControlErrorText(0), "Communication Error (2)");
  EXPECT_EQ(s.ControlErrorCode(1), -1);
  EXPECT_EQ(s.ControlErrorCode(2), 99);
  EXPECT_EQ(s.OverrunCount, 1);
}

TEST_F(SamplerTest, StartClearsTheErrorsAndOverrunsOfTheLastRun) {
  auto s = Configured("COM5", "158", 2, &Sdk);
  s->AddControlError("19");
  s->AddOverrun();
  s->Start(false, 50, 100);
  EXPECT_EQ(s->ControlErrorCount(), 0);
  EXPECT_EQ(s->OverrunCount, 0);
  EXPECT_TRUE(s->LastError.isEmpty());
}
