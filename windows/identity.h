#pragma once
// The program's fixed identity texts, shown in the status bar and the about box.

#include <QString>

QString ProgramName();
QString ProgramDescription();
QString ProgramVersion();
// Day-month-year.
QString ProgramDate();
// The maker's one-line notice at the bottom of the about box.
QString NoticeText();
