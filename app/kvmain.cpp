#include "app/kvmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "display/channel_strips.h"
#include "platform/errors.h"
#include "platform/seams.h"
#include "display/detail_chart.h"
#include "files/data_file.h"
#include "support/kvutil.h"
#include "support/locale_format.h"
#include "support/window_placement.h"
#include "windows/identity.h"
#include "windows/kvdesign.h"
#include "windows/kvmessage.h"

namespace {
void SetButtonColour(QPushButton* button, const char* colour) {
  button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; font-weight: bold; }")
                            .arg(QLatin1String(colour)));
}

QLineEdit* ReadOnlyField(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(QStringLiteral("---"), parent);
  edit->setObjectName(QLatin1String(name));
  edit->setReadOnly(true);
  edit->setFixedWidth(150);
  return edit;
}
}  // namespace

TStatusPane::TStatusPane(const QString& name, QWidget* parent) : QLabel(parent) {
  setObjectName(name);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void TStatusPane::mouseReleaseEvent(QMouseEvent* event) {
  if (OnClick) OnClick(event);
  QLabel::mouseReleaseEvent(event);
}

TfrmMain::TfrmMain(const QStringList& arguments, QWidget* parent) : QMainWindow(parent) {
  FormCreate(arguments);
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::BuildControls() {
  setWindowTitle(ProgramName());
  setMinimumSize(MinWidth, MinHeight);
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* main = new QVBoxLayout(central);

  gbMeasurement = new QGroupBox(QStringLiteral("Measurement"), central);
  gbMeasurement->setObjectName("gbMeasurement");
  auto* grid = new QGridLayout(gbMeasurement);
  labFile = new QLabel(gbMeasurement);
  labFile->setObjectName("labFile");
  edFile = new QLineEdit(gbMeasurement);
  edFile->setObjectName("edFile");
  edFileButton = new QToolButton(gbMeasurement);
  edFileButton->setObjectName("edFileButton");
  edFileButton->setText(QStringLiteral("..."));
  edFileButton->setToolTip(QStringLiteral("Select data directory"));
  edFileAltBtn = new QToolButton(gbMeasurement);
  edFileAltBtn->setObjectName("edFileAltBtn");
  edFileAltBtn->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  edFileAltBtn->setToolTip(QStringLiteral("Open file for separate conversion"));
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(edFile);
  fileRow->addWidget(edFileButton);
  fileRow->addWidget(edFileAltBtn);
  edRecTime = new QLineEdit(gbMeasurement);
  edRecTime->setObjectName("edRecTime");
  edRecTime->setFixedWidth(80);
  grid->addWidget(labFile, 0, 0, 1, 2);
  grid->addLayout(fileRow, 1, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Recording time (hours)"), gbMeasurement), 0, 2);
  grid->addWidget(edRecTime, 1, 2);
  bnStartMeas = new QPushButton(QStringLiteral("START"), gbMeasurement);
  bnStartMeas->setObjectName("bnStartMeas");
  bnStartMeas->setMinimumSize(120, 60);
  QFont bold = bnStartMeas->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 4);
  bnStartMeas->setFont(bold);
  grid->addWidget(bnStartMeas, 0, 3, 2, 1);
  labComm1 = new QLabel(QStringLiteral("Comments 1:"), gbMeasurement);
  labComm1->setEnabled(false);
  edComment1 = new QLineEdit(gbMeasurement);
  edComment1->setObjectName("edComment1");
  edComment1->setMaxLength(80);
  edComment1->setStyleSheet(QStringLiteral("QLineEdit { background: silver; color: red; }"));
  edComment2 = new QLineEdit(gbMeasurement);
  edComment2->setObjectName("edComment2");
  edComment2->setMaxLength(80);
  edComment3 = new QLineEdit(gbMeasurement);
  edComment3->setObjectName("edComment3");
  edComment3->setMaxLength(80);
  grid->addWidget(labComm1, 2, 0);
  grid->addWidget(edComment1, 2, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("2:"), gbMeasurement), 3, 0);
  grid->addWidget(edComment2, 3, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("3:"), gbMeasurement), 4, 0);
  grid->addWidget(edComment3, 4, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  main->addWidget(gbMeasurement);

  // The run fields are placed by ArrangeControls, evenly across the panel.
  pnProgress = new QWidget(central);
  pnProgress->setObjectName("pnProgress");
  pnProgress->setFixedHeight(44);
  edRecTimeHMS = ReadOnlyField(pnProgress, "edRecTimeHMS");
  edRecStarted = ReadOnlyField(pnProgress, "edRecStarted");
  edRecProgress = ReadOnlyField(pnProgress, "edRecProgress");
  edRecEnds = ReadOnlyField(pnProgress, "edRecEnds");
  edRecCount = ReadOnlyField(pnProgress, "edRecCount");
  edMeasSampleRate = ReadOnlyField(pnProgress, "edMeasSampleRate");
  const QPair<QLineEdit*, const char*> labels[] = {
      {edRecTimeHMS, "Recording time"}, {edRecStarted, "Started"}, {edRecProgress, "Progress"},
      {edRecEnds, "Ends"},           {edRecCount, "Count"},     {edMeasSampleRate, "Sample rate"}};
  for (const auto& [field, text] : labels)
    RunFieldLabels << qMakePair(field, new QLabel(QLatin1String(text), pnProgress));
  labRecCount = RunFieldLabels[4].second;
  labMeasSampleRate = RunFieldLabels[5].second;
  for (QWidget* hidden : {static_cast<QWidget*>(edRecCount), static_cast<QWidget*>(edMeasSampleRate),
                          static_cast<QWidget*>(labRecCount),
                          static_cast<QWidget*>(labMeasSampleRate)})
    hidden->hide();
  main->addWidget(pnProgress);
  // The panel gets its width from the layout after the window's own resize.
  pnProgress->installEventFilter(this);

  pnDetails = new QWidget(central);
  pnDetails->setObjectName("pnDetails");
  auto* details = new QHBoxLayout(pnDetails);
  details->setContentsMargins(0, 0, 0, 0);
  Chart1 = new TDetailChart(*Recorder, pnDetails);
  Chart1->DataFileName = [this] { return Recorder->DataFileName; };
  details->addWidget(Chart1, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(Chart1->rgTimeAxis);
  bnInspect = new QPushButton(QStringLiteral("Inspect"), pnDetails);
  bnInspect->setObjectName("bnInspect");
  bnInspect->setToolTip(QStringLiteral("Inspect the last 90 seconds"));
  side->addWidget(bnInspect);
  side->addStretch();
  details->addLayout(side);
  main->addWidget(pnDetails, 3);

  pnCharts = new TChannelStrips(*Recorder, Chart1, central);
  pnCharts->setObjectName("pnCharts");
  pnCharts->RecTimeHours = [this] { return Recorder->RecTimeHours(); };
  pnCharts->GetVoltageSpan = [this](double& low, double& high) {
    if (Recorder->Sampler) {
      Recorder->Sampler->GetVoltageSpan(low, high);
    } else {
      low = -10;
      high = 10;
    }
  };
  main->addWidget(pnCharts, 4);

  gsInvert = new QLabel(this);
  gsInvert->setObjectName("gsInvert");
  spCount = new TStatusPane("spCount", this);
  spCount->setToolTip(QStringLiteral("Number of samples (processing time)"));
  spCount->setMinimumWidth(90);
  spOverruns = new TStatusPane("spOverruns", this);
  spOverruns->setMinimumWidth(90);
  spInfo = new TStatusPane("spInfo", this);
  spDevice = new TStatusPane("spDevice", this);
  spDevice->setCursor(Qt::PointingHandCursor);
  spDevice->setToolTip(QStringLiteral("Click to select recording device"));
  spDevice->setMinimumWidth(200);
  spOptions = new TStatusPane("spOptions", this);
  spOptions->setText(QStringLiteral("Settings"));
  spOptions->setCursor(Qt::PointingHandCursor);
  spVersion = new TStatusPane("spVersion", this);
  spVersion->setCursor(Qt::PointingHandCursor);
  statusBar()->addWidget(gsInvert);
  statusBar()->addWidget(spCount);
  statusBar()->addWidget(spOverruns);
  statusBar()->addWidget(spInfo, 1);
  statusBar()->addPermanentWidget(spDevice);
  statusBar()->addPermanentWidget(spOptions);
  statusBar()->addPermanentWidget(spVersion);

  puOptions = new QMenu(this);
  puOptions->setObjectName("puOptions");
  miShowapplicationinformation = puOptions->addAction(QStringLiteral("Show application information"));
  miShowmeasurementlog = puOptions->addAction(QStringLiteral("Show measurement log"));
  miShowOrca8xsettings1 = puOptions->addAction(QStringLiteral("Show Orca8x settings"));
  miOptions = puOptions->addAction(QStringLiteral("Settings"));
  miOptions->setVisible(false);

  connect(bnStartMeas, &QPushButton::clicked, this, &TfrmMain::bnStartMeasClick);
  connect(edFileButton, &QToolButton::clicked, this, &TfrmMain::edFileButtonClick);
  connect(edFileAltBtn, &QToolButton::clicked, this, &TfrmMain::edFileAltBtnClick);
  connect(bnInspect, &QPushButton::clicked, this, &TfrmMain::bnInspectClick);
  connect(edRecTime, &QLineEdit::textChanged, this, &TfrmMain::edRecTimeChange);
  spInfo->OnClick = [this](QMouseEvent*) { spInfoClick(); };
  spDevice->OnClick = [this](QMouseEvent*) { spDeviceClick(); };
  spOptions->OnClick = [this](QMouseEvent*) { spOptionsClick(); };
  spVersion->OnClick = [this](QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) spVersionClick();
    spVersionMouseUp(e);
  };
  connect(puOptions, &QMenu::aboutToShow, this, &TfrmMain::puOptionsPopup);
  connect(miShowapplicationinformation, &QAction::triggered, this,
          &TfrmMain::miShowapplicationinformationClick);
  connect(miShowmeasurementlog, &QAction::triggered, this, &TfrmMain::miShowmeasurementlogClick);
  connect(miShowOrca8xsettings1, &QAction::triggered, this, &TfrmMain::miShowOrca8xsettings1Click);
  connect(miOptions, &QAction::triggered, this, &TfrmMain::miOptionsClick);
}

void TfrmMain::FormCreate(const QStringList& arguments) {
  SkipSettings = Seams().Keyboard->ShiftHeld();
  Recorder = std::make_unique<TRecorder>(Options, *this);
  BuildControls();
  if (!SkipSettings) {
    Options.LoadOptions();
    RestoreWindowPlacement(*this, QStringLiteral("frmMain"), 0, 0);
    resize(qMax(width(), MinWidth), qMax(height(), MinHeight));
  }
  ArrangeControls();
  edRecTime->setText(Format("%.2f", {0.01}));

  const QString line = arguments.join(QLatin1Char(' '));
  if (line.contains(QLatin1String("/TEST"))) {
    edFile->setText(QStringLiteral("xx"));
    edComment2->setText(QStringLiteral("Comment 2"));
    edComment3->setText(QStringLiteral("Comment 3"));
  }
  if (line.contains(QLatin1String("/LOGMEAS="))) {
    const QString level = TextBefore(TextAfter(line, QStringLiteral("/LOGMEAS=")), QStringLiteral(" "));
    bool ok = false;
    Recorder->LogLevel = level.toInt(&ok);
    if (!ok) Recorder->LogLevel = 0;
    if (Recorder->LogLevel != 0)
      Seams().Dialogs->Message(Format("Logging enabled, level=%d", {Recorder->LogLevel}));
  }
  Recorder->CommLog = line.contains(QLatin1String("/LOGCOMM="));
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The first activation's work runs once the window is on the screen.
  if (!Activated) QTimer::singleShot(0, this, &TfrmMain::FormActivate);
}

void TfrmMain::FormActivate() {
  if (Activated) return;
  Activated = true;
  SetStartEnabled(true);
  const QString directory = GetDataDirectory();
  if (!QDir(directory).exists()) {
    Recorder->StartupMessages << "Data directory does no exist: " + directory;
    if (QDir().mkpath(directory)) {
      Recorder->StartupMessages << "Data directory created: " + directory;
    } else {
      Recorder->StartupMessages << "Failed to create data directory: " + directory;
      SetStartEnabled(false);
      Seams().Dialogs->Message("Failed to create data directory: " + directory +
                               "\rSTART button has been disabled.");
    }
  }
  for (QLineEdit* field : {edRecTimeHMS, edRecStarted, edRecProgress, edRecEnds, edRecCount,
                           edMeasSampleRate})
    field->setText(QStringLiteral("---"));
  const QString version = ProgramName() + " v" + ProgramVersion() + " (" + ProgramDate() + ")";
  spVersion->setText(version);
  Recorder->StartupMessages << version;

  Recorder->ShowDevice(QStringLiteral("?"));
  Recorder->ShowStatus(QStringLiteral("Check for supported devices"), false);
  ShowMessageWindow(QStringLiteral("Check for supported devices"));
  try {
    Recorder->DetectDevices();
  } catch (...) {
    HideMessageWindow();
    throw;
  }
  HideMessageWindow();
  if (Recorder->Sampler && Recorder->Sampler->IsDataqDevice()) Recorder->CheckConflictingProcess();
  if (Recorder->ChannelCount > 0) pnCharts->CreateStrips(Recorder->ChannelCount);
  Recorder->ShowStatus(Recorder->Sampler && Recorder->Sampler->IsDemo
                           ? QStringLiteral("Ready to measure (demo)")
                           : QStringLiteral("Ready to measure"),
                       false);
  Recorder->StartupMessages << "Initialization done";
  Recorder->ShowCount(0, 0);
  Recorder->ShowOverruns();
  Recorder->RebuildComment1();
  labFile->setText("File (directory: " + directory + ")");
  edFile->setToolTip("Data directory: " + directory);
  ShowInversionGlyph();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  // FormCloseQuery: a run must be stopped with STOP first.
  if (Recorder && Recorder->IsRunning()) {
    event->ignore();
    return;
  }
  event->accept();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pnProgress && event->type() == QEvent::Resize) ArrangeControls();
  return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::keyPressEvent(QKeyEvent* event) {
  if (Recorder->IsRunning() && event->key() == Qt::Key_F4 &&
      event->modifiers().testFlag(Qt::AltModifier)) {
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ArrangeControls();
}

void TfrmMain::FormDestroy() {
  if (!Recorder) return;
  if (Recorder->Sampler) Recorder->Sampler->Stop();
  Recorder->demoTimer.stop();
  Recorder->DataqSdk1->disconnect(Recorder.get());
  try {
    SaveWindowPlacement(*this, QStringLiteral("frmMain"));
  } catch (const std::exception& e) {
    Seams().Errors->Report(ErrorMessage(e));
  }
}

void TfrmMain::ArrangeControls() {
  QList<QPair<QLineEdit*, QLabel*>> shown;
  int sum = 0;
  for (const auto& pair : RunFieldLabels)
    if (!pair.first->isHidden()) {
      shown << pair;
      sum += pair.first->width();
    }
  if (shown.isEmpty()) return;
  const int gap = (pnProgress->width() - sum) / int(shown.size());
  int left = gap / 2;
  for (const auto& [field, label] : shown) {
    label->move(left, 0);
    field->move(left, 18);
    left += field->width() + gap;
  }
}

void TfrmMain::SetStartEnabled(bool enabled) {
  bnStartMeas->setEnabled(enabled);
  SetButtonColour(bnStartMeas, enabled ? "lime" : "silver");
}

void TfrmMain::SetRunState(bool running) {
  bnStartMeas->setText(running ? QStringLiteral("STOP") : QStringLiteral("START"));
  SetButtonColour(bnStartMeas, running ? "red" : "lime");
  if (running) {
    setFixedSize(size());
  } else {
    setMinimumSize(MinWidth, MinHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  for (QWidget* input : {static_cast<QWidget*>(edFile), static_cast<QWidget*>(edFileButton),
                         static_cast<QWidget*>(edFileAltBtn), static_cast<QWidget*>(edRecTime), static_cast<QWidget*>(edComment2),
                         static_cast<QWidget*>(edComment3)})
    input->setEnabled(!running);
  statusBar()->setSizeGripEnabled(!running);
  EnableCloseCommand(*this, !running);
}

void TfrmMain::ShowInversionGlyph() {
  gsInvert->setPixmap(EnsureDesignWindow().InversionGlyph(Options.InvertSignal));
}

// ---- the run logic's view -------------------------------------------------

QString TfrmMain::FileText() const { return edFile->text(); }
QString TfrmMain::RecTimeText() const { return edRecTime->text(); }
QString TfrmMain::Comment2() const { return edComment2->text(); }
QString TfrmMain::Comment3() const { return edComment3->text(); }

void TfrmMain::ShowStatusText(const QString& text) {
  spInfo->setText(text);
  spInfo->repaint();
}
void TfrmMain::ShowCountText(const QString& text) {
  spCount->setText(text);
  spCount->repaint();
}
void TfrmMain::ShowOverrunsText(const QString& text) {
  spOverruns->setText(text);
  spOverruns->repaint();
}
void TfrmMain::ShowDeviceText(const QString& text) {
  spDevice->setText(text);
  spDevice->repaint();
}
void TfrmMain::SetComment1(const QString& line) { edComment1->setText(line); }

void TfrmMain::SetRunFields(const TRunFields& fields) {
  edRecTimeHMS->setText(fields.RecTimeHMS);
  edRecStarted->setText(fields.RecStarted);
  edRecProgress->setText(fields.RecProgress);
  edRecEnds->setText(fields.RecEnds);
}

void TfrmMain::SetRecProgress(const QString& hms) { edRecProgress->setText(hms); }

void TfrmMain::SetBusyCursor(bool busy) {
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else QApplication::restoreOverrideCursor();
}

void TfrmMain::RunStarting(double voltsLow, double voltsHigh) {
  Chart1->RunStarting(voltsLow, voltsHigh);
  pnCharts->RunStarting();
}

void TfrmMain::BlockStored(int first, int last, bool stripsAdvanced) {
  pnCharts->BlockStored(first, last, stripsAdvanced);
}
