#pragma once
// The amplifier settings report: the amplifier queried once with every command
// of its protocol, raw replies and converted values, then twenty streamed
// frames and the frame rate they came at. The caller shows the lines.

#include <QStringList>

// The report's lines for the amplifier on COM<comNumber>; a blank line is " ".
QStringList AmplifierSettingsReport(int comNumber);
