// Program entry. The recorder window is not built yet: the program answers
// --version and --help, which shows the build works.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

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
  Print(VersionText() + " - " + ProgramDescription());
  if (args.contains(QStringLiteral("--version"))) return 0;
  Print(QStringLiteral("usage: tavrin --version\n"
                       "This build holds the program's foundation; the recorder window and the\n"
                       "headless recording come with the next versions."));
  return args.isEmpty() || args.contains(QStringLiteral("--help")) ? 0 : 2;
}
