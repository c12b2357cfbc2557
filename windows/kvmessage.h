#pragma once
// The busy notice: a borderless window centred on the screen showing one line
// while the program works (device detection at start-up). Not modal; the code
// that shows it also hides it, also when the work fails.

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;

class TfrmMessage : public QWidget {
  Q_OBJECT

public:
  explicit TfrmMessage(QWidget* parent = nullptr);

  // Width: the text's width in lbMsg's font + 40, at least 400; the height stays 54.
  void SetMessageText(const QString& text);

  QLabel* lbMsg;
  // Never shown: carries the font the text is measured in.
  QWidget* pbMsg;

private:
  void FormCreate();
  // The label fills all but the measuring box's strip at the right.
  void SetClientWidth(int width);
};

// The one message window; null until first used and after the program's end.
extern QPointer<TfrmMessage> frmMessage;

// Creates frmMessage when there is none (called at start-up); returns it.
TfrmMessage& EnsureMessageWindow();

// Both do nothing once the application is shutting down.
void ShowMessageWindow(const QString& text);
void HideMessageWindow();

// Set when the application is about to quit; a test sets and clears it by hand.
void SetMessageWindowShuttingDown(bool shuttingDown);
