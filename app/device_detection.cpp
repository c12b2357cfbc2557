// Choosing the recording device: detection at start-up and after the options,
// the choice made in the selection dialog, and the check for a DATAQ driver
// program that would keep the chosen port busy.
#include "acq/models.h"
#include "app/recorder.h"
#include "platform/seams.h"
#include "support/kvutil.h"
#include "support/locale_format.h"

namespace {
const char* const Pgh = "PGH";

// The channel count a model starts with, from the options.
int StartChannels(const TOptions& options, const QString& model) {
  if (IsDI148(model)) return options.NumChanDI148;
  if (IsDI155(model)) return options.NumChanDI155;
  if (IsDI158(model)) return options.NumChanDI158;
  if (IsDI710(model)) return options.NumChanDI710;
  if (IsDemoModel(model)) return options.NumChanDemo;
  if (IsOrca8xModel(model)) return options.NumChanOrca8x;
  return MaxChannels(model);
}
}  // namespace

bool TRecorder::DetectDevices() {
  // The device cannot change under a running recording, and the report
  // belongs to that run's log: leave both alone.
  if (IsRunning()) return true;

  DeviceReport.clear();
  const int n = Dataq.ScanDevices();
  if (n == 1) {
    DeviceReport << "No real device found, drivers may need to be installed:"
                 << "  * DATAQ driver CD (USB and virtual serial port)"
                 << "  * Device driver and ActiveX, e.g. new170.exe"
                 << "  * FTDI driver in case of Orca8x";
    ShowStatus("No DATAQ or Orca8x device found.", false);
  }
  DeviceReport << " "
               << "Devices detected:";

  const int selected = n > 1 ? 1 : 0;
  QString selectedVariant;
  bool selectedPGL = false;
  for (int i = 0; i < n; ++i) {
    const QString model = Dataq.DeviceModelId(i);
    if (model.isEmpty()) continue;
    DeviceReport << Format("  Device name : %s", {Dataq.DeviceName(i)})
                 << Format("  Device ID   : %s", {model})
                 << Format("  COM port    : %s", {Dataq.DevicePort(i)})
                 << Format("  Max channels: %d", {::MaxChannels(model)});
    QString variant = Dataq.DeviceModelVariant(i);
    bool pgl = false;
    if (IsDI710(model)) {
      if (Options.AlwaysDI710UL) {
        variant = "PGL (forced)";
        pgl = true;
      } else {
        pgl = variant != Pgh;
      }
    }
    const int code = DefaultRangeCode(model, pgl);
    DeviceReport << Format("  Range       : +/- %.2f V (%d)",
                           {RangeHigh(code, pgl), IsDI155(model) ? code - 100 : code});
    if (IsDataqModel(model))
      DeviceReport << Format("  Serial num  : %s", {QuerySerialNumber(Dataq.DeviceComNumber(i))})
                   << Format("  Model       : %s", {variant});
    DeviceReport << " ";
    if (i == selected) {
      selectedVariant = variant;
      selectedPGL = pgl;
    }
  }

  const QString model = Dataq.DeviceModelId(selected);
  // An entry the report skipped (no model id) has had no variant worked out.
  if (model.isEmpty()) selectedVariant = Dataq.DeviceModelVariant(selected);
  QString caption = Dataq.DeviceName(selected);
  if (!IsDemoModel(model) && HasModelVariant(model)) caption += "/" + selectedVariant;
  ShowDevice(caption);
  UseDevice(Dataq.DevicePort(selected), model, StartChannels(Options, model), selectedPGL);
  return true;
}

bool TRecorder::ApplySelectedDevice(int index, int comNumber) {
  if (IsRunning() || index < 0 || index >= Dataq.DeviceCount()) return false;

  const QString model = Dataq.DeviceModelId(index);
  const QString variant = Dataq.DeviceModelVariant(index);
  bool pgl = false;
  if (IsDI710(model)) {
    if (Options.AlwaysDI710UL) {
      DeviceReport << "DI-710 model forced to UL in Options";
      pgl = true;
    } else {
      pgl = variant != Pgh;
    }
  }
  QString caption = Dataq.DeviceName(index);
  if (!IsDemoModel(model)) caption += "/" + variant;
  ShowDevice(caption);

  const int previous = ChannelCount;
  Dataq.SetDeviceComNumber(index, comNumber);
  UseDevice(Dataq.DevicePort(index), model, ::MaxChannels(model), pgl);
  const bool rebuild = ChannelCount > 0 && ChannelCount != previous;
  CheckConflictingProcess();
  ShowStatus(IsDemoModel(model) ? "OK (demo)" : "OK", false);
  return rebuild;
}

void TRecorder::CheckConflictingProcess() {
  if (!Sampler) return;
  const QString name = DataqProcessName(Sampler->ComPortNumber());
  const QString checking = "Checking process: " + name;
  ShowStatus(checking, false);
  DeviceReport << checking;
  const qint64 pid = FindProcessId(name);
  if (pid == 0) {
    DeviceReport << "Not found - OK";
    return;
  }
  DeviceReport << Format("Found %s, PID=%d", {name, pid});
  // A pid that names no single process (0 or negative) must never reach the
  // system's terminate: there it means a whole group.
  if (pid > 0) Seams().Processes->Terminate(pid);
  Seams().Clock->Sleep(250);
  DeviceReport << (FindProcessId(name) != 0 ? "Process close failed" : "Process closed");
}
