// orca8x-emu: an Orca8x amplifier on a pty, linked as COMn into the ports folder,
// until Ctrl-C.
#include <pthread.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "platform/paths.h"
#include "tools/orca8x_emulator.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("orca8x-emu");
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Emulates an Orca8x amplifier on a pseudo terminal linked as COMn into the ports folder "
      "($TAVRIN_PORTS_DIR). Frame i carries on value k the raw value (i*7 + k*1000) mod 16384.");
  parser.addHelpOption();
  const QCommandLineOption com("com", "The COM number to link (default 7).", "N", "7");
  const QCommandLineOption silent("silent", "Answer no command.");
  const QCommandLineOption garbage("garbage", "Send random bytes other than S between frames.");
  const QCommandLineOption streaming("streaming", "Stream frames from the start.");
  const QCommandLineOption vanish("vanish-after", "Disappear after N frames.", "N");
  parser.addOptions({com, silent, garbage, streaming, vanish});
  parser.process(app);

  bool ok = false;
  const int comNumber = parser.value(com).toInt(&ok);
  if (!ok || comNumber < 1) {
    std::fprintf(stderr, "orca8x-emu: --com needs a number above 0\n");
    return 2;
  }
  TOrca8xOptions options;
  options.Silent = parser.isSet(silent);
  options.Garbage = parser.isSet(garbage);
  options.Streaming = parser.isSet(streaming);
  if (parser.isSet(vanish)) {
    options.VanishAfter = parser.value(vanish).toInt(&ok);
    if (!ok || options.VanishAfter < 0) {
      std::fprintf(stderr, "orca8x-emu: --vanish-after needs a number of frames\n");
      return 2;
    }
  }

  // Ctrl-C is taken by sigwait below; the device's thread must not see it.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  TPty pty;
  if (!pty.Open() || !pty.LinkAs(PortsFolder(), comNumber)) {
    std::fprintf(stderr, "orca8x-emu: %s\n", qPrintable(pty.Error()));
    return 1;
  }
  TOrca8xEmulator device(pty, options);
  std::printf("orca8x-emu: COM%d is %s (in %s); Ctrl-C ends\n", comNumber,
              qPrintable(pty.SlavePath()), qPrintable(PortsFolder()));
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stopSignals, &signal);
  device.Stop();
  std::printf("orca8x-emu: %lld frames sent\n", static_cast<long long>(device.FramesSent()));
  return 0;
}
