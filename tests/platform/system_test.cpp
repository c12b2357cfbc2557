// The real process, system-facts, console-dialog and error-reporting seams.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

#include "common/temp_dir.h"
#include "doubles/fakes.h"
#include "platform/console_dialogs.h"
#include "platform/errors.h"
#include "platform/processes.h"
#include "platform/system_facts.h"

TEST(SystemProcessesTest, ListsThisProcessByItsExecutableName) {
  TSystemProcesses processes;
  const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  bool found = false;
  for (const auto& p : processes.List())
    if (p.Pid == ::getpid()) {
      EXPECT_EQ(p.ExeName, self);  // longer than the 15 bytes the kernel keeps in comm
      found = true;
    }
  EXPECT_TRUE(found);
}

TEST(SystemProcessesTest, TerminateEndsAChildProcess) {
  QProcess child;
  child.start("sleep", {"30"});
  ASSERT_TRUE(child.waitForStarted(5000));
  TSystemProcesses processes;
  EXPECT_TRUE(processes.Terminate(child.processId()));
  EXPECT_TRUE(child.waitForFinished(5000));
  EXPECT_FALSE(processes.Terminate(0));
  EXPECT_FALSE(processes.Terminate(-1));
}

TEST(SystemProcessesTest, NormalPriorityRestoresTheStartingNiceness) {
  TSystemProcesses processes;
  QString error;
  // Raising may be refused without privilege; the refusal must say why.
  if (!processes.SetPriority(TPriorityClass::High, &error)) {
    EXPECT_FALSE(error.isEmpty());
  }
  EXPECT_TRUE(processes.SetPriority(TPriorityClass::Normal, &error)) << error.toStdString();
}

class FreeDiskTest : public TTempDirTest {};

TEST_F(FreeDiskTest, FolderThatDoesNotExistYetCountsItsNearestParent) {
  TRealSystemFacts facts;
  const qint64 here = facts.FreeDiskBytes(Dir.path());
  EXPECT_GT(here, 0);
  EXPECT_GT(facts.FreeDiskBytes(PathOf("not/yet/there")), 0);
  EXPECT_EQ(facts.FreeDiskBytes(""), -1);
}

TEST(SystemFactsTest, ExecutableVersionIsTheProgramVersion) {
  TRealSystemFacts facts;
  EXPECT_EQ(facts.ExecutableVersion().Parts, (std::array<quint16, 4>{1, 30, 1, 30}));
  EXPECT_FALSE(facts.OsName().isEmpty());
  EXPECT_FALSE(facts.KernelVersion().isEmpty());
}

TEST(ConsoleDialogsTest, QuestionsFollowThePolicyAndWindowsAreCancelled) {
  TConsoleDialogs d;
  EXPECT_FALSE(d.Confirm("Overwrite it?"));
  d.Answer = [](const QString& q) { return q.contains("convert"); };
  EXPECT_TRUE(d.Confirm("Do you want to convert?"));
  EXPECT_FALSE(d.Confirm("Overwrite it?"));
  EXPECT_FALSE(d.Input("a", "b", "c"));
  EXPECT_TRUE(d.OpenFile("Open", "*.aq4", "/tmp").isEmpty());
  EXPECT_EQ(DisplayText("one\rtwo\r\nthree"), "one\ntwo\nthree");
}

TEST(GuardedApplicationTest, ExceptionFromAnEventHandlerReachesTheReporter) {
  TRecordingErrorReporter reporter;
  TSeamOverride<TErrorReporter> o(&TSeamSet::Errors, reporter);
  bool after = false;
  QTimer::singleShot(0, [] { throw TError("Disk full"); });
  QTimer::singleShot(0, [&after] { after = true; });
  QElapsedTimer t;
  t.start();
  while (!after && t.elapsed() < 2000) QCoreApplication::processEvents();
  EXPECT_TRUE(after);  // the program goes on
  EXPECT_EQ(reporter.Reports, QStringList{"Disk full"});
}
