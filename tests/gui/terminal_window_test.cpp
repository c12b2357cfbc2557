// The terminal window on a pty linked as a COM port, the test playing the device.
#include <gtest/gtest.h>
#include <termios.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <vector>

#include "amp/kvterm.h"
#include "common/temp_dir.h"
#include "platform/seams.h"
#include "tools/pty.h"

namespace {

constexpr int Com = 12;

class TerminalWindowTest : public TTempDirTest {
protected:
  void SetUp() override {
    qputenv("TAVRIN_PORTS_DIR", Dir.path().toLocal8Bit());
    ASSERT_TRUE(Pty.Open()) << Pty.Error().toStdString();
    ASSERT_TRUE(Pty.LinkAs(Dir.path(), Com));
  }
  void TearDown() override { qunsetenv("TAVRIN_PORTS_DIR"); }

  void OpenPort(TfrmTerm& form) {
    form.spedPort->setValue(Com);
    form.bnOpen->click();
  }
  // The speed the port was set to, as the line itself carries it.
  speed_t LineSpeed() const {
    termios t{};
    if (::tcgetattr(Pty.MasterFd(), &t) != 0) return B0;
    return ::cfgetospeed(&t);
  }
  // Lets the window's timer run until the memo ends with text, at most 2 s.
  static bool WaitForMemoEnd(TfrmTerm& form, const QString& text) {
    QElapsedTimer t;
    t.start();
    while (!form.Memo1->toPlainText().endsWith(text) && t.elapsed() < 2000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return form.Memo1->toPlainText().endsWith(text);
  }

  TPty Pty;
};

TEST_F(TerminalWindowTest, ControlsStartClosed) {
  TfrmTerm form;
  EXPECT_EQ(form.windowTitle(), "Terminal");
  EXPECT_EQ(form.labCOM->text(), "COM");
  EXPECT_EQ(form.spedPort->minimum(), 1);
  EXPECT_EQ(form.spedPort->maximum(), 255);
  EXPECT_EQ(form.spedPort->value(), 1);
  EXPECT_EQ(form.rgTerminator->title(), "Terminator");
  EXPECT_EQ(form.rgModel->title(), "Model");
  const QStringList terminators{"CR", "LF", "CRLF", "None"};
  for (int i = 0; i < terminators.size(); ++i)
    EXPECT_EQ(form.rgTerminatorButtons->button(i)->text(), terminators[i]);
  EXPECT_EQ(form.rgTerminatorButtons->checkedId(), TfrmTerm::TermCRLF);
  EXPECT_EQ(form.rgModelButtons->button(0)->text(), "Dataq");
  EXPECT_EQ(form.rgModelButtons->button(1)->text(), "Orca");
  EXPECT_EQ(form.rgModelButtons->checkedId(), TfrmTerm::ModelOrca);
  EXPECT_EQ(form.bnOpen->text(), "Open");
  EXPECT_FALSE(form.PortOpen());
  EXPECT_EQ(form.edCmd->text(), "?");
  EXPECT_EQ(form.bnSend->text(), "Send");
  EXPECT_FALSE(form.bnSend->isEnabled());
  EXPECT_EQ(form.cbPrefixNul->text(), "Prefix with NUL");
  EXPECT_FALSE(form.cbPrefixNul->isChecked());
  EXPECT_TRUE(form.Memo1->font().fixedPitch());
  EXPECT_EQ(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(form.lbInfo->text(), "-");
  EXPECT_FALSE(form.Timer1->isActive());
  EXPECT_EQ(form.Timer1->interval(), 100);
  for (const char* name : {"labCOM", "spedPort", "rgTerminator", "rgModel", "bnOpen", "edCmd",
                           "bnSend", "cbPrefixNul", "Memo1", "lbInfo"})
    EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(TerminalWindowTest, OpensAtTheModelsSpeedAndCloses) {
  const std::vector<std::pair<int, speed_t>> cases = {{TfrmTerm::ModelDataq, B38400},
                                                      {TfrmTerm::ModelOrca, B115200}};
  for (const auto& [model, speed] : cases) {
    TfrmTerm form;
    form.rgModelButtons->button(model)->click();
    OpenPort(form);
    EXPECT_EQ(LineSpeed(), speed) << model;
    EXPECT_EQ(form.bnOpen->text(), "Close");
    EXPECT_TRUE(form.PortOpen());
    EXPECT_TRUE(form.bnSend->isEnabled());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.lbInfo->text(), "---");
    EXPECT_EQ(form.Memo1->toPlainText(), QString("Open COM%1").arg(Com));

    form.bnOpen->click();
    EXPECT_EQ(form.bnOpen->text(), "Open");
    EXPECT_FALSE(form.PortOpen());
    EXPECT_FALSE(form.bnSend->isEnabled());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.lbInfo->text(), "---");
    EXPECT_EQ(form.Memo1->toPlainText(), QString("Open COM%1\nClose port").arg(Com));
    EXPECT_FALSE(form.AmplifierLink().Port().IsOpen());
  }
}

TEST_F(TerminalWindowTest, SendsTheCommandWithTheChosenTerminator) {
  struct TCase {
    int Terminator;
    bool PrefixNul;
    const char* Command;
    QByteArray Wire;
    const char* Shown;
  };
  const std::vector<TCase> cases = {
      {TfrmTerm::TermCRLF, true, "About", QByteArray("\0About\r\n", 8), "Send: About\n"},
      {TfrmTerm::TermCRLF, false, "Gain", "Gain\r\n", "Send: Gain\n"},
      {TfrmTerm::TermCR, false, "x", "x\r", "Send: x\n"},
      {TfrmTerm::TermLF, false, "y", "y\n", "Send: y\n"},
      {TfrmTerm::TermNone, false, "About", "About", "Send: About"},
      {TfrmTerm::TermNone, true, "\xe9", QByteArray("\0\xe9", 2), "Send: \xe9"},
  };
  TfrmTerm form;
  OpenPort(form);
  for (const TCase& c : cases) {
    form.rgTerminatorButtons->button(c.Terminator)->click();
    form.cbPrefixNul->setChecked(c.PrefixNul);
    form.edCmd->setText(QString::fromLatin1(c.Command));
    form.bnSend->click();
    EXPECT_EQ(Pty.ReadExactly(int(c.Wire.size()), 1000), c.Wire) << c.Command;
    EXPECT_TRUE(Pty.Read(30).isEmpty()) << c.Command;
    EXPECT_TRUE(form.Memo1->toPlainText().endsWith(QString::fromLatin1(c.Shown))) << c.Command;
  }
}

TEST_F(TerminalWindowTest, TheTimerAppendsWhatArrivesAsItArrives) {
  TfrmTerm form;
  OpenPort(form);
  form.edCmd->setText("About");
  form.bnSend->click();
  Pty.ReadExactly(7, 1000);

  // A reply in two chunks, its CR LF split between them: one line break, nothing added.
  ASSERT_TRUE(Pty.Write("ORCA8X v1\r"));
  ASSERT_TRUE(WaitForMemoEnd(form, "ORCA8X v1\n"));
  EXPECT_EQ(form.lbInfo->text(), "10");
  ASSERT_TRUE(Pty.Write("\nsecond part"));
  ASSERT_TRUE(WaitForMemoEnd(form, "second part"));
  EXPECT_EQ(form.Memo1->toPlainText(),
            QString("Open COM%1\nSend: About\nORCA8X v1\nsecond part").arg(Com));

  form.Timer1Timer();
  EXPECT_EQ(form.lbInfo->text(), "0");
  EXPECT_TRUE(form.Timer1->isActive()) << "the timer runs on while the port is open";
}

TEST_F(TerminalWindowTest, APortThatCannotOpenStillShowsOpenAndSaysWhy) {
  ASSERT_TRUE(QFile::link(PathOf("nowhere/tty"), PathOf("COM13")));
  TfrmTerm form;
  form.spedPort->setValue(13);
  form.bnOpen->click();
  EXPECT_EQ(form.bnOpen->text(), "Close");
  EXPECT_TRUE(form.bnSend->isEnabled());
  const QStringList memo = form.Memo1->toPlainText().split('\n');
  ASSERT_EQ(memo.size(), 2);
  EXPECT_EQ(memo[0], "Open COM13");
  EXPECT_TRUE(memo[1].startsWith("Port error: ")) << memo[1].toStdString();
  form.bnSend->click();  // into nowhere, silently
  form.Timer1Timer();
  EXPECT_EQ(form.lbInfo->text(), "0");
  EXPECT_EQ(form.Memo1->toPlainText().count("Port error: "), 1) << "the error is said once";
  EXPECT_TRUE(form.Memo1->toPlainText().endsWith("Send: ?\n"));
}

}  // namespace
