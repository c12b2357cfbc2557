#include "windows/kvdesign.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>

QPointer<TfrmDesign> frmDesign;

namespace {

constexpr int GlyphWidth = 11;
constexpr int GlyphHeight = 16;

// One sign, 7 x 7, in the half that starts at row top.
void DrawSign(QPainter& painter, int top, bool plus) {
  painter.fillRect(2, top + 3, 7, 1, Qt::black);
  if (plus) painter.fillRect(5, top, 1, 7, Qt::black);
}

QLabel* GlyphLabel(QWidget* parent, const char* name, bool plusOnTop) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setPixmap(PolarityGlyph(plusOnTop));
  label->adjustSize();
  return label;
}

}  // namespace

QPixmap PolarityGlyph(bool plusOnTop) {
  QPixmap pixmap(GlyphWidth, GlyphHeight);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  DrawSign(painter, 1, plusOnTop);
  DrawSign(painter, 8, !plusOnTop);
  return pixmap;
}

TfrmDesign::TfrmDesign(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmDesign"));
  setWindowTitle(QStringLiteral("Container - never visible"));
  imgPlusMinus = GlyphLabel(this, "imgPlusMinus", true);
  imgMinusPlus = GlyphLabel(this, "imgMinusPlus", false);
  imgMinusPlus->move(imgPlusMinus->width() + 4, 0);
}

QPixmap TfrmDesign::InversionGlyph(bool inverted) const {
  return (inverted ? imgMinusPlus : imgPlusMinus)->pixmap();
}

TfrmDesign& EnsureDesignWindow() {
  if (!frmDesign) {
    frmDesign = new TfrmDesign();
    if (auto* app = QCoreApplication::instance())
      QObject::connect(app, &QCoreApplication::aboutToQuit, frmDesign.data(),
                       &QObject::deleteLater);
  }
  return *frmDesign;
}
