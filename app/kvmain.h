#pragma once
// The main window: the face of the run logic. It owns the recorder, the
// options and the charts, implements the run logic's view and keeps the
// handler names of the program's design, forwarding to the run logic.

#include <QLabel>
#include <QMainWindow>
#include <functional>

#include "acq/options.h"
#include "app/recorder.h"

class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class QGroupBox;
class TChannelStrips;
class TDetailChart;

// A status bar pane that reports clicks.
class TStatusPane : public QLabel {
public:
  explicit TStatusPane(const QString& name, QWidget* parent = nullptr);
  std::function<void(QMouseEvent*)> OnClick;

protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TfrmMain : public QMainWindow, public TRunView {
  Q_OBJECT

public:
  static constexpr int MinWidth = 1024;
  static constexpr int MinHeight = 718;

  // arguments: the whole command line, program path included.
  explicit TfrmMain(const QStringList& arguments, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // Lifecycle.
  void FormCreate(const QStringList& arguments);
  void FormActivate();
  void FormDestroy();
  void ArrangeControls();
  void ShowOptionsDialog();
  void ShowLogInInfoWindow();
  void SetRunState(bool running) override;

  // Handlers.
  void bnStartMeasClick();
  // The folder button; with Shift held it opens a stored file like edFileAltBtn.
  void edFileButtonClick();
  // Opens a stored intermediate data file for the charts and a separate conversion.
  void edFileAltBtnClick() { LoadDataFile(); }
  void LoadDataFile();
  void edRecTimeChange();
  void spInfoClick();
  // A new inspect window with the last 90 seconds of the detail chart.
  void bnInspectClick();
  void spOptionsClick() { ShowOptionsDialog(); }
  void spDeviceClick();
  void spVersionClick();
  void spVersionMouseUp(QMouseEvent* event);
  void puOptionsPopup();
  void miShowmeasurementlogClick();
  void miOptionsClick() { ShowOptionsDialog(); }
  void miShowapplicationinformationClick() { spVersionClick(); }
  void miShowOrca8xsettings1Click();
  // The sign glyph of the inversion option.
  void ShowInversionGlyph();

  // TRunView.
  QString FileText() const override;
  QString RecTimeText() const override;
  QString Comment2() const override;
  QString Comment3() const override;
  void ShowStatusText(const QString& text) override;
  void ShowCountText(const QString& text) override;
  void ShowOverrunsText(const QString& text) override;
  void ShowDeviceText(const QString& text) override;
  void SetComment1(const QString& line) override;
  void SetRunFields(const TRunFields& fields) override;
  void SetRecProgress(const QString& hms) override;
  void SetBusyCursor(bool busy) override;
  void RunStarting(double voltsLow, double voltsHigh) override;
  void BlockStored(int first, int last, bool stripsAdvanced) override;
  void ShowSavedLog(const QStringList& lines) override;
  void ConvertRecording(int channelCount, const QString& path, const QStringList& lines,
                        double rate) override;

  bool Activated = false;
  bool SkipSettings = false;
  TOptions Options;
  std::unique_ptr<TRecorder> Recorder;

  // Controls, under their names.
  QGroupBox* gbMeasurement;
  QLabel* labFile;
  QLineEdit* edFile;
  QToolButton* edFileButton;
  QToolButton* edFileAltBtn;
  QLineEdit* edRecTime;
  QLabel* labComm1;
  QLineEdit* edComment1;
  QLineEdit* edComment2;
  QLineEdit* edComment3;
  QPushButton* bnStartMeas;
  QWidget* pnProgress;
  QLineEdit* edRecTimeHMS;
  QLineEdit* edRecStarted;
  QLineEdit* edRecProgress;
  QLineEdit* edRecEnds;
  QLineEdit* edRecCount;
  QLineEdit* edMeasSampleRate;
  QLabel* labRecCount;
  QLabel* labMeasSampleRate;
  QWidget* pnDetails;
  TDetailChart* Chart1;
  QPushButton* bnInspect;
  TChannelStrips* pnCharts;
  QLabel* gsInvert;
  TStatusPane* spCount;
  TStatusPane* spOverruns;
  TStatusPane* spInfo;
  TStatusPane* spDevice;
  TStatusPane* spOptions;
  TStatusPane* spVersion;
  QMenu* puOptions;
  QAction* miShowapplicationinformation;
  QAction* miShowmeasurementlog;
  QAction* miShowOrca8xsettings1;
  QAction* miOptions;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void BuildControls();
  void SetStartEnabled(bool enabled);
  // The labels above the run fields, by field.
  QList<QPair<QLineEdit*, QLabel*>> RunFieldLabels;
  // The folder of the last file opened by LoadDataFile.
  QString LoaderFolder;
};
