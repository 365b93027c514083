// Photos turned upright by their EXIF orientation: the eight orientations of a test pattern,
// the natural size a turned photo is placed by, and EXIF blocks that are not well formed.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QProcess>
#include <QStandardPaths>

#include "PictureFiles.h"
#include "ShowFixture.h"
#include "picture/ExifOrientation.h"
#include "picture/PictureLoader.h"

namespace ostrivo::test {
namespace {

// Four quadrants of their own colours, wider than high, so every turn and mirror tells.
const QRgb kQuadrant[2][2] = {{qRgb(230, 20, 20), qRgb(20, 200, 20)},
                              {qRgb(20, 20, 230), qRgb(240, 240, 240)}};
QImage Pattern() {
  QImage image(96, 64, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, kQuadrant[y / 32][x / 48]);
  return image;
}

// How a camera stores the upright picture u under each orientation, by the tag's own words:
// which side of the upright picture the stored first row and first column show.
QImage Stored(const QImage& u, int orientation) {
  const int w = u.width(), h = u.height();
  const bool turned = orientation >= 5;
  QImage s(turned ? h : w, turned ? w : h, QImage::Format_RGB32);
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) {
      QPoint from;
      switch (orientation) {
        case 1:
          from = {x, y};
          break;  // row 0 top, column 0 left
        case 2:
          from = {w - 1 - x, y};
          break;  // row 0 top, column 0 right
        case 3:
          from = {w - 1 - x, h - 1 - y};
          break;  // row 0 bottom, column 0 right
        case 4:
          from = {x, h - 1 - y};
          break;  // row 0 bottom, column 0 left
        case 5:
          from = {y, x};
          break;  // row 0 left, column 0 top
        case 6:
          from = {w - 1 - y, x};
          break;  // row 0 right, column 0 top
        case 7:
          from = {w - 1 - y, h - 1 - x};
          break;  // row 0 right, column 0 bottom
        case 8:
          from = {y, h - 1 - x};
          break;  // row 0 left, column 0 bottom
      }
      s.setPixel(x, y, u.pixel(from));
    }
  return s;
}

// The middle of each quadrant has its colour.
void ExpectUpright(const QImage& image, const QString& what) {
  ASSERT_EQ(image.size(), QSize(96, 64)) << what.toStdString();
  for (int qy = 0; qy < 2; ++qy)
    for (int qx = 0; qx < 2; ++qx) {
      const QRgb got = image.pixel(24 + 48 * qx, 16 + 32 * qy), want = kQuadrant[qy][qx];
      EXPECT_NEAR(qRed(got), qRed(want), 30) << what.toStdString() << " quadrant " << qx << qy;
      EXPECT_NEAR(qGreen(got), qGreen(want), 30) << what.toStdString() << " quadrant " << qx << qy;
      EXPECT_NEAR(qBlue(got), qBlue(want), 30) << what.toStdString() << " quadrant " << qx << qy;
    }
}

TEST(ExifOrientation, EachOfTheEightOrientationsShowsUpright) {
  TempDir dir;
  const QImage upright = Pattern();
  const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
  for (int o = 1; o <= 8; ++o) {
    const QByteArray jpeg =
        WithExifOrientation(EncodeJpeg(Stored(upright, o), 100), o, /*bigEndian=*/o % 2 == 0);
    const QString path = dir.Write(QStringLiteral("o%1.jpg").arg(o), jpeg);
    const QString what = QStringLiteral("orientation %1").arg(o);
    ExpectUpright(LoadPicture(path.toLocal8Bit()), what);
    // At a smaller scale too, where the sides come out halved.
    const QImage half = PictureFile(path.toLocal8Bit()).Decode(2);
    ExpectUpright(half.scaled(96, 64), what + " at half");
    // The cross-check: ImageMagick reads the same tag and turns the picture the same way.
    if (!convert.isEmpty()) {
      const QString out = dir.File(QStringLiteral("o%1.png").arg(o));
      ASSERT_EQ(QProcess::execute(convert, {path, "-auto-orient", out}), 0);
      ExpectUpright(QImage(out).convertToFormat(QImage::Format_RGB32), what + " (ImageMagick)");
    }
  }
}

// A phone's portrait photo, stored on its side: placed by its upright size.
TEST_F(Show, ATurnedPhotoIsPlacedByItsUprightSize) {
  O().FitBox->setChecked(true);
  const QByteArray jpeg = WithExifOrientation(EncodeJpeg(Gradient(1600, 1200), 90), 6);
  ShowIn(800, 600, files.Write("portrait.jpg", jpeg).toLocal8Bit());
  EXPECT_EQ(I().NaturalSize(), QSize(1200, 1600));
  // Fit: W = Trunc((60000 / 1600) * 12) = 450, H = 600, centred at Left = 175.
  EXPECT_EQ(Placed(), QRect(175, 0, 450, 600));
  EXPECT_EQ(I().Picture().size(), QSize(600, 800));  // decoded at half, upright
  // The stored top-left corner (black in the gradient) is now the top-right corner.
  const QImage shot = W().grab().toImage();
  EXPECT_LT(qRed(shot.pixel(175 + 445, 4)) + qGreen(shot.pixel(175 + 445, 4)), 40);
  EXPECT_GT(qGreen(shot.pixel(175 + 4, 4)), 200);
}

// A block made by the test: "Exif\0\0" then a big-endian TIFF header and one directory entry.
QByteArray Block(unsigned tag, unsigned type, std::uint32_t count, unsigned value,
                 std::uint32_t ifd = 8, unsigned entries = 1) {
  Bytes b;  // little-endian writer: write the big-endian fields byte by byte
  auto be16 = [&](unsigned v) { b.U8(v >> 8).U8(v); };
  auto be32 = [&](std::uint32_t v) {
    be16(v >> 16);
    be16(v & 0xFFFF);
  };
  b.Raw(QByteArray("Exif\0\0", 6)).Raw("MM");
  be16(42);
  be32(ifd);
  be16(entries);
  be16(tag);
  be16(type);
  be32(count);
  be16(value);
  be16(0);
  be32(0);
  return b.data;
}

Orientation Read(const QByteArray& block) {
  return ReadExifOrientation(reinterpret_cast<const unsigned char*>(block.constData()),
                             static_cast<std::size_t>(block.size()));
}

TEST(ExifOrientation, ABlockThatIsNotWellFormedReadsAsUpright) {
  const QByteArray good = Block(0x0112, 3, 1, 6);
  ASSERT_EQ(Read(good), Orientation::Rotated90);
  // Cut anywhere before the value's end: never read past the end (the sanitizer would tell).
  for (int n = 0; n < good.size() - 6; ++n)
    EXPECT_EQ(Read(good.left(n)), Orientation::Upright) << n;
  EXPECT_EQ(Read(Block(0x0112, 3, 1, 0)), Orientation::Upright);  // no such orientation
  EXPECT_EQ(Read(Block(0x0112, 3, 1, 9)), Orientation::Upright);
  EXPECT_EQ(Read(Block(0x0112, 4, 1, 6)), Orientation::Upright);               // not a SHORT
  EXPECT_EQ(Read(Block(0x0112, 3, 2, 6)), Orientation::Upright);               // not one value
  EXPECT_EQ(Read(Block(0x0110, 3, 1, 6)), Orientation::Upright);               // another tag
  EXPECT_EQ(Read(Block(0x0112, 3, 1, 6, 0xFFFFFFF0u)), Orientation::Upright);  // far away
  EXPECT_EQ(Read(Block(0x0112, 3, 1, 6, 8, 0xFFFF)), Orientation::Rotated90);  // count too big
  EXPECT_EQ(Read(Block(0x0110, 3, 1, 6, 8, 0xFFFF)), Orientation::Upright);
  QByteArray notExif = good;
  notExif[0] = 'e';
  EXPECT_EQ(Read(notExif), Orientation::Upright);
  QByteArray badOrder = good;
  badOrder[6] = 'X';
  EXPECT_EQ(Read(badOrder), Orientation::Upright);
  EXPECT_EQ(ReadExifOrientation(nullptr, 0), Orientation::Upright);
}

}  // namespace
}  // namespace ostrivo::test
