#pragma once
// The info window: a plain text window for the start-up messages, the device
// report, the measurement log and the amplifier report. One instance lives for
// the whole program; closing it only hides it. Other code reaches it through
// the Info... routines below, which build it again if it has been destroyed.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QFont;
class QPagedPaintDevice;
class QPlainTextEdit;
class QToolBar;
class QToolButton;

class TfrmInfo : public QWidget {
  Q_OBJECT

public:
  explicit TfrmInfo(QWidget* parent = nullptr);
  ~TfrmInfo() override;

  // Appends one line at the end; true when the line count grew. Never raises.
  bool AddLine(const QString& text);
  // The memo's lines (the memo is the only copy of the text).
  QStringList Lines() const;
  int LineCount() const;

  // Handlers, public so a test can play the user.
  void bnCopyClick();
  void bnSaveClick();
  void bnPrintClick();
  void bnClearClick();
  void bnCloseClick();

  // The folder the next save starts in (the folder of the last saved file).
  const QString& SaveFolder() const { return FSaveFolder; }

  QToolBar* tbTools;
  QToolButton* bnCopy;
  QToolButton* bnSave;
  QToolButton* bnPrint;
  QToolButton* bnClear;
  QToolButton* bnClose;
  QPlainTextEdit* Memo1;

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void FormCreate();
  void FormClose();
  void FormDestroy();
  QToolButton* AddButton(const QString& caption, const QString& hint, const QString& iconName,
                         void (TfrmInfo::*handler)());

  // An empty document still holds one empty block: this tells "no lines" from
  // "one empty line".
  bool HasLines = false;
  QString FSaveFolder;
};

// The one info window; null once it has been destroyed.
extern QPointer<TfrmInfo> frmInfo;

// Creates frmInfo when there is none; returns it.
TfrmInfo& EnsureInfoWindow();
// Never raise.
bool InfoAddLine(const QString& text);
void InfoClear();
void InfoShow();
// Writes every line to fileName (CR LF, ANSI code page); failures are raised.
void InfoSaveToFile(const QString& fileName);
QStringList InfoLines();

// What a print of these memo lines puts on paper: two lines holding one blank,
// every line indented by seven blanks, one line holding one blank.
QStringList PrintedLines(const QStringList& lines);
// Prints the lines top to bottom with the font, starting a page when one is
// full; returns the number of pages.
int PrintTextLines(QPagedPaintDevice& device, const QFont& font, const QStringList& lines);
