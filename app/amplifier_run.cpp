// The Orca8x amplifier has no data event: its run loop reads the frames
// itself and hands every tenth frame group to the data handler.
#include <QCoreApplication>

#include "amp/amplifier_link.h"
#include "app/recorder.h"
#include "platform/seams.h"
#include "support/locale_format.h"

namespace {
// Frames come every 10 ms; a second without one means the amplifier is gone.
constexpr qint64 AmplifierSilenceMs = 1000;
constexpr int FramesPerBlock = 10;
}  // namespace

void TRecorder::RunAmplifier() {
  RaisePriority();
  SampleRate = 100.0;
  View.RunStarting(-6.144, 6.144);
  TClock& clock = *Seams().Clock;
  StartTime = clock.Now();
  StartTicks = clock.TickCount();
  ShowStatusTimed(Format("Recording started %s", {DateTimeText(StartTime)}), false);
  Log(QString(54, QLatin1Char('-')));
  Log(Format("Orca8x measurement starts %s (%d)", {DateTimeText(StartTime), StartTicks}));
  Comment1Text = FormatHeaderLine(StartTime, RecTimeHours(), SampleRate);
  View.SetComment1(Comment1Text);
  ShowRunFields();
  View.SetRunState(true);
  Sampler->Running = 1;
  RunActive = true;
  RunEnd = TRunEnd::None;
  Sampler->ClearData();
  Sampler->ClearTimes();
  double t = 0.0;
  int frames = 0;

  TAmplifierLink link;
  link.CommLog = CommLog;
  QString lost;
  try {
    link.OpenAmplifierPort(Sampler->ComPortNumber());
    link.StartAmplifier();
    Sampler->StartTick = clock.TickCount();
    qint64 lastFrame = clock.Milliseconds();
    while (Sampler->Running == 1) {
      const QString frame = link.ReadAmplifierFrame();
      if (frame.isEmpty()) {
        // Nothing came within the frame time-out: let STOP and the window
        // through, and notice a port that failed or went silent.
        if (link.PortFailed()) {
          lost = "The connection to the amplifier failed: " + link.PortError();
          break;
        }
        if (clock.Milliseconds() - lastFrame > AmplifierSilenceMs) {
          lost = QStringLiteral("The amplifier stopped sending data.");
          break;
        }
        QCoreApplication::processEvents();
        continue;
      }
      lastFrame = clock.Milliseconds();
      Sampler->StopTick = clock.TickCount();
      ParseAmplifierFrame(frame, ChannelCount, AmpValues);
      Sampler->AddTime(t);
      for (int j = 0; j < AmpValues.Count(); ++j) Sampler->AddValue(j, AmpValues.Get(j));
      if (++frames == FramesPerBlock) {
        DataqSdk1NewData(AmpValues.Count() * FramesPerBlock);
        Sampler->ClearTimes();
        Sampler->ClearData();
        frames = 0;
      }
      t += 0.01;
    }
  } catch (const std::exception& e) {
    lost = "Amplifier run failed: " + ErrorMessage(e);
  }
  link.StopAmplifier();
  link.CloseAmplifierPort();
  if (!lost.isEmpty() && IsRunning()) DeviceLost(lost);
}

void TRecorder::DeviceLost(const QString& reason) {
  ShowStatus(reason, true);
  Seams().Dialogs->Message(reason +
                           "\rThe recording has been stopped; the data recorded so far are kept.");
  AbortRun(TRunEnd::DeviceLost,
           "Measurement aborted: the recording device stopped. Convert data to hour-based files?");
}
