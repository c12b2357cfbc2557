// The second file that includes the chart library's header (it is costly to compile).
#include "display/stretch_window.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "platform/errors.h"
#include "platform/seams.h"
#include "support/locale_format.h"
#include "support/window_placement.h"

namespace {

const QString kSection = QStringLiteral("frmInspect");

struct THourglass {
  THourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~THourglass() { QApplication::restoreOverrideCursor(); }
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;
};

// Axis labels "###0.###": up to three decimals, trailing zeros dropped.
template <typename Base>
class TLabelTicker : public Base {
protected:
  QString getTickLabel(double tick, const QLocale&, QChar, int) override {
    if (std::abs(tick) < 0.0005) tick = 0;
    QString text = NumberLocale().toString(tick, 'f', 3);
    const QString point = NumberLocale().decimalPoint();
    if (text.contains(point)) {
      while (text.endsWith(QLatin1Char('0'))) text.chop(1);
      if (text.endsWith(point)) text.chop(point.size());
    }
    return text;
  }
};

// The step between the ticks of the last drawing; 0 when it drew fewer than two.
double TickStep(const QCPAxis* axis) {
  const QVector<double> ticks = axis->tickVector();
  return ticks.size() >= 2 ? ticks[1] - ticks[0] : 0;
}

void SetSeries(QCPGraph* graph, const TInspectPoints& p) {
  graph->setData(QVector<double>(p.X.begin(), p.X.end()), QVector<double>(p.Y.begin(), p.Y.end()),
                 true);
}

QString CreatorText() {
  return QStringLiteral("Tavrin+a") + QStringLiteral(" v") + QStringLiteral("01.30") +
         QStringLiteral(" (") + QStringLiteral("13-04-2016") + QStringLiteral(")");
}

}  // namespace

TUpDown::TUpDown(const QString& name, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent) {
  setObjectName(name);
  const bool vertical = orientation == Qt::Vertical;
  Up = new QToolButton(this);
  Down = new QToolButton(this);
  Up->setArrowType(vertical ? Qt::UpArrow : Qt::RightArrow);
  Down->setArrowType(vertical ? Qt::DownArrow : Qt::LeftArrow);
  QBoxLayout* layout = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(this))
                                : static_cast<QBoxLayout*>(new QHBoxLayout(this));
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // The upper or right button is "up".
  layout->addWidget(vertical ? Up : Down);
  layout->addWidget(vertical ? Down : Up);
  for (QToolButton* b : {Up, Down}) {
    b->setAutoRepeat(true);
    b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    connect(b, &QToolButton::clicked, this, [this, b] {
      if (OnClick) OnClick(b == Up);
    });
  }
  setFixedSize(vertical ? QSize(22, 37) : QSize(37, 17));
}

TfrmInspect::TfrmInspect(QWidget* parent) : QMainWindow(parent) {
  setObjectName(kSection);
  setWindowTitle(QStringLiteral("Inspect"));
  setAttribute(Qt::WA_DeleteOnClose);
  if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
    setFont(QFont(QStringLiteral("Tahoma"), 8));

  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  addToolBar(ToolBar1);
  // Captions show where the icon theme lacks the image.
  bnCopy = AddButton("bnCopy", "Copy", "Copy to clipboard", "edit-copy", nullptr);
  puCopy = new QMenu(this);
  puCopy->setObjectName("puCopy");
  // The platform's vector format takes the place of the enhanced metafile.
  miCopyasEnhancedMetaFileEMF1 = puCopy->addAction(QStringLiteral("Copy as SVG (vector)"));
  miCopyasEnhancedMetaFileEMF1->setObjectName("miCopyasEnhancedMetaFileEMF1");
  miCopyasBMP1 = puCopy->addAction(QStringLiteral("Copy as BMP"));
  miCopyasBMP1->setObjectName("miCopyasBMP1");
  miCopyasPNG1 = puCopy->addAction(QStringLiteral("Save as PNG"));
  miCopyasPNG1->setObjectName("miCopyasPNG1");
  bnCopy->setMenu(puCopy);
  bnCopy->setPopupMode(QToolButton::MenuButtonPopup);
  connect(miCopyasEnhancedMetaFileEMF1, &QAction::triggered, this,
          &TfrmInspect::miCopyasEnhancedMetaFileEMF1Click);
  connect(miCopyasBMP1, &QAction::triggered, this, &TfrmInspect::miCopyasBMP1Click);
  connect(miCopyasPNG1, &QAction::triggered, this, &TfrmInspect::miCopyasPNG1Click);
  bnSave = AddButton("bnSave", "Save", "Save as .txt file (ASCII)", "document-save",
                     &TfrmInspect::bnSaveClick);
  bnClose =
      AddButton("bnClose", "Close", "Close window", "window-close", &TfrmInspect::bnCloseClick);
  auto boldLabel = [this](const QString& text) {
    ToolBar1->addSeparator();
    auto* label = new QLabel(text, ToolBar1);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    ToolBar1->addWidget(label);
  };
  boldLabel(QStringLiteral(" X"));
  bnZoomInX = AddButton("bnZoomInX", "+", "Zoom in", "zoom-in", &TfrmInspect::bnZoomInXClick);
  bnZoomOutX = AddButton("bnZoomOutX", "-", "Zoom out", "zoom-out", &TfrmInspect::bnZoomOutXClick);
  bnAutoScaleX = AddButton("bnAutoScaleX", "Auto", "Auto-scale", "zoom-fit-best",
                           &TfrmInspect::bnAutoScaleXClick);
  boldLabel(QStringLiteral(" Y"));
  bnZoomInY = AddButton("bnZoomInY", "+", "Zoom in", "zoom-in", &TfrmInspect::bnZoomInYClick);
  bnZoomOutY = AddButton("bnZoomOutY", "-", "Zoom out", "zoom-out", &TfrmInspect::bnZoomOutYClick);
  bnAutoScaleY = AddButton("bnAutoScaleY", "Auto", "Auto-scale", "zoom-fit-best",
                           &TfrmInspect::bnAutoScaleYClick);

  chInspect = new QCustomPlot(this);
  chInspect->setObjectName("chInspect");
  chInspect->setBackground(Qt::white);
  chInspect->legend->setVisible(false);
  chInspect->setLocale(NumberLocale());
  const QPen grid(QColor(192, 192, 192), 0, Qt::DotLine);
  QCPAxis* bottom = chInspect->xAxis;
  auto ticker = QSharedPointer<TLabelTicker<QCPAxisTickerFixed>>::create();
  ticker->setTickStep(1);
  // Zoomed out, the step grows by whole multiples instead of crowding the axis.
  ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
  bottom->setTicker(ticker);
  bottom->setRange(0, 30);
  bottom->setLabel(QStringLiteral("Time (sec)"));
  bottom->grid()->setPen(grid);
  QCPAxis* left = chInspect->yAxis;
  left->setTicker(QSharedPointer<TLabelTicker<QCPAxisTicker>>::create());
  left->setRange(-5, 5);
  left->setLabel(QStringLiteral("Output Voltage"));
  left->grid()->setPen(grid);
  LineSeries1 = chInspect->addGraph(bottom, left);
  LineSeries1->setName(QStringLiteral("Details"));
  LineSeries1->setPen(QPen(Qt::black));
  LineSeries1->setAntialiased(false);
  chInspect->setSelectionRectMode(QCP::srmZoom);
  chInspect->selectionRect()->setPen(QPen(Qt::red));
  chInspect->selectionRect()->setBrush(QBrush(Qt::magenta, Qt::BDiagPattern));
  connect(chInspect, &QCustomPlot::afterReplot, this, &TfrmInspect::chInspectAfterDraw);
  setCentralWidget(chInspect);

  // Room outside the axis titles for the up-down controls that lie on the chart's edges.
  bottom->setPadding(20);
  left->setPadding(24);
  udY = new TUpDown("udY", Qt::Vertical, chInspect);
  udY->OnClick = [this](bool up) { udYChangingEx(up); };
  udX = new TUpDown("udX", Qt::Horizontal, chInspect);
  udX->OnClick = [this](bool up) { udXChangingEx(up); };
  chInspect->installEventFilter(this);

  statusBar()->setObjectName("sbInfo");
  spInfo = new QLabel(statusBar());
  spInfo->setObjectName("spInfo");
  spPoints = new QLabel(statusBar());
  spPoints->setObjectName("spPoints");
  spPoints->setMinimumWidth(188);
  statusBar()->addWidget(spInfo, 1);
  statusBar()->addPermanentWidget(spPoints);

  resize(758, 548);
  FormCreate();
}

TfrmInspect::~TfrmInspect() {
  FormDestroy();
}

QToolButton* TfrmInspect::AddButton(const QString& name, const QString& caption,
                                    const QString& hint, const QString& iconName,
                                    void (TfrmInspect::*handler)()) {
  auto* button = new QToolButton(ToolBar1);
  button->setObjectName(name);
  button->setText(caption);
  button->setToolTip(hint);
  button->setIcon(QIcon::fromTheme(iconName));
  button->setAutoRaise(true);
  ToolBar1->addWidget(button);
  if (handler) connect(button, &QToolButton::clicked, this, handler);
  return button;
}

void TfrmInspect::FormCreate() {
  spInfo->clear();
  RestoreWindowPlacement(*this, kSection, 0, 0);
}

void TfrmInspect::FormDestroy() {
  // A destructor must not raise: a settings file that refuses the write is reported instead.
  try {
    SaveWindowPlacement(*this, kSection);
  } catch (const std::exception& e) {
    Seams().Errors->Report(ErrorMessage(e));
  }
}

bool TfrmInspect::eventFilter(QObject* watched, QEvent* event) {
  if (watched == chInspect && event->type() == QEvent::Resize) FormResize();
  return QMainWindow::eventFilter(watched, event);
}

void TfrmInspect::FormResize() {
  udY->move(0, chInspect->height() / 2 - udY->height() / 2);
  udX->move(chInspect->width() / 2 - udX->width() / 2, chInspect->height() - udX->height() - 2);
}

void TfrmInspect::LoadStretch(const QString& Name, const TRunBuffers& Source, int Channel,
                              bool DrawAllPoints, double XMin, double XMax, double YMin,
                              double YMax) {
  FInspectName = Name;
  setWindowTitle(QStringLiteral("Inspect: ") + Name);
  Stretch = {};
  LineSeries1->data()->clear();
  size_t n = 0;
  if (Channel >= 0 && Channel < TRunBuffers::MaxChannels)
    n = std::min({size_t(std::max(Source.PointsStored, 0)), Source.TimeData.size(),
                  Source.ChannelData[size_t(Channel)].size()});
  if (n == 0) {
    chInspect->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  LineSeries1->setAdaptiveSampling(!DrawAllPoints);
  {
    THourglass hourglass;
    Stretch = CopyStretch(Source.TimeData.data(), Source.ChannelData[size_t(Channel)].data(),
                          int(n), XMin, XMax);
    SetSeries(LineSeries1, Stretch);
  }
  if (!Title) {
    chInspect->plotLayout()->insertRow(0);
    QFont font = chInspect->font();
    font.setBold(true);
    Title = new QCPTextElement(chInspect, Name, font);
    chInspect->plotLayout()->addElement(0, 0, Title);
  } else {
    Title->setText(Name);
  }
  chInspect->xAxis->setRange(XMin, XMax);
  if (YMin == 0 && YMax == 0)
    LineSeries1->rescaleValueAxis();
  else
    chInspect->yAxis->setRange(YMin, YMax);
  chInspect->replot(QCustomPlot::rpQueuedReplot);
}

void TfrmInspect::ReplotNow() {
  chInspect->replot(QCustomPlot::rpImmediateRefresh);
}

void TfrmInspect::chInspectAfterDraw() {
  spPoints->setText(PointsPaneText(Visible().Count, Stretch.Count()));
  FXIncrement = TickStep(chInspect->xAxis);
  FYIncrement = TickStep(chInspect->yAxis);
}

void TfrmInspect::ZoomAxis(bool bottom, int percent) {
  QCPAxis* axis = bottom ? chInspect->xAxis : chInspect->yAxis;
  const TAxisSpan span = ZoomSpan({axis->range().lower, axis->range().upper}, percent);
  axis->setRange(span.Min, span.Max);
  chInspect->replot(QCustomPlot::rpQueuedReplot);
}

void TfrmInspect::bnAutoScaleXClick() {
  LineSeries1->rescaleKeyAxis();
  chInspect->replot(QCustomPlot::rpQueuedReplot);
}

void TfrmInspect::bnAutoScaleYClick() {
  LineSeries1->rescaleValueAxis();
  chInspect->replot(QCustomPlot::rpQueuedReplot);
}

void TfrmInspect::udXChangingEx(bool Up) {
  const bool shift = Seams().Keyboard && Seams().Keyboard->ShiftHeld();
  SetBottomAxisRange(ScrollSpan(BottomAxisRange(), FXIncrement, Up, shift));
}

void TfrmInspect::udYChangingEx(bool Up) {
  SetLeftAxisRange(ScrollSpan(LeftAxisRange(), FYIncrement, Up, false));
}

void TfrmInspect::bnSaveClick() {
  const TVisiblePoints v = Visible();
  if (v.Count > ExportQuestionLimit && !Seams().Dialogs->Confirm(ExportQuestion(v.Count))) return;
  const QString name = ExportFileName(FInspectName, v.First, v.Count);
  const QString shown = QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath());
  {
    THourglass hourglass;
    const QByteArray text = ExportText(Stretch, v.First, v.Count);
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      throw TError(QStringLiteral("Cannot create file \"%1\". %2").arg(shown, file.errorString()));
    // A full disk shows only when the buffer is flushed.
    if (file.write(text) != text.size() || !file.flush())
      throw TError(QStringLiteral("Cannot write file \"%1\". %2").arg(shown, file.errorString()));
  }
  spInfo->setText(QStringLiteral("Data saved to ") + shown);
}

void TfrmInspect::miCopyasPNG1Click() {
  const QString name = PngFileName(FInspectName);
  if (!chInspect->savePng(name, 0, 0))
    throw TError(QStringLiteral("Cannot write file \"%1\".").arg(QDir::toNativeSeparators(name)));
  spInfo->setText(QStringLiteral("Chart saved as ") + name);
}

void TfrmInspect::miCopyasBMP1Click() {
  QGuiApplication::clipboard()->setImage(chInspect->toPixmap().toImage());
  spInfo->setText(QStringLiteral("Chart copied to clipboard (BMP)"));
}

void TfrmInspect::miCopyasEnhancedMetaFileEMF1Click() {
  // Only a picture that reached the clipboard is reported as copied.
  if (CopyAsMetafile()) spInfo->setText(QStringLiteral("Chart copied to clipboard (SVG)"));
}

bool TfrmInspect::CopyAsMetafile() {
  const int width = chInspect->width();
  const int height = chInspect->height();
  // A vector picture holds every line it is given: thin a dense series first.
  const bool reduced = CopyNeedsReduction(DrawsAllPoints(), Visible().Count, width);
  bool done = false;
  try {
    if (reduced) {
      const QCPRange y = chInspect->yAxis->range();
      SetSeries(LineSeries1, ReducePointsForCopy(Stretch, y.lower, y.upper, CopyBucketSize));
    }
    FLastCopyPointCount = LineSeries1->dataCount();
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setTitle(ChartTitle());
    generator.setDescription(CreatorText());
    QCPPainter painter;
    if (!painter.begin(&generator))
      throw TError(QStringLiteral("The picture could not be started."));
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    chInspect->toPainter(&painter, width, height);
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(0, 0, width, height).adjusted(0, 0, -1, -1));
    painter.end();
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), svg.data());
    QGuiApplication::clipboard()->setMimeData(mime);
    done = true;
  } catch (const std::exception& e) {
    Seams().Dialogs->Message(QStringLiteral("Error saving/copying chart:\r") + ErrorMessage(e));
  }
  if (reduced) SetSeries(LineSeries1, Stretch);
  return done;
}

int TfrmInspect::SeriesPointCount() const {
  return LineSeries1->dataCount();
}

bool TfrmInspect::DrawsAllPoints() const {
  return !LineSeries1->adaptiveSampling();
}

TAxisSpan TfrmInspect::BottomAxisRange() const {
  return {chInspect->xAxis->range().lower, chInspect->xAxis->range().upper};
}

TAxisSpan TfrmInspect::LeftAxisRange() const {
  return {chInspect->yAxis->range().lower, chInspect->yAxis->range().upper};
}

void TfrmInspect::SetBottomAxisRange(TAxisSpan span) {
  chInspect->xAxis->setRange(span.Min, span.Max);
  chInspect->replot(QCustomPlot::rpQueuedReplot);
}

void TfrmInspect::SetLeftAxisRange(TAxisSpan span) {
  chInspect->yAxis->setRange(span.Min, span.Max);
  chInspect->replot(QCustomPlot::rpQueuedReplot);
}

TVisiblePoints TfrmInspect::Visible() const {
  const QCPRange r = chInspect->xAxis->range();
  return VisiblePoints(Stretch.X, r.lower, r.upper);
}

QString TfrmInspect::ChartTitle() const {
  return Title ? Title->text() : QString();
}
