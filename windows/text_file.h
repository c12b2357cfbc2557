#pragma once
// Text files as the program writes them for people: CR LF line ends and the
// ANSI code page (Latin-1 here; a character it lacks is written as "?").

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes every line followed by CR LF, replacing the file. Raises TError with
// the file name and the system's reason when the file cannot be written.
void WriteTextLines(const QString& fileName, const QStringList& lines);

// The bytes WriteTextLines writes.
QByteArray EncodeTextLines(const QStringList& lines);
