#pragma once
// The intermediate data file: three text lines, each ended by CR LF, then raw
// 32-bit little-endian floats, frame after frame. The channel count lives in
// the extension (".aq2", ".aq4", ".aq8"; ".acq" is an old style, read only),
// the sample count follows from the file size.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <vector>

class QIODevice;

// The folder of the data files, for this program run only (never stored).
QString GetDataDirectory();
void SetDataDirectory(const QString& directory);
// The data directory, the native separator and the name.
QString DataFilePath(const QString& name);
// "aq" and the channel count: "aq2", "aq4", "aq8" (no dot).
QString DataFileExt(int channelCount);
// Full path of the intermediate data file of a base name (trimmed) and a channel count.
QString IntermediateFileName(const QString& baseName, int channelCount);
// 8 for ".aq8", 2 for ".aq2", 4 for every other extension or none; letter case ignored.
int ChannelsFromFileExt(const QString& fileName);
// True for ".acq" files, whose channel count has to be asked.
bool IsOldStyleDataFile(const QString& fileName);

// The run description line "ZQR: dd-mm-yyyy hh:mm:ss/rec.time=%5.2f/smpl.frq=%8.3fHz"
// with the system's time and decimal separators. An invalid start means now.
// 59 characters for hours below 100 and rates below 10000 Hz.
QString FormatHeaderLine(const QDateTime& start, double hours, double rate);

// A header line as it is stored: Latin-1, characters outside it become "?".
// Control characters are left out: the reader drops them anyway, and a CR LF
// inside a line would end it early and shift the sample area.
QByteArray HeaderLineBytes(const QString& line);
// Exactly three header lines, each ended by CR LF; missing lines are empty.
QByteArray ThreeLineHeader(const QStringList& lines);

// Characters of a header line kept by ReadFileHeader; the bytes beyond are
// counted but not kept, so a file without any CR LF costs no memory.
inline constexpr int MaxKeptHeaderLineChars = 4096;

// Reads up to three CR LF-ended lines from the device's position and returns
// their byte count H; the device is left at the first byte after them. Bytes
// below 0x20 are dropped, the others read as Latin-1; an empty line becomes
// "-", every "&" is doubled. With fewer than three lines H is what was left
// of the file. The lines are appended to lines when given. TError on a read error.
qint64 ReadFileHeader(QIODevice& file, QStringList* lines = nullptr);

// Writes at most the first three lines from offset 0, each followed by CR LF,
// and returns the bytes written. Lines are written whole, whatever their length.
// TError with the system's message when the file cannot be written.
qint64 WriteFileHeader(QIODevice& file, const QStringList& lines);

// The file being recorded: created with its header at the start of a run,
// one write per data block, the header rewritten in place at the end.
class TDataFileWriter {
public:
  TDataFileWriter() = default;
  ~TDataFileWriter() { Close(); }
  TDataFileWriter(const TDataFileWriter&) = delete;
  TDataFileWriter& operator=(const TDataFileWriter&) = delete;

  // Creates path (or empties an existing file), writes the three header lines
  // and closes it again. TError with the system's message.
  void CreateWithHeader(const QString& path, const QStringList& lines);
  // Reopens the file for reading and writing, positioned at its end, directly
  // behind the header. TError with the system's message.
  void OpenForAppend();
  // Both steps, for callers that report them alike.
  void Create(const QString& path, const QStringList& lines);

  // Appends count values (already laid out frame by frame) with one unbuffered
  // write and returns the bytes written. On failure the file is cut back to
  // where the block began, so its frames stay whole, and TError carries the
  // system's message.
  qint64 AppendBlock(const float* values, int count);

  // Rewrites the three header lines at offset 0 and returns the bytes written.
  // The samples follow the header directly, so a header of another byte length
  // (a changed line, a rate field grown wider, a long line taken over from a
  // loaded file) is not written at all: TError, the file stays unchanged.
  qint64 RewriteHeader(const QStringList& lines);

  void Close();
  bool IsOpen() const { return File.isOpen(); }
  // The full path given to CreateWithHeader.
  const QString& FilePath() const { return Path; }
  // Bytes of the header written at creation.
  qint64 HeaderLength() const { return HeaderBytes; }
  // Sample bytes appended since OpenForAppend.
  qint64 SampleBytes() const { return AppendedBytes; }

private:
  QFile File;
  QString Path;
  qint64 HeaderBytes = 0;
  qint64 AppendedBytes = 0;
  QByteArray Block;  // little-endian copy, used on big-endian hosts only
};

// Reads the samples of an intermediate data file. The sample area holds
// N = ((S - H) div 4) div C frames; when its length is not a multiple of 4
// (remainder R), reading starts at H + R - 4 so that the values line up with
// the end of the file, and that first value is replaced by 0.0. Exactly N
// frames are delivered in blocks of 51200 bytes (read a few at a time);
// frames that straddle two blocks are joined, an incomplete frame at the end
// is left out.
//
//   TSampleAreaReader reader;
//   reader.Open(path);                  // size and header
//   reader.Start(channels);             // from the extension or the user
//   std::vector<float> values;
//   while (reader.Next(values)) ...     // values.size() / channels frames
class TSampleAreaReader {
public:
  static constexpr int BlockBytes = 51200;
  static constexpr int MaxChannels = 8;

  // Opens path for reading and reads its size and header. TError with the system's message.
  void Open(const QString& path);
  // The same on a random-access device the caller opened for reading and keeps
  // alive until Close (an in-memory image, a device that fails on purpose).
  void Open(QIODevice& device);
  void Close();
  bool IsOpen() const { return Device && Device->isOpen(); }

  const QString& Path() const { return FilePath; }
  qint64 FileSize() const { return Size; }
  qint64 HeaderLength() const { return Header; }
  const QStringList& HeaderLines() const { return Lines; }
  // (S - H) mod 4; above 0 the reading re-synchronises.
  int Remainder() const { return static_cast<int>((Size - Header) % 4); }
  bool Resynced() const { return Remainder() > 0; }
  // N for a channel count.
  qint64 SampleCount(int channels) const;

  // Moves to the first value for a channel count of 1 to MaxChannels (TError otherwise).
  void Start(int channels);
  // The next block's whole frames, values in channel order; false when no
  // frame is left. Reads no further than the size the file had when opened.
  // A file cut short while being read ends the frames early.
  // TError with the system's message on a read error.
  bool Next(std::vector<float>& values);
  // As Next, without a copy: values points at the block's frames inside the
  // reader, valid until the next call.
  bool NextBlock(const float*& values, qint64& frames);
  int Channels() const { return ChannelCount; }
  qint64 FramesRead() const { return Frames; }

private:
  void Reset();
  void ReadSizeAndHeader();

  QFile File;
  QIODevice* Device = nullptr;  // File, or the caller's device
  QString FilePath;
  QStringList Lines;
  qint64 Size = 0;
  qint64 Header = 0;
  int ChannelCount = 0;
  qint64 Left = 0;  // bytes still to read
  bool ZeroFirst = false;
  qint64 Frames = 0;
  // The file's bytes as floats, so that whole frames are handed out in place.
  // A few blocks are read at once; a block is handed out as the whole frames
  // that end within it, a frame begun in it goes with the next one.
  static constexpr int ReadAheadBlocks = 4;
  std::vector<float> Buffer;
  qint64 Pending = 0;  // byte offset of the first frame not yet handed out
  qint64 Limit = 0;    // bytes of the buffer counted into blocks so far
  qint64 Filled = 0;   // bytes read into the buffer
};
