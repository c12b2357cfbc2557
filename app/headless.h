#pragma once
// The recorder without a window: `tavrin --record ...` runs the same run logic
// with a terminal view, `tavrin --convert FILE` cuts an existing file.

#include <QStringList>

// Runs the headless command in args (the program's arguments without the
// program name) and returns the exit status: 0 only on full success.
// Returns -1 when args hold no headless command.
int RunHeadless(const QStringList& args);

// `--devices [--simulate FILE]`: runs device detection and prints its report;
// the exit status is 0 unless the arguments are bad (2).
int ListDevices(const QStringList& args);

// The usage text of the headless commands.
QString HeadlessUsage();
