#include "main/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>
#include <numbers>

namespace ostrivo::glyphs {

namespace {

// Outlines sit on half pixels of the 16 x 16 grid so that they stay one sharp pixel wide.
const QColor kInk(36, 36, 44);
const QColor kPaper(255, 255, 255);
const QColor kPaperFold(206, 210, 218);
const QColor kFolder(244, 200, 72);
const QColor kFolderBack(204, 150, 40);
const QColor kGreen(34, 150, 52);
const QColor kGreenDark(18, 96, 30);
const QColor kRed(214, 44, 44);
const QColor kRedDark(140, 20, 20);
const QColor kBlue(44, 96, 206);
const QColor kSteel(156, 160, 172);
const QColor kSand(232, 178, 56);
const QColor kGlass(222, 236, 255);
const QColor kWood(170, 104, 48);

QPen InkPen(const QColor& color = kInk) {
  QPen pen(color, 1.0);
  pen.setJoinStyle(Qt::MiterJoin);
  pen.setCapStyle(Qt::SquareCap);
  return pen;
}

void Shape(QPainter& p, const QPolygonF& polygon, const QColor& fill,
           const QColor& outline = kInk) {
  p.setPen(InkPen(outline));
  p.setBrush(fill);
  p.drawPolygon(polygon);
}

void Page(QPainter& p, qreal l, qreal t, qreal r, qreal b, qreal fold) {
  Shape(p, QPolygonF({{l, t}, {r - fold, t}, {r, t + fold}, {r, b}, {l, b}}), kPaper);
  Shape(p, QPolygonF({{r - fold, t}, {r - fold, t + fold}, {r, t + fold}}), kPaperFold);
}

void FolderBack(QPainter& p, qreal right) {
  Shape(p,
        QPolygonF({{1.5, 3.5}, {5.5, 3.5}, {6.5, 4.5}, {right, 4.5}, {right, 13.5}, {1.5, 13.5}}),
        kFolderBack);
}

void ClosedFolder(QPainter& p) {
  FolderBack(p, 13.5);
  Shape(p, QPolygonF({{1.5, 6.5}, {13.5, 6.5}, {13.5, 13.5}, {1.5, 13.5}}), kFolder);
}

// A bold plus or minus in the lower right corner, with a white rim so that it reads over
// whatever lies below it.
void Badge(QPainter& p, bool plus) {
  const QColor fill = plus ? kGreen : kRed;
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(8, 10, 8, 4));
  if (plus) p.drawRect(QRectF(10, 8, 4, 8));
  p.setBrush(fill);
  p.drawRect(QRectF(9, 11, 6, 2));
  if (plus) p.drawRect(QRectF(11, 9, 2, 6));
}

void DrawNew(QPainter& p) {
  Page(p, 4.5, 1.5, 13.5, 14.5, 3);
  // A spark at the corner: the page is new.
  QPolygonF spark;
  for (int i = 0; i < 8; ++i) {
    const double a = i * std::numbers::pi / 4;
    const double r = i % 2 ? 1.2 : 3.6;
    spark << QPointF(4 + r * std::cos(a), 4 + r * std::sin(a));
  }
  Shape(p, spark, kSand, QColor(150, 100, 10));
}

void DrawOpen(QPainter& p) {
  FolderBack(p, 12.5);
  Shape(p, QPolygonF({{4.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}, {1.5, 13.5}}), kFolder);
}

void DrawSave(QPainter& p) {
  Shape(p, QPolygonF({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}), kBlue);
  p.setPen(InkPen());
  p.setBrush(kPaper);
  p.drawRect(QRectF(3.5, 1.5, 8, 5));
  p.setBrush(QColor(214, 216, 224));
  p.drawRect(QRectF(4.5, 9.5, 7, 5));
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawRect(QRectF(9, 10, 1.5, 3.5));
}

void DrawFolderBadge(QPainter& p, bool plus) {
  ClosedFolder(p);
  Badge(p, plus);
}

void DrawPageBadge(QPainter& p, bool plus) {
  Page(p, 2.5, 0.5, 11.5, 13.5, 3);
  p.setPen(InkPen(QColor(150, 156, 170)));
  for (qreal y : {5.5, 7.5, 9.5}) p.drawLine(QPointF(4.5, y), QPointF(9.5, y));
  Badge(p, plus);
}

void DrawHourglass(QPainter& p) {
  Shape(p, QPolygonF({{4.5, 3.5}, {11.5, 3.5}, {8.5, 8}, {11.5, 12.5}, {4.5, 12.5}, {7.5, 8}}),
        kGlass);
  p.setPen(Qt::NoPen);
  p.setBrush(kSand);
  p.drawPolygon(QPolygonF({{5.5, 12}, {10.5, 12}, {8, 9.5}}));
  p.drawPolygon(QPolygonF({{6, 4.5}, {10, 4.5}, {8, 7}}));
  p.setPen(InkPen());
  p.setBrush(kWood);
  p.drawRect(QRectF(2.5, 1.5, 11, 2));
  p.drawRect(QRectF(2.5, 12.5, 11, 2));
}

void DrawStopSign(QPainter& p) {
  QPolygonF octagon;
  for (int i = 0; i < 8; ++i) {
    const double a = (22.5 + 45.0 * i) * std::numbers::pi / 180.0;
    octagon << QPointF(8 + 7 * std::cos(a), 8 + 7 * std::sin(a));
  }
  Shape(p, octagon, kRed, kRedDark);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4, 7, 8, 2));
}

void DrawExit(QPainter& p) {
  p.setPen(InkPen());
  p.setBrush(QColor(236, 232, 222));
  p.drawRect(QRectF(1.5, 1.5, 8, 13));
  Shape(p, QPolygonF({{1.5, 1.5}, {6.5, 3.5}, {6.5, 15.5}, {1.5, 14.5}}), kWood);
  p.setPen(Qt::NoPen);
  p.setBrush(kSand);
  p.drawRect(QRectF(4.5, 8, 1, 1.5));
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygonF({{7, 6}, {10, 6}, {10, 3}, {16, 8}, {10, 13}, {10, 10}, {7, 10}}));
  p.setBrush(kGreen);
  p.drawPolygon(QPolygonF({{8, 7}, {11, 7}, {11, 5.2}, {14.4, 8}, {11, 10.8}, {11, 9}, {8, 9}}));
}

void DrawArrow(QPainter& p, bool down) {
  QPolygonF arrow(
      {{5.5, 1.5}, {10.5, 1.5}, {10.5, 7.5}, {13.5, 7.5}, {8, 13.5}, {2.5, 7.5}, {5.5, 7.5}});
  if (!down)
    for (QPointF& pt : arrow) pt.setY(16 - pt.y());
  Shape(p, arrow, kBlue);
}

void DrawDie(QPainter& p) {
  p.setPen(InkPen());
  p.setBrush(kPaper);
  p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  for (QPointF c : {QPointF(4.8, 4.8), QPointF(11.2, 4.8), QPointF(8, 8), QPointF(4.8, 11.2),
                    QPointF(11.2, 11.2)})
    p.drawEllipse(c, 1.45, 1.45);
}

void DrawSort(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawRect(QRectF(3, 1, 2, 10));
  p.drawPolygon(QPolygonF({{0.5, 10}, {7.5, 10}, {4, 14.5}}));
  p.setBrush(kInk);
  p.drawRect(QRectF(9, 2, 3, 2));
  p.drawRect(QRectF(9, 6, 5, 2));
  p.drawRect(QRectF(9, 10, 7, 2));
}

void DrawPlay(QPainter& p) {
  Shape(p, QPolygonF({{4.5, 2.5}, {12.5, 8}, {4.5, 13.5}}), kGreen, kGreenDark);
}

void DrawPause(QPainter& p) {
  p.setPen(InkPen());
  p.setBrush(kBlue);
  p.drawRect(QRectF(3.5, 2.5, 3, 11));
  p.drawRect(QRectF(9.5, 2.5, 3, 11));
}

void DrawStop(QPainter& p) {
  p.setPen(InkPen(kRedDark));
  p.setBrush(kRed);
  p.drawRect(QRectF(3.5, 3.5, 9, 9));
}

void DrawStep(QPainter& p, bool next) {
  QPolygonF bar({{1.5, 3.5}, {3.5, 3.5}, {3.5, 12.5}, {1.5, 12.5}});
  QPolygonF first({{8.5, 3.5}, {4, 8}, {8.5, 12.5}});
  QPolygonF second({{13.5, 3.5}, {9, 8}, {13.5, 12.5}});
  if (next)
    for (QPolygonF* poly : {&bar, &first, &second})
      for (QPointF& pt : *poly) pt.setX(16 - pt.x());
  Shape(p, second, kBlue);
  Shape(p, first, kBlue);
  Shape(p, bar, kBlue);
}

void DrawStopwatch(QPainter& p) {
  p.setPen(InkPen());
  p.setBrush(kSteel);
  p.drawRect(QRectF(6.5, 0.5, 3, 2));
  p.setBrush(kPaper);
  p.drawEllipse(QPointF(8, 9), 6, 6);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 190, 250));
  p.drawPie(QRectF(3, 4, 10, 10), 90 * 16, -120 * 16);
  p.setPen(InkPen());
  p.drawLine(QPointF(8, 9), QPointF(8, 4.5));
  p.drawLine(QPointF(8, 9), QPointF(11.5, 11));
}

void DrawGear(QPainter& p) {
  QPainterPath gear;
  const int teeth = 8;
  for (int i = 0; i < teeth * 4; ++i) {
    // Each tooth: rise, top, fall, gap.
    const double a = (i * 360.0 / (teeth * 4) - 6) * std::numbers::pi / 180.0;
    const double r = (i % 4 == 1 || i % 4 == 2) ? 7.3 : 5.0;
    const QPointF pt(8 + r * std::cos(a), 8 + r * std::sin(a));
    if (i == 0)
      gear.moveTo(pt);
    else
      gear.lineTo(pt);
  }
  gear.closeSubpath();
  gear.addEllipse(QPointF(8, 8), 2.2, 2.2);
  gear.setFillRule(Qt::OddEvenFill);
  p.setPen(InkPen());
  p.setBrush(kSteel);
  p.drawPath(gear);
}

void DrawShell(QPainter& p) {
  p.setPen(InkPen());
  p.setBrush(kPaper);
  p.drawRect(QRectF(0.5, 1.5, 12, 10));
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawRect(QRectF(1, 2, 11, 2.5));
  Badge(p, true);
}

}  // namespace

QImage Render(Glyph glyph, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(size / 16.0, size / 16.0);
  switch (glyph) {
    case Glyph::New:
      DrawNew(p);
      break;
    case Glyph::Open:
      DrawOpen(p);
      break;
    case Glyph::Save:
      DrawSave(p);
      break;
    case Glyph::AddDir:
      DrawFolderBadge(p, true);
      break;
    case Glyph::RemoveDir:
      DrawFolderBadge(p, false);
      break;
    case Glyph::Add:
      DrawPageBadge(p, true);
      break;
    case Glyph::Remove:
      DrawPageBadge(p, false);
      break;
    case Glyph::InsPause:
      DrawHourglass(p);
      break;
    case Glyph::InsStop:
      DrawStopSign(p);
      break;
    case Glyph::InsQuit:
      DrawExit(p);
      break;
    case Glyph::Down:
      DrawArrow(p, true);
      break;
    case Glyph::Up:
      DrawArrow(p, false);
      break;
    case Glyph::Randomize:
      DrawDie(p);
      break;
    case Glyph::Sort:
      DrawSort(p);
      break;
    case Glyph::Play:
      DrawPlay(p);
      break;
    case Glyph::Pause:
      DrawPause(p);
      break;
    case Glyph::Stop:
      DrawStop(p);
      break;
    case Glyph::Previous:
      DrawStep(p, false);
      break;
    case Glyph::Next:
      DrawStep(p, true);
      break;
    case Glyph::Length:
      DrawStopwatch(p);
      break;
    case Glyph::Options:
      DrawGear(p);
      break;
    case Glyph::Shell:
      DrawShell(p);
      break;
  }
  return image;
}

QImage Engraved(const QImage& glyph) {
  const QImage src = glyph.convertToFormat(QImage::Format_ARGB32);
  const int w = src.width();
  const int h = src.height();
  const int offset = std::max(1, w / 16);
  QImage out(w, h, QImage::Format_ARGB32);
  out.fill(Qt::transparent);
  auto dark = [&](int x, int y) {
    const QRgb c = src.pixel(x, y);
    return qAlpha(c) >= 128 && qGray(c) < 170;
  };
  const QRgb highlight = qRgba(255, 255, 255, 255);
  const QRgb shadow = qRgba(128, 128, 128, 255);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (dark(x, y) && x + offset < w && y + offset < h)
        out.setPixel(x + offset, y + offset, highlight);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (dark(x, y)) out.setPixel(x, y, shadow);
  return out;
}

QIcon Icon(Glyph glyph) {
  QIcon icon;
  for (int size : {16, 32}) icon.addPixmap(QPixmap::fromImage(Render(glyph, size)));
  return icon;
}

QIcon DisabledIcon(Glyph glyph) {
  QIcon icon;
  for (int size : {16, 32}) icon.addPixmap(QPixmap::fromImage(Engraved(Render(glyph, size))));
  return icon;
}

}  // namespace ostrivo::glyphs
