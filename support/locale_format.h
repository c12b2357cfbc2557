#pragma once
// Numbers in texts and files use the system's decimal separator and never a
// group separator ("1000.5", not "1,000.500"). The locale is QLocale() so a
// test can switch it with QLocale::setDefault.

#include <QLocale>
#include <QString>
#include <optional>

// The locale for numbers: the default locale with group separators omitted.
QLocale NumberLocale();

// value with the given decimals, right-aligned to at least width characters ("%*.*f").
QString FormatFixed(double value, int decimals, int width = 0);

// The system's time separator (":" in most locales).
QString TimeSeparator();

// Parses a decimal number typed with the system's separator; no value when it is not a number.
std::optional<double> ParseLocaleDouble(const QString& text);
