#include "acq/kvoptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QVBoxLayout>

#include "acq/models.h"
#include "platform/seams.h"

namespace {
constexpr int MinInterval = 10;
constexpr int MinSampleFreq = 10;
constexpr int StdSampleFreq = 100;

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A typed number; a text that is not one counts as the fallback.
int IntegerOf(const QString& text, int fallback) {
  bool ok = false;
  const int value = text.toInt(&ok);
  return ok ? value : fallback;
}
}  // namespace

TfrmOptions::TfrmOptions(TOptions& options, QWidget* parent) : QDialog(parent), Options(options) {
  setObjectName("frmOptions");
  setWindowTitle("Settings");

  gbAcquisition = Named(new QGroupBox("Acquisition settings"), "gbAcquisition");
  cbInvertSignal =
      Named(new QCheckBox("Invert the measured signal (when using switched electrodes)"),
            "cbInvertSignal");
  edDATAQ_4chan_request = Named(new QLineEdit, "edDATAQ_4chan_request");
  edDATAQ_8chan_request = Named(new QLineEdit, "edDATAQ_8chan_request");
  bnReset = Named(new QPushButton("Reset"), "bnReset");
  bnDATAQ_Help = Named(new QPushButton("Help"), "bnDATAQ_Help");
  for (QLineEdit* edit : {edDATAQ_4chan_request, edDATAQ_8chan_request}) edit->setMaximumWidth(80);
  auto* acquisition = new QGridLayout(gbAcquisition);
  acquisition->setColumnStretch(4, 1);
  acquisition->addWidget(cbInvertSignal, 0, 0, 1, 4);
  acquisition->addWidget(Named(new QLabel("Update interval for 2 and 4 channels"), "labInterval4"),
                         1, 0);
  acquisition->addWidget(edDATAQ_4chan_request, 1, 1);
  acquisition->addWidget(Named(new QLabel("milliseconds"), "labMilliseconds4"), 1, 2);
  acquisition->addWidget(bnReset, 1, 3);
  acquisition->addWidget(Named(new QLabel("Update interval for 8 channels"), "labInterval8"), 2, 0);
  acquisition->addWidget(edDATAQ_8chan_request, 2, 1);
  acquisition->addWidget(Named(new QLabel("milliseconds"), "labMilliseconds8"), 2, 2);
  acquisition->addWidget(bnDATAQ_Help, 2, 3);
  acquisition->addWidget(
      Named(new QLabel("NB: Only for measurements shorter than 1 hour. Longer measurements will "
                       "always use 500 millisecs."),
            "labNB"),
      3, 0, 1, 4);

  pnDevices = Named(new QWidget, "pnDevices");
  auto* devices = new QGridLayout(pnDevices);
  devices->setContentsMargins(0, 0, 0, 0);
  devices->addWidget(ModelGroup("DI-148", "gbDI148", rbDI148, true), 0, 0);
  devices->addWidget(ModelGroup("DI-155", "gbDI155", rbDI155, false), 0, 1);
  devices->addWidget(ModelGroup("DI-158", "gbDI158", rbDI158, false, "4channels"), 0, 2);
  devices->addWidget(ModelGroup("DI-710", "gbDI710", rbDI710, true), 1, 0);
  devices->addWidget(ModelGroup("Demo", "gbDemo", rbDemo, true), 1, 1);
  devices->addWidget(ModelGroup("Orca8x", "gbOrca8x", rbOrca8x, true), 1, 2);

  rgProcessPriority =
      Named(new QGroupBox("Process priority during measurement"), "rgProcessPriority");
  rgProcessPriorityButtons = new QButtonGroup(rgProcessPriority);
  auto* priority = new QVBoxLayout(rgProcessPriority);
  const char* priorityNames[] = {"rbPriorityNormal", "rbPriorityHigh", "rbPriorityRealTime"};
  const char* priorityCaptions[] = {"Normal", "High", "Real time"};
  for (int i = 0; i < 3; ++i) {
    auto* button = Named(new QRadioButton(priorityCaptions[i]), priorityNames[i]);
    rgProcessPriorityButtons->addButton(button, i);
    priority->addWidget(button);
  }

  pnSampling = Named(new QWidget, "pnSampling");
  auto* gbSampling = Named(new QGroupBox("Sampling"), "gbSampling");
  rbStdSampleFreq = Named(new QRadioButton("Standard sample frequency 100 Hz"), "rbStdSampleFreq");
  rbOtherSampleFreq = Named(new QRadioButton("Other sample frequency"), "rbOtherSampleFreq");
  edOtherSampleFreq = Named(new QLineEdit, "edOtherSampleFreq");
  edOtherSampleFreq->setMaximumWidth(80);
  labMaxSampleFreqInfo = Named(new QLabel, "labMaxSampleFreqInfo");
  auto* sampling = new QGridLayout(gbSampling);
  sampling->addWidget(rbStdSampleFreq, 0, 0, 1, 3);
  sampling->addWidget(rbOtherSampleFreq, 1, 0);
  sampling->addWidget(edOtherSampleFreq, 1, 1);
  sampling->addWidget(Named(new QLabel("Hz"), "labHz"), 1, 2);
  sampling->addWidget(labMaxSampleFreqInfo, 2, 0, 1, 3);
  auto* gbDI710Options = Named(new QGroupBox("DI-710"), "gbDI710Options");
  cbAlwaysDI710UL =
      Named(new QCheckBox("Always treat DI-710 as model DI-710-UL"), "cbAlwaysDI710UL");
  (new QVBoxLayout(gbDI710Options))->addWidget(cbAlwaysDI710UL);
  auto* samplingPanel = new QVBoxLayout(pnSampling);
  samplingPanel->setContentsMargins(0, 0, 0, 0);
  samplingPanel->addWidget(gbSampling);
  samplingPanel->addWidget(gbDI710Options);

  bnOK = Named(new QPushButton("OK"), "bnOK");
  bnCancel = Named(new QPushButton("Cancel"), "bnCancel");
  bnOK->setDefault(true);

  auto* right = new QVBoxLayout;
  right->addWidget(rgProcessPriority);
  right->addWidget(pnSampling);
  right->addStretch();
  auto* middle = new QHBoxLayout;
  middle->addWidget(pnDevices);
  middle->addLayout(right);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bnOK);
  buttons->addWidget(bnCancel);
  auto* form = new QVBoxLayout(this);
  form->addWidget(gbAcquisition);
  form->addLayout(middle);
  form->addLayout(buttons);

  connect(edDATAQ_4chan_request, &QLineEdit::editingFinished, this,
          &TfrmOptions::edDATAQ_4chan_requestExit);
  connect(edDATAQ_8chan_request, &QLineEdit::editingFinished, this,
          &TfrmOptions::edDATAQ_8chan_requestExit);
  connect(bnReset, &QPushButton::clicked, this, &TfrmOptions::bnResetClick);
  connect(bnDATAQ_Help, &QPushButton::clicked, this, &TfrmOptions::bnDATAQ_HelpClick);
  connect(bnOK, &QPushButton::clicked, this, &TfrmOptions::bnOKClick);
  connect(bnCancel, &QPushButton::clicked, this, &QDialog::reject);

  FormCreate();
}

QGroupBox* TfrmOptions::ModelGroup(const QString& caption, const QString& name,
                                   TChannelButtons& buttons, bool eight,
                                   const QString& fourCaption) {
  auto* group = new QGroupBox(caption);
  group->setObjectName(name);
  auto* layout = new QVBoxLayout(group);
  const QString prefix = "rb" + name.mid(2) + "_";
  auto add = [&](const QString& text, int count) {
    auto* button = new QRadioButton(text);
    button->setObjectName(prefix + QString::number(count));
    layout->addWidget(button);
    return button;
  };
  buttons.Two = add("2 channels", 2);
  buttons.Four = add(fourCaption, 4);
  if (eight) buttons.Eight = add("8 channels", 8);
  layout->addStretch();
  return group;
}

void TfrmOptions::SelectCount(const TChannelButtons& buttons, int count) {
  if (count == 2 && buttons.Two) buttons.Two->setChecked(true);
  if (count == 4 && buttons.Four) buttons.Four->setChecked(true);
  if (count == 8 && buttons.Eight) buttons.Eight->setChecked(true);
}

int TfrmOptions::SelectedCount(const TChannelButtons& buttons) {
  if (buttons.Two->isChecked()) return 2;
  if (!buttons.Eight) return 4;
  return buttons.Four->isChecked() ? 4 : 8;
}

void TfrmOptions::FormCreate() {
  FDeviceModel.clear();
  cbInvertSignal->setChecked(Options.InvertSignal);
  edDATAQ_4chan_request->setText(QString::number(Options.ReqTime4Chan));
  edDATAQ_8chan_request->setText(QString::number(Options.ReqTime8Chan));
  SelectCount(rbDI148, Options.NumChanDI148);
  SelectCount(rbDI155, Options.NumChanDI155);
  SelectCount(rbDI158, Options.NumChanDI158);
  SelectCount(rbDI710, Options.NumChanDI710);
  SelectCount(rbDemo, Options.NumChanDemo);
  SelectCount(rbOrca8x, Options.NumChanOrca8x);
  if (QAbstractButton* b = rgProcessPriorityButtons->button(Options.ProcessPriority))
    b->setChecked(true);
  edOtherSampleFreq->setText(QString::number(Options.SampleFrequency));
  if (Options.SampleFrequency != StdSampleFreq)
    rbOtherSampleFreq->setChecked(true);
  else
    rbStdSampleFreq->setChecked(true);
  cbAlwaysDI710UL->setChecked(Options.AlwaysDI710UL);
  ShowSampleFreqInfo();
}

void TfrmOptions::SetDeviceModel(const QString& modelId) {
  FDeviceModel = modelId;
  pnSampling->setVisible(!IsOrca8xModel(modelId));
}

void TfrmOptions::ShowSampleFreqInfo() {
  labMaxSampleFreqInfo->setText(QString::asprintf(
      "Range is %d-%d - NB: DI-148, 8 channels max = 150 Hz", MinSampleFreq, MaxOtherSampleFreq));
}

void TfrmOptions::bnResetClick() {
  edDATAQ_4chan_request->setText("500");
  edDATAQ_8chan_request->setText("500");
}

QString TfrmOptions::HelpText() {
  return QStringLiteral(
             "The values given here determine how often the DATAQ device driver\rwill send data "
             "(display and hard disk).\r \rThe default value is 500 milliseconds for both 4 and 8 "
             "channels.\r \rLower update time:\r  Advantages: faster screen update, less points "
             "to process\r  Disadvantages: less time for processing, more chance of overrun\r "
             "\rHigher update time:\r  Advantages: more time for processing, less chance of "
             "overrun\r  Disadvantages: slower screen update, more points to process\r \rUpdate "
             "time range:\r  Minimum = 50 milliseconds\r  Maximum = depends on sample frequency "
             "and the number of channels\r \r") +
         QString::asprintf("For the default sample frequency %d Hz:", StdSampleFreq) + "\r" +
         " \r" + QString::asprintf("  For 4 channels: maximum=%d milliseconds", 4000) + "\r" +
         QString::asprintf("  For 8 channels: maximum=%d milliseconds", 2000) + " \r" + " \r" +
         "Fewer channels:\r" + "  Advantage: Less chance on overrun.";
}

void TfrmOptions::bnDATAQ_HelpClick() {
  Seams().Dialogs->Information(HelpText());
}

bool TfrmOptions::ValidateInput() {
  const int bound = rbStdSampleFreq->isChecked() ? 4000 : 30000;
  QStringList messages;
  const int interval4 = IntegerOf(edDATAQ_4chan_request->text(), 0);
  if (interval4 < MinInterval || interval4 > bound)
    messages << QString::asprintf("Bad value for \"4 channel request data time\" (range is %d-%d)",
                                  MinInterval, bound);
  const int interval8 = IntegerOf(edDATAQ_8chan_request->text(), 0);
  if (interval8 < MinInterval || interval8 > bound)
    messages << QString::asprintf("Bad value for \"8 channel request data time\" (range is %d-%d)",
                                  MinInterval, bound);
  if (rbOtherSampleFreq->isChecked()) {
    const int frequency = IntegerOf(edOtherSampleFreq->text(), 0);
    if (frequency < MinSampleFreq || frequency > MaxOtherSampleFreq)
      messages << QString::asprintf(
          "Bad value for \"Other sample frequency\" (%s)",
          qPrintable(QString::asprintf("range is %d-%d", MinSampleFreq, MaxOtherSampleFreq)));
  }
  if (messages.isEmpty()) return true;
  Seams().Dialogs->Information(messages.join("\r \r"));
  return false;
}

void TfrmOptions::StoreOptions() {
  Options.InvertSignal = cbInvertSignal->isChecked();
  Options.ReqTime4Chan = IntegerOf(edDATAQ_4chan_request->text(), 500);
  Options.ReqTime8Chan = IntegerOf(edDATAQ_8chan_request->text(), 500);
  Options.NumChanDI148 = SelectedCount(rbDI148);
  Options.NumChanDI155 = SelectedCount(rbDI155);
  Options.NumChanDI158 = SelectedCount(rbDI158);
  Options.NumChanDI710 = SelectedCount(rbDI710);
  Options.NumChanDemo = SelectedCount(rbDemo);
  Options.NumChanOrca8x = SelectedCount(rbOrca8x);
  if (rbStdSampleFreq->isChecked() || IsOrca8xModel(FDeviceModel))
    Options.SampleFrequency = StdSampleFreq;
  else
    Options.SampleFrequency = IntegerOf(edOtherSampleFreq->text(), StdSampleFreq);
  Options.ProcessPriority = rgProcessPriorityButtons->checkedId();
  Options.AlwaysDI710UL = cbAlwaysDI710UL->isChecked();
}

void TfrmOptions::bnOKClick() {
  if (!ValidateInput()) return;
  StoreOptions();
  accept();
}
