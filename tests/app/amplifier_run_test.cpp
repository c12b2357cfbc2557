// Amplifier recordings against the Orca8x emulator on a pty (real clock).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cmath>

#include "app/recorder.h"
#include "common/temp_dir.h"
#include "doubles/recording_run_view.h"
#include "doubles/scripted_dialogs.h"
#include "files/data_file.h"
#include "tools/orca8x_emulator.h"

namespace {
class AmplifierRunTest : public TTempDirTest {
protected:
  TScriptedDialogs Dialogs;
  TSeamOverride<TDialogs> DialogsOverride{&TSeamSet::Dialogs, Dialogs};
  TOptions Options;
  TRecordingRunView View;
  TPty Pty;
  std::unique_ptr<TOrca8xEmulator> Amplifier;
  std::unique_ptr<TRecorder> Recorder;
  QString SavedDirectory = GetDataDirectory();

  void SetUp() override {
    QLocale::setDefault(QLocale::c());
    qputenv("TAVRIN_PORTS_DIR", PathOf("ports").toLocal8Bit());
    ASSERT_TRUE(Pty.Open());
    ASSERT_TRUE(Pty.LinkAs(PathOf("ports"), 7));
    SetDataDirectory(Dir.path());
    Options.ProcessPriority = 0;
    Recorder = std::make_unique<TRecorder>(Options, View);
    ASSERT_TRUE(Recorder->UseDevice("COM7", "ORCA8X", 8));
  }
  void TearDown() override {
    Recorder.reset();
    Amplifier.reset();
    qunsetenv("TAVRIN_PORTS_DIR");
    SetDataDirectory(SavedDirectory);
  }
  void StartAmplifier(TOrca8xOptions options = {}) {
    Amplifier = std::make_unique<TOrca8xEmulator>(Pty, options);
  }

  // Volts as they reach the file: the raw value converted to a single-precision
  // float, kept by the sampler as whole millivolts, read back in volts.
  static float Stored(quint16 raw) {
    const float volts = float(raw * 0.00075 - 6.144);
    return float(double(std::nearbyint(double(volts) * 1000)) / 1000);
  }
};
}  // namespace

TEST_F(AmplifierRunTest, RecordingStoresTheAmplifiersSignalAndEndsByItself) {
  StartAmplifier();
  View.RecTime = "0.0005";       // 1.8 s: 180 frames
  Recorder->bnStartMeasClick();  // returns when the run has ended
  EXPECT_FALSE(Recorder->IsRunning());
  EXPECT_EQ(Recorder->RunEnd, TRunEnd::Completed);
  EXPECT_EQ(Recorder->PointsStored, 180);
  EXPECT_DOUBLE_EQ(Recorder->SampleRate, 100);
  EXPECT_NEAR(Recorder->TimeData[179], 1.79, 1e-9);
  ASSERT_EQ(View.Conversions.size(), 1);

  TSampleAreaReader reader;
  reader.Open(PathOf("test1.aq8"));
  reader.Start(8);
  std::vector<float> all, block;
  while (reader.Next(block)) all.insert(all.end(), block.begin(), block.end());
  ASSERT_EQ(all.size(), 180u * 8);
  // Every stored frame is a whole frame of the stream, in order. (A frame may
  // be missed when the machine stalls for longer than the 50 ms frame
  // time-out; it is never replaced by a misassembled one.)
  const auto matches = [&](int j, qint64 f) {
    for (int k = 0; k < 8; ++k)
      if (all[size_t(j * 8 + k)] != Stored(TOrca8xEmulator::DefaultSignal(f, k))) return false;
    return true;
  };
  qint64 frame = -1;
  int missed = 0;
  for (int j = 0; j < 180; ++j) {
    const qint64 from = frame + 1;
    const qint64 to = frame < 0 ? 16384 : frame + 20;
    qint64 found = -1;
    for (qint64 f = from; f < to && found < 0; ++f)
      if (matches(j, f)) found = f;
    ASSERT_GE(found, 0) << "stored frame " << j << " is not a frame of the stream";
    if (frame >= 0) missed += int(found - frame - 1);
    frame = found;
  }
  EXPECT_LE(missed, 5);
  EXPECT_TRUE(Recorder->MeasLog.contains(QString(54, '-')));
  EXPECT_TRUE(Recorder->Comment1().endsWith("smpl.frq= 100.000Hz"));
}

TEST_F(AmplifierRunTest, AmplifierThatVanishesEndsTheRunAndKeepsTheData) {
  TOrca8xOptions options;
  options.VanishAfter = 60;
  StartAmplifier(options);
  View.RecTime = "0.01";
  Dialogs.ExpectMessage("The recording has been stopped; the data recorded so far are kept.")
      .ExpectConfirm("Convert data to hour-based files?", true);
  QElapsedTimer t;
  t.start();
  Recorder->bnStartMeasClick();
  EXPECT_LT(t.elapsed(), 6000);
  EXPECT_EQ(Recorder->RunEnd, TRunEnd::DeviceLost);
  EXPECT_GE(Recorder->PointsStored, 50);
  EXPECT_EQ(View.Conversions.size(), 1);
  QFile file(PathOf("test1.aq8"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.size() - ReadFileHeader(file), qint64(Recorder->PointsStored) * 8 * 4);
}

TEST_F(AmplifierRunTest, StopIsServedWhileNoFrameArrives) {
  TOrca8xOptions options;
  options.Silent = true;
  StartAmplifier(options);
  View.RecTime = "0.01";
  // Pressed while the loop waits for frames that never come.
  QTimer::singleShot(100, [this] { Recorder->bnStartMeasClick(); });
  Recorder->bnStartMeasClick();
  EXPECT_FALSE(Recorder->IsRunning());
  EXPECT_EQ(Recorder->RunEnd, TRunEnd::StoppedByUser);
  EXPECT_EQ(Recorder->PointsStored, 0);
  EXPECT_TRUE(View.Conversions.isEmpty());
}

TEST_F(AmplifierRunTest, SilentAmplifierEndsTheRunWithinASecond) {
  TOrca8xOptions options;
  options.Silent = true;
  StartAmplifier(options);
  View.RecTime = "0.01";
  Dialogs.ExpectMessage("The amplifier stopped sending data.");
  Recorder->bnStartMeasClick();
  EXPECT_EQ(Recorder->RunEnd, TRunEnd::DeviceLost);
  EXPECT_TRUE(Recorder->MeasLog.contains("The amplifier stopped sending data."));
  EXPECT_FALSE(Recorder->DataFileOpen);
}
