#include "acq/kvseldev.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "acq/models.h"
#include "support/kvutil.h"

namespace {
const char* const DemoPortText = "Demo port";
const char* const DemoDeviceText = "Demo device";

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}
}  // namespace

TfrmSelDev::TfrmSelDev(TDataq::TAmplifierProbe probe, QWidget* parent)
    : QDialog(parent), Probe(std::move(probe)) {
  setObjectName("frmSelDev");
  setWindowTitle("Select recording device");
  // Centred on the screen by QDialog when it has no parent.
  setFixedSize(450, 388);

  lbDevice = Named(new QListWidget, "lbDevice");
  lbConnection = Named(new QListWidget, "lbConnection");
  cbShowPortDetails = Named(new QCheckBox("Show details"), "cbShowPortDetails");
  bnOK = Named(new QPushButton("OK"), "bnOK");
  bnCancel = Named(new QPushButton("Cancel"), "bnCancel");
  bnOK->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Named(new QLabel("Recording device"), "labDevice"), 0, 0);
  grid->addWidget(Named(new QLabel("Connected to"), "labConnection"), 0, 1);
  grid->addWidget(lbDevice, 1, 0);
  grid->addWidget(lbConnection, 1, 1);
  grid->addWidget(cbShowPortDetails, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bnOK);
  buttons->addWidget(bnCancel);
  grid->addLayout(buttons, 3, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);

  FormCreate();

  connect(lbDevice, &QListWidget::currentRowChanged, this, [this] { lbDeviceClick(); });
  connect(cbShowPortDetails, &QCheckBox::clicked, this, [this] { cbShowPortDetailsClick(); });
  connect(bnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(bnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmSelDev::~TfrmSelDev() = default;

void TfrmSelDev::FormCreate() {
  FDataq = std::make_unique<TDataq>(Probe);
  const int n = FDataq->ScanDevices();
  for (int i = 0; i < n; ++i) lbDevice->addItem(FDataq->DeviceName(i));
  lbDevice->setCurrentRow(0);
  FillConnections();
  SyncConnection();
}

void TfrmSelDev::FillConnections() {
  QStringList ports;
  ListSerialPorts(cbShowPortDetails->isChecked(), ports);
  ports.sort(Qt::CaseInsensitive);
  lbConnection->clear();
  lbConnection->addItem(QString::fromLatin1(DemoPortText));
  lbConnection->addItems(ports);
}

int TfrmSelDev::SelectedDevice() const {
  return lbDevice->currentRow();
}

int TfrmSelDev::SelectedComNumber() const {
  return ConnectionComNumber(lbConnection->currentRow());
}

int TfrmSelDev::ConnectionComNumber(int index) const {
  if (index < 0 || index >= lbConnection->count()) return -1;
  const QString entry = lbConnection->item(index)->text();
  return ComNumberFromText(TextBefore(entry, QStringLiteral("=")), -1);
}

int TfrmSelDev::FindConnection(int comNumber) const {
  for (int i = 0; i < lbConnection->count(); ++i)
    if (ConnectionComNumber(i) == comNumber) return i;
  return -1;
}

void TfrmSelDev::SyncConnection() {
  const int device = SelectedDevice();
  if (device >= 0) {
    const int found = FindConnection(FDataq->DeviceComNumber(device));
    if (found >= 0) lbConnection->setCurrentRow(found);
  }
  lbConnection->setEnabled(FDataq->DeviceName(device) != QLatin1String(DemoDeviceText));
}

void TfrmSelDev::cbShowPortDetailsClick() {
  const int remembered = qMax(lbConnection->currentRow(), 0);
  FillConnections();
  lbConnection->setCurrentRow(remembered < lbConnection->count() ? remembered : 0);
}
