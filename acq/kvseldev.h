#pragma once
// The device selection dialog: the devices of a scan of its own and the
// serial ports they may be connected to.

#include <QDialog>
#include <memory>

#include "acq/dataq.h"

class QCheckBox;
class QListWidget;
class QPushButton;

class TfrmSelDev : public QDialog {
  Q_OBJECT

public:
  explicit TfrmSelDev(TDataq::TAmplifierProbe probe = {}, QWidget* parent = nullptr);
  ~TfrmSelDev() override;

  // Index of the chosen device list entry; -1 when none is chosen.
  int SelectedDevice() const;
  // COM number of the chosen connection entry; -1 when none is chosen.
  int SelectedComNumber() const;
  // The number after "COM" in the part before "=" of a connection entry;
  // -1 when there is none ("Demo port") or index is out of range.
  int ConnectionComNumber(int index) const;
  // The first connection entry with that COM number; -1 when none.
  int FindConnection(int comNumber) const;

  // Handlers, public so a test can play the user.
  void lbDeviceClick() { SyncConnection(); }
  void SyncConnection();
  void cbShowPortDetailsClick();

  // The dialog's own device list.
  const TDataq& Dataq() const { return *FDataq; }

  QListWidget* lbDevice;
  QListWidget* lbConnection;
  QCheckBox* cbShowPortDetails;
  QPushButton* bnOK;
  QPushButton* bnCancel;

private:
  void FormCreate();
  // The serial ports sorted as text, "Demo port" first.
  void FillConnections();

  TDataq::TAmplifierProbe Probe;
  std::unique_ptr<TDataq> FDataq;
};
