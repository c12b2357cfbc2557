// `tavrin --devices [--simulate FILE]`: device detection as at the window's
// first activation, the report on standard output.
#include <cstdio>

#include "acq/options.h"
#include "acq/simulated_devices.h"
#include "acq/simulated_seams.h"
#include "app/headless.h"
#include "app/recorder.h"
#include "platform/console_dialogs.h"
#include "platform/seams.h"

namespace {
void Err(const QString& text) {
  std::fprintf(stderr, "%s\n", DisplayText(text).toLocal8Bit().constData());
  std::fflush(stderr);
}

// Detection shows a status text and the device caption; nothing else reaches it.
class TDeviceListView : public TRunView {
public:
  QString FileText() const override { return {}; }
  QString RecTimeText() const override { return {}; }
  QString Comment2() const override { return {}; }
  QString Comment3() const override { return {}; }
  void ShowStatusText(const QString& text) override { Err(text); }
  void ShowCountText(const QString&) override {}
  void ShowOverrunsText(const QString&) override {}
  void ShowDeviceText(const QString& text) override { Err("Device: " + text); }
  void SetComment1(const QString&) override {}
  void SetRunFields(const TRunFields&) override {}
  void SetRecProgress(const QString&) override {}
  void SetRunState(bool) override {}
  void SetBusyCursor(bool) override {}
  void RunStarting(double, double) override {}
  void BlockStored(int, int, bool) override {}
  void ShowSavedLog(const QStringList&) override {}
  void ConvertRecording(int, const QString&, const QStringList&, double) override {}
};
}  // namespace

int ListDevices(const QStringList& args) {
  QString simulate;
  for (int i = 0; i < args.size(); ++i) {
    const QString& o = args[i];
    if (o == "--devices" || o == "/TEST" || o.startsWith("/LOGMEAS=") || o.startsWith("/LOGCOMM="))
      continue;
    if (o == "--simulate") {
      if (i + 1 >= args.size()) {
        Err("--simulate needs a value");
        return 2;
      }
      simulate = args[++i];
      continue;
    }
    Err("Unknown option: " + o);
    return 2;
  }
  if (!simulate.isEmpty()) {
    const QString error = SetSimulatedDevicesFile(simulate);
    if (!error.isEmpty()) Err(error);
  }
  InstallDeviceSeams();

  TConsoleDialogs dialogs;
  TSeamOverride<TDialogs> dialogsOverride(&TSeamSet::Dialogs, dialogs);
  TOptions options;
  options.LoadOptions();
  TDeviceListView view;
  TRecorder recorder(options, view);
  recorder.DetectDevices();
  for (const QString& line : recorder.DeviceReport)
    std::printf("%s\n", line.toLocal8Bit().constData());
  std::fflush(stdout);
  return 0;
}
