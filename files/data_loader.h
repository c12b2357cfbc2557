#pragma once
// Loading an existing intermediate data file into the sample arrays of the
// charts: every frame's values go to their channel's array and its time
// (frame index / rate) to the time array, straight from the reader's blocks.
//
//   TDataLoader loader;
//   loader.Open(path);                            // size and header lines
//   qint64 n = loader.SampleCount(channels);      // size the arrays for n frames
//   loader.OnBlock = [&](qint64 stored, qint64 total) { ... };
//   loader.Load(channels, rate, target);
//
// Every failure of Open and Load is a TError with the text the user reads:
// "Error reading file (at <frames stored>): <the system's reason>".

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "files/data_file.h"

class QIODevice;

// Where the frames go: one array per channel read and the time array, each
// with room for Capacity entries. Frames beyond Capacity are not stored.
struct TLoadTarget {
  std::array<float*, TSampleAreaReader::MaxChannels> Channels{};
  double* Time = nullptr;
  qint64 Capacity = 0;
};

// "Error reading file (at %d): %s".
QString LoadErrorText(qint64 frames, const QString& reason);

// The file dialog's entries, in the program's order ("aq2 (2 channels)|*.aq2|" ...).
QStringList DataFileFilterEntries();
// Filter entries written as "description|pattern|" in the file dialog syntax
// of the platform: "description (pattern)" joined by ";;".
QString QtFileFilter(const QStringList& entries);
// One entry alone in that syntax.
QString QtFileFilterEntry(const QString& entry);

// Header lines as ReadFileHeader keeps them have every "&" doubled (for labels
// that would take a single one as a shortcut mark); edit fields and files want
// the text as it was written.
QString UndoubledAmpersands(const QString& line);

class TDataLoader {
public:
  // After every block: frames stored so far and the frame count N.
  std::function<void(qint64 stored, qint64 total)> OnBlock;

  // Opens the file (or a random-access device the caller keeps open) and reads its header.
  void Open(const QString& path);
  void Open(QIODevice& device);
  void Close() { Reader.Close(); }

  qint64 FileSize() const { return Reader.FileSize(); }
  qint64 HeaderLength() const { return Reader.HeaderLength(); }
  // As ReadFileHeader gives them ("&" doubled, "-" for an empty line).
  const QStringList& HeaderLines() const { return Reader.HeaderLines(); }
  int Remainder() const { return Reader.Remainder(); }
  qint64 SampleCount(int channels) const { return Reader.SampleCount(channels); }

  // Reads the sample area for 1 to 8 channels into target and returns the
  // frames stored. A file that became shorter while it was read is an error
  // like a failing read, so a partly loaded file never passes for a whole one.
  qint64 Load(int channels, double rate, const TLoadTarget& target);
  // Frames stored by the last Load, also after it failed.
  qint64 Stored() const { return StoredFrames; }

private:
  TSampleAreaReader Reader;
  qint64 StoredFrames = 0;
};
