// The about box: its texts, and that any key closes it with OK.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "doubles/fakes.h"
#include "doubles/scripted_dialogs.h"
#include "files/data_file.h"
#include "platform/seams.h"
#include "windows/identity.h"
#include "windows/kvabout.h"

namespace {

class AboutBox : public ::testing::Test {
protected:
  TFixedSystemFacts Facts;
  TSeamOverride<TSystemFacts> UseFacts{&TSeamSet::System, Facts};
  TScriptedDialogs Dialogs;
  TSeamOverride<TDialogs> UseDialogs{&TSeamSet::Dialogs, Dialogs};
  QString SavedDataDirectory = GetDataDirectory();

  void TearDown() override { SetDataDirectory(SavedDataDirectory); }
};

TEST_F(AboutBox, FormAndFixedTexts) {
  TfrmNewAbout form;
  EXPECT_EQ(form.windowTitle(), "About ....");
  EXPECT_EQ(form.size(), QSize(545, 328));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(form.font().pointSize(), 10);
  EXPECT_EQ(form.labProdName->text(), "<b>Tavrin<sup>+</sup>d</b>");
  EXPECT_EQ(form.labProdName->textFormat(), Qt::RichText);
  EXPECT_EQ(form.labProdName->font().pointSize(), 12);
  EXPECT_TRUE(form.labProdDesc->wordWrap());
  EXPECT_EQ(form.labProdDesc->width(), 331);
  EXPECT_EQ(form.labAppDataPath->font().pointSize(), 8);
  EXPECT_EQ(form.labMeasDataPath->font().pointSize(), 8);
  EXPECT_EQ(form.Shape1->height(), 3);
  EXPECT_EQ(form.Shape1->palette().color(QPalette::Window), QColor(Qt::black));
  EXPECT_EQ(form.bnOK->text(), "OK");
  EXPECT_TRUE(form.bnOK->isDefault());
  EXPECT_EQ(form.imgLogo->pixmap().size(), QSize(197, 114));
  EXPECT_FALSE(form.labMaker->text().isEmpty());
  // The credit link sits centred along the bottom edge.
  const QRect credit = form.labCredit->geometry();
  EXPECT_NEAR(credit.center().x(), 545 / 2, 1);
  EXPECT_EQ(credit.bottom(), 328 - 5);
  EXPECT_TRUE(form.labCredit->text().contains("https://"));
}

TEST_F(AboutBox, FilledTexts) {
  SetDataDirectory(QDir::toNativeSeparators("/data/epg runs"));
  Facts.Os = "Debian GNU/Linux 12 (bookworm)";
  Facts.Kernel = "6.1.0-18-amd64";
  TfrmNewAbout form;
  form.FillAboutTexts();
  EXPECT_EQ(form.labProdDesc->text(), "Electrical Penetration Graph Data Acquisition");
  EXPECT_EQ(form.labVersion->text(), "Version: v01.30 (20-03-2018) /B30");
  EXPECT_EQ(form.labMeasDataPath->text(),
            "Default measurement data path: " + QDir::toNativeSeparators("/data/epg runs"));
  const QString exeFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
  EXPECT_EQ(form.labAppDataPath->text(), "Application data path: " + exeFolder + QDir::separator());
  EXPECT_EQ(form.labWinInfo1->text(), "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(form.labWinInfo2->text(), "Kernel 6.1.0-18-amd64");
  EXPECT_EQ(form.labCopyrite->text(), NoticeText());
}

TEST_F(AboutBox, BuildNumberComesFromTheExecutable) {
  Facts.Version = TFileVersion{{1, 30, 1, 7}};
  TfrmNewAbout form;
  form.FillAboutTexts();
  EXPECT_EQ(form.labVersion->text(), "Version: v01.30 (20-03-2018) /B7");
}

// Each key goes to a widget inside the box, as the focused control would get it.
TEST_F(AboutBox, AnyKeyClosesWithOk) {
  struct TCase {
    Qt::Key Key;
    bool ToButton;
  };
  const std::vector<TCase> cases = {
      {Qt::Key_A, false},  {Qt::Key_Escape, false}, {Qt::Key_Escape, true},
      {Qt::Key_Tab, true}, {Qt::Key_F1, true},      {Qt::Key_Shift, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Key);
    bool closedWithOk = false;
    Dialogs.ExpectModal("About ....", [&](QDialog& dialog) {
      auto& form = static_cast<TfrmNewAbout&>(dialog);
      dialog.show();
      QKeyEvent press(QEvent::KeyPress, c.Key, Qt::NoModifier);
      QCoreApplication::sendEvent(c.ToButton ? static_cast<QObject*>(form.bnOK) : &form, &press);
      closedWithOk = dialog.result() == QDialog::Accepted && !dialog.isVisible();
      return QDialog::Rejected;
    });
    ShowAbout();
    EXPECT_TRUE(closedWithOk);
  }
  EXPECT_TRUE(Dialogs.Done());
}

TEST_F(AboutBox, ShownFilledAndOkButtonCloses) {
  QString version;
  int result = -1;
  Dialogs.ExpectModal("About ....", [&](QDialog& dialog) {
    auto& form = static_cast<TfrmNewAbout&>(dialog);
    version = form.labVersion->text();
    form.bnOK->click();
    result = dialog.result();
    return QDialog::Rejected;
  });
  ShowAbout();
  EXPECT_TRUE(Dialogs.Done());
  EXPECT_EQ(version, "Version: v01.30 (20-03-2018) /B30");
  EXPECT_EQ(result, QDialog::Accepted);
}

}  // namespace
