#include "acq/options.h"

#include <initializer_list>

#include "support/MyStRegIni.h"

namespace {
const QString Section = QStringLiteral("Options");

int OneOf(int value, std::initializer_list<int> allowed, int replacement) {
  for (const int a : allowed)
    if (value == a) return value;
  return replacement;
}

int Within(int value, int low, int high, int replacement) {
  return value < low || value > high ? replacement : value;
}
}  // namespace

QString TOptions::DefaultFileName() {
  return GetIniFileName();
}

void TOptions::LoadOptions(const QString& fileName) {
  TStRegIni ini(fileName);
  ini.SetCurrentSection(Section);
  ReqTime2Chan = Within(ini.ReadInteger("DataReqTime_2chan_msec", ReqTime2Chan), 10, 30000, 500);
  ReqTime4Chan = Within(ini.ReadInteger("DataReqTime_4chan_msec", ReqTime4Chan), 10, 30000, 500);
  ReqTime8Chan = Within(ini.ReadInteger("DataReqTime_8chan_msec", ReqTime8Chan), 10, 30000, 500);
  NumChanDI148 = OneOf(ini.ReadInteger("NumChan_DI148", NumChanDI148), {2, 4, 8}, 8);
  NumChanDI155 = OneOf(ini.ReadInteger("NumChan_DI155", NumChanDI155), {2, 4}, 4);
  NumChanDI158 = OneOf(ini.ReadInteger("NumChan_DI158", NumChanDI158), {2, 4}, 4);
  NumChanDI710 = OneOf(ini.ReadInteger("NumChan_DI710", NumChanDI710), {2, 4, 8}, 8);
  NumChanDemo = OneOf(ini.ReadInteger("NumChan_Demo", NumChanDemo), {2, 4, 8}, 8);
  NumChanOrca8x = OneOf(ini.ReadInteger("NumChan_ORCA8X", NumChanOrca8x), {2, 4, 8}, 8);
  ProcessPriority = OneOf(ini.ReadInteger("ProcessPriority", ProcessPriority), {0, 1, 2}, 1);
  AlwaysDI710UL = ini.ReadBool("AlwaysDI710UL", AlwaysDI710UL);
  InvertSignal = ini.ReadBool("InvertSignal", InvertSignal);
}

void TOptions::SaveOptions(const QString& fileName) const {
  TStRegIni ini(fileName);
  ini.SetCurrentSection(Section);
  ini.WriteInteger("DataReqTime_2chan_msec", ReqTime2Chan);
  ini.WriteInteger("DataReqTime_4chan_msec", ReqTime4Chan);
  ini.WriteInteger("DataReqTime_8chan_msec", ReqTime8Chan);
  ini.WriteInteger("NumChan_DI148", NumChanDI148);
  ini.WriteInteger("NumChan_DI155", NumChanDI155);
  ini.WriteInteger("NumChan_DI158", NumChanDI158);
  ini.WriteInteger("NumChan_DI710", NumChanDI710);
  ini.WriteInteger("NumChan_Demo", NumChanDemo);
  ini.WriteInteger("NumChan_Orca8x", NumChanOrca8x);
  ini.WriteInteger("ProcessPriority", ProcessPriority);
  ini.WriteBool("AlwaysDI710UL", AlwaysDI710UL);
  ini.WriteBool("InvertSignal", InvertSignal);
}
