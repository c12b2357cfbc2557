#pragma once
// The only door to the operating system and the hardware. Each seam is a small
// interface; the program reaches the current implementation through Seams(),
// tests put a double in place with TSeamOverride for the length of a test.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QDialog;

// Every box the program shows goes through here, so tests can script the
// answers and the headless mode can answer by policy.
class TDialogs {
public:
  virtual ~TDialogs() = default;
  // A plain message box with an OK button.
  virtual void Message(const QString& text) = 0;
  // An information box with an OK button (the caption may be empty).
  virtual void Information(const QString& text, const QString& caption = {}) = 0;
  // A Yes/No confirmation; true means Yes.
  virtual bool Confirm(const QString& text) = 0;
  // An input box; no value when cancelled.
  virtual std::optional<QString> Input(const QString& caption, const QString& prompt,
                                       const QString& initial) = 0;
  // A folder browser; empty when cancelled.
  virtual QString SelectFolder(const QString& caption, const QString& start) = 0;
  // File dialogs; empty when cancelled. filter: "Text (*.txt);;All (*)";
  // selectedFilter: the entry chosen when the dialog opens (empty: the first).
  virtual QString OpenFile(const QString& title, const QString& filter, const QString& folder,
                           const QString& selectedFilter = {}) = 0;
  virtual QString SaveFile(const QString& title, const QString& filter, const QString& folder,
                           const QString& name) = 0;
  // Runs a window modally and returns its result code (QDialog::Accepted or Rejected).
  virtual int RunModal(QDialog& dialog) = 0;
};

// Three time bases: a monotonic millisecond timer, the 32-bit tick count that
// wraps after 49.7 days, and the wall clock.
class TClock {
public:
  virtual ~TClock() = default;
  virtual qint64 Milliseconds() = 0;
  virtual quint32 TickCount() = 0;
  virtual QDateTime Now() = 0;
  // A fixed pause on the calling thread (serial protocols pause between commands).
  virtual void Sleep(int ms) = 0;
};

// One serial port, opened by COM number. Nothing here raises: failures show as
// false results, empty reads and LastError().
class TSerialPort {
public:
  virtual ~TSerialPort() = default;
  // Opens "COMn" at the given speed, 8 data bits, no parity, 1 stop bit, no flow control.
  virtual bool Open(int comNumber, int baudRate) = 0;
  virtual bool IsOpen() const = 0;
  virtual void SetDtr(bool on) = 0;
  virtual void SetRts(bool on) = 0;
  // Discards what is waiting in both directions.
  virtual void Purge() = 0;
  // Bytes received and not yet read; 0 on a closed or failed port.
  virtual int Waiting() = 0;
  // Waits at most ms for more bytes to arrive; true when some are waiting.
  virtual bool WaitForBytes(int ms) = 0;
  // Reads up to maxBytes of what is waiting, without waiting for more.
  virtual QByteArray Read(int maxBytes) = 0;
  virtual bool WriteByte(char byte) = 0;
  // Waits at most ms until everything written has been sent.
  virtual bool Drain(int ms) = 0;
  virtual void Close() = 0;
  // True once the port failed (could not open, read or write error, peer gone).
  virtual bool HasError() const = 0;
  virtual QString LastError() const = 0;
};

class TSerialPorts {
public:
  virtual ~TSerialPorts() = default;
  virtual std::unique_ptr<TSerialPort> Create() = 0;
};

// A read-only key of the device registry. Value names match without regard to case.
class TRegistryKey {
public:
  virtual ~TRegistryKey() = default;
  virtual std::optional<qint64> ReadInteger(const QString& name) const = 0;
  virtual std::optional<QString> ReadString(const QString& name) const = 0;
};

// The machine's device registry, read-only; key paths are relative to
// HKEY_LOCAL_MACHINE, separated by "\" and matched without regard to case.
class TDeviceRegistry {
public:
  virtual ~TDeviceRegistry() = default;
  // The key, or null when it does not exist.
  virtual std::unique_ptr<TRegistryKey> OpenKey(const QString& path) = 0;
};

struct TProcessEntry {
  qint64 Pid = 0;
  QString ExeName;  // the executable's file name, as the system reports it
};

enum class TPriorityClass { Normal = 0, High = 1, RealTime = 2 };

class TProcesses {
public:
  virtual ~TProcesses() = default;
  // The running processes; empty when the list cannot be taken.
  virtual QList<TProcessEntry> List() = 0;
  virtual bool Terminate(qint64 pid) = 0;
  // Sets this process's priority class; false with the system's reason in error.
  virtual bool SetPriority(TPriorityClass priority, QString* error = nullptr) = 0;
};

class TKeyboard {
public:
  virtual ~TKeyboard() = default;
  virtual bool ShiftHeld() = 0;
};

struct TFileVersion {
  std::array<quint16, 4> Parts{};  // major, minor, release, build
};

class TSystemFacts {
public:
  virtual ~TSystemFacts() = default;
  virtual QString OsName() = 0;         // e.g. "Debian GNU/Linux 12 (bookworm)"
  virtual QString KernelVersion() = 0;  // e.g. "6.1.0-18-amd64"
  // The running program's version; other files carry no version resource here.
  virtual TFileVersion ExecutableVersion() = 0;
  // Free bytes for this user on the file system holding path's nearest existing folder; -1 when none.
  virtual qint64 FreeDiskBytes(const QString& path) = 0;
};

// Shows what escaped an event handler, as the unhandled-exception reporter does.
class TErrorReporter {
public:
  virtual ~TErrorReporter() = default;
  virtual void Report(const QString& message) = 0;
};

struct TSeamSet {
  TDialogs* Dialogs = nullptr;
  TClock* Clock = nullptr;
  TSerialPorts* Serial = nullptr;
  TDeviceRegistry* Registry = nullptr;
  TProcesses* Processes = nullptr;
  TKeyboard* Keyboard = nullptr;
  TSystemFacts* System = nullptr;
  TErrorReporter* Errors = nullptr;
};

// The current seams. At start every seam has its real, widget-free
// implementation (console dialogs, no Shift key); the window program installs
// the Qt dialogs and keyboard with InstallGuiSeams().
TSeamSet& Seams();

// Puts one seam in place for the lifetime of the object and restores the previous one.
template <typename T>
class TSeamOverride {
public:
  TSeamOverride(T* TSeamSet::* slot, T& replacement) : Slot(slot), Previous(Seams().*slot) {
    Seams().*Slot = &replacement;
  }
  ~TSeamOverride() { Seams().*Slot = Previous; }
  TSeamOverride(const TSeamOverride&) = delete;
  TSeamOverride& operator=(const TSeamOverride&) = delete;

private:
  T* TSeamSet::* Slot;
  T* Previous;
};
