#pragma once
// The saved form of the number lists: a signed 32-bit count, then the values
// (IEEE bits for floats), all little-endian whatever the host.

#include <QFile>
#include <QtEndian>
#include <cstring>
#include <type_traits>

#include "support/number_list.h"

template <typename TValue>
using TNumberListBits = std::conditional_t<sizeof(TValue) == 4, quint32, quint64>;

template <typename TValue, typename TSelf>
bool TNumberList<TValue, TSelf>::SaveToStream(QIODevice& stream) const {
  using TBits = TNumberListBits<TValue>;
  QByteArray bytes(qsizetype(4 + Values.size() * sizeof(TBits)), Qt::Uninitialized);
  char* out = bytes.data();
  qToLittleEndian<qint32>(Count(), out);
  out += 4;
  for (const TValue v : Values) {
    TBits bits;
    std::memcpy(&bits, &v, sizeof bits);
    qToLittleEndian<TBits>(bits, out);
    out += sizeof bits;
  }
  return stream.write(bytes) == bytes.size();
}

template <typename TValue, typename TSelf>
bool TNumberList<TValue, TSelf>::SaveToFile(const QString& fileName) const {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const bool written = SaveToStream(file);
  file.close();
  return written && file.error() == QFileDevice::NoError;
}

template <typename TValue, typename TSelf>
bool TNumberList<TValue, TSelf>::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return false;
  return LoadFromStream(file);
}

template <typename TValue, typename TSelf>
bool TNumberList<TValue, TSelf>::LoadFromStream(QIODevice& stream) {
  using TBits = TNumberListBits<TValue>;
  constexpr qint64 Size = sizeof(TBits);
  Clear();
  char head[4];
  if (stream.read(head, 4) != 4) return false;
  const qint32 announced = qFromLittleEndian<qint32>(head);
  if (announced < 0) return false;
  // Reserve only what the stream can hold, so a hostile count costs nothing.
  const qint64 available = stream.bytesAvailable() / Size;
  if (!Flag && available > 0) SetCapacity(int(std::min<qint64>(announced, available)));

  constexpr qint64 ChunkValues = 8192;
  QByteArray chunk(qsizetype(ChunkValues * Size), Qt::Uninitialized);
  qint64 remaining = announced;
  qint64 carried = 0;  // bytes of an incomplete value kept from the previous read
  while (remaining > 0) {
    const qint64 want = std::min(remaining, ChunkValues) * Size - carried;
    const qint64 got = stream.read(chunk.data() + carried, want);
    if (got <= 0) return false;
    const qint64 bytes = carried + got;
    const qint64 whole = bytes / Size;
    for (qint64 k = 0; k < whole; ++k) {
      const TBits bits = qFromLittleEndian<TBits>(chunk.constData() + k * Size);
      TValue v;
      std::memcpy(&v, &bits, sizeof v);
      Add(v);
    }
    carried = bytes - whole * Size;
    std::memmove(chunk.data(), chunk.constData() + whole * Size, size_t(carried));
    remaining -= whole;
  }
  return true;
}
