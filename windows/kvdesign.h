#pragma once
// A container that is never shown: it holds the two polarity signs the main
// window puts into its status bar.

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QLabel;

class TfrmDesign : public QWidget {
  Q_OBJECT

public:
  explicit TfrmDesign(QWidget* parent = nullptr);

  // Minus over plus when the measured signal is inverted, else plus over minus.
  QPixmap InversionGlyph(bool inverted) const;

  QLabel* imgPlusMinus;  // 11 x 16: plus sign above minus sign
  QLabel* imgMinusPlus;  // 11 x 16: minus sign above plus sign
};

// The one container; null until first used and after the program's end.
extern QPointer<TfrmDesign> frmDesign;

// Creates frmDesign when there is none (called at start-up); returns it.
TfrmDesign& EnsureDesignWindow();

// An 11 x 16 picture of two signs on a transparent ground: plus above minus, or the reverse.
QPixmap PolarityGlyph(bool plusOnTop);
