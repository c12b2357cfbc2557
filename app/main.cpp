// Program entry: the headless commands run without a window; the recorder
// window itself is not built yet, so without a command the program says so.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "app/headless.h"
#include "platform/guarded_application.h"
#include "windows/identity.h"

namespace {
QString VersionText() {
  return ProgramName() + " v" + ProgramVersion() + " (" + ProgramDate() + ")";
}

void Print(const QString& text) { std::printf("%s\n", text.toLocal8Bit().constData()); }
}  // namespace

int main(int argc, char** argv) {
  TGuardedApplication<QCoreApplication> app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("tavrin"));
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.contains(QStringLiteral("--version"))) {
    Print(VersionText() + " - " + ProgramDescription());
    return 0;
  }
  const int status = RunHeadless(args);
  if (status >= 0) return status;
  Print(VersionText() + " - " + ProgramDescription());
  Print(HeadlessUsage());
  Print(QStringLiteral("The recorder window comes with the next version; the headless commands\n"
                       "above record and convert already."));
  return args.isEmpty() || args.contains(QStringLiteral("--help")) ? 0 : 2;
}
