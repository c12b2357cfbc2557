#include "windows/kvinfo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/errors.h"
#include "platform/seams.h"
#include "support/window_placement.h"
#include "windows/text_file.h"

QPointer<TfrmInfo> frmInfo;

namespace {

const QString kSection = QStringLiteral("frmInfo");

QFont MemoFont() {
  QFont font = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                   ? QFont(QStringLiteral("Courier New"))
                   : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPixelSize(15);
  return font;
}

}  // namespace

TfrmInfo::TfrmInfo(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(kSection);
  setWindowTitle(QStringLiteral("Info"));

  tbTools = new QToolBar(this);
  tbTools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bnCopy = AddButton(QStringLiteral("&Copy"), QStringLiteral("Copy text to clipboard"),
                     QStringLiteral("edit-copy"), &TfrmInfo::bnCopyClick);
  bnSave = AddButton(QStringLiteral("&Save"), QStringLiteral("Save text to file"),
                     QStringLiteral("document-save"), &TfrmInfo::bnSaveClick);
  bnPrint = AddButton(QStringLiteral("&Print"), QStringLiteral("Print text to default printer"),
                      QStringLiteral("document-print"), &TfrmInfo::bnPrintClick);
  tbTools->addSeparator();
  bnClear = AddButton(QStringLiteral("C&lear"), QStringLiteral("Clear the info window"),
                      QStringLiteral("edit-clear"), &TfrmInfo::bnClearClick);
  tbTools->addSeparator();
  bnClose = AddButton(QStringLiteral("Cl&ose"), QStringLiteral("Close this window"),
                      QStringLiteral("window-close"), &TfrmInfo::bnCloseClick);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  // A log grows for hours: no undo history to keep.
  Memo1->setUndoRedoEnabled(false);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setFont(MemoFont());
  QPalette palette = Memo1->palette();
  palette.setColor(QPalette::Text, Qt::black);
  Memo1->setPalette(palette);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tbTools);
  layout->addWidget(Memo1);

  resize(578, 315);
  FormCreate();
}

TfrmInfo::~TfrmInfo() {
  FormDestroy();
}

QToolButton* TfrmInfo::AddButton(const QString& caption, const QString& hint,
                                 const QString& iconName, void (TfrmInfo::*handler)()) {
  auto* button = new QToolButton(tbTools);
  button->setText(caption);
  button->setToolTip(hint);
  button->setIcon(QIcon::fromTheme(iconName));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setAutoRaise(true);
  tbTools->addWidget(button);
  connect(button, &QToolButton::clicked, this, handler);
  return button;
}

void TfrmInfo::FormCreate() {
  RestoreWindowPlacement(*this, kSection, 0, 0);
  bnClearClick();
}

void TfrmInfo::FormClose() {
  hide();
}

void TfrmInfo::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TfrmInfo::FormDestroy() {
  // A destructor must not raise: a settings file that refuses the write is
  // reported instead.
  try {
    SaveWindowPlacement(*this, kSection);
  } catch (const std::exception& e) {
    Seams().Errors->Report(ErrorMessage(e));
  }
  if (frmInfo == this) frmInfo = nullptr;
}

bool TfrmInfo::AddLine(const QString& text) {
  try {
    const int before = LineCount();
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Follow the end of the text when the view is there already.
    QScrollBar* bar = Memo1->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(Memo1->document());
    cursor.movePosition(QTextCursor::End);
    if (HasLines) cursor.insertBlock();
    cursor.insertText(line);
    HasLines = true;
    if (atEnd) bar->setValue(bar->maximum());
    return LineCount() > before;
  } catch (...) {
    return false;
  }
}

int TfrmInfo::LineCount() const {
  return HasLines ? Memo1->document()->blockCount() : 0;
}

QStringList TfrmInfo::Lines() const {
  QStringList lines;
  if (!HasLines) return lines;
  lines.reserve(Memo1->document()->blockCount());
  for (QTextBlock b = Memo1->document()->firstBlock(); b.isValid(); b = b.next())
    lines.append(b.text());
  return lines;
}

void TfrmInfo::bnCopyClick() {
  Memo1->selectAll();
  Memo1->copy();
}

void TfrmInfo::bnSaveClick() {
  const QString name = Seams().Dialogs->SaveFile(
      QStringLiteral("Save As"), QStringLiteral("Text file (*.TXT);;Any file (*)"),
      FSaveFolder.isEmpty() ? QDir::currentPath() : FSaveFolder, QString());
  if (name.isEmpty()) return;
  try {
    WriteTextLines(name, Lines());
    FSaveFolder = QFileInfo(name).absolutePath();
    Seams().Dialogs->Information(QStringLiteral("Text saved to:\r") + name);
  } catch (const std::exception& e) {
    Seams().Dialogs->Message(QStringLiteral("Save failed:\r") + ErrorMessage(e));
  }
}

void TfrmInfo::bnPrintClick() {
  const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
  if (printerInfo.isNull()) {
    Seams().Dialogs->Message(
        QStringLiteral("No default printer has been assigned.\r"
                       "Use the Control Panel to select a default printer."));
    return;
  }
  if (LineCount() == 0) return;
  QPrinter printer(printerInfo);
  printer.setDocName(windowTitle());
  // The memo's font at the same size on paper as on the screen.
  QFont font = Memo1->font();
  if (font.pixelSize() > 0) font.setPointSizeF(font.pixelSize() * 72.0 / Memo1->logicalDpiY());
  if (PrintTextLines(printer, font, PrintedLines(Lines())) == 0)
    throw TError(
        QStringLiteral("Printing on \"%1\" could not start.").arg(printerInfo.printerName()));
}

void TfrmInfo::bnClearClick() {
  Memo1->clear();
  HasLines = false;
}

void TfrmInfo::bnCloseClick() {
  close();
}

QStringList PrintedLines(const QStringList& lines) {
  QStringList printed{QStringLiteral(" "), QStringLiteral(" ")};
  printed.reserve(lines.size() + 3);
  for (const QString& line : lines) printed.append(QStringLiteral("       ") + line);
  printed.append(QStringLiteral(" "));
  return printed;
}

int PrintTextLines(QPagedPaintDevice& device, const QFont& font, const QStringList& lines) {
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QFontMetrics metrics = painter.fontMetrics();
  const int step = std::max(1, metrics.lineSpacing());
  const int perPage = std::max(1, device.height() / step);
  int pages = 1;
  int row = 0;
  for (const QString& line : lines) {
    if (row == perPage) {
      device.newPage();
      ++pages;
      row = 0;
    }
    painter.drawText(0, row * step + metrics.ascent(), line);
    ++row;
  }
  painter.end();
  return pages;
}

TfrmInfo& EnsureInfoWindow() {
  if (!frmInfo) {
    frmInfo = new TfrmInfo();
    // Owned by the application: destroyed (and its placement saved) when the program ends.
    if (auto* app = QCoreApplication::instance())
      QObject::connect(app, &QCoreApplication::aboutToQuit, frmInfo.data(), &QObject::deleteLater);
  }
  return *frmInfo;
}

bool InfoAddLine(const QString& text) {
  try {
    return EnsureInfoWindow().AddLine(text);
  } catch (...) {
    return false;
  }
}

void InfoClear() {
  try {
    EnsureInfoWindow().bnClearClick();
  } catch (...) {
  }
}

void InfoShow() {
  try {
    TfrmInfo& form = EnsureInfoWindow();
    if (form.isMinimized()) form.showNormal();
    form.show();
    form.raise();
    form.activateWindow();
  } catch (...) {
  }
}

void InfoSaveToFile(const QString& fileName) {
  WriteTextLines(fileName, EnsureInfoWindow().Lines());
}

QStringList InfoLines() {
  return EnsureInfoWindow().Lines();
}
