// What the screen shows of a picture drawn at another size than its own: compared with
// ImageMagick's smoothing resize of the same file, for Fit, Stretch and neither option.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cmath>

#include "PictureFiles.h"
#include "ShowFixture.h"

namespace ostrivo::test {
namespace {

// A photograph's smooth shading with what nearest-pixel scaling breaks up: fine stripes,
// a checkerboard and hard round edges.
QImage Detailed(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int r = x * 200 / w + 20, g = y * 200 / h + 20, b = 120;
      if (x < w / 2 && y < h / 2) {
        const int s = (x + y) % 3 == 0 ? 60 : -30;  // diagonal stripes
        r += s;
        g += s;
        b += s;
      } else if (x >= w / 2 && y < h / 2) {
        const int cell = std::max(w / 40, 1);
        if ((x / cell + y / cell) % 2) r = g = b = 235;  // a checkerboard
      } else {
        const int dx = x - w / 2, dy = y - 3 * h / 4;
        if (dx * dx + dy * dy < (h / 5) * (h / 5)) r = g = b = 15;  // a dark disc
      }
      image.setPixel(x, y,
                     qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255)));
    }
  return image;
}

double Psnr(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) sum += d * d;
    }
  const double mse = sum / (3.0 * a.width() * a.height());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

class Smooth : public Show {
 protected:
  void SetUp() override {
    Show::SetUp();
    convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  }

  // Shows a picture in a 640 x 480 window and compares the part of the screenshot the picture
  // covers with ImageMagick's triangle (bilinear) resize of the same file to that size.
  double Compare(const QImage& source, const QString& name, const QString& keys = {}) {
    const QString path = files.Write(name + ".jpg", EncodeJpeg(source, 95));
    ShowIn(640, 480, path.toLocal8Bit());
    for (QChar key : keys) QTest::keyClick(&W(), key.toLatin1());
    const QRect placed = Placed();
    const QImage shot = W().grab().toImage().convertToFormat(QImage::Format_RGB32).copy(placed);
    const QString ref = files.File(name + "-reference.png");
    const QString size = QStringLiteral("%1x%2!").arg(placed.width()).arg(placed.height());
    EXPECT_EQ(QProcess::execute(convert, {path, "-filter", "Triangle", "-resize", size, ref}), 0);
    const QImage reference = QImage(ref).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(reference.size(), shot.size());
    if (qEnvironmentVariableIsSet("OSTRIVO_SHOT_DIR")) {
      const QString dir = qEnvironmentVariable("OSTRIVO_SHOT_DIR");
      W().grab().save(dir + "/smooth-" + name + ".png");
      reference.save(dir + "/smooth-" + name + "-reference.png");
    }
    if (reference.size() != shot.size()) return 0;
    const double psnr = Psnr(shot, reference);
    RecordProperty(name.toStdString() + "_psnr", std::to_string(psnr));
    return psnr;
  }

  QString convert;
};

TEST_F(Smooth, AFittedPictureIsDrawnAsASmoothingResizeDrawsIt) {
  O().FitBox->setChecked(true);
  // 1500 x 1000 fitted to 640 x 426, decoded at half and averaged down from there.
  EXPECT_GE(Compare(Detailed(1500, 1000), "fit"), 35.0);
  EXPECT_EQ(Placed(), QRect(0, 27, 640, 426));
}

TEST_F(Smooth, AStretchedPictureIsDrawnAsASmoothingResizeDrawsIt) {
  O().StretchBox->setChecked(true);
  // 160 x 100 stretched to 640 x 400: four times larger, bilinear.
  EXPECT_GE(Compare(Detailed(160, 100), "stretch"), 40.0);
  EXPECT_EQ(Placed(), QRect(0, 40, 640, 400));
}

TEST_F(Smooth, APictureZoomedOutToAQuarterIsAveragedDown) {
  // 1200 x 800 decoded whole at its natural size, then "-" twice: shown at 300 x 200.
  EXPECT_GE(Compare(Detailed(1200, 800), "quarter", "--"), 32.0);
  EXPECT_EQ(Placed(), QRect(170, 140, 300, 200));
  EXPECT_EQ(I().Picture().size(), QSize(1200, 800));
}

TEST_F(Smooth, APictureAtItsNaturalSizeIsDrawnPixelForPixel) {
  EXPECT_GE(Compare(Detailed(300, 200), "neither"), 40.0);
  EXPECT_EQ(Placed(), QRect(170, 140, 300, 200));
}

}  // namespace
}  // namespace ostrivo::test
