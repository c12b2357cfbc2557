#include "files/kvconvert.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "files/hour_converter.h"
#include "platform/seams.h"
#include "support/kvutil.h"
#include "support/locale_format.h"

namespace {
constexpr int CommentChars = 80;

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// Typing is limited to 80 characters; a longer line taken over from a loaded
// file is still shown and written whole.
void SetComment(QLineEdit* edit, const QString& text) {
  edit->setMaxLength(std::max<int>(CommentChars, int(text.size())));
  edit->setText(text);
}
}  // namespace

TfrmConvert::TfrmConvert(QWidget* parent) : QDialog(parent) {
  setObjectName("frmConvert");
  setWindowTitle("File Format Converter");

  pnRecDone = Named(new QLabel("Recording Done"), "pnRecDone");
  pnRecDone->setAlignment(Qt::AlignCenter);
  pnRecDone->setAutoFillBackground(true);
  QPalette banner = pnRecDone->palette();
  banner.setColor(QPalette::Window, Qt::yellow);
  banner.setColor(QPalette::WindowText, Qt::black);
  pnRecDone->setPalette(banner);
  QFont bannerFont = pnRecDone->font();
  bannerFont.setBold(true);
  bannerFont.setPointSizeF(bannerFont.pointSizeF() * 1.5);
  pnRecDone->setFont(bannerFont);
  pnRecDone->setMinimumHeight(36);
  pnRecDone->hide();

  edInterFile = Named(new QLineEdit, "edInterFile");
  edInterFile->setReadOnly(true);
  edInterFile->setMinimumWidth(440);
  labInfo = Named(new QLabel, "labInfo");
  labInfo->setAlignment(Qt::AlignCenter);

  pnEditComm = Named(new QWidget, "pnEditComm");
  edComment1 = Named(new QLineEdit, "edComment1");
  edComment2 = Named(new QLineEdit, "edComment2");
  edComment3 = Named(new QLineEdit, "edComment3");
  for (QLineEdit* edit : {edComment1, edComment2, edComment3}) edit->setMaxLength(CommentChars);
  edComment1->setReadOnly(true);
  QPalette silver = edComment1->palette();
  silver.setColor(QPalette::Base, QColor(192, 192, 192));
  edComment1->setPalette(silver);
  auto* comments = new QGridLayout(pnEditComm);
  comments->setContentsMargins(0, 0, 0, 0);
  comments->addWidget(Named(new QLabel("Comments"), "labComments"), 0, 0, 1, 2);
  comments->addWidget(Named(new QLabel("1:"), "labComment1"), 1, 0);
  comments->addWidget(edComment1, 1, 1);
  comments->addWidget(Named(new QLabel("2:"), "labComment2"), 2, 0);
  comments->addWidget(edComment2, 2, 1);
  comments->addWidget(Named(new QLabel("3:"), "labComment3"), 3, 0);
  comments->addWidget(edComment3, 3, 1);

  bnConvert = Named(new QPushButton("Convert"), "bnConvert");
  bnClose = Named(new QPushButton("Cancel"), "bnClose");
  // Enter in a comment field must neither convert nor close.
  bnConvert->setAutoDefault(false);
  bnClose->setAutoDefault(false);

  Memo1 = Named(new QPlainTextEdit, "Memo1");
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setMinimumHeight(180);
  pbSamplesPerChan = Named(new QProgressBar, "pbSamplesPerChan");
  pbSamplesPerChan->setValue(0);

  auto* file = new QHBoxLayout;
  file->addWidget(Named(new QLabel("Intermediate file"), "labInterFile"));
  file->addWidget(edInterFile, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bnConvert);
  buttons->addWidget(bnClose);
  auto* form = new QVBoxLayout(this);
  form->addWidget(pnRecDone);
  form->addLayout(file);
  form->addWidget(labInfo);
  form->addWidget(pnEditComm);
  form->addLayout(buttons);
  form->addWidget(Memo1);
  form->addWidget(Named(new QLabel("Conversion progress"), "labProgress"));
  form->addWidget(pbSamplesPerChan);
  // A fixed size that follows what is shown: hiding a panel shrinks the window.
  form->setSizeConstraint(QLayout::SetFixedSize);

  connect(bnConvert, &QPushButton::clicked, this, &TfrmConvert::bnConvertClick);
  connect(bnClose, &QPushButton::clicked, this, &TfrmConvert::bnCloseClick);

  EnableCloseCommand(*this, false);
}

void TfrmConvert::PrepareConversion(int channelCount, const QString& fileName,
                                    bool showCommentEditors, const QStringList& headerLines,
                                    double sampleRate) {
  SampleRate = sampleRate;
  FileName = fileName;
  ChannelCount = channelCount;
  Done = false;
  Lines.append(headerLines);

  edInterFile->setText(fileName);
  labInfo->setText(QStringLiteral("Sample rate: %1 Hz - Number of channels: %2")
                       .arg(FormatFixed(sampleRate, 1))
                       .arg(channelCount));
  EnableCloseCommand(*this, false);

  Memo1->clear();
  pbSamplesPerChan->setValue(0);
  ShowEditors = showCommentEditors;
  pnEditComm->setVisible(showCommentEditors);
  QLineEdit* const edits[] = {edComment1, edComment2, edComment3};
  for (int i = 0; i < 3; ++i) SetComment(edits[i], headerLines.value(i));
  layout()->activate();
}

void TfrmConvert::SetRecordingDone(bool done) {
  RecordingDone = done;
  pnRecDone->setVisible(done);
  layout()->activate();
}

void TfrmConvert::ConvertFile() {
  bnConvert->setEnabled(false);
  bnClose->setEnabled(false);
  if (ShowEditors) pnEditComm->setEnabled(false);
  QCoreApplication::processEvents();

  while (Lines.size() < 3) Lines.append(QString());
  if (ShowEditors) {
    Lines[1] = edComment2->text();
    Lines[2] = edComment3->text();
  }
  THourFileConverter converter;
  converter.OnLog = [this](const QString& line) { AddLogLine(line); };
  converter.OnProgress = [this](qint64 done, qint64 total) {
    ShowProgress(done, total);
    QCoreApplication::processEvents();
  };
  if (converter.Convert(FileName, ChannelCount, Lines, SampleRate)) {
    Done = true;
    bnClose->setText("Close");
  }

  bnClose->setEnabled(true);
  if (ShowEditors) pnEditComm->setEnabled(true);
  bnConvert->setEnabled(!(RecordingDone && Done));
}

QString TfrmConvert::GetComment(int index) const {
  if (index == 2) return edComment2->text();
  if (index == 3) return edComment3->text();
  return {};
}

void TfrmConvert::bnCloseClick() {
  if (!Done && !Seams().Dialogs->Confirm("Conversion not yet done. You want to quit anyway?"))
    return;
  Leaving = true;
  done(QDialog::Accepted);
  Leaving = false;
}

void TfrmConvert::closeEvent(QCloseEvent* event) {
  if (Leaving)
    event->accept();
  else
    event->ignore();
}

void TfrmConvert::AddLogLine(const QString& line) {
  Memo1->appendPlainText(line);
}

void TfrmConvert::ShowProgress(qint64 done, qint64 total) {
  // The bar counts in int; files beyond that range are shown in larger steps.
  const qint64 step = total / INT_MAX + 1;
  pbSamplesPerChan->setRange(0, int(std::max<qint64>(total / step, 1)));
  pbSamplesPerChan->setValue(int(done / step));
}
