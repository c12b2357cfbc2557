#pragma once
// Small routines shared across the program: time and text formatting, file
// and disk queries, version numbers, process lookup and the serial port list.
// None keeps state; failures show in the result, never as an exception.

#include <QString>
#include <QStringList>

#include "platform/seams.h"

class QWidget;

// "h:mm:ss", hours with as many digits as needed (3725 -> "1:02:05").
QString SecondsToHMS(qint64 seconds);

// Case-sensitive split at the first occurrence of separator. TextBefore gives
// the whole text and TextAfter an empty text when it does not occur (an empty
// separator never occurs).
QString TextBefore(const QString& text, const QString& separator);
QString TextAfter(const QString& text, const QString& separator);

// Size in bytes of the named file, 0 when there is no such file (or it is a folder).
qint64 GetFileSizeByName(const QString& fileName);

// Free bytes for this user on the file system holding path (empty: the current
// folder); -1 when there is none.
qint64 GetDiskFreeBytes(const QString& path);

// Major, minor, release, build. An empty name means this program; other files
// carry no version information here and give four zeros.
TFileVersion GetFileVersion(const QString& fileName = {});
int GetFileBuildNumber(const QString& fileName = {});

// Id of the first running process whose executable file name equals exeName
// exactly (letter case included); 0 when none.
qint64 FindProcessId(const QString& exeName);

// False when the name contains "LPT1" to "LPT4".
bool IsNotParallelPort(const QString& portName);

// Appends "COMn" for every COM number whose device node exists (COM1-96 and
// any further "COMn" entry of the ports folder), in ascending order. With
// details each entry reads "COMn=<node>/<target> (v )": the node the port
// opens, then the device the node finally leads to when it is a link (empty
// otherwise); no driver version or date is known here.
void ListSerialPorts(bool details, QStringList& list);

// While disabled the window hides its title-bar close button (tavrin_gui).
// The window itself must refuse closeEvent meanwhile.
void EnableCloseCommand(QWidget& window, bool enable);
