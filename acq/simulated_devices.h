#pragma once
// Simulated devices: an ini file with one section per port ("[COM3]") that
// discovery and the simulated DATAQ control treat as attached hardware, so
// every device path can be tried without a device.
//
//   [COM3]
//   Model=DI-158          ; a DATAQ model or ORCA8X
//   SerialReply=123456700 ; answer to the serial-number query (absent: silent)
//   Signal=ramp           ; ramp (default) or sine
//   RateError=0.011       ; delivered rate is this fraction off (here 1.1 % fast)
//   ControlError=19@30    ; code@seconds into a run, comma-separated
//   Overrun=@10           ; @seconds into a run, comma-separated
//
// Section names and keys match without regard to case; ";" starts a comment.

#include <QList>
#include <QString>
#include <optional>

enum class TSimulatedSignal { Ramp, Sine };

struct TInjectedControlError {
  int Code = 0;
  double Seconds = 0;  // run time at which it is raised
};

struct TSimulatedDevice {
  int ComNumber = 0;
  QString Model;        // as written in the file ("DI-158", "ORCA8X")
  QString ModelId;      // derived from Model ("158", "ORCA8X")
  QString SerialReply;  // empty: the device does not answer
  TSimulatedSignal Signal = TSimulatedSignal::Ramp;
  double RateError = 0;
  QList<TInjectedControlError> ControlErrors;
  QList<double> Overruns;  // run times in seconds

  QString Port() const { return QStringLiteral("COM%1").arg(ComNumber); }
};

struct TSimulatedDevicesLoad {
  QList<TSimulatedDevice> Devices;
  // Empty when the file was read cleanly; otherwise one line per problem. Bad
  // entries are left out, good ones are kept.
  QString Error;
};

// Files larger than this are refused: a simulation file is a few lines long.
inline constexpr qint64 SimulatedDevicesMaxFileBytes = 1024 * 1024;

TSimulatedDevicesLoad LoadSimulatedDevices(const QString& path);
// The parser behind LoadSimulatedDevices; source names the text in error lines.
TSimulatedDevicesLoad ParseSimulatedDevices(const QString& text, const QString& source);

// The process-wide set that discovery and the simulated control see. Until one
// of the setters is called, the first use loads the file named by
// $TAVRIN_SIMULATE (no devices when it is unset or empty).
// Loads path as the current set (an empty path: no devices); returns the load's error text.
QString SetSimulatedDevicesFile(const QString& path);
void SetSimulatedDevices(const QList<TSimulatedDevice>& devices);
// Back to the start state: the next use reads $TAVRIN_SIMULATE again.
void ResetSimulatedDevices();
const QList<TSimulatedDevice>& SimulatedDevices();
// The error text of the load behind the current set.
QString SimulatedDevicesError();
// The simulated device on a port ("COM3", any case); none when the port is not simulated.
std::optional<TSimulatedDevice> FindSimulatedDevice(const QString& port);
