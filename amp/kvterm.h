#pragma once
// The terminal window: a small serial terminal for service use. The user opens
// a COM port at the amplifier's or a DATAQ device's speed, types a command,
// sends it with a chosen line terminator and watches the raw replies.
// The window's port is the one of its amplifier link.

#include <QDialog>
#include <memory>

#include "amp/amplifier_link.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

class TfrmTerm : public QDialog {
  Q_OBJECT

public:
  // Terminator choices, in the order of rgTerminator.
  enum TTerminator { TermCR = 0, TermLF = 1, TermCRLF = 2, TermNone = 3 };
  // Model choices, in the order of rgModel.
  enum TModel { ModelDataq = 0, ModelOrca = 1 };
  static constexpr int DataqBaudRate = 38400;
  static constexpr int ReceiveIntervalMs = 100;

  // The form's creation: builds the controls and the port object.
  explicit TfrmTerm(QWidget* parent = nullptr);
  // The form's destruction: closes the port.
  ~TfrmTerm() override;

  // Handlers, public so a test can play the user.
  void bnOpenClick();
  void bnSendClick();
  void Timer1Timer();

  // True while the port is open (the Tag of bnOpen is 1).
  bool PortOpen() const;
  TAmplifierLink& AmplifierLink() { return *Link; }

  QLabel* labCOM;
  QSpinBox* spedPort;
  QGroupBox* rgTerminator;
  QButtonGroup* rgTerminatorButtons;
  QGroupBox* rgModel;
  QButtonGroup* rgModelButtons;
  QPushButton* bnOpen;
  QLineEdit* edCmd;
  QPushButton* bnSend;
  QCheckBox* cbPrefixNul;
  QPlainTextEdit* Memo1;
  QLabel* lbInfo;
  QTimer* Timer1;

private:
  // Text for the memo: CR LF, CR and LF each break a line, also when a CR LF
  // is split between two chunks (lastWasCr carries the state between them).
  static QString DisplayText(const QByteArray& bytes, bool& lastWasCr);
  // Says once in the memo why the port gives nothing (could not open, peer gone).
  void ShowPortError();

  std::unique_ptr<TAmplifierLink> Link;
  bool LastWasCr = false;
  bool ErrorShown = false;
};
