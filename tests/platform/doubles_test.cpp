// The doubles other tests rely on must themselves be right.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "doubles/fakes.h"
#include "doubles/manual_clock.h"
#include "doubles/scripted_dialogs.h"

TEST(ScriptedDialogsTest, AnswersExpectedPromptsInOrderAndRecordsThem) {
  TScriptedDialogs d;
  d.ExpectConfirm("Overwrite", true).ExpectMessage("failed").ExpectInput("channels", "8");
  TSeamOverride<TDialogs> o(&TSeamSet::Dialogs, d);
  EXPECT_TRUE(Seams().Dialogs->Confirm("Intermediate datafile already exists. Overwrite it?"));
  Seams().Dialogs->Message("Save failed");
  EXPECT_EQ(Seams().Dialogs->Input("Old style", "Number of channels", "4"), "8");
  EXPECT_TRUE(d.Done());
  EXPECT_EQ(d.ShownTexts().size(), 3);
}

TEST(ScriptedDialogsTest, UnexpectedPromptFailsTheTestAndAnswersNo) {
  EXPECT_NONFATAL_FAILURE(
      {
        TScriptedDialogs d;
        EXPECT_FALSE(d.Confirm("Convert now?"));
      },
      "unexpected confirmation");
  EXPECT_NONFATAL_FAILURE(
      {
        TScriptedDialogs d;
        d.ExpectConfirm("Convert", true);
        d.Message("Convert now?");  // right text, wrong kind of box
        EXPECT_TRUE(d.Confirm("Convert now?"));
      },
      "unexpected message");
}

TEST(ScriptedDialogsTest, PromptNeverShownFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        TScriptedDialogs d;
        d.ExpectMessage("Recording done");
      },
      "was never shown");
}

TEST(ManualClockTest, TickCountWrapsAt32BitsWhileMillisecondsGoOn) {
  TManualClock clock(0xFFFFFF00u);
  const quint32 start = clock.TickCount();
  clock.Advance(0x200);
  EXPECT_EQ(clock.TickCount(), 0x100u);
  EXPECT_EQ(static_cast<quint32>(clock.TickCount() - start), 0x200u);
  EXPECT_EQ(clock.Milliseconds(), 0x200);
  clock.Sleep(1000);
  EXPECT_EQ(clock.Now(), QDateTime(QDate(2010, 7, 5), QTime(14, 12, 54)).addMSecs(0x200 + 1000));
  clock.Advance(-5);  // time never runs back
  EXPECT_EQ(clock.Milliseconds(), 0x200 + 1000);
}

TEST(FakeProcessesTest, TerminateEndsAllButSurvivors) {
  TFakeProcesses p;
  p.Table = {{10, "DISCN103.EXE"}, {11, "bash"}};
  p.Survivors = {"bash"};
  EXPECT_TRUE(p.Terminate(10));
  EXPECT_FALSE(p.Terminate(11));
  EXPECT_FALSE(p.Terminate(99));
  ASSERT_EQ(p.Table.size(), 1);
  EXPECT_EQ(p.Table[0].ExeName, "bash");
  EXPECT_EQ(p.Terminated, (QList<qint64>{10, 11, 99}));
}
