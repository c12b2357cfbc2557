#include "windows/identity.h"

QString ProgramName() {
  return QStringLiteral("Tavrin+d");
}

QString ProgramDescription() {
  return QStringLiteral("Electrical Penetration Graph Data Acquisition");
}

QString ProgramVersion() {
  return QStringLiteral("01.30");
}

QString ProgramDate() {
  return QStringLiteral("20-03-2018");
}

QString NoticeText() {
  return QStringLiteral("Tavrin+d is provided for research use.");
}
