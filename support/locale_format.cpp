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
