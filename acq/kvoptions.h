#pragma once
// The settings dialog: edits a TOptions and changes it only on a valid OK.

#include <QDialog>

#include "acq/options.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfrmOptions : public QDialog {
  Q_OBJECT

public:
  explicit TfrmOptions(TOptions& options, QWidget* parent = nullptr);

  // Called before the dialog is shown; hides the sampling panel for the amplifier.
  void SetDeviceModel(const QString& modelId);
  const QString& DeviceModel() const { return FDeviceModel; }

  // Handlers, public so a test can play the user.
  void ShowSampleFreqInfo();
  void edDATAQ_4chan_requestExit() { ShowSampleFreqInfo(); }
  void edDATAQ_8chan_requestExit() { ShowSampleFreqInfo(); }
  void bnResetClick();
  void bnDATAQ_HelpClick();
  void bnOKClick();
  // Shows every refusal in one information box; true when the input is usable.
  bool ValidateInput();

  static QString HelpText();

  // Radio buttons of one model, for 2, 4 and 8 channels (null where the model has no such count).
  struct TChannelButtons {
    QRadioButton* Two = nullptr;
    QRadioButton* Four = nullptr;
    QRadioButton* Eight = nullptr;
  };

  QGroupBox* gbAcquisition;
  QCheckBox* cbInvertSignal;
  QLineEdit* edDATAQ_4chan_request;
  QLineEdit* edDATAQ_8chan_request;
  QPushButton* bnReset;
  QPushButton* bnDATAQ_Help;
  QWidget* pnDevices;
  TChannelButtons rbDI148, rbDI155, rbDI158, rbDI710, rbDemo, rbOrca8x;
  QGroupBox* rgProcessPriority;
  QButtonGroup* rgProcessPriorityButtons;
  QWidget* pnSampling;
  QRadioButton* rbStdSampleFreq;
  QRadioButton* rbOtherSampleFreq;
  QLineEdit* edOtherSampleFreq;
  QLabel* labMaxSampleFreqInfo;
  QCheckBox* cbAlwaysDI710UL;
  QPushButton* bnOK;
  QPushButton* bnCancel;

private:
  void FormCreate();
  QGroupBox* ModelGroup(const QString& caption, const QString& name, TChannelButtons& buttons,
                        bool eight, const QString& fourCaption = QStringLiteral("4 channels"));
  static void SelectCount(const TChannelButtons& buttons, int count);
  static int SelectedCount(const TChannelButtons& buttons);
  void StoreOptions();

  TOptions& Options;
  QString FDeviceModel;
};
