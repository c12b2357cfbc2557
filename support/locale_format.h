#pragma once
// Numbers in texts and files use the system's decimal separator and never a
// group separator ("1000.5", not "1,000.500"). The locale is QLocale() so a
// test can switch it with QLocale::setDefault.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <initializer_list>
#include <optional>

// The locale for numbers: the default locale with group separators omitted.
QLocale NumberLocale();

// value with the given decimals, right-aligned to at least width characters ("%*.*f").
QString FormatFixed(double value, int decimals, int width = 0);

// The system's time separator (":" in most locales).
QString TimeSeparator();

// Parses a decimal number typed with the system's separator; no value when it is not a number.
std::optional<double> ParseLocaleDouble(const QString& text);

// One argument of Format: an integer, a floating-point number or a text.
class TFormatArg {
public:
  TFormatArg(int v) : Kind(Int), I(v) {}
  TFormatArg(unsigned v) : Kind(Int), I(v) {}
  TFormatArg(long v) : Kind(Int), I(v) {}
  TFormatArg(long long v) : Kind(Int), I(v) {}
  TFormatArg(unsigned long v) : Kind(Int), I(qint64(v)) {}
  TFormatArg(unsigned long long v) : Kind(Int), I(qint64(v)) {}
  TFormatArg(double v) : Kind(Real), D(v) {}
  TFormatArg(const QString& v) : Kind(Text), S(v) {}
  TFormatArg(const char* v) : Kind(Text), S(QString::fromUtf8(v)) {}

  enum TKind { Int, Real, Text } Kind;
  qint64 I = 0;
  double D = 0;
  QString S;
};

// printf-style formatting of the program's texts: %d, %f, %s and %% with
// optional "-" flag, width and precision ("%8d: ", "%5.2f", "%.2d"), numbers
// with the system's decimal separator and no group separator. A conversion
// without a matching argument is kept as it stands.
QString Format(const char* format, std::initializer_list<TFormatArg> args = {});

// The platform's default date-time text: the short date, a blank and the long time.
QString DateTimeText(const QDateTime& dateTime);
// The long time of day: hours, minutes and seconds with the system's time separator.
QString LongTimeText(const QTime& time);
