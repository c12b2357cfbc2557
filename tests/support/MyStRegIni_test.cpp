#include "support/MyStRegIni.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/temp_dir.h"
#include "platform/errors.h"
#include "platform/paths.h"

namespace {

class IniStore : public TTempDirTest {
protected:
  QString Ini(const QByteArray& text) { return WriteFile("settings.ini", text); }
  TStRegIni Store(const QString& file, const QString& section) {
    TStRegIni ini(file);
    ini.SetCurrentSection(section);
    return ini;
  }
  static std::string WriteError(TStRegIni& ini) {
    try {
      ini.WriteInteger("Key", 1);
    } catch (const TError& e) {
      return e.Message().toStdString();
    }
    return "(nothing raised)";
  }
};

}  // namespace

TEST_F(IniStore, MissingFileGivesDefaults) {
  TStRegIni ini = Store(PathOf("none.ini"), "Options");
  EXPECT_EQ(ini.ReadString("Name", "fallback"), "fallback");
  EXPECT_EQ(ini.ReadInteger("Count", -4), -4);
  EXPECT_TRUE(ini.ReadBool("Flag", true));
  EXPECT_FALSE(QFile::exists(PathOf("none.ini"))) << "reads never create the file";
}

TEST_F(IniStore, NamesMatchWithoutLetterCaseAndAWriteReplacesTheEntryInPlace) {
  const QString file =
      Ini("; settings\n"
          "[options]\n"
          "NumChan_ORCA8X=4\n"
          "Other=x\n"
          "\n"
          "[frmMain]\n"
          "WinLeft=10\n");
  TStRegIni ini = Store(file, "Options");
  EXPECT_EQ(ini.ReadInteger("NumChan_Orca8x", 0), 4);
  EXPECT_EQ(ini.ReadInteger("numchan_orca8x", 0), 4);
  ini.WriteInteger("NumChan_Orca8x", 8);
  EXPECT_EQ(ini.ReadInteger("NumChan_ORCA8X", 0), 8);
  EXPECT_EQ(ReadFile(file).toStdString(),
            "; settings\n"
            "[options]\n"
            "NumChan_Orca8x=8\n"
            "Other=x\n"
            "\n"
            "[frmMain]\n"
            "WinLeft=10\n");
}

TEST_F(IniStore, NewKeysJoinTheirSectionAndNewSectionsGoAtTheEnd) {
  const QString file =
      Ini("[Options]\n"
          "A=1\n"
          "; about frmMain\n"
          "\n"
          "[frmMain]\n"
          "WinLeft=10\n");
  TStRegIni ini = Store(file, "OPTIONS");
  ini.WriteString("B", "two words");
  ini.SetCurrentSection("frmInfo");
  ini.WriteBool("Shown", true);
  ini.WriteBool("Hidden", false);
  EXPECT_EQ(ReadFile(file).toStdString(),
            "[Options]\n"
            "A=1\n"
            "B=two words\n"
            "; about frmMain\n"
            "\n"
            "[frmMain]\n"
            "WinLeft=10\n"
            "\n"
            "[frmInfo]\n"
            "Shown=1\n"
            "Hidden=0\n");
}

TEST_F(IniStore, FirstWriteCreatesTheFile) {
  TStRegIni ini = Store(PathOf("new.ini"), "Options");
  ini.WriteInteger("Rate", -100);
  EXPECT_EQ(ReadFile(PathOf("new.ini")).toStdString(), "[Options]\nRate=-100\n");
}

TEST_F(IniStore, IntegersAreDecimalOrHexAfter0x) {
  struct TCase {
    const char* Text;
    int Expected;  // the default is 777
  };
  const std::vector<TCase> cases = {
      {"12", 12},
      {"-7", -7},
      {"+3", 3},
      {" 42 ", 42},
      {"0x1F", 31},
      {"0X10", 16},
      {"0xffffffff", -1},
      {"0x", 777},
      {"0xG1", 777},
      {"0x-1", 777},
      {"abc", 777},
      {"12abc", 777},
      {"", 777},
      {"1.5", 777},
      {"99999999999", 777},
      {"0x100000000", 777},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
  };
  for (const TCase& c : cases) {
    const QString file = Ini(QByteArray("[S]\nV=") + c.Text + "\n");
    EXPECT_EQ(Store(file, "S").ReadInteger("V", 777), c.Expected) << '"' << c.Text << '"';
  }
}

TEST_F(IniStore, BooleansAreIntegersNotZero) {
  const QString file = Ini("[S]\nOne=1\nZero=0\nTwo=2\nNeg=-1\nWord=true\n");
  TStRegIni ini = Store(file, "S");
  EXPECT_TRUE(ini.ReadBool("One", false));
  EXPECT_FALSE(ini.ReadBool("Zero", true));
  EXPECT_TRUE(ini.ReadBool("Two", false));
  EXPECT_TRUE(ini.ReadBool("Neg", false));
  EXPECT_FALSE(ini.ReadBool("Word", false)) << "not an integer: the default";
  EXPECT_TRUE(ini.ReadBool("Word", true));
  EXPECT_FALSE(ini.ReadBool("Missing", false));
}

TEST_F(IniStore, GarbageLinesAreIgnoredAndSurviveAWrite) {
  static const char raw[] = "\xff\xfe\x00\x01 binary\n";
  const QByteArray junk(raw, sizeof raw - 1);
  const QByteArray text = "Orphan=1\n" + junk +
                          "[unclosed\n"
                          "=no key\n"
                          "[S]\n"
                          "no equals sign\n"
                          "  Key = spaced value  \n"
                          "Empty=\n"
                          "Eq=a=b\n";
  const QString file = Ini(text);
  TStRegIni ini = Store(file, "S");
  EXPECT_EQ(ini.ReadString("Key", "-"), "spaced value");
  EXPECT_EQ(ini.ReadString("Empty", "-"), "");
  EXPECT_EQ(ini.ReadString("Eq", "-"), "a=b");
  EXPECT_EQ(ini.ReadString("Orphan", "-"), "-") << "keys before any section belong to none";
  ini.WriteString("New", "v");
  EXPECT_EQ(ReadFile(file), text + "New=v\n");
}

TEST_F(IniStore, KeepsWindowsLineEndings) {
  const QString file = Ini("[S]\r\nA=1\r\n");
  TStRegIni ini = Store(file, "s");
  EXPECT_EQ(ini.ReadInteger("A", 0), 1);
  ini.WriteInteger("A", 2);
  EXPECT_EQ(ReadFile(file).toStdString(), "[S]\r\nA=2\r\n");
}

TEST_F(IniStore, ALineBreakInAValueCannotForgeEntries) {
  TStRegIni ini = Store(PathOf("s.ini"), "S");
  ini.WriteString("Comment", "first\n[Options]\nNumChan=8");
  EXPECT_EQ(ini.ReadString("Comment", ""), "first [Options] NumChan=8");
  ini.SetCurrentSection("Options");
  EXPECT_EQ(ini.ReadInteger("NumChan", 0), 0);
}

TEST_F(IniStore, RepeatedSectionsAreSearchedInOrder) {
  const QString file = Ini("[S]\nA=1\n[T]\nA=5\n[s]\nB=2\n");
  TStRegIni ini = Store(file, "S");
  EXPECT_EQ(ini.ReadInteger("B", 0), 2);
  ini.WriteInteger("B", 3);
  ini.WriteInteger("C", 4);
  EXPECT_EQ(ReadFile(file).toStdString(), "[S]\nA=1\nC=4\n[T]\nA=5\n[s]\nB=3\n");
}

TEST_F(IniStore, RefusedWritesRaiseAndLeaveTheFileAlone) {
  // A path below a plain file cannot be created, whoever runs the test.
  WriteFile("plain", "x");
  TStRegIni below = Store(PathOf("plain/settings.ini"), "S");
  EXPECT_EQ(WriteError(below), "Unable to write to " + PathOf("plain/settings.ini").toStdString());

  // A folder in the file's place cannot be read, so it is not overwritten either.
  QDir(Dir.path()).mkdir("folder.ini");
  TStRegIni folder = Store(PathOf("folder.ini"), "S");
  EXPECT_EQ(WriteError(folder), "Unable to write to " + PathOf("folder.ini").toStdString());
}

TEST_F(IniStore, ReadOnlyFileRefusesWrites) {
  const QString file = Ini("[S]\nKey=0\n");
  QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  if (QFileInfo(file).isWritable()) GTEST_SKIP() << "this user may write read-only files";
  TStRegIni ini = Store(file, "S");
  EXPECT_EQ(WriteError(ini), "Unable to write to " + file.toStdString());
  EXPECT_EQ(ReadFile(file).toStdString(), "[S]\nKey=0\n");
}

TEST(IniFileName, ExecutableNameInTheConfigFolder) {
  EXPECT_EQ(GetIniFileName(), ConfigFolder() + "test_support.ini");
  EXPECT_TRUE(GetIniFileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
}
