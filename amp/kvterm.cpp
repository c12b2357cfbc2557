#include "amp/kvterm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/seams.h"

namespace {
template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A titled group of radio buttons laid out in columns; button ids are the item indexes.
QGroupBox* RadioGroup(const char* name, const QString& title, const QStringList& items, int columns,
                      int initial, QButtonGroup*& buttons) {
  auto* box = Named(new QGroupBox(title), name);
  auto* grid = new QGridLayout(box);
  buttons = new QButtonGroup(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i]);
    button->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
    buttons->addButton(button, i);
    grid->addWidget(button, i / columns, i % columns);
  }
  buttons->button(initial)->setChecked(true);
  return box;
}

const char* const TerminatorBytes[] = {"\r", "\n", "\r\n", ""};
}  // namespace

TfrmTerm::TfrmTerm(QWidget* parent) : QDialog(parent), Link(std::make_unique<TAmplifierLink>()) {
  setObjectName("frmTerm");
  setWindowTitle("Terminal");
  resize(693, 417);

  labCOM = Named(new QLabel("COM"), "labCOM");
  spedPort = Named(new QSpinBox, "spedPort");
  spedPort->setRange(1, 255);
  spedPort->setValue(1);
  rgTerminator = RadioGroup("rgTerminator", "Terminator", {"CR", "LF", "CRLF", "None"}, 4, TermCRLF,
                            rgTerminatorButtons);
  rgModel = RadioGroup("rgModel", "Model", {"Dataq", "Orca"}, 2, ModelOrca, rgModelButtons);
  bnOpen = Named(new QPushButton("Open"), "bnOpen");
  bnOpen->setProperty("Tag", 0);
  edCmd = Named(new QLineEdit("?"), "edCmd");
  bnSend = Named(new QPushButton("Send"), "bnSend");
  bnSend->setEnabled(false);
  cbPrefixNul = Named(new QCheckBox("Prefix with NUL"), "cbPrefixNul");
  cbPrefixNul->setChecked(false);
  // Enter in the command line must not press a button by default.
  bnOpen->setAutoDefault(false);
  bnSend->setAutoDefault(false);

  Memo1 = Named(new QPlainTextEdit, "Memo1");
  QFont fixed(QStringLiteral("Courier New"));
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setFixedPitch(true);
  Memo1->setFont(fixed);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  lbInfo = Named(new QLabel("-"), "lbInfo");

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(ReceiveIntervalMs);

  auto* top = new QHBoxLayout;
  top->addWidget(labCOM);
  top->addWidget(spedPort);
  top->addWidget(rgTerminator);
  top->addWidget(rgModel);
  top->addWidget(bnOpen);
  top->addStretch();
  auto* command = new QHBoxLayout;
  command->addWidget(edCmd, 1);
  command->addWidget(bnSend);
  command->addWidget(cbPrefixNul);
  auto* form = new QVBoxLayout(this);
  form->addLayout(top);
  form->addLayout(command);
  form->addWidget(Memo1, 1);
  form->addWidget(lbInfo);

  connect(bnOpen, &QPushButton::clicked, this, &TfrmTerm::bnOpenClick);
  connect(bnSend, &QPushButton::clicked, this, &TfrmTerm::bnSendClick);
  connect(Timer1, &QTimer::timeout, this, &TfrmTerm::Timer1Timer);
}

TfrmTerm::~TfrmTerm() {
  Timer1->stop();
  Link->Port().Close();
}

bool TfrmTerm::PortOpen() const {
  return bnOpen->property("Tag").toInt() == 1;
}

void TfrmTerm::bnOpenClick() {
  TSerialPort& port = Link->Port();
  if (PortOpen()) {
    Timer1->stop();
    Memo1->appendPlainText("Close port");
    bnOpen->setText("Open");
    bnOpen->setProperty("Tag", 0);
    bnSend->setEnabled(false);
    port.Close();
  } else {
    const int com = spedPort->value();
    const int baud = rgModelButtons->checkedId() == ModelDataq ? DataqBaudRate : AmplifierBaudRate;
    // The result is not checked: the window opens in any case, and a port
    // that failed says so once in the memo.
    port.Open(com, baud);
    port.SetDtr(true);
    port.SetRts(true);
    bnOpen->setText("Close");
    bnOpen->setProperty("Tag", 1);
    bnSend->setEnabled(true);
    Memo1->appendPlainText(QStringLiteral("Open COM%1").arg(com));
    LastWasCr = false;
    ErrorShown = false;
    ShowPortError();
    Timer1->start();
  }
  lbInfo->setText("---");
}

void TfrmTerm::bnSendClick() {
  const int terminator = rgTerminatorButtons->checkedId();
  const QString text =
      edCmd->text() +
      QLatin1String(terminator >= 0 && terminator <= TermNone ? TerminatorBytes[terminator] : "");
  bool lastWasCr = false;
  Memo1->appendPlainText(QStringLiteral("Send: ") + DisplayText(text.toLatin1(), lastWasCr));

  TSerialPort& port = Link->Port();
  if (cbPrefixNul->isChecked()) port.WriteByte('\0');
  for (const QChar c : text) port.WriteByte(static_cast<char>(c.unicode() & 0xFF));
  ShowPortError();
}

void TfrmTerm::Timer1Timer() {
  Timer1->stop();
  const auto again = qScopeGuard([this] {
    if (PortOpen()) Timer1->start();
  });
  TSerialPort& port = Link->Port();
  const int n = port.Waiting();
  const QByteArray bytes = n > 0 ? port.Read(n) : QByteArray();
  lbInfo->setText(QString::number(n));
  if (!bytes.isEmpty()) {
    Memo1->moveCursor(QTextCursor::End);
    Memo1->insertPlainText(DisplayText(bytes, LastWasCr));
    Memo1->moveCursor(QTextCursor::End);
  }
  ShowPortError();
}

QString TfrmTerm::DisplayText(const QByteArray& bytes, bool& lastWasCr) {
  QString text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    if (c == '\n' && lastWasCr) {
      lastWasCr = false;
      continue;
    }
    lastWasCr = c == '\r';
    text += c == '\r' || c == '\n' ? QChar(u'\n') : QChar(static_cast<unsigned char>(c));
  }
  return text;
}

void TfrmTerm::ShowPortError() {
  TSerialPort& port = Link->Port();
  if (ErrorShown || !port.HasError()) return;
  Memo1->appendPlainText(QStringLiteral("Port error: ") + port.LastError());
  ErrorShown = true;
}
