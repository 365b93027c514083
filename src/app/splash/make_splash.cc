// Draws the splash artwork, splash.jpg beside this file: an island at sunset under the
// program's name. A tool, not part of the program (the .cc suffix keeps it out of the build);
// to draw the picture again:
//   g++ -std=c++20 -fPIC make_splash.cc $(pkg-config --cflags --libs Qt6Gui) -o make_splash
//   QT_QPA_PLATFORM=offscreen ./make_splash splash.jpg
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kHorizon = 156;

void Sky(QPainter& p) {
  QLinearGradient sky(0, 0, 0, kHorizon);
  sky.setColorAt(0.0, QColor(18, 22, 62));
  sky.setColorAt(0.45, QColor(78, 48, 112));
  sky.setColorAt(0.8, QColor(214, 98, 92));
  sky.setColorAt(1.0, QColor(250, 170, 90));
  p.fillRect(0, 0, kWidth, kHorizon, sky);

  // A few stars, brighter higher up.
  const QPoint stars[] = {{170, 14}, {204, 30}, {262, 12}, {298, 40}, {140, 36},
                          {236, 52}, {286, 70}, {188, 60}, {120, 10}, {310, 20}};
  for (int i = 0; i < 10; ++i) {
    const QPoint s = stars[i];
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 235, 230 - s.y() * 2));
    p.drawEllipse(QPointF(s), i % 3 == 0 ? 1.3 : 0.8, i % 3 == 0 ? 1.3 : 0.8);
  }
}

void Sun(QPainter& p) {
  p.save();
  p.setClipRect(0, 0, kWidth, kHorizon);
  QRadialGradient glow(QPointF(238, kHorizon), 90);
  glow.setColorAt(0.0, QColor(255, 236, 160, 170));
  glow.setColorAt(1.0, QColor(255, 200, 120, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(QPointF(238, kHorizon), 90, 90);
  QRadialGradient disc(QPointF(238, kHorizon - 12), 34);
  disc.setColorAt(0.0, QColor(255, 248, 200));
  disc.setColorAt(1.0, QColor(255, 170, 70));
  p.setBrush(disc);
  p.drawEllipse(QPointF(238, kHorizon + 4), 32, 32);
  p.restore();
}

void Sea(QPainter& p) {
  QLinearGradient sea(0, kHorizon, 0, kHeight);
  sea.setColorAt(0.0, QColor(40, 92, 128));
  sea.setColorAt(1.0, QColor(8, 24, 44));
  p.fillRect(0, kHorizon, kWidth, kHeight - kHorizon, sea);
  // The sun's path on the water: short strokes narrowing toward the viewer.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 9; ++i) {
    const int y = kHorizon + 4 + i * 8;
    const int half = 30 - i * 3;
    const int shift = (i % 2) ? 5 : -4;
    p.setBrush(QColor(255, 214, 140, 200 - i * 18));
    p.drawRoundedRect(QRectF(238 - half + shift, y, 2 * half, 2.2), 1, 1);
  }
}

void Island(QPainter& p) {
  const QColor shade(14, 16, 30);
  QPainterPath hill;
  hill.moveTo(22, kHorizon + 1);
  hill.cubicTo(50, kHorizon - 18, 96, kHorizon - 30, 128, kHorizon - 12);
  hill.cubicTo(140, kHorizon - 6, 152, kHorizon - 2, 166, kHorizon + 1);
  hill.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(shade);
  p.drawPath(hill);

  // A palm: a leaning trunk and a crown of drooping fronds.
  QPainterPath trunk;
  trunk.moveTo(88, kHorizon - 26);
  trunk.cubicTo(91, kHorizon - 42, 98, kHorizon - 56, 110, kHorizon - 66);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(shade, 4, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(trunk);
  const QPointF top(110, kHorizon - 66);
  const QPointF tips[] = {{80, -50}, {88, -72}, {114, -84}, {138, -74}, {144, -48}, {124, -44}};
  p.setPen(QPen(shade, 3.2, Qt::SolidLine, Qt::RoundCap));
  for (const QPointF& t : tips) {
    const QPointF tip(t.x(), kHorizon + t.y());
    const QPointF mid((top.x() + tip.x()) / 2, std::min(top.y(), tip.y()) - 10);
    QPainterPath frond;
    frond.moveTo(top);
    frond.quadTo(mid, tip);
    p.drawPath(frond);
  }
}

void Titles(QPainter& p) {
  QFont title(QStringLiteral("DejaVu Serif"));
  title.setPixelSize(46);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(0, 0, 0, 110));
  p.drawText(QPointF(22, 62), QStringLiteral("Ostrivo"));
  p.setPen(QColor(255, 246, 228));
  p.drawText(QPointF(20, 60), QStringLiteral("Ostrivo"));

  QFont sub(QStringLiteral("DejaVu Sans"));
  sub.setPixelSize(13);
  p.setFont(sub);
  p.setPen(QColor(236, 222, 255));
  p.drawText(QPointF(23, 82), QStringLiteral("play-list player"));

  QFont version(QStringLiteral("DejaVu Sans"));
  version.setPixelSize(11);
  version.setBold(true);
  p.setFont(version);
  const QRectF tag(136, 71, 30, 15);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 170, 90));
  p.drawRoundedRect(tag, 4, 4);
  p.setPen(QColor(30, 24, 60));
  p.drawText(tag, Qt::AlignCenter, QStringLiteral("1.0"));

  QFont foot(QStringLiteral("DejaVu Sans"));
  foot.setPixelSize(10);
  p.setFont(foot);
  p.setPen(QColor(220, 236, 250, 190));
  p.drawText(QRectF(0, kHeight - 20, kWidth - 12, 14), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("sound \u00b7 video \u00b7 pictures"));
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_splash OUTPUT.jpg\n");
    return 2;
  }
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  Sky(p);
  Sun(p);
  Sea(p);
  Island(p);
  Titles(p);
  p.end();
  return image.save(QString::fromLocal8Bit(argv[1]), "JPEG", 90) ? 0 : 1;
}
