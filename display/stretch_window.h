#pragma once
// The inspect window: its own copy of a stretch of the detail chart, to zoom,
// scroll and take out of the program as text, PNG, bitmap or vector picture.
// Any number may be open; each frees itself when closed.

#include <QMainWindow>
#include <functional>

#include "acq/run_buffers.h"
#include "display/stretch_logic.h"

class QCPGraph;
class QCPTextElement;
class QCustomPlot;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;

// An up-down control: two arrow buttons that report the direction of a click
// (up: the upper or right one).
class TUpDown : public QWidget {
public:
  TUpDown(const QString& name, Qt::Orientation orientation, QWidget* parent);
  std::function<void(bool up)> OnClick;
  QToolButton* Up;
  QToolButton* Down;
};

class TfrmInspect : public QMainWindow {
  Q_OBJECT

public:
  explicit TfrmInspect(QWidget* parent = nullptr);
  ~TfrmInspect() override;

  // Copies the points of the source's channel with XMin <= time <= XMax and
  // shows them with the bottom axis at [XMin, XMax] and the left axis at
  // [YMin, YMax] (automatic when both are 0).
  void LoadStretch(const QString& Name, const TRunBuffers& Source, int Channel, bool DrawAllPoints,
                   double XMin, double XMax, double YMin, double YMax);

  // Handlers, public so a test can play the user.
  void bnZoomInXClick() { ZoomAxis(true, 110); }
  void bnZoomOutXClick() { ZoomAxis(true, 90); }
  void bnAutoScaleXClick();
  void bnZoomInYClick() { ZoomAxis(false, 110); }
  void bnZoomOutYClick() { ZoomAxis(false, 90); }
  void bnAutoScaleYClick();
  void udXChangingEx(bool Up);
  void udYChangingEx(bool Up);
  void bnSaveClick();
  void bnCloseClick() { close(); }
  void miCopyasEnhancedMetaFileEMF1Click();
  void miCopyasBMP1Click();
  void miCopyasPNG1Click();

  // Draws the chart now (as a paint would), updating the points pane and the increments.
  void ReplotNow();

  const QString& InspectName() const { return FInspectName; }
  double XIncrement() const { return FXIncrement; }
  double YIncrement() const { return FYIncrement; }
  // The window's copy of the stretch.
  const TInspectPoints& Points() const { return Stretch; }
  // The points the chart's series holds (fewer only while a vector copy is drawn).
  int SeriesPointCount() const;
  bool DrawsAllPoints() const;
  TAxisSpan BottomAxisRange() const;
  TAxisSpan LeftAxisRange() const;
  void SetBottomAxisRange(TAxisSpan span);
  void SetLeftAxisRange(TAxisSpan span);
  TVisiblePoints Visible() const;
  // Empty while no stretch has been loaded.
  QString ChartTitle() const;
  // The points the last vector copy was drawn with.
  int LastCopyPointCount() const { return FLastCopyPointCount; }

  QToolBar* ToolBar1;
  QToolButton* bnCopy;
  QToolButton* bnSave;
  QToolButton* bnClose;
  QToolButton* bnZoomInX;
  QToolButton* bnZoomOutX;
  QToolButton* bnAutoScaleX;
  QToolButton* bnZoomInY;
  QToolButton* bnZoomOutY;
  QToolButton* bnAutoScaleY;
  QCustomPlot* chInspect;
  TUpDown* udX;
  TUpDown* udY;
  QLabel* spInfo;
  QLabel* spPoints;
  QMenu* puCopy;
  QAction* miCopyasEnhancedMetaFileEMF1;
  QAction* miCopyasBMP1;
  QAction* miCopyasPNG1;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FormCreate();
  void FormDestroy();
  void FormResize();
  void chInspectAfterDraw();
  void ZoomAxis(bool bottom, int percent);
  // False when the picture could not be made (the failure has been shown).
  bool CopyAsMetafile();
  QToolButton* AddButton(const QString& name, const QString& caption, const QString& hint,
                         const QString& iconName, void (TfrmInspect::*handler)());

  QCPGraph* LineSeries1;
  QCPTextElement* Title = nullptr;
  QString FInspectName;
  TInspectPoints Stretch;
  double FXIncrement = 0;
  double FYIncrement = 0;
  int FLastCopyPointCount = 0;
};
