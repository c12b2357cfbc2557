#pragma once
// The about box: the program's identity, its folders and the system it runs on.
// Created for one showing and freed when it closes.

#include <QDialog>
#include <QPixmap>

class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;

class TfrmNewAbout : public QDialog {
  Q_OBJECT

public:
  explicit TfrmNewAbout(QWidget* parent = nullptr);

  void FillAboutTexts();

  // Handlers, public so a test can play the user.
  void FormKeyDown(QKeyEvent* event);
  void bnOKClick();

  QLabel* imgLogo;
  QLabel* labMaker;
  QLabel* labProdName;
  QLabel* labProdDesc;
  QLabel* labVersion;
  QLabel* labAppDataPath;
  QLabel* labMeasDataPath;
  QFrame* Shape1;
  QLabel* labWinInfo1;
  QLabel* labWinInfo2;
  QLabel* labCopyrite;
  QPushButton* bnOK;
  QLabel* labCredit;

protected:
  // Every key pressed anywhere in the box reaches FormKeyDown first.
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// The logo in the top left corner, 197 x 114.
QPixmap AboutLogo();

// Creates the about box, fills it, shows it modally and frees it.
void ShowAbout();
