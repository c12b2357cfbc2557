#pragma once
// Serial ports through Qt Serial Port, opened by COM number (see ResolveComPort).

#include <QSerialPort>

#include "platform/seams.h"

class TQtSerialPort : public TSerialPort {
public:
  bool Open(int comNumber, int baudRate) override;
  bool IsOpen() const override { return Port.isOpen(); }
  void SetDtr(bool on) override;
  void SetRts(bool on) override;
  void Purge() override;
  int Waiting() override;
  bool WaitForBytes(int ms) override;
  QByteArray Read(int maxBytes) override;
  bool WriteByte(char byte) override;
  bool Drain(int ms) override;
  void Close() override;
  bool HasError() const override { return Failed; }
  QString LastError() const override { return Error; }

private:
  // Records a real failure; DTR/RTS on a pty and time-outs are not failures.
  void CheckError();
  void Fail(const QString& message);

  QSerialPort Port;
  bool Failed = false;
  QString Error;
};

class TQtSerialPorts : public TSerialPorts {
public:
  std::unique_ptr<TSerialPort> Create() override { return std::make_unique<TQtSerialPort>(); }
};
