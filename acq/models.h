#pragma once
// Everything that hangs on a device's model id: the id itself, the class
// tests, channel limits, range codes and volts, the variant a DATAQ device
// reports about itself, error texts, the driver process name and COM texts.
// All stateless; TDataq and TSampler forward to these.

#include <QString>

// The model id ("158", "155", "148", "149", "710", "ORCA8X", "Demo") from the
// model word of a device name (DI-710-USB); empty for an unsupported device.
// Case-sensitive.
QString ModelIdFromName(const QString& name);

bool IsDI158(const QString& modelId);
bool IsDI155(const QString& modelId);
bool IsDI148(const QString& modelId);
bool IsDI149(const QString& modelId);
bool IsDI710(const QString& modelId);
bool IsOrca8xModel(const QString& modelId);
bool IsDemoModel(const QString& modelId);
// Neither the demo device nor a DI-155 nor a DI-149.
bool HasModelVariant(const QString& modelId);
// Neither the demo device nor the amplifier.
bool IsDataqModel(const QString& modelId);

// 0, 4 or 8.
int MaxChannels(const QString& modelId);
int DefaultRangeCode(const QString& modelId, bool isPGL);

// Upper and lower end of a range code's measuring range in volts; 0 for an unknown code.
double RangeHigh(int code, bool isPGL);
double RangeLow(int code, bool isPGL);
// A signed 16-bit device count in the range low .. high.
double CountsToVolts(int counts, double high, double low);

QString DataqErrorText(int code);
// The control errors after which the user is asked to reconnect the device.
bool IsSevereControlError(int code);
// Executable name of the DATAQ driver process serving a COM port (DISCN103.EXE).
QString DataqProcessName(int comNumber);

// The model variant of a device from its serial number reply: DI-158 "U", "UP",
// DI-148 "U", DI-710 "PGL", "PGH" (or "Undefined"); DI-155 and DI-149 "Std",
// amplifier "Std", demo "Demo", anything else "Unknown device". The reply
// matters only for the DI-158, DI-148 and DI-710: query only for those.
QString ModelVariantFromReply(const QString& modelId, const QString& reply);

// The integer after the first "COM" in a port text (COM12 -> 12); fallback when
// there is no "COM" or what follows is not a number.
int ComNumberFromText(const QString& portText, int fallback);

// Sends the DATAQ serial-number command to COM port comNumber and returns the
// reply; empty on any failure or silence. Collecting ends after 500 ms without
// a byte, and in any case after SerialReplyMaxMs or SerialReplyMaxBytes.
inline constexpr int SerialReplyQuietMs = 500;
inline constexpr int SerialReplyMaxMs = 3000;
inline constexpr int SerialReplyMaxBytes = 4096;
QString QuerySerialNumber(int comNumber);
