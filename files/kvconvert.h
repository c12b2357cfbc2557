#pragma once
// The converter window: cuts one intermediate data file into hour-based files
// and shows the log. Used right after a run (converts at once, then only
// Close) and after loading a file (comment lines 2 and 3 editable first).
// It can be left only through bnClose.

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TfrmConvert : public QDialog {
  Q_OBJECT

public:
  explicit TfrmConvert(QWidget* parent = nullptr);

  // Called once before the window is shown; headerLines holds at least three lines.
  void PrepareConversion(int channelCount, const QString& fileName, bool showCommentEditors,
                         const QStringList& headerLines, double sampleRate);
  // The after-recording mode, with its "Recording Done" banner.
  void SetRecordingDone(bool done);
  void ConvertFile();
  void bnConvertClick() { ConvertFile(); }
  // edComment2 for 2, edComment3 for 3, empty otherwise.
  QString GetComment(int index) const;
  // Closes with OK; asks first while no conversion has finished.
  void bnCloseClick();

  bool ConversionDone() const { return Done; }
  const QStringList& HeaderLines() const { return Lines; }

  QLabel* pnRecDone;
  QLineEdit* edInterFile;
  QLabel* labInfo;
  QWidget* pnEditComm;
  QLineEdit* edComment1;
  QLineEdit* edComment2;
  QLineEdit* edComment3;
  QPushButton* bnConvert;
  QPushButton* bnClose;
  QPlainTextEdit* Memo1;
  QProgressBar* pbSamplesPerChan;

public slots:
  // Escape and the window's close command lead here: refused.
  void reject() override {}

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void AddLogLine(const QString& line);
  void ShowProgress(qint64 done, qint64 total);

  double SampleRate = 0;
  int ChannelCount = 0;
  QString FileName;
  QStringList Lines;
  bool Done = false;
  bool RecordingDone = false;
  bool ShowEditors = false;
  bool Leaving = false;
};
