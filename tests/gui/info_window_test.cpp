#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QToolButton>

#include "common/temp_dir.h"
#include "doubles/scripted_dialogs.h"
#include "platform/errors.h"
#include "support/MyStRegIni.h"
#include "windows/kvinfo.h"

namespace {

// Also remembers where each save dialog started and what it offered.
class TSaveDialogs : public TScriptedDialogs {
public:
  QStringList Folders;
  QStringList Filters;
  QString SaveFile(const QString& title, const QString& filter, const QString& folder,
                   const QString& name) override {
    Folders.append(folder);
    Filters.append(filter);
    return TScriptedDialogs::SaveFile(title, filter, folder, name);
  }
};

// Every test starts without an info window and without a settings file.
class InfoWindow : public TTempDirTest {
protected:
  void SetUp() override {
    delete frmInfo.data();
    QFile::remove(GetIniFileName());
  }
  void TearDown() override {
    delete frmInfo.data();
    QFile::remove(GetIniFileName());
  }
  static void AddLines(const QStringList& lines) {
    for (const QString& line : lines) ASSERT_TRUE(InfoAddLine(line));
  }
};

TEST_F(InfoWindow, StartsEmptyWithItsControls) {
  TfrmInfo& form = EnsureInfoWindow();
  EXPECT_EQ(frmInfo.data(), &form);
  EXPECT_EQ(form.windowTitle(), "Info");
  EXPECT_EQ(form.size(), QSize(578, 315));
  EXPECT_TRUE(InfoLines().isEmpty());
  EXPECT_FALSE(form.isVisible()) << "shown only on request";
  EXPECT_TRUE(form.Memo1->isReadOnly());
  EXPECT_EQ(form.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_TRUE(QFontInfo(form.Memo1->font()).fixedPitch());
  EXPECT_EQ(form.Memo1->font().pixelSize(), 15);
  EXPECT_EQ(form.bnSave->text(), "&Save");
  EXPECT_EQ(form.bnPrint->toolTip(), "Print text to default printer");
  EXPECT_EQ(form.bnClose->text(), "Cl&ose");
}

TEST_F(InfoWindow, KeepsEveryLineAsAdded) {
  struct TCase {
    const char* Name;
    QStringList Added;
    QStringList Lines;
  };
  const std::vector<TCase> cases = {
      {"one empty line", {""}, {""}},
      {"two empty lines stay two", {"", ""}, {"", ""}},
      {"blank between groups", {"a", " ", "b"}, {"a", " ", "b"}},
      {"empty first line", {"", "x"}, {"", "x"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    InfoClear();
    AddLines(c.Added);
    EXPECT_EQ(InfoLines(), c.Lines);
  }
  InfoClear();
  EXPECT_TRUE(InfoLines().isEmpty());
  EXPECT_TRUE(InfoAddLine("after clear"));
  EXPECT_EQ(InfoLines(), QStringList{"after clear"});
}

TEST_F(InfoWindow, ALineWithBreaksBecomesSeveralLines) {
  EXPECT_TRUE(InfoAddLine("one\r\ntwo\rthree\nfour"));
  EXPECT_EQ(InfoLines(), (QStringList{"one", "two", "three", "four"}));
}

TEST_F(InfoWindow, AddLineOnADestroyedWindowBuildsAnEmptyOne) {
  AddLines({"old text"});
  delete frmInfo.data();
  EXPECT_TRUE(frmInfo.isNull());
  EXPECT_TRUE(InfoAddLine("new"));
  ASSERT_FALSE(frmInfo.isNull());
  EXPECT_EQ(InfoLines(), QStringList{"new"});
}

TEST_F(InfoWindow, OnlyTheGlobalWindowEmptiesTheGlobalWhenDestroyed) {
  TfrmInfo& global = EnsureInfoWindow();
  delete new TfrmInfo();
  EXPECT_EQ(frmInfo.data(), &global);
}

TEST_F(InfoWindow, PlacementIsSavedOnDestroyAndRestoredOnCreate) {
  EnsureInfoWindow().move(40, 50);
  frmInfo->resize(500, 300);
  delete frmInfo.data();
  TStRegIni ini(GetIniFileName());
  ini.SetCurrentSection("frmInfo");
  EXPECT_EQ(ini.ReadInteger("WinLeft", -1), 40);
  EXPECT_EQ(ini.ReadInteger("WinWidth", -1), 500);
  TfrmInfo& again = EnsureInfoWindow();
  EXPECT_EQ(again.pos(), QPoint(40, 50));
  EXPECT_EQ(again.size(), QSize(500, 300));
}

TEST_F(InfoWindow, CloseHidesAndKeepsTheText) {
  AddLines({"kept"});
  InfoShow();
  ASSERT_TRUE(frmInfo->isVisible());
  frmInfo->close();
  EXPECT_FALSE(frmInfo.isNull());
  EXPECT_FALSE(frmInfo->isVisible());
  EXPECT_TRUE(InfoAddLine("while hidden"));

  InfoShow();
  frmInfo->bnClose->click();
  ASSERT_FALSE(frmInfo.isNull());
  EXPECT_FALSE(frmInfo->isVisible());
  EXPECT_EQ(InfoLines(), (QStringList{"kept", "while hidden"}));
}

TEST_F(InfoWindow, CopyPutsTheWholeTextOnTheClipboard) {
  AddLines({"first", "second"});
  QGuiApplication::clipboard()->clear();
  frmInfo->bnCopy->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "first\nsecond");
}

TEST_F(InfoWindow, ClearButtonRemovesAllLines) {
  AddLines({"a", "b"});
  frmInfo->bnClear->click();
  EXPECT_TRUE(InfoLines().isEmpty());
}

TEST_F(InfoWindow, SaveWritesTheFileAndStartsTheNextSaveInItsFolder) {
  AddLines({"line 1", QString::fromUtf8("µ")});
  const QString path = PathOf("saved.txt");
  TSaveDialogs dialogs;
  TSeamOverride<TDialogs> o(&TSeamSet::Dialogs, dialogs);
  dialogs.ExpectSaveFile("", path).ExpectInformation("Text saved to:").ExpectSaveFile("", "");
  frmInfo->bnSaveClick();
  EXPECT_EQ(ReadFile(path), QByteArray("line 1\r\n\xB5\r\n"));
  frmInfo->bnSaveClick();  // cancelled: nothing else happens
  dialogs.VerifyDone();
  EXPECT_EQ(dialogs.ShownTexts().at(1), "Text saved to:\r" + path);
  EXPECT_EQ(dialogs.Filters.at(0), "Text file (*.TXT);;Any file (*)");
  EXPECT_EQ(dialogs.Folders.at(1), Dir.path());
}

TEST_F(InfoWindow, SaveFailureShowsTheReasonAndKeepsTheText) {
  AddLines({"stays"});
  const QString path = WriteFile("plain", "x") + "/saved.txt";
  TSaveDialogs dialogs;
  TSeamOverride<TDialogs> o(&TSeamSet::Dialogs, dialogs);
  dialogs.ExpectSaveFile("", path).ExpectMessage("Save failed:\r");
  frmInfo->bnSaveClick();
  dialogs.VerifyDone();
  const QString shown = dialogs.ShownTexts().at(1);
  EXPECT_TRUE(shown.startsWith("Save failed:\r"));
  EXPECT_TRUE(shown.mid(13).contains(path)) << "the error's own message follows";
  EXPECT_EQ(InfoLines(), QStringList{"stays"});
  EXPECT_TRUE(frmInfo->SaveFolder().isEmpty()) << "a failed save moves no folder";
}

TEST_F(InfoWindow, SaveToFileWritesTheLinesAndRaisesFailures) {
  AddLines({"a", "b"});
  const QString path = PathOf("log.txt");
  InfoSaveToFile(path);
  EXPECT_EQ(ReadFile(path), QByteArray("a\r\nb\r\n"));
  EXPECT_THROW(InfoSaveToFile(WriteFile("plain", "x") + "/log.txt"), TError);
}

TEST(InfoPrint, ThreeLinesPrintAsSix) {
  EXPECT_EQ(PrintedLines({"a", "", "line three"}),
            (QStringList{" ", " ", "       a", "       ", "       line three", " "}));
}

TEST_F(InfoWindow, PrintWithoutDefaultPrinterSaysSo) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a printer";
  TScriptedDialogs dialogs;
  TSeamOverride<TDialogs> o(&TSeamSet::Dialogs, dialogs);
  dialogs.ExpectMessage("No default printer");
  EnsureInfoWindow().bnPrintClick();  // even an empty text tells first
  dialogs.VerifyDone();
  EXPECT_EQ(dialogs.ShownTexts(),
            QStringList{"No default printer has been assigned.\r"
                        "Use the Control Panel to select a default printer."});
}

int PdfPageCount(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  return int(QString::fromLatin1(f.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

TEST_F(InfoWindow, PrintingBreaksPagesWhenAPageIsFull) {
  QFont font("Courier New");
  font.setPointSize(11);
  QStringList many;
  for (int i = 0; i < 300; ++i) many.append(QString::number(i));
  struct TCase {
    const char* Name;
    QStringList Lines;
    bool OnePage;
  };
  const std::vector<TCase> cases = {{"three lines", PrintedLines({"a", "b", "c"}), true},
                                    {"300 lines", PrintedLines(many), false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QString path = PathOf("print.pdf");
    int pages = 0;
    {
      QPdfWriter pdf(path);
      pages = PrintTextLines(pdf, font, c.Lines);
    }
    EXPECT_EQ(PdfPageCount(path), pages);
    if (c.OnePage) {
      EXPECT_EQ(pages, 1);
    } else {
      EXPECT_GT(pages, 1);
    }
  }
}

}  // namespace
