// Fuzzes the header reader and the data file loader over arbitrary file
// images, checking both against a plain byte-by-byte model of the format.
//
// Input: byte 0 limits the bytes per read (0: no limit; scaled up for large
// images), byte 1 makes the
// device fail from offset byte1 * 1031 on (0: never), byte 2 grows the image
// by byte2 * 1024 bytes of its own repetition, so that small inputs still
// cross the 51200-byte blocks; the rest is the file image.
#include <QBuffer>
#include <QStringList>
#include <QtEndian>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "files/data_file.h"
#include "files/data_loader.h"
#include "platform/errors.h"

namespace {

// A file image that hands out at most Most bytes per read and fails from FailAt on.
class TFuzzDevice : public QBuffer {
public:
  TFuzzDevice(const QByteArray& bytes, qint64 most, qint64 failAt)
      : Bytes(bytes), Most(most), FailAt(failAt) {
    setBuffer(&Bytes);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }

protected:
  qint64 readData(char* data, qint64 length) override {
    if (FailAt >= 0 && pos() >= FailAt) {
      setErrorString(QStringLiteral("Input/output error"));
      return -1;
    }
    if (Most > 0) length = std::min(length, Most);
    if (FailAt >= 0) length = std::min(length, FailAt - pos());
    return QBuffer::readData(data, length);
  }

private:
  QByteArray Bytes;
  qint64 Most;
  qint64 FailAt;
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "model mismatch: %s\n", what);
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

// The header as the format describes it, one byte at a time.
struct THeaderModel {
  qint64 Length = 0;
  QStringList Lines;
};

THeaderModel ModelHeader(const QByteArray& bytes) {
  THeaderModel model;
  QByteArray line;
  char previous = 0;
  for (const char byte : bytes) {
    ++model.Length;
    if (previous == '\r' && byte == '\n') {
      QString text = line.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(line);
      model.Lines << text.replace(QLatin1Char('&'), QStringLiteral("&&"));
      line.clear();
      if (model.Lines.size() == 3) break;
    } else if (static_cast<unsigned char>(byte) >= 0x20 && line.size() < MaxKeptHeaderLineChars) {
      line.append(byte);
    }
    previous = byte;
  }
  return model;
}

quint32 BitsAt(const QByteArray& bytes, qint64 offset) {
  return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint32 Bits(float value) {
  quint32 bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

void CheckHeaderReader(const QByteArray& image, qint64 most) {
  const THeaderModel model = ModelHeader(image);
  TFuzzDevice device(image, most, -1);
  QStringList lines;
  const qint64 length = ReadFileHeader(device, &lines);
  Check(length == model.Length, "header length");
  Check(lines == model.Lines, "header lines");
  Check(device.pos() == length, "position after the header");
}

void CheckLoader(const QByteArray& image, qint64 most, qint64 failAt, int channels) {
  TFuzzDevice device(image, most, failAt);
  // One loader for every pass, as its block buffer is costly to set up anew.
  static TDataLoader loader;
  struct TCloser {
    ~TCloser() { loader.Close(); }
  } closer;
  const bool failing = failAt >= 0 && failAt < image.size();
  try {
    loader.Open(device);
  } catch (const TError&) {
    Check(failing, "open failed without a device failure");
    return;
  }
  const THeaderModel model = ModelHeader(image);
  const qint64 size = image.size();
  Check(loader.HeaderLength() == model.Length, "loader header length");
  Check(loader.FileSize() == size, "file size");
  const qint64 n = ((size - model.Length) / 4) / channels;
  Check(loader.SampleCount(channels) == n, "sample count");
  const int rest = int((size - model.Length) % 4);
  Check(loader.Remainder() == rest, "remainder");

  // Kept from input to input: large allocations are slow under the sanitizers.
  // What lies past the stored frames must stay untouched.
  constexpr float Untouched = -7.5f;
  static std::array<std::vector<float>, TSampleAreaReader::MaxChannels> data;
  static std::vector<double> time;
  const size_t length = size_t(n) + 100;
  for (int k = 0; k < channels; ++k) data[size_t(k)].assign(length, Untouched);
  time.assign(length, double(Untouched));
  TLoadTarget target;
  for (int k = 0; k < channels; ++k) target.Channels[size_t(k)] = data[size_t(k)].data();
  target.Time = time.data();
  target.Capacity = qint64(length);
  qint64 lastStored = 0;
  loader.OnBlock = [&](qint64 stored, qint64 total) {
    Check(total == n && stored > lastStored && stored <= n, "progress");
    lastStored = stored;
  };
  qint64 stored = 0;
  try {
    stored = loader.Load(channels, 100.0, target);
    Check(stored == n, "frames stored");
  } catch (const TError&) {
    Check(failing, "load failed without a device failure");
    stored = loader.Stored();
  }
  // Every stored frame is the file's, from H + R - 4 on with the first value 0 after a re-sync.
  const qint64 first = rest > 0 ? model.Length + rest - 4 : model.Length;
  Check(first >= 0, "first value inside the file");
  for (qint64 p = 0; p < stored; ++p) {
    Check(time[size_t(p)] == double(p) * (1.0 / 100.0), "time");
    for (int k = 0; k < channels; ++k) {
      const qint64 index = p * channels + k;
      const quint32 expected = (index == 0 && rest > 0) ? 0u : BitsAt(image, first + 4 * index);
      Check(Bits(data[size_t(k)][size_t(p)]) == expected, "value");
    }
  }
  for (size_t p = size_t(stored); p < length; ++p) {
    Check(time[p] == double(Untouched), "time written past the frames");
    for (int k = 0; k < channels; ++k)
      Check(data[size_t(k)][p] == Untouched, "value written past the frames");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const qint64 failAt = data[1] == 0 ? -1 : qint64(data[1]) * 1031;
  QByteArray image(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));
  const qsizetype grown = image.size() + qsizetype(data[2]) * 1024;
  if (data[2] > 0) {
    const QByteArray pattern = image.isEmpty() ? QByteArray(1, '\0') : image;
    while (image.size() < grown) image += pattern.left(grown - image.size());
  }
  // Short reads scale with the image, so that large images stay quick.
  const qint64 most = qint64(data[0]) * (1 + image.size() / 8192);
  CheckHeaderReader(image, most);
  for (int channels = 1; channels <= TSampleAreaReader::MaxChannels; ++channels)
    CheckLoader(image, most, failAt, channels);
  return 0;
}
