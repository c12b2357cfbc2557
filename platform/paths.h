#pragma once
// Where the program keeps its files on this platform.

#include <QString>

// Folder of the settings file and the ports folder: beside the executable on
// Windows; $XDG_CONFIG_HOME/tavrin (default ~/.config/tavrin) elsewhere. Ends
// with a separator. Created on first use when missing.
QString ConfigFolder();

// Folder whose entries named "COMn" (symlinks to ttys, by-id paths or ptys)
// name the serial ports: $TAVRIN_PORTS_DIR, default "ports" in ConfigFolder().
QString PortsFolder();

// The data directory a program run starts with: C:\ZQR_data on Windows, ~/ZQR_data elsewhere.
QString DefaultDataDirectory();

// The device node that COM port n opens: an entry "COMn" in the ports folder
// when there is one; else COM1-32 -> /dev/ttyS0-31, COM33-64 -> /dev/ttyUSB0-31,
// COM65-96 -> /dev/ttyACM0-31 (on Windows "\\.\COMn"). Empty for other numbers.
QString ResolveComPort(int comNumber);

// The inverse for a device node found by discovery: the COM number of the
// fixed table, or -1 when the node has none.
int ComNumberOfDeviceNode(const QString& node);
