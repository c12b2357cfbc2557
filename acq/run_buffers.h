#pragma once
// The samples of a run as the program keeps them for the charts, the inspect
// window and the loader: volts per channel number (after inversion) and the
// time of every stored instant. The run logic owns and fills them; the display
// only reads them (and the strip window and redraw flags it shares).

#include <array>
#include <vector>

struct TRunBuffers {
  static constexpr int MaxChannels = 8;

  int ChannelCount = 0;
  double SampleRate = 100.0;
  int PointsRequested = 0;
  // Per channel number: PointsRequested + 100 values for the channels in use, empty otherwise.
  std::array<std::vector<float>, MaxChannels> ChannelData;
  // Seconds since the start of each stored instant; double, since a float's
  // step is 1/128 s by hour 18.
  std::vector<double> TimeData;
  // Instants stored so far, never above PointsRequested.
  int PointsStored = 0;
  // The channel strips' time window, in seconds.
  double StripStart = 0;
  double StripEnd = 600;
  // A full redraw of that channel strip is owed.
  std::array<bool, MaxChannels> StripNeedsRedraw{};
  // The channel shown in the detail chart, and a switch asked for during a run (-1 none).
  int DetailChannel = 0;
  int PendingDetailChannel = -1;
  // A run is active (the sampler's Running).
  bool RunActive = false;
};
