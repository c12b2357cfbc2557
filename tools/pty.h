#pragma once
// A pseudo terminal standing in for a serial device: the program opens the
// slave side as its port (through a "COMn" link in the ports folder), a test
// or an emulator works the master side.

#include <QByteArray>
#include <QString>

class TPty {
public:
  TPty() = default;
  ~TPty();
  TPty(const TPty&) = delete;
  TPty& operator=(const TPty&) = delete;

  // Opens a new pty in raw mode; false with Error() set on failure.
  bool Open();
  QString SlavePath() const { return Slave; }
  int MasterFd() const { return Master; }
  // Links the slave as "COM<comNumber>" into portsFolder (created when missing).
  bool LinkAs(const QString& portsFolder, int comNumber);
  // Closes the master side: the port's peer is gone.
  void CloseMaster();

  // Writes all bytes to the master side.
  bool Write(const QByteArray& bytes);
  // Reads what arrives on the master side within ms milliseconds (at least one
  // byte ends the wait; the call then takes what else is there at once).
  QByteArray Read(int ms);
  // Reads until count bytes have arrived or ms milliseconds have passed.
  QByteArray ReadExactly(int count, int ms);

  QString Error() const { return LastError; }

private:
  int Master = -1;
  int SlaveKeepAlive = -1;  // holds the slave open so the master never sees a hang-up in between
  QString Slave;
  QString Link;
  QString LastError;
};
