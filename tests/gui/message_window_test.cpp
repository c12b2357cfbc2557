// The busy notice: its width follows the text, it shows yellow, and it stays
// as it is once the program is shutting down.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

#include "windows/kvmessage.h"

namespace {

class MessageWindow : public ::testing::Test {
protected:
  void SetUp() override { delete frmMessage.data(); }
  void TearDown() override {
    SetMessageWindowShuttingDown(false);
    delete frmMessage.data();
  }

  static int TextWidth(const QString& text) {
    return QFontMetrics(EnsureMessageWindow().lbMsg->font()).horizontalAdvance(text);
  }

  // A text exactly `width` pixels wide in the label's font, made of two letters.
  static QString TextOfWidth(int width) {
    for (QChar a : QStringLiteral("xnoei")) {
      for (QChar b : QStringLiteral("ilt.")) {
        for (int n = 1; n * TextWidth(a) <= width; ++n) {
          QString text(n, a);
          while (TextWidth(text) < width) text += b;
          if (TextWidth(text) == width) return text;
        }
      }
    }
    return {};
  }
};

TEST_F(MessageWindow, Design) {
  TfrmMessage form;
  EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(form.size(), QSize(384, 54));
  EXPECT_EQ(form.lbMsg->geometry(), QRect(0, 0, 384 - 19, 54));
  EXPECT_EQ(form.lbMsg->alignment(), Qt::AlignCenter);
  EXPECT_TRUE(form.lbMsg->wordWrap());
  EXPECT_TRUE(form.lbMsg->autoFillBackground());
  EXPECT_EQ(form.lbMsg->font().pixelSize(), 17);
  EXPECT_EQ(form.lbMsg->palette().color(QPalette::WindowText), QColor(Qt::black));
  EXPECT_EQ(form.lbMsg->palette().color(QPalette::Window), QColor(253, 175, 23));
  EXPECT_EQ(form.pbMsg->font(), form.lbMsg->font());
  EXPECT_TRUE(form.pbMsg->isHidden());
}

TEST_F(MessageWindow, WidthFollowsTheText) {
  const QString wide = TextOfWidth(500);
  ASSERT_FALSE(wide.isEmpty()) << "no text of 500 pixels in this font";
  struct TCase {
    QString Text;
    int Width;
  };
  const std::vector<TCase> cases = {
      {"Check for supported devices", 400},
      {"", 400},
      {wide, 540},
      {TextOfWidth(360), 400},
      {TextOfWidth(361), 401},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text.toStdString());
    ShowMessageWindow(c.Text);
    ASSERT_TRUE(frmMessage);
    EXPECT_EQ(frmMessage->size(), QSize(c.Width, 54));
    EXPECT_EQ(frmMessage->lbMsg->text(), c.Text);
    EXPECT_EQ(frmMessage->lbMsg->width(), c.Width - 19);
  }
}

TEST_F(MessageWindow, ShownYellowAndHidden) {
  ShowMessageWindow("Check for supported devices");
  ASSERT_TRUE(frmMessage);
  EXPECT_TRUE(frmMessage->isVisible());
  EXPECT_EQ(frmMessage->lbMsg->palette().color(QPalette::Window), QColor(Qt::yellow));
  const QImage shot = frmMessage->grab().toImage();
  EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::yellow));
  HideMessageWindow();
  EXPECT_FALSE(frmMessage->isVisible());
}

TEST_F(MessageWindow, NothingChangesWhileShuttingDown) {
  ShowMessageWindow("Check for supported devices");
  ASSERT_TRUE(frmMessage);
  SetMessageWindowShuttingDown(true);
  ShowMessageWindow(TextOfWidth(500));
  EXPECT_EQ(frmMessage->lbMsg->text(), "Check for supported devices");
  EXPECT_EQ(frmMessage->width(), 400);
  HideMessageWindow();
  EXPECT_TRUE(frmMessage->isVisible());
}

TEST_F(MessageWindow, NoWindowIsMadeWhileShuttingDown) {
  SetMessageWindowShuttingDown(true);
  ShowMessageWindow("Check for supported devices");
  HideMessageWindow();
  EXPECT_FALSE(frmMessage);
}

}  // namespace
