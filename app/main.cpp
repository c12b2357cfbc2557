// Program entry: a headless command runs without a window; otherwise the
// recorder window opens (and says where to turn when there is no display).
#include <QApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

#include "acq/simulated_devices.h"
#include "acq/simulated_seams.h"
#include "app/headless.h"
#include "app/kvmain.h"
#include "files/data_file.h"
#include "platform/guarded_application.h"
#include "platform/qt_dialogs.h"
#include "windows/identity.h"
#include "windows/kvdesign.h"
#include "windows/kvinfo.h"
#include "windows/kvmessage.h"

namespace {
QString VersionText() {
  return ProgramName() + " v" + ProgramVersion() + " (" + ProgramDate() + ")";
}

void Print(const QString& text) {
  std::printf("%s\n", text.toLocal8Bit().constData());
}

bool IsHeadless(const QStringList& args) {
  for (const char* command : {"--record", "--convert", "--devices", "--version", "--help"})
    if (args.contains(QLatin1String(command))) return true;
  return false;
}

bool HasDisplay() {
#ifdef Q_OS_LINUX
  return !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
  return true;
#endif
}

int RunWindow(int argc, char** argv) {
  TGuardedApplication<QApplication> app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavrin"));
  QApplication::setApplicationDisplayName(ProgramName());
  InstallGuiSeams();
  InstallDeviceSeams();
  TfrmMain main(QApplication::arguments());
  EnsureInfoWindow();
  EnsureMessageWindow();
  EnsureDesignWindow();
  main.show();
  return QApplication::exec();
}
}  // namespace

int main(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  if (IsHeadless(args)) {
    TGuardedApplication<QCoreApplication> app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavrin"));
    if (args.contains(QStringLiteral("--version"))) {
      Print(VersionText() + " - " + ProgramDescription());
      return 0;
    }
    if (args.contains(QStringLiteral("--help"))) {
      Print(VersionText() + " - " + ProgramDescription());
      Print(HeadlessUsage());
      return 0;
    }
    return RunHeadless(args);
  }
  if (!HasDisplay()) {
    Print(VersionText() + ": there is no display, so the recorder window cannot open.");
    Print(QStringLiteral("Run it under xvfb-run, or record without a window:"));
    Print(HeadlessUsage());
    return 1;
  }
  // For one program run: another data directory, simulated devices.
  for (int i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == QLatin1String("--data-dir")) SetDataDirectory(QDir(args[i + 1]).absolutePath());
    if (args[i] == QLatin1String("--simulate")) {
      const QString error = SetSimulatedDevicesFile(args[i + 1]);
      if (!error.isEmpty()) std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    }
  }
  return RunWindow(argc, argv);
}
