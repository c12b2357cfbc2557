// dataq-serial-emu: answers the DATAQ serial-number query on a pty linked as
// COMn into the ports folder, until Ctrl-C.
#include <pthread.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "platform/paths.h"
#include "tools/dataq_responder.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("dataq-serial-emu");
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Answers the DATAQ serial-number query (NUL N Z) on a pseudo terminal linked as COMn "
      "into the ports folder ($TAVRIN_PORTS_DIR).");
  parser.addHelpOption();
  const QCommandLineOption com("com", "The COM number to link.", "N");
  const QCommandLineOption reply("reply", "The reply to send (absent: stay silent).", "TEXT");
  const QCommandLineOption endless("endless", "Keep sending letters for ever after a query.");
  parser.addOptions({com, reply, endless});
  parser.process(app);

  bool ok = false;
  const int comNumber = parser.value(com).toInt(&ok);
  if (!ok || comNumber < 1) {
    std::fprintf(stderr, "dataq-serial-emu: --com N is needed (N above 0)\n");
    return 2;
  }
  const auto behaviour = parser.isSet(endless) ? TDataqSerialResponder::TBehaviour::Endless
                         : parser.isSet(reply) ? TDataqSerialResponder::TBehaviour::Reply
                                               : TDataqSerialResponder::TBehaviour::Silent;

  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  TPty pty;
  if (!pty.Open() || !pty.LinkAs(PortsFolder(), comNumber)) {
    std::fprintf(stderr, "dataq-serial-emu: %s\n", qPrintable(pty.Error()));
    return 1;
  }
  TDataqSerialResponder device(pty, behaviour, parser.value(reply).toLatin1());
  std::printf("dataq-serial-emu: COM%d is %s (in %s); Ctrl-C ends\n", comNumber,
              qPrintable(pty.SlavePath()), qPrintable(PortsFolder()));
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stopSignals, &signal);
  device.Stop();
  std::printf("dataq-serial-emu: %d queries answered\n", device.Queries());
  return 0;
}
