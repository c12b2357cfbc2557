// The polarity signs the status bar shows.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>

#include "windows/kvdesign.h"

namespace {

bool Inked(const QImage& image, int x, int y) {
  return image.pixelColor(x, y).alpha() > 128;
}

TEST(PictureContainer, NeverShownAndHoldsBothSigns) {
  TfrmDesign& form = EnsureDesignWindow();
  EXPECT_EQ(form.windowTitle(), "Container - never visible");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.imgPlusMinus->size(), QSize(11, 16));
  EXPECT_EQ(form.imgMinusPlus->size(), QSize(11, 16));
  EXPECT_EQ(form.InversionGlyph(false).toImage(), form.imgPlusMinus->pixmap().toImage());
  EXPECT_EQ(form.InversionGlyph(true).toImage(), form.imgMinusPlus->pixmap().toImage());
}

TEST(PictureContainer, SignsAreWhereTheyBelong) {
  const QImage plusMinus = EnsureDesignWindow().InversionGlyph(false).toImage();
  const QImage minusPlus = EnsureDesignWindow().InversionGlyph(true).toImage();
  ASSERT_EQ(plusMinus.size(), QSize(11, 16));
  ASSERT_EQ(minusPlus.size(), QSize(11, 16));
  EXPECT_NE(plusMinus, minusPlus);
  // The plus's vertical bar, away from the bars both signs share.
  EXPECT_TRUE(Inked(plusMinus, 5, 2));
  EXPECT_FALSE(Inked(plusMinus, 5, 13));
  EXPECT_FALSE(Inked(minusPlus, 5, 2));
  EXPECT_TRUE(Inked(minusPlus, 5, 13));
  // Both halves carry a horizontal bar; the corners stay clear.
  for (const QImage* glyph : {&plusMinus, &minusPlus}) {
    EXPECT_TRUE(Inked(*glyph, 3, 4));
    EXPECT_TRUE(Inked(*glyph, 3, 11));
    EXPECT_FALSE(Inked(*glyph, 0, 0));
    EXPECT_FALSE(Inked(*glyph, 10, 15));
  }
}

}  // namespace
