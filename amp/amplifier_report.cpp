#include "amp/amplifier_report.h"

#include "amp/amplifier_link.h"
#include "platform/seams.h"
#include "support/UFloatList.h"
#include "support/locale_format.h"

namespace {
constexpr int ReportFrames = 20;
constexpr int ReportChannels = 8;
}  // namespace

QStringList AmplifierSettingsReport(int comNumber) {
  const QString blank = QStringLiteral(" ");
  QStringList lines;
  TFloatList values;
  TAmplifierLink link;  // closes the port also when something escapes

  link.OpenAmplifierPort(comNumber);
  lines << QStringLiteral("About: [") + link.GetAmplifierAbout() + QLatin1Char(']') << blank;

  const QString gain = link.GetAmplifierGain();
  lines << QStringLiteral("Gain: [") + gain + QLatin1Char(']');
  if (!gain.isEmpty()) {
    ParseGainReply(gain, values);
    lines << values.AsText();
  }
  lines << blank;

  const QString plant = link.GetAmplifierPlant();
  lines << QStringLiteral("Plant: [") + plant + QLatin1Char(']');
  if (!plant.isEmpty()) {
    ParsePlantReply(plant, values);
    lines << values.AsText();
  }
  lines << blank;

  // The clock starts when "Start" goes out, not after the pause that follows
  // it: the frames that pile up during the pause would otherwise count as if
  // they had come at once, and the rate would read about twice too high.
  lines << QStringLiteral("Start");
  link.ReadReplyLine(AmplifierReplyMs);
  const qint64 t0 = Seams().Clock->Milliseconds();
  link.SendAmplifierCommand(QStringLiteral("Start"));
  qint64 d = 0;
  for (int i = 0; i < ReportFrames; ++i) {
    const QString frame = link.ReadAmplifierFrame();
    d = Seams().Clock->Milliseconds() - t0;
    lines << Format("%.5d: [%s]", {d, frame});
    if (!frame.isEmpty()) {
      ParseAmplifierFrame(frame, ReportChannels, values);
      lines << values.AsText();
    }
  }

  lines << QStringLiteral("Stop: [") + link.StopAmplifier() + QLatin1Char(']');
  // A dead port answers at once: no time may have passed at all.
  const double rate = d > 0 ? ReportFrames * 1000.0 / double(d) : 0.0;
  lines << Format("Time: %d msec, f=%.1f Hz (n=%d)", {d, rate, ReportFrames});
  if (link.PortFailed()) lines << QStringLiteral("Port error: ") + link.PortError();
  lines << blank;
  link.CloseAmplifierPort();
  return lines;
}
