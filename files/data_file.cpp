#include "files/data_file.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QSysInfo>
#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/seams.h"
#include "support/locale_format.h"

namespace {

QString& DataDirectory() {
  static QString directory = DefaultDataDirectory();
  return directory;
}

QString Extension(const QString& fileName) {
  return QFileInfo(fileName).suffix().toLower();
}

// A short write is retried for the rest; the retry then fails with the system's reason.
void WriteAll(QIODevice& file, const char* data, qint64 size) {
  while (size > 0) {
    const qint64 written = file.write(data, size);
    if (written <= 0) throw TError(file.errorString());
    data += written;
    size -= written;
  }
}

}  // namespace

QString GetDataDirectory() {
  return DataDirectory();
}

void SetDataDirectory(const QString& directory) {
  DataDirectory() = directory;
}

QString DataFilePath(const QString& name) {
  return GetDataDirectory() + QDir::separator() + name;
}

QString DataFileExt(int channelCount) {
  return QStringLiteral("aq%1").arg(channelCount);
}

QString IntermediateFileName(const QString& baseName, int channelCount) {
  return DataFilePath(baseName.trimmed() + QLatin1Char('.') + DataFileExt(channelCount));
}

int ChannelsFromFileExt(const QString& fileName) {
  const QString ext = Extension(fileName);
  if (ext == QLatin1String("aq8")) return 8;
  if (ext == QLatin1String("aq2")) return 2;
  return 4;
}

bool IsOldStyleDataFile(const QString& fileName) {
  return Extension(fileName) == QLatin1String("acq");
}

QString FormatHeaderLine(const QDateTime& start, double hours, double rate) {
  const QDateTime when = start.isValid() ? start : Seams().Clock->Now();
  const QDate d = when.date();
  const QTime t = when.time();
  const QString sep = TimeSeparator();
  const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
  const QString stamp = two(d.day()) + '-' + two(d.month()) + '-' +
                        QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')) + ' ' +
                        two(t.hour()) + sep + two(t.minute()) + sep + two(t.second());
  return QStringLiteral("ZQR: ") + stamp + QStringLiteral("/rec.time=") + FormatFixed(hours, 2, 5) +
         QStringLiteral("/smpl.frq=") + FormatFixed(rate, 3, 8) + QStringLiteral("Hz");
}

QByteArray HeaderLineBytes(const QString& line) {
  QByteArray bytes;
  bytes.reserve(line.size());
  for (const char32_t c : line.toUcs4()) {
    if (c < 0x20) continue;
    bytes.append(c <= 0xFF ? static_cast<char>(c) : '?');
  }
  return bytes;
}

QByteArray ThreeLineHeader(const QStringList& lines) {
  QByteArray header;
  for (int i = 0; i < 3; ++i) {
    if (i < lines.size()) header += HeaderLineBytes(lines[i]);
    header += "\r\n";
  }
  return header;
}

qint64 ReadFileHeader(QIODevice& file, QStringList* lines) {
  // Peeked in chunks and skipped by what was used, so the device ends up
  // right behind the header without one read per byte.
  constexpr qint64 ChunkBytes = 64 * 1024;
  QByteArray chunk(ChunkBytes, Qt::Uninitialized);
  QByteArray line;
  qint64 count = 0;
  int lineCount = 0;
  char previous = 0;
  while (lineCount < 3) {
    const qint64 got = file.peek(chunk.data(), ChunkBytes);
    if (got < 0) throw TError(file.errorString());
    if (got == 0) break;
    const char* bytes = chunk.constData();
    qint64 used = 0;
    while (used < got && lineCount < 3) {
      const char byte = bytes[used++];
      if (previous == '\r' && byte == '\n') {
        QString text = line.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(line);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (lines) lines->append(text);
        line.clear();
        ++lineCount;
      } else if (static_cast<uchar>(byte) >= 0x20 && line.size() < MaxKeptHeaderLineChars) {
        line.append(byte);
      }
      previous = byte;
    }
    if (file.skip(used) != used) throw TError(file.errorString());
    count += used;
  }
  return count;
}

qint64 WriteFileHeader(QIODevice& file, const QStringList& lines) {
  if (!file.seek(0)) throw TError(file.errorString());
  qint64 total = 0;
  for (const QString& line : lines.mid(0, 3)) {
    const QByteArray bytes = HeaderLineBytes(line) + "\r\n";
    WriteAll(file, bytes.constData(), bytes.size());
    total += bytes.size();
  }
  return total;
}

// ---- TDataFileWriter

void TDataFileWriter::CreateWithHeader(const QString& path, const QStringList& lines) {
  Close();
  Path = path;
  HeaderBytes = 0;
  AppendedBytes = 0;
  // Unbuffered, so that a failing write is seen here and not lost in close().
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
    throw TError(file.errorString());
  const QByteArray header = ThreeLineHeader(lines);
  WriteAll(file, header.constData(), header.size());
  file.close();
  HeaderBytes = header.size();
}

void TDataFileWriter::OpenForAppend() {
  Close();
  File.setFileName(Path);
  if (!File.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) throw TError(File.errorString());
  if (!File.seek(File.size())) {
    const QString reason = File.errorString();
    File.close();
    throw TError(reason);
  }
  AppendedBytes = 0;
}

void TDataFileWriter::Create(const QString& path, const QStringList& lines) {
  CreateWithHeader(path, lines);
  OpenForAppend();
}

qint64 TDataFileWriter::AppendBlock(const float* values, int count) {
  if (!File.isOpen()) throw TError(QStringLiteral("The data file is not open."));
  if (count <= 0) return 0;
  const qint64 bytes = qint64(count) * 4;
  const char* data = reinterpret_cast<const char*>(values);
  if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
    Block.resize(bytes);
    qToLittleEndian<float>(values, count, Block.data());
    data = Block.constData();
  }
  const qint64 start = File.pos();
  try {
    WriteAll(File, data, bytes);
  } catch (const TError&) {
    // A partly written block would shift every later frame by some channels.
    File.resize(start);
    File.seek(start);
    throw;
  }
  AppendedBytes += bytes;
  return bytes;
}

qint64 TDataFileWriter::RewriteHeader(const QStringList& lines) {
  if (!File.isOpen()) throw TError(QStringLiteral("The data file is not open."));
  const qint64 length = ThreeLineHeader(lines).size();
  if (length != HeaderBytes)
    throw TError(QStringLiteral("Header not rewritten: its length changed from %1 to %2 bytes; "
                                "the samples are kept unchanged.")
                     .arg(HeaderBytes)
                     .arg(length));
  QStringList three = lines.mid(0, 3);
  while (three.size() < 3) three.append(QString());
  const qint64 written = WriteFileHeader(File, three);
  File.seek(File.size());
  return written;
}

void TDataFileWriter::Close() {
  if (File.isOpen()) File.close();
}

// ---- TSampleAreaReader

void TSampleAreaReader::Open(const QString& path) {
  Close();
  Reset();
  FilePath = path;
  File.setFileName(path);
  if (!File.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) throw TError(File.errorString());
  Device = &File;
  ReadSizeAndHeader();
}

void TSampleAreaReader::Open(QIODevice& device) {
  Close();
  Reset();
  if (!device.isOpen() || !device.isReadable() || device.isSequential())
    throw TError(QStringLiteral("The data cannot be read from this device."));
  Device = &device;
  ReadSizeAndHeader();
}

void TSampleAreaReader::Close() {
  if (Device == &File) File.close();
  Device = nullptr;
}

void TSampleAreaReader::Reset() {
  FilePath.clear();
  Lines.clear();
  Size = Header = 0;
  ChannelCount = 0;
  Frames = Left = 0;
  Pending = Limit = Filled = 0;
  ZeroFirst = false;
}

void TSampleAreaReader::ReadSizeAndHeader() {
  try {
    if (!Device->seek(0)) throw TError(Device->errorString());
    Size = Device->size();
    Header = ReadFileHeader(*Device, &Lines);
    Size = std::max(Size, Header);  // a file that grew while its header was read
  } catch (...) {
    Close();
    throw;
  }
}

qint64 TSampleAreaReader::SampleCount(int channels) const {
  return channels > 0 ? (Size - Header) / 4 / channels : 0;
}

void TSampleAreaReader::Start(int channels) {
  if (channels < 1 || channels > MaxChannels)
    throw TError(QStringLiteral("Unsupported channel count: %1").arg(channels));
  if (!IsOpen()) throw TError(QStringLiteral("The data file is not open."));
  const int rest = Remainder();
  const qint64 first = rest > 0 ? Header + rest - 4 : Header;
  if (!Device->seek(first)) throw TError(Device->errorString());
  ChannelCount = channels;
  // N frames from the first value; with a re-synchronisation the spare value
  // at the end may complete no frame and is left out.
  Left = SampleCount(channels) * 4 * channels;
  Pending = Limit = Filled = 0;
  ZeroFirst = rest > 0;
  Frames = 0;
  Buffer.resize((ReadAheadBlocks * BlockBytes + 4 * MaxChannels) / 4);
}

bool TSampleAreaReader::NextBlock(const float*& values, qint64& frames) {
  values = nullptr;
  frames = 0;
  const int frameBytes = 4 * ChannelCount;
  if (frameBytes == 0 || !Device) return false;
  char* bytes = reinterpret_cast<char*>(Buffer.data());
  for (;;) {
    if (Limit == Filled) {
      if (Left == 0) break;
      // Every buffered byte belongs to a block handed out: keep the frame
      // begun at the end and read the next few blocks at once.
      const qint64 carry = Filled - Pending;
      std::memmove(bytes, bytes + Pending, size_t(carry));
      Pending = 0;
      Filled = Limit = carry;
      const qint64 got =
          Device->read(bytes + Filled, std::min<qint64>(Left, ReadAheadBlocks * BlockBytes));
      if (got < 0) throw TError(Device->errorString());
      if (got == 0) break;  // the file shrank
      Left -= got;
      Filled += got;
    }
    Limit = std::min<qint64>(Filled, Limit + BlockBytes);
    const qint64 whole = (Limit - Pending) / frameBytes;
    if (whole == 0) continue;
    const qint64 used = whole * frameBytes;
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
      qFromLittleEndian<float>(bytes + Pending, qsizetype(used / 4), bytes + Pending);
    // Pending is a multiple of 4: whole frames of whole values from offset 0.
    float* first = Buffer.data() + Pending / 4;
    if (ZeroFirst) *first = 0.0f;
    ZeroFirst = false;
    Pending += used;
    Frames += whole;
    values = first;
    frames = whole;
    return true;
  }
  Left = 0;
  Pending = Limit = Filled = 0;
  return false;
}

bool TSampleAreaReader::Next(std::vector<float>& values) {
  values.clear();
  const float* block = nullptr;
  qint64 frames = 0;
  if (!NextBlock(block, frames)) return false;
  values.assign(block, block + frames * ChannelCount);
  return true;
}
