#pragma once
// The acquisition settings of one program run, kept in section "Options" of
// the settings file.

#include <QString>

// Upper end of the "Other sample frequency" the options dialog accepts, in Hz.
inline constexpr int MaxOtherSampleFreq = 300;

class TOptions {
public:
  int ReqTime2Chan = 250;  // ms; stored and loaded, used nowhere else
  int ReqTime4Chan = 250;  // ms; data request interval of runs with fewer than 8 channels
  int ReqTime8Chan = 250;  // ms; the same with 8 channels
  int NumChanDI148 = 8;
  int NumChanDI155 = 4;
  int NumChanDI158 = 4;
  int NumChanDI710 = 8;
  int NumChanDemo = 4;
  int NumChanOrca8x = 8;
  int SampleFrequency = 100;  // Hz; never stored
  int ProcessPriority = 1;    // 0 normal, 1 high, 2 real time
  bool AlwaysDI710UL = false;
  bool InvertSignal = false;

  // Reads every key with the current value as default and replaces values out
  // of range; a missing file or key changes nothing.
  void LoadOptions(const QString& fileName = DefaultFileName());
  // Writes every stored field. Raises TError when the file cannot be written.
  void SaveOptions(const QString& fileName = DefaultFileName()) const;

  static QString DefaultFileName();
};
