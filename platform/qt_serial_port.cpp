#include "platform/qt_serial_port.h"

#include <QDeadlineTimer>

#include "platform/paths.h"

bool TQtSerialPort::Open(int comNumber, int baudRate) {
  Close();
  Failed = false;
  Error.clear();
  const QString node = ResolveComPort(comNumber);
  if (node.isEmpty()) {
    Fail(QStringLiteral("COM%1 names no serial port").arg(comNumber));
    return false;
  }
  Port.setPortName(node);
  if (!Port.open(QIODevice::ReadWrite)) {
    Fail(QStringLiteral("COM%1 (%2): %3").arg(comNumber).arg(node, Port.errorString()));
    return false;
  }
  const bool configured = Port.setBaudRate(baudRate) && Port.setDataBits(QSerialPort::Data8) &&
                          Port.setParity(QSerialPort::NoParity) &&
                          Port.setStopBits(QSerialPort::OneStop) &&
                          Port.setFlowControl(QSerialPort::NoFlowControl);
  if (!configured) CheckError();
  return !Failed;
}

void TQtSerialPort::SetDtr(bool on) {
  if (!Port.isOpen()) return;
  Port.setDataTerminalReady(on);
  CheckError();
}

void TQtSerialPort::SetRts(bool on) {
  if (!Port.isOpen()) return;
  Port.setRequestToSend(on);
  CheckError();
}

void TQtSerialPort::Purge() {
  if (!Port.isOpen()) return;
  // Take in what the driver holds first, so clear() discards it too.
  Port.waitForReadyRead(0);
  Port.clear(QSerialPort::AllDirections);
  Port.readAll();
  CheckError();
}

int TQtSerialPort::Waiting() {
  if (!Port.isOpen() || Failed) return 0;
  // Without an event loop Qt only fetches bytes when asked to wait.
  Port.waitForReadyRead(0);
  CheckError();
  return static_cast<int>(Port.bytesAvailable());
}

bool TQtSerialPort::WaitForBytes(int ms) {
  if (!Port.isOpen() || Failed) return false;
  if (Waiting() > 0) return true;
  const QDeadlineTimer deadline(ms);
  while (!Failed && !deadline.hasExpired()) {
    Port.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    CheckError();
    if (Port.bytesAvailable() > 0) return true;
  }
  return false;
}

QByteArray TQtSerialPort::Read(int maxBytes) {
  if (!Port.isOpen() || maxBytes <= 0) return {};
  const QByteArray bytes = Port.read(maxBytes);
  CheckError();
  return bytes;
}

bool TQtSerialPort::WriteByte(char byte) {
  if (!Port.isOpen() || Failed) return false;
  const bool written = Port.write(&byte, 1) == 1;
  Port.flush();
  CheckError();
  return written && !Failed;
}

bool TQtSerialPort::Drain(int ms) {
  if (!Port.isOpen() || Failed) return false;
  const QDeadlineTimer deadline(ms);
  while (Port.bytesToWrite() > 0 && !Failed && !deadline.hasExpired()) {
    Port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    CheckError();
  }
  return Port.bytesToWrite() == 0 && !Failed;
}

void TQtSerialPort::Close() {
  if (Port.isOpen()) Port.close();
  Port.clearError();
}

void TQtSerialPort::CheckError() {
  switch (Port.error()) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError:
      Port.clearError();
      return;
    default:
      Fail(Port.errorString());
      Port.clearError();
  }
}

void TQtSerialPort::Fail(const QString& message) {
  if (!Failed) Error = message;
  Failed = true;
}
