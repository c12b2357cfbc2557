#pragma once
// A device on the master side of a pty, run on its own thread until Stop().
// Derived emulators implement Run() and start the thread at the end of their
// constructor; their destructors call Stop() before their members go.

#include <QByteArray>
#include <atomic>
#include <thread>

#include "tools/pty.h"

class TDeviceEmulator {
public:
  explicit TDeviceEmulator(TPty& pty) : Pty(pty) {}
  virtual ~TDeviceEmulator();
  TDeviceEmulator(const TDeviceEmulator&) = delete;
  TDeviceEmulator& operator=(const TDeviceEmulator&) = delete;

  // Ends the device's thread and waits for it.
  void Stop();

protected:
  void Start();
  virtual void Run() = 0;
  bool StopRequested() const { return StopFlag; }
  // What arrives within ms (empty when nothing does or the master is closed).
  QByteArray Receive(int ms);
  // Writes all bytes, waiting while the host does not read; false when the
  // device is being stopped or the master is gone.
  bool Send(const QByteArray& bytes);
  // The device disappears: the master side closes, the host sees its peer gone.
  void Vanish() { Pty.CloseMaster(); }

  TPty& Pty;

private:
  std::thread Thread;
  std::atomic<bool> StopFlag{false};
};
