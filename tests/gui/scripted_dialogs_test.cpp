#include <QDialog>
#include <gtest/gtest.h>

#include "doubles/scripted_dialogs.h"

TEST(ScriptedDialogsTest, ModalHandlerPlaysTheUser) {
  TScriptedDialogs d;
  QDialog dialog;
  dialog.setWindowTitle("Settings");
  d.ExpectModal("Settings", [](QDialog& w) {
     w.accept();
     return int(QDialog::Rejected);  // what the window says wins
   }).ExpectModal("Settings", [](QDialog&) { return int(QDialog::Rejected); });
  EXPECT_EQ(d.RunModal(dialog), QDialog::Accepted);
  EXPECT_EQ(d.RunModal(dialog), QDialog::Rejected);
}

