#include "windows/kvmessage.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>

#include "windows/ui_font.h"

QPointer<TfrmMessage> frmMessage;

namespace {

constexpr int DesignWidth = 384;
constexpr int DesignHeight = 54;
constexpr int MeasureBoxWidth = 19;
constexpr int MinimumWidth = 400;
constexpr int TextMargin = 40;
const QColor DesignColour(253, 175, 23);

bool ShuttingDownFlag = false;

bool ShuttingDown() {
  return ShuttingDownFlag || QCoreApplication::closingDown();
}

void SetBackground(QLabel& label, const QColor& colour) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::Window, colour);
  label.setPalette(palette);
}

}  // namespace

TfrmMessage::TfrmMessage(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("frmMessage"));
  setWindowTitle(QStringLiteral("Message"));
  QFont formFont = FontOrDefault(QStringLiteral("Segoe UI"));
  formFont.setPointSize(8);
  setFont(formFont);

  lbMsg = new QLabel(this);
  lbMsg->setObjectName(QStringLiteral("lbMsg"));
  lbMsg->setAlignment(Qt::AlignCenter);
  lbMsg->setWordWrap(true);
  lbMsg->setAutoFillBackground(true);
  QFont msgFont = FontOrDefault(QStringLiteral("Segoe UI"));
  msgFont.setPixelSize(17);
  lbMsg->setFont(msgFont);
  QPalette palette = lbMsg->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  lbMsg->setPalette(palette);
  SetBackground(*lbMsg, DesignColour);

  pbMsg = new QWidget(this);
  pbMsg->setObjectName(QStringLiteral("pbMsg"));
  pbMsg->hide();

  SetClientWidth(DesignWidth);
  FormCreate();
}

void TfrmMessage::FormCreate() {
  pbMsg->setFont(lbMsg->font());
}

void TfrmMessage::SetMessageText(const QString& text) {
  const int textWidth = pbMsg->fontMetrics().horizontalAdvance(text);
  SetClientWidth(std::max(MinimumWidth, textWidth + TextMargin));
  lbMsg->setText(text);
}

void TfrmMessage::SetClientWidth(int width) {
  resize(width, DesignHeight);
  lbMsg->setGeometry(0, 0, width - MeasureBoxWidth, DesignHeight);
  pbMsg->setGeometry(width - MeasureBoxWidth, 0, MeasureBoxWidth, DesignHeight);
}

TfrmMessage& EnsureMessageWindow() {
  if (!frmMessage) {
    frmMessage = new TfrmMessage();
    if (auto* app = QCoreApplication::instance()) {
      static bool watching = false;
      if (!watching) {
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { ShuttingDownFlag = true; });
        watching = true;
      }
      QObject::connect(app, &QCoreApplication::aboutToQuit, frmMessage.data(),
                       &QObject::deleteLater);
    }
  }
  return *frmMessage;
}

void ShowMessageWindow(const QString& text) {
  if (ShuttingDown()) return;
  TfrmMessage& form = EnsureMessageWindow();
  SetBackground(*form.lbMsg, Qt::yellow);
  form.SetMessageText(text);
  // The width follows the text: centre again for every text.
  if (const QScreen* screen = form.screen()) {
    QRect frame = form.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    form.move(frame.topLeft());
  }
  form.show();
  form.raise();
  // Painted now: the caller's long work lets no messages run.
  form.repaint();
}

void HideMessageWindow() {
  if (ShuttingDown()) return;
  if (frmMessage) frmMessage->hide();
}

void SetMessageWindowShuttingDown(bool shuttingDown) {
  ShuttingDownFlag = shuttingDown;
}
