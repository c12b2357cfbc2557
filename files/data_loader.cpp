#include "files/data_loader.h"

#include <QIODevice>
#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

#include "platform/errors.h"
#include "support/locale_format.h"

namespace {

// One block's frames into the arrays: frame p's value k to channel k's entry
// p, p * dt to the time entry p. The channel count is a template argument so
// that the inner loop unrolls into plain stores.
template <int C>
void SpreadFrames(const float* values, qint64 from, qint64 to, qint64 first, double dt,
                  const TLoadTarget& target) {
  for (qint64 f = from; f < to; ++f) {
    const qint64 p = first + f;
    target.Time[p] = double(p) * dt;
    const float* frame = values + f * C;
    for (int k = 0; k < C; ++k) target.Channels[size_t(k)][p] = frame[k];
  }
}

#if defined(__SSE2__)
// The arrays are far larger than the caches: streaming stores write whole
// lines without reading them first, which halves the memory traffic. Four
// frames at a time, from an entry that is a multiple of 4 (16-byte aligned).
bool Aligned(const void* pointer) {
  return (reinterpret_cast<quintptr>(pointer) & 15) == 0;
}

template <int C>
void StreamFourFrames(const float* frame, qint64 p, const TLoadTarget& target) {
  const auto channel = [&](int k) { return target.Channels[size_t(k)] + p; };
  if constexpr (C == 1) {
    _mm_stream_ps(channel(0), _mm_loadu_ps(frame));
  } else if constexpr (C == 2) {
    const __m128 a = _mm_loadu_ps(frame), b = _mm_loadu_ps(frame + 4);
    _mm_stream_ps(channel(0), _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
    _mm_stream_ps(channel(1), _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
  } else {
    static_assert(C % 4 == 0);
    for (int half = 0; half < C; half += 4) {
      __m128 r0 = _mm_loadu_ps(frame + half), r1 = _mm_loadu_ps(frame + C + half);
      __m128 r2 = _mm_loadu_ps(frame + 2 * C + half), r3 = _mm_loadu_ps(frame + 3 * C + half);
      _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
      _mm_stream_ps(channel(half), r0);
      _mm_stream_ps(channel(half + 1), r1);
      _mm_stream_ps(channel(half + 2), r2);
      _mm_stream_ps(channel(half + 3), r3);
    }
  }
}

template <int C>
void Spread(const float* values, qint64 frames, qint64 first, double dt,
            const TLoadTarget& target) {
  if constexpr (C == 1 || C == 2 || C == 4 || C == 8) {
    bool aligned = Aligned(target.Time);
    for (int k = 0; k < C; ++k) aligned = aligned && Aligned(target.Channels[size_t(k)]);
    if (aligned) {
      // Single frames up to an entry that is a multiple of 4, and after the last group.
      const qint64 head = std::min(frames, (4 - first % 4) % 4);
      const qint64 groups = (frames - head) / 4;
      const qint64 tail = head + groups * 4;
      SpreadFrames<C>(values, 0, head, first, dt, target);
      for (qint64 f = head; f < tail; f += 4) {
        const qint64 p = first + f;
        StreamFourFrames<C>(values + f * C, p, target);
        _mm_stream_pd(target.Time + p, _mm_set_pd(double(p + 1) * dt, double(p) * dt));
        _mm_stream_pd(target.Time + p + 2, _mm_set_pd(double(p + 3) * dt, double(p + 2) * dt));
      }
      SpreadFrames<C>(values, tail, frames, first, dt, target);
      _mm_sfence();
      return;
    }
  }
  SpreadFrames<C>(values, 0, frames, first, dt, target);
}
#else
template <int C>
void Spread(const float* values, qint64 frames, qint64 first, double dt,
            const TLoadTarget& target) {
  SpreadFrames<C>(values, 0, frames, first, dt, target);
}
#endif

using TSpread = void (*)(const float*, qint64, qint64, double, const TLoadTarget&);
constexpr std::array<TSpread, TSampleAreaReader::MaxChannels> Spreaders = {
    Spread<1>, Spread<2>, Spread<3>, Spread<4>, Spread<5>, Spread<6>, Spread<7>, Spread<8>};

}  // namespace

QString LoadErrorText(qint64 frames, const QString& reason) {
  return Format("Error reading file (at %d): %s", {frames, reason});
}

QStringList DataFileFilterEntries() {
  return {QStringLiteral("aq2 (2 channels)|*.aq2|"), QStringLiteral("aq4 (4 channels)|*.aq4|"),
          QStringLiteral("aq8 (8 channels)|*.aq8|"),
          QStringLiteral("acq (old style 4/8 channels)|*.acq")};
}

QString QtFileFilterEntry(const QString& entry) {
  const QStringList parts = entry.split(QLatin1Char('|'));
  const QString description = parts.value(0);
  const QString pattern = parts.value(1).replace(QLatin1Char(';'), QLatin1Char(' '));
  return pattern.isEmpty() ? description : description + " (" + pattern + ")";
}

QString QtFileFilter(const QStringList& entries) {
  // The joined string pairs descriptions and patterns, whatever the entries' cut.
  const QStringList parts = entries.join(QString()).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    filters << QtFileFilterEntry(parts[i] + QLatin1Char('|') + parts[i + 1]);
  return filters.join(QStringLiteral(";;"));
}

QString UndoubledAmpersands(const QString& line) {
  QString text = line;
  return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

void TDataLoader::Open(const QString& path) {
  StoredFrames = 0;
  try {
    Reader.Open(path);
  } catch (const TError& e) {
    throw TError(LoadErrorText(0, e.Message()));
  }
}

void TDataLoader::Open(QIODevice& device) {
  StoredFrames = 0;
  try {
    Reader.Open(device);
  } catch (const TError& e) {
    throw TError(LoadErrorText(0, e.Message()));
  }
}

qint64 TDataLoader::Load(int channels, double rate, const TLoadTarget& target) {
  StoredFrames = 0;
  try {
    if (!(rate > 0)) throw TError(QStringLiteral("The sample rate must be above 0 Hz."));
    Reader.Start(channels);
    const qint64 total = Reader.SampleCount(channels);
    for (int k = 0; k < channels; ++k)
      if (!target.Channels[size_t(k)] && target.Capacity > 0)
        throw TError(QStringLiteral("No memory for channel %1.").arg(k + 1));
    if (!target.Time && target.Capacity > 0)
      throw TError(QStringLiteral("No memory for the times."));
    const TSpread spread = Spreaders[size_t(channels - 1)];
    const double dt = 1.0 / rate;
    const float* values = nullptr;
    qint64 frames = 0;
    while (StoredFrames < target.Capacity && Reader.NextBlock(values, frames)) {
      const qint64 room = std::min(frames, target.Capacity - StoredFrames);
      spread(values, room, StoredFrames, dt, target);
      StoredFrames += room;
      if (OnBlock) OnBlock(StoredFrames, total);
    }
    if (Reader.FramesRead() < std::min(total, target.Capacity))
      throw TError(QStringLiteral("The file became shorter while it was read (%1 of %2 "
                                  "samples per channel).")
                       .arg(Reader.FramesRead())
                       .arg(total));
  } catch (const TError& e) {
    throw TError(LoadErrorText(StoredFrames, e.Message()));
  }
  return StoredFrames;
}
