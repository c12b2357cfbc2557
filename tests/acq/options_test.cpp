#include "acq/options.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>
#include <vector>

#include "common/temp_dir.h"

namespace {

std::vector<int> Fields(const TOptions& o) {
  return {o.ReqTime2Chan,    o.ReqTime4Chan,  o.ReqTime8Chan, o.NumChanDI148,  o.NumChanDI155,
          o.NumChanDI158,    o.NumChanDI710,  o.NumChanDemo,  o.NumChanOrca8x, o.SampleFrequency,
          o.ProcessPriority, o.AlwaysDI710UL, o.InvertSignal};
}

class OptionsFileTest : public TTempDirTest {
protected:
  QString Ini(const QByteArray& body) { return WriteFile("tavrin.ini", "[Options]\n" + body); }
  // The key=value lines of the file, in order.
  QStringList Lines(const QString& path) {
    QStringList lines;
    for (const QString& line : QString::fromLatin1(ReadFile(path)).split('\n')) {
      const QString t = line.trimmed();
      if (!t.isEmpty() && !t.startsWith('[')) lines << t;
    }
    return lines;
  }
};

TEST_F(OptionsFileTest, MissingFileOrKeysKeepTheConstructorDefaults) {
  TOptions o;
  o.LoadOptions(PathOf("absent.ini"));
  EXPECT_EQ(Fields(o), Fields(TOptions()));

  TOptions p;
  p.LoadOptions(WriteFile("other.ini", "[frmMain]\nNumChan_DI148=2\nDataReqTime_4chan_msec=40\n"));
  EXPECT_EQ(Fields(p), Fields(TOptions()));
  EXPECT_EQ(p.ReqTime4Chan, 250);
  EXPECT_EQ(p.NumChanDemo, 4);
}

TEST_F(OptionsFileTest, LoadReplacesValuesOutOfRange) {
  struct TCase {
    const char* Line;
    int TOptions::*Field;
    int Expected;
  };
  const std::vector<TCase> cases = {
      {"DataReqTime_4chan_msec=5", &TOptions::ReqTime4Chan, 500},
      {"DataReqTime_4chan_msec=9", &TOptions::ReqTime4Chan, 500},
      {"DataReqTime_4chan_msec=10", &TOptions::ReqTime4Chan, 10},
      {"DataReqTime_4chan_msec=30000", &TOptions::ReqTime4Chan, 30000},
      {"DataReqTime_4chan_msec=30001", &TOptions::ReqTime4Chan, 500},
      {"DataReqTime_2chan_msec=-1", &TOptions::ReqTime2Chan, 500},
      {"DataReqTime_8chan_msec=100000", &TOptions::ReqTime8Chan, 500},
      {"DataReqTime_8chan_msec=0x3E8", &TOptions::ReqTime8Chan, 1000},
      {"NumChan_DI148=3", &TOptions::NumChanDI148, 8},
      {"NumChan_DI148=2", &TOptions::NumChanDI148, 2},
      {"NumChan_DI148=0x4", &TOptions::NumChanDI148, 4},
      {"NumChan_DI155=8", &TOptions::NumChanDI155, 4},
      {"NumChan_DI155=2", &TOptions::NumChanDI155, 2},
      {"NumChan_DI158=8", &TOptions::NumChanDI158, 4},
      {"NumChan_DI158=2", &TOptions::NumChanDI158, 2},
      {"NumChan_DI710=0X10", &TOptions::NumChanDI710, 8},
      {"NumChan_DI710=4", &TOptions::NumChanDI710, 4},
      {"NumChan_Demo=3", &TOptions::NumChanDemo, 8},
      {"NumChan_Demo=2", &TOptions::NumChanDemo, 2},
      {"NumChan_ORCA8X=16", &TOptions::NumChanOrca8x, 8},
      {"NumChan_orca8x=4", &TOptions::NumChanOrca8x, 4},
      {"ProcessPriority=3", &TOptions::ProcessPriority, 1},
      {"ProcessPriority=-1", &TOptions::ProcessPriority, 1},
      {"ProcessPriority=0", &TOptions::ProcessPriority, 0},
      {"ProcessPriority=2", &TOptions::ProcessPriority, 2},
      // Not a number: the current value stays (and is then checked).
      {"DataReqTime_4chan_msec=abc", &TOptions::ReqTime4Chan, 250},
      {"DataReqTime_4chan_msec=0x", &TOptions::ReqTime4Chan, 250},
      {"DataReqTime_4chan_msec=12.5", &TOptions::ReqTime4Chan, 250},
      {"DataReqTime_4chan_msec=", &TOptions::ReqTime4Chan, 250},
      {"NumChan_Demo=abc", &TOptions::NumChanDemo, 4},
      {"NumChan_DI148=0xZZ", &TOptions::NumChanDI148, 8},
      {"ProcessPriority=high", &TOptions::ProcessPriority, 1},
      {"NumChan_DI155=99999999999999999999", &TOptions::NumChanDI155, 4},
  };
  for (const TCase& c : cases) {
    TOptions o;
    o.LoadOptions(Ini(QByteArray(c.Line) + "\n"));
    EXPECT_EQ(o.*c.Field, c.Expected) << c.Line;
  }
}

TEST_F(OptionsFileTest, BooleansAreIntegersWhereNonZeroIsTrue) {
  struct TCase {
    const char* Body;
    bool AlwaysDI710UL, InvertSignal;
  };
  const std::vector<TCase> cases = {
      {"AlwaysDI710UL=1\nInvertSignal=0\n", true, false},
      {"AlwaysDI710UL=0\nInvertSignal=5\n", false, true},
      {"AlwaysDI710UL=-1\nInvertSignal=0x1\n", true, true},
      {"AlwaysDI710UL=yes\nInvertSignal=\n", false, false},
  };
  for (const TCase& c : cases) {
    TOptions o;
    o.LoadOptions(Ini(c.Body));
    EXPECT_EQ(o.AlwaysDI710UL, c.AlwaysDI710UL) << c.Body;
    EXPECT_EQ(o.InvertSignal, c.InvertSignal) << c.Body;
  }
}

TEST_F(OptionsFileTest, SaveWritesEveryKeyInOrderButNotTheSampleFrequency) {
  TOptions o;
  o.ReqTime2Chan = 20;
  o.ReqTime4Chan = 400;
  o.ReqTime8Chan = 800;
  o.NumChanDI148 = 4;
  o.NumChanDI155 = 2;
  o.NumChanDI158 = 2;
  o.NumChanDI710 = 2;
  o.NumChanDemo = 8;
  o.NumChanOrca8x = 4;
  o.SampleFrequency = 250;
  o.ProcessPriority = 2;
  o.AlwaysDI710UL = true;
  o.InvertSignal = true;
  const QString path = PathOf("saved.ini");
  o.SaveOptions(path);

  const QStringList expected = {"DataReqTime_2chan_msec=20",
                                "DataReqTime_4chan_msec=400",
                                "DataReqTime_8chan_msec=800",
                                "NumChan_DI148=4",
                                "NumChan_DI155=2",
                                "NumChan_DI158=2",
                                "NumChan_DI710=2",
                                "NumChan_Demo=8",
                                "NumChan_Orca8x=4",
                                "ProcessPriority=2",
                                "AlwaysDI710UL=1",
                                "InvertSignal=1"};
  EXPECT_EQ(Lines(path), expected);
  EXPECT_TRUE(QString::fromLatin1(ReadFile(path)).startsWith("[Options]"));

  TOptions back;
  back.LoadOptions(path);
  o.SampleFrequency = 100;  // lives only for one run
  EXPECT_EQ(Fields(back), Fields(o));
}

TEST_F(OptionsFileTest, TheAmplifierKeyIsOneEntryWhateverItsCase) {
  const QString path = Ini("NumChan_ORCA8X=2\n");
  TOptions o;
  o.LoadOptions(path);
  EXPECT_EQ(o.NumChanOrca8x, 2);

  o.NumChanOrca8x = 4;
  o.SaveOptions(path);
  const QStringList amplifier = Lines(path).filter(
      QRegularExpression("^numchan_orca8x=", QRegularExpression::CaseInsensitiveOption));
  ASSERT_EQ(amplifier.size(), 1) << amplifier.join(" ").toStdString();
  EXPECT_TRUE(amplifier[0].endsWith("=4"));

  TOptions back;
  back.LoadOptions(path);
  EXPECT_EQ(back.NumChanOrca8x, 4);
}

TEST_F(OptionsFileTest, OtherSectionsSurviveASave) {
  const QString path =
      WriteFile("mixed.ini", "[frmMain]\nWinLeft=40\n[Options]\nNumChan_DI148=2\n");
  TOptions o;
  o.SaveOptions(path);
  const QString text = QString::fromLatin1(ReadFile(path));
  EXPECT_TRUE(text.contains("WinLeft=40")) << text.toStdString();
  EXPECT_TRUE(text.contains("NumChan_DI148=8")) << text.toStdString();
  EXPECT_FALSE(text.contains("NumChan_DI148=2")) << text.toStdString();
}

}  // namespace
