#include "support/locale_format.h"

#include <optional>

QLocale NumberLocale() {
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
  return locale;
}

QString FormatFixed(double value, int decimals, int width) {
  return NumberLocale().toString(value, 'f', decimals).rightJustified(width, ' ');
}

QString TimeSeparator() {
  // The short time format holds the separator between hours and minutes ("HH:mm", "h.mm").
  const QString format = QLocale().timeFormat(QLocale::ShortFormat);
  const qsizetype h = format.lastIndexOf(QLatin1Char('h'), -1, Qt::CaseInsensitive);
  if (h >= 0 && h + 1 < format.size() && !format[h + 1].isLetter()) return format.mid(h + 1, 1);
  return QStringLiteral(":");
}

std::optional<double> ParseLocaleDouble(const QString& text) {
  bool ok = false;
  const double v = NumberLocale().toDouble(text.trimmed(), &ok);
  if (!ok) return std::nullopt;
  return v;
}

QString Format(const char* format, std::initializer_list<TFormatArg> args) {
  const QString f = QString::fromUtf8(format);
  QString out;
  auto arg = args.begin();
  for (qsizetype i = 0; i < f.size(); ++i) {
    if (f[i] != QLatin1Char('%')) {
      out += f[i];
      continue;
    }
    const qsizetype start = i++;
    if (i < f.size() && f[i] == QLatin1Char('%')) {
      out += QLatin1Char('%');
      continue;
    }
    const bool left = i < f.size() && f[i] == QLatin1Char('-');
    if (left) ++i;
    int width = 0, precision = -1;
    while (i < f.size() && f[i].isDigit()) width = width * 10 + f[i++].digitValue();
    if (i < f.size() && f[i] == QLatin1Char('.')) {
      precision = 0;
      ++i;
      while (i < f.size() && f[i].isDigit()) precision = precision * 10 + f[i++].digitValue();
    }
    const QChar conv = i < f.size() ? f[i] : QChar();
    if ((conv != QLatin1Char('d') && conv != QLatin1Char('f') && conv != QLatin1Char('s')) ||
        arg == args.end()) {
      out += f.mid(start, i - start + 1);
      continue;
    }
    QString text;
    if (conv == QLatin1Char('d')) {
      const qint64 v = arg->Kind == TFormatArg::Real ? qint64(arg->D) : arg->I;
      text = QString::number(qAbs(v)).rightJustified(qMax(precision, 0), QLatin1Char('0'));
      if (v < 0) text.prepend(QLatin1Char('-'));
    } else if (conv == QLatin1Char('f')) {
      const double v = arg->Kind == TFormatArg::Int ? double(arg->I) : arg->D;
      text = FormatFixed(v, precision < 0 ? 6 : precision);
    } else {
      text = arg->Kind == TFormatArg::Text  ? arg->S
             : arg->Kind == TFormatArg::Int ? QString::number(arg->I)
                                            : NumberLocale().toString(arg->D);
      if (precision >= 0) text.truncate(precision);
    }
    ++arg;
    out += left ? text.leftJustified(width) : text.rightJustified(width);
  }
  return out;
}

QString LongTimeText(const QTime& time) {
  const QString sep = TimeSeparator();
  return time.toString(QStringLiteral("HH'%1'mm'%1'ss").arg(sep));
}

QString DateTimeText(const QDateTime& dateTime) {
  return QLocale().toString(dateTime.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         LongTimeText(dateTime.time());
}
