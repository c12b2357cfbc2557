// The main window's handlers: they forward to the run logic and open the
// auxiliary windows.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

#include "acq/kvoptions.h"
#include "acq/kvseldev.h"
#include "amp/amplifier_link.h"
#include "amp/amplifier_report.h"
#include "amp/kvterm.h"
#include "app/kvmain.h"
#include "platform/seams.h"
#include "display/channel_strips.h"
#include "files/data_file.h"
#include "files/kvconvert.h"
#include "windows/kvabout.h"
#include "windows/kvinfo.h"

namespace {
// Restores the normal cursor however the block is left.
struct THourglass {
  THourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~THourglass() { QApplication::restoreOverrideCursor(); }
};
}  // namespace

void TfrmMain::bnStartMeasClick() {
  // A loaded file may have left another channel count than the recording
  // device has: a run records the device's channels under its own extension.
  if (!Recorder->IsRunning() && Recorder->Sampler &&
      Recorder->ChannelCount != Recorder->Sampler->ChannelCount) {
    Recorder->ChannelCount = Recorder->Sampler->ChannelCount;
    pnCharts->CreateStrips(Recorder->ChannelCount);
  }
  Recorder->bnStartMeasClick();
}

void TfrmMain::edFileButtonClick() {
  if (Seams().Keyboard->ShiftHeld()) {
    LoadDataFile();
    return;
  }
  const QString current = GetDataDirectory();
  const QString folder = Seams().Dialogs->SelectFolder(QStringLiteral("Select data directory"),
                                                       QDir(current).exists() ? current : QString());
  if (folder.isEmpty()) return;
  const QString native = QDir::toNativeSeparators(folder);
  edFile->setToolTip("Data directory: " + native);
  labFile->setText("File (directory: " + native + ")");
  SetDataDirectory(native);
  if (!bnStartMeas->isEnabled()) SetStartEnabled(true);
}

void TfrmMain::edRecTimeChange() {
  Recorder->RebuildComment1();
  pnCharts->RecTimeChanged();
}

void TfrmMain::spInfoClick() { InfoShow(); }

void TfrmMain::spDeviceClick() {
  if (Recorder->IsRunning()) return;
  if (Seams().Keyboard->ShiftHeld()) {
    TfrmTerm terminal;
    Seams().Dialogs->RunModal(terminal);
    return;
  }
  int previousCount = 0;
  std::unique_ptr<TfrmSelDev> dialog;
  {
    THourglass busy;
    Recorder->Dataq.ScanDevices();
    previousCount = Recorder->ChannelCount;
    dialog = std::make_unique<TfrmSelDev>(QueryAmplifierAbout, this);
  }
  if (Seams().Dialogs->RunModal(*dialog) != QDialog::Accepted) return;
  THourglass busy;
  const bool rebuild =
      Recorder->ApplySelectedDevice(dialog->SelectedDevice(), dialog->SelectedComNumber());
  if (rebuild || Recorder->ChannelCount != previousCount)
    if (Recorder->ChannelCount > 0) pnCharts->CreateStrips(Recorder->ChannelCount);
}

void TfrmMain::spVersionClick() { ShowAbout(); }

void TfrmMain::spVersionMouseUp(QMouseEvent* event) {
  if (event->button() == Qt::RightButton)
    puOptions->popup(spVersion->mapToGlobal(event->position().toPoint()));
}

void TfrmMain::puOptionsPopup() {
  miShowOrca8xsettings1->setEnabled(Recorder->Sampler && Recorder->Sampler->IsAmplifier());
}

void TfrmMain::ShowLogInInfoWindow() {
  for (const QString& line : Recorder->LogLines()) InfoAddLine(line);
}

void TfrmMain::miShowmeasurementlogClick() {
  if (!Seams().Keyboard->ShiftHeld()) InfoClear();
  ShowLogInInfoWindow();
  InfoShow();
}

void TfrmMain::miShowOrca8xsettings1Click() {
  if (!Recorder->Sampler || !Recorder->Sampler->IsAmplifier() || Recorder->IsRunning()) return;
  QStringList report;
  {
    THourglass busy;
    report = AmplifierSettingsReport(Recorder->Sampler->ComPortNumber());
  }
  InfoClear();
  for (const QString& line : report) InfoAddLine(line);
  InfoShow();
}

void TfrmMain::ShowOptionsDialog() {
  // Applying the dialog detects the devices again, which would replace the
  // sampler of the running measurement.
  if (Recorder->IsRunning()) {
    Seams().Dialogs->Information(
        QStringLiteral("The settings cannot be changed while a measurement is running."));
    return;
  }
  {
    TfrmOptions dialog(Options, this);
    dialog.SetDeviceModel(Recorder->Sampler ? Recorder->Sampler->Model : QString());
    if (Seams().Dialogs->RunModal(dialog) != QDialog::Accepted) return;
  }
  Recorder->SampleRate = Options.SampleFrequency;
  Recorder->RebuildComment1();
  ShowInversionGlyph();
  {
    THourglass busy;
    Recorder->DetectDevices();
    if (Recorder->ChannelCount > 0) pnCharts->CreateStrips(Recorder->ChannelCount);
  }
  Options.SaveOptions();
}

void TfrmMain::ShowSavedLog(const QStringList& lines) {
  InfoClear();
  for (const QString& line : lines) InfoAddLine(line);
}

void TfrmMain::ConvertRecording(int channelCount, const QString& path, const QStringList& lines,
                                double rate) {
  TfrmConvert converter(this);
  converter.PrepareConversion(channelCount, path, false, lines, rate);
  converter.SetRecordingDone(true);
  converter.show();
  QCoreApplication::processEvents();
  converter.ConvertFile();
  converter.hide();
  Seams().Dialogs->RunModal(converter);
}
