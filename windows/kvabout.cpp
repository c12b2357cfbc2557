#include "windows/kvabout.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>
#include <cmath>

#include "files/data_file.h"
#include "platform/seams.h"
#include "support/kvutil.h"
#include "windows/identity.h"
#include "windows/os_description.h"
#include "windows/ui_font.h"

#ifdef Q_OS_WIN
#include <QOperatingSystemVersion>
#endif

namespace {

constexpr int ClientWidth = 545;
constexpr int ClientHeight = 328;
const QString CreditText = QStringLiteral("Built with Qt");
const QString CreditUrl = QStringLiteral("https://www.qt.io");

QFont AboutFont(int pointSize) {
  QFont font = FontOrDefault(QStringLiteral("Arial"));
  font.setPointSize(pointSize);
  return font;
}

QFont MakerFont() {
  QFont font = QFontDatabase::hasFamily(QStringLiteral("Times New Roman"))
                   ? QFont(QStringLiteral("Times New Roman"))
                   : QFont(QStringLiteral("serif"));
  font.setStyleHint(QFont::Serif);
  font.setPointSize(20);
  font.setBold(true);
  return font;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QRect& geometry) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  return label;
}

QStringList SystemLines() {
#ifdef Q_OS_WIN
  // Qt reports the true version; the service pack and edition need the
  // extended query, which it does not offer.
  const QOperatingSystemVersion os = QOperatingSystemVersion::current();
  TWindowsVersionInfo info;
  info.Major = os.majorVersion();
  info.Minor = os.minorVersion();
  info.Build = os.microVersion();
  return WindowsDescriptionLines(info);
#else
  return SystemDescriptionLines();
#endif
}

}  // namespace

QPixmap AboutLogo() {
  QPixmap pixmap(197, 114);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  const QColor green(30, 110, 60);
  p.setPen(QPen(green, 2));
  p.setBrush(QColor(236, 246, 238));
  p.drawRoundedRect(QRectF(1, 1, 195, 112), 10, 10);

  // A recording trace: a quiet stretch, a burst of fast waves, a drop to a
  // low plateau with slow waves, and back.
  QPainterPath trace;
  const double base = 86;
  trace.moveTo(12, base);
  for (int x = 12; x <= 185; ++x) {
    double y = base;
    if (x >= 40 && x < 80)
      y = base - 10 * std::sin((x - 40) * 0.8);
    else if (x >= 80 && x < 90)
      y = base + (x - 80) * 1.6;
    else if (x >= 90 && x < 150)
      y = base + 16 + 4 * std::sin((x - 90) * 0.25);
    else if (x >= 150 && x < 160)
      y = base + 16 - (x - 150) * 1.6;
    trace.lineTo(x, y);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(200, 40, 40), 2));
  p.drawPath(trace);

  QFont font = AboutFont(22);
  font.setBold(true);
  p.setFont(font);
  p.setPen(green);
  p.drawText(QRect(0, 10, 197, 50), Qt::AlignCenter, ProgramName());
  return pixmap;
}

TfrmNewAbout::TfrmNewAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmNewAbout"));
  setWindowTitle(QStringLiteral("About ...."));
  setFixedSize(ClientWidth, ClientHeight);
  setFont(AboutFont(10));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);

  imgLogo = NewLabel(this, "imgLogo", QRect(6, 8, 197, 114));
  imgLogo->setAlignment(Qt::AlignCenter);
  imgLogo->setPixmap(AboutLogo());

  labMaker = NewLabel(this, "labMaker", QRect(210, 8, 331, 34));
  labMaker->setFont(MakerFont());
  labMaker->setText(QStringLiteral("EPG Systems"));

  labProdName = NewLabel(this, "labProdName", QRect(210, 46, 331, 22));
  labProdName->setFont(AboutFont(12));
  labProdName->setTextFormat(Qt::RichText);
  labProdName->setText(QStringLiteral("<b>Tavrin<sup>+</sup>d</b>"));

  labProdDesc = NewLabel(this, "labProdDesc", QRect(210, 70, 331, 36));
  labProdDesc->setWordWrap(true);
  labVersion = NewLabel(this, "labVersion", QRect(210, 106, 331, 18));

  labAppDataPath = NewLabel(this, "labAppDataPath", QRect(8, 134, 529, 16));
  labMeasDataPath = NewLabel(this, "labMeasDataPath", QRect(8, 152, 529, 16));
  labAppDataPath->setFont(AboutFont(8));
  labMeasDataPath->setFont(AboutFont(8));

  Shape1 = new QFrame(this);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(8, 178, 529, 3);
  QPalette black = Shape1->palette();
  black.setColor(QPalette::Window, Qt::black);
  Shape1->setPalette(black);
  Shape1->setAutoFillBackground(true);

  labWinInfo1 = NewLabel(this, "labWinInfo1", QRect(8, 190, 529, 18));
  labWinInfo2 = NewLabel(this, "labWinInfo2", QRect(8, 210, 529, 18));

  labCopyrite = NewLabel(this, "labCopyrite", QRect(8, 270, 420, 18));

  bnOK = new QPushButton(QStringLiteral("OK"), this);
  bnOK->setObjectName(QStringLiteral("bnOK"));
  bnOK->setGeometry(452, 264, 85, 28);
  bnOK->setDefault(true);
  connect(bnOK, &QPushButton::clicked, this, &TfrmNewAbout::bnOKClick);

  labCredit = new QLabel(this);
  labCredit->setObjectName(QStringLiteral("labCredit"));
  QFont creditFont = font();
  creditFont.setBold(true);
  labCredit->setFont(creditFont);
  labCredit->setTextFormat(Qt::RichText);
  labCredit->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff; "
                                    "text-decoration:underline;\">%2</a>")
                         .arg(CreditUrl, CreditText));
  labCredit->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  labCredit->setAlignment(Qt::AlignCenter);
  QPalette grey = labCredit->palette();
  grey.setColor(QPalette::Window, QColor(220, 220, 220));
  labCredit->setPalette(grey);
  labCredit->setAutoFillBackground(true);
  const int creditWidth = QFontMetrics(creditFont).horizontalAdvance(CreditText) + 24;
  labCredit->setGeometry((ClientWidth - creditWidth) / 2, ClientHeight - 24, creditWidth, 20);
  connect(labCredit, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });

  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfrmNewAbout::FillAboutTexts() {
  labProdDesc->setText(ProgramDescription());
  labVersion->setText(QStringLiteral("Version: v") + ProgramVersion() + QStringLiteral(" (") +
                      ProgramDate() + QStringLiteral(") /B") +
                      QString::number(GetFileBuildNumber()));
  labMeasDataPath->setText(QStringLiteral("Default measurement data path: ") + GetDataDirectory());
  labAppDataPath->setText(QStringLiteral("Application data path: ") +
                          QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) +
                          QDir::separator());
  const QStringList lines = SystemLines();
  labWinInfo1->setText(lines.value(0));
  labWinInfo2->setText(lines.value(1));
  labCopyrite->setText(NoticeText());
}

void TfrmNewAbout::FormKeyDown(QKeyEvent* /*event*/) {
  done(QDialog::Accepted);
}

void TfrmNewAbout::bnOKClick() {
  done(QDialog::Accepted);
}

bool TfrmNewAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    FormKeyDown(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void ShowAbout() {
  TfrmNewAbout form;
  form.FillAboutTexts();
  Seams().Dialogs->RunModal(form);
}
