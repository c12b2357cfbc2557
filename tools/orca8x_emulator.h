#pragma once
// The Orca8x amplifier on a pty, for tests and demonstrations.
//
// Commands are lines ending in LF (CR and NUL bytes are ignored):
//   "About" -> the identification line and CR LF
//   "Gain"  -> "G" and a 49-byte block: the values comma-separated, CR LF, NUL padding
//   "Plant" -> "P" and a block as for Gain
//   "Start" -> a stream of 19-byte frames ("S" and nine big-endian 16-bit
//              values), FramesPerSecond of them a second, paced by the real clock
//   "Stop"  -> the stream ends, then "OK" and CR LF (also when idle)
//
// The signal: frame i (counted from 0 over the emulator's life) carries on
// value k (0..8) DefaultSignal(i, k) = (i * 7 + k * 1000) mod 16384, so every
// sample tells which frame it came from and a test can check each one.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <atomic>
#include <chrono>
#include <functional>
#include <random>

#include "tools/device_emulator.h"

struct TOrca8xOptions {
  bool Silent = false;     // reads commands but answers none (a streaming one never stops)
  bool Garbage = false;    // one to three random bytes other than "S" after every frame
  bool Streaming = false;  // streams from the start, as if left so by an earlier run
  int VanishAfter = -1;    // closes the master after this many frames; -1: never
  int FramesPerSecond = 100;
  QByteArray About = "ORCA8X Orca8x amplifier v1.0";
  QList<int> Gain = QList<int>(8, 1024);
  QList<int> Plant = QList<int>(8, 512);
  // The raw value k of frame i; empty: DefaultSignal.
  std::function<quint16(qint64 frame, int value)> Signal;
};

class TOrca8xEmulator : public TDeviceEmulator {
public:
  static constexpr int FrameBytes = 19;
  static constexpr int FrameValues = 9;
  static constexpr int BlockBytes = 49;

  static quint16 DefaultSignal(qint64 frame, int value) {
    return static_cast<quint16>((frame * 7 + value * 1000) % 16384);
  }
  // The frame's 19 bytes.
  static QByteArray Frame(qint64 index, const std::function<quint16(qint64, int)>& signal);
  // The letter and the 49-byte block holding values.
  static QByteArray Block(char letter, const QList<int>& values);

  // Starts the device at once.
  explicit TOrca8xEmulator(TPty& pty, TOrca8xOptions options = {});
  ~TOrca8xEmulator() override;

  qint64 FramesSent() const { return Frames; }
  bool Streaming() const { return StreamOn; }
  // Every command line received, in order (also those a silent device ignores).
  QList<QByteArray> Commands() const;
  int CommandCount(const QByteArray& word) const;

protected:
  void Run() override;

private:
  void Command(const QByteArray& line);
  bool SendFrame();

  TOrca8xOptions Options;
  std::chrono::steady_clock::duration Period;
  std::chrono::steady_clock::time_point NextFrame;
  std::atomic<qint64> Frames{0};
  std::atomic<bool> StreamOn{false};
  mutable QMutex CommandsLock;
  QList<QByteArray> Received;
  QByteArray Line;
  std::mt19937 Random{20100705};
  bool Failed = false;
};
