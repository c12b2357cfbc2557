#pragma once
// The simulated devices as the device seams show them: entries in the device
// registry beside the real ones, and serial ports on which a simulated DATAQ
// device answers the serial-number query. An ORCA8X entry only appears in the
// registry: its identification query goes to the real port (in tests and
// demos an emulator on a pty linked into the ports folder).

#include <memory>

#include "platform/registry.h"
#include "platform/seams.h"

// The current simulated devices as a device tree: DATAQ models under the
// USB-serial driver, ORCA8X amplifiers under the FTDI driver, in file order.
// Empty when nothing is simulated.
TFixtureRegistry SimulatedRegistryEntries();

// Serial ports where a simulated DATAQ device stands on its COM number; every
// other port, amplifiers included, comes from the wrapped factory. The device
// answers each serial-number command ("\0NZ", byte by byte) with its
// SerialReply, and stays silent when it has none or hears anything else.
class TSimulatedSerialPorts : public TSerialPorts {
public:
  explicit TSimulatedSerialPorts(TSerialPorts& real) : Real(real) {}
  std::unique_ptr<TSerialPort> Create() override;

private:
  TSerialPorts& Real;
};

// Puts the registry (sysfs view merged with the simulated entries) and the
// simulated serial ports into Seams() for the rest of the program. Call once
// the simulated devices file is known; a later call rebuilds the registry.
// The ports wrap the serial seam in place at the first call.
void InstallDeviceSeams(const QString& sysfsRoot = QStringLiteral("/sys"));
