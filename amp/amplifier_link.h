#pragma once
// The Orca8x amplifier link: a short text command protocol at 115200 baud 8N1.
// Commands are a word and CR LF; the amplifier answers with a text line, with a
// letter and a 49-byte text block ("Gain", "Plant"), or, after "Start", with a
// stream of 19-byte frames: "S" and nine big-endian 16-bit raw values.
//
// Port errors raise nothing: a missing or silent amplifier shows as empty
// replies. Every read ends within a bounded time and size, also when bytes keep
// coming, and on a port that could not be opened or has failed every read
// returns empty at once (PortFailed tells the caller why nothing comes).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

#include "support/UFloatList.h"

class TSerialPort;

// Line settings and the fixed waits of the protocol, in milliseconds.
inline constexpr int AmplifierBaudRate = 115200;
inline constexpr int AmplifierReplyMs = 50;
inline constexpr int AmplifierCommandPauseMs = 100;
inline constexpr int AmplifierStopPauseMs = 10;
inline constexpr int AmplifierAboutPauseMs = 20;
inline constexpr int AmplifierStopTries = 10;
inline constexpr int AmplifierBlockBytes = 49;
inline constexpr int AmplifierFrameDataBytes = 18;
// A line read ends after this many times its idle time-out in all, or after
// this many bytes, even when bytes keep arriving without an LF.
inline constexpr int AmplifierLineTotalFactor = 10;
inline constexpr int AmplifierLineMaxBytes = 4096;
// The comm log stops growing here (a run streams 100 frames a second).
inline constexpr int AmplifierCommLogMaxLines = 10000;

class TAmplifierLink {
public:
  TAmplifierLink();
  ~TAmplifierLink();
  TAmplifierLink(const TAmplifierLink&) = delete;
  TAmplifierLink& operator=(const TAmplifierLink&) = delete;

  // Opens "COM<port>", switches DTR and RTS on, purges, and brings an
  // amplifier left streaming back to idle. False only when an exception
  // escaped; a port that does not exist still gives true (see PortFailed).
  bool OpenAmplifierPort(int port);
  void CloseAmplifierPort();

  // Writes the word and CR LF one byte per write, then pauses 100 ms.
  void SendAmplifierCommand(const QString& word);
  // Waits until everything written has been sent.
  void FlushAmplifierOutput();

  // A text line up to an LF, CR dropped; timeout is an idle time-out.
  QString ReadReplyLine(int timeout);
  // One byte as a one-character text, or empty.
  QString ReadReplyByte(int timeout);
  // count bytes (at most 64) as text, cut at a NUL and before the first CR LF; or empty.
  QString ReadReplyBlock(int count, int timeout);
  // The 18 data bytes of a frame in their text form ("32,0,31,255,...,"), or empty.
  QString ReadSampleBytes(int timeout);

  void StartAmplifier();
  // Sends "Stop" until a line beginning with "OK" arrives, at most ten times; the last reply.
  QString StopAmplifier();
  QString GetAmplifierAbout();
  // The value list of the Gain or Plant block, or empty.
  QString GetAmplifierGain();
  QString GetAmplifierPlant();
  // The next frame's text form, or empty; a byte other than "S" is dropped.
  QString ReadAmplifierFrame();
  // Opens the port, asks "About", and closes the port in every case.
  QString QueryAmplifierAbout(int port);

  // True once the port could not be opened or failed (peer gone, cable pulled).
  bool PortFailed() const;
  QString PortError() const;

  // The raw port, for the terminal window's own use of it.
  TSerialPort& Port() { return *SerialPort; }

  // When set, the traffic is recorded in CommLines ("> " sent, "< " received).
  bool CommLog = false;
  QStringList CommLines;

private:
  class TCountdown;

  bool Alive() const;
  void Pause(int ms);
  // Moves bytes from the port into Pending until it holds count bytes or the countdown ends.
  bool WaitForPending(int count, TCountdown& countdown);
  QByteArray Take(int count);
  void LogTraffic(const char* direction, const QByteArray& bytes);

  std::unique_ptr<TSerialPort> SerialPort;
  // Bytes already taken from the port but not yet consumed by a reply: what a
  // timed-out block or frame read found stays here for the next read.
  QByteArray Pending;
};

// Converts a frame's text form into channelCount voltages (v x 0.00075 - 6.144).
void ParseAmplifierFrame(const QString& text, int channelCount, TFloatList& values);
// Each value v of the list becomes v / 1024 + 1.
void ParseGainReply(const QString& text, TFloatList& values);
// Each value v of the list becomes v / 1024 - 0.5.
void ParsePlantReply(const QString& text, TFloatList& values);

// The amplifier probe of device discovery: the About reply on COM<comNumber>,
// empty when no amplifier answers.
QString QueryAmplifierAbout(int comNumber);
