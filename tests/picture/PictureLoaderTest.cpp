// Decoding real picture files: JPEGs encoded here by libjpeg, bitmaps written byte by byte.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdlib>

#include <jerror.h>

#include "PictureFiles.h"
#include "framework/Exceptions.h"
#include "picture/PictureLoader.h"
#include "support/NonRegularFiles.h"
#include "support/TempDir.h"

namespace ostrivo::test {
namespace {

template <class E, class F>
QString ErrorOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return QStringLiteral("(no error)");
}

int MaxDifference(const QImage& a, const QImage& b, int rows = -1) {
  int worst = 0;
  for (int y = 0; y < (rows < 0 ? a.height() : rows); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q))});
    }
  return worst;
}

class Loader : public ::testing::Test {
 protected:
  QByteArray Write(const QString& name, const QByteArray& bytes) {
    return dir.Write(name, bytes).toLocal8Bit();
  }
  TempDir dir;
};

// ---- JPEG ----

TEST_F(Loader, DecodesAJpegAtItsNaturalSize) {
  const QImage original = Gradient(97, 61);
  const QImage decoded = LoadPicture(Write("g.JPG", EncodeJpeg(original, 100)));
  ASSERT_EQ(decoded.size(), QSize(97, 61));
  EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
  EXPECT_LE(MaxDifference(decoded, original), 12);
}

TEST_F(Loader, DecodesGrayAndCmykJpegs) {
  const QImage original = Gradient(40, 24);
  const QImage gray = LoadJpeg(Write("g.jpg", EncodeJpeg(original, 100, JpegColour::Gray)));
  EXPECT_EQ(qRed(gray.pixel(39, 0)), qBlue(gray.pixel(39, 0)));
  EXPECT_NEAR(qRed(gray.pixel(39, 23)), qGray(original.pixel(39, 23)), 6);

  const QImage cmyk = LoadJpeg(Write("c.jpg", EncodeJpeg(original, 100, JpegColour::CMYK)));
  EXPECT_LE(MaxDifference(cmyk, original), 12);
}

TEST_F(Loader, ShowsALargeJpegProgressivelyWhileItDecodes) {
  const QImage original = Gradient(64, 160);
  std::vector<int> rows;
  std::vector<int> worst;
  const QImage decoded = LoadJpeg(
      Write("p.jpg", EncodeJpeg(original, 100)),
      [&](const QImage& partial, int done) {
        rows.push_back(done);
        EXPECT_EQ(partial.size(), QSize(64, 160));  // the natural size from the start
        worst.push_back(MaxDifference(partial, original, done));
      },
      0);
  ASSERT_GE(rows.size(), 3u);
  EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
  EXPECT_GT(rows.front(), 0);
  EXPECT_LT(rows.back(), 160);
  // What was shown already was the picture's own rows.
  for (int w : worst) EXPECT_LE(w, 12);
}

TEST_F(Loader, ASmallJpegIsNotShownBeforeItIsWhole) {
  int calls = 0;
  LoadJpeg(
      Write("s.jpg", EncodeJpeg(Gradient(64, 160))), [&](const QImage&, int) { ++calls; }, 10000);
  EXPECT_EQ(calls, 0);
}

TEST_F(Loader, AJpegCutInItsDataShowsWhatWasDecoded) {
  const QImage original = Gradient(64, 128);
  const QByteArray whole = EncodeJpeg(original, 100);
  const QImage full = LoadJpeg(Write("w.jpg", whole));
  const QImage cut = LoadJpeg(Write("t.jpg", whole.left(whole.size() * 2 / 5)));
  ASSERT_EQ(cut.size(), QSize(64, 128));
  EXPECT_EQ(MaxDifference(cut, full, 16), 0);  // the first rows as in the whole file
  // The rest is the decoder's flat fill, not the picture.
  EXPECT_EQ(cut.pixel(0, 127), cut.pixel(63, 127));
  EXPECT_GT(MaxDifference(cut, full), 40);
}

// The file is read in large chunks: markers that libjpeg skips, and a picture, that run over
// the chunks' ends are read whole.
TEST_F(Loader, AJpegWithLargeMarkersBeforeItsPictureDecodes) {
  const QImage original = Gradient(64, 48);
  const QByteArray whole = EncodeJpeg(original, 100);
  QByteArray markers;
  for (int i = 0; i < 7; ++i) {  // 7 x 64 KB of APP2 data (as a large ICC profile would be)
    markers.append("\xFF\xE2\xFF\xFF", 4);
    markers.append(QByteArray(0xFFFF - 2, static_cast<char>('a' + i)));
  }
  const QImage decoded = LoadJpeg(Write("m.jpg", whole.left(2) + markers + whole.mid(2)));
  ASSERT_EQ(decoded.size(), QSize(64, 48));
  EXPECT_LE(MaxDifference(decoded, original), 12);
}

TEST_F(Loader, JpegErrorsCarryLibjpegsMessageCode) {
  const QByteArray whole = EncodeJpeg(Gradient(32, 32));
  // Cut before the frame header: no image; cut after it, before the scan: no scan.
  const int sof = whole.indexOf("\xFF\xC0"), sos = whole.indexOf("\xFF\xDA");
  ASSERT_GT(sof, 0);
  ASSERT_GT(sos, sof);
  EXPECT_EQ(ErrorOf<EJPEG>([&] { LoadJpeg(Write("f.jpg", whole.left(sof))); }),
            QStringLiteral("JPEG error #%1").arg(JERR_NO_IMAGE));
  EXPECT_EQ(ErrorOf<EJPEG>([&] { LoadJpeg(Write("h.jpg", whole.left(sos))); }),
            QStringLiteral("JPEG error #%1").arg(JERR_SOF_NO_SOS));
  EXPECT_EQ(ErrorOf<EJPEG>([&] { LoadJpeg(Write("n.jpg", "not a picture at all")); }),
            QStringLiteral("JPEG error #%1").arg(JERR_NO_SOI));
  EXPECT_EQ(ErrorOf<EJPEG>([&] { LoadJpeg(Write("e.jpg", QByteArray())); }),
            QStringLiteral("JPEG error #%1").arg(JERR_INPUT_EMPTY));
}

TEST_F(Loader, AJpegDeclaringAHugeSizeIsRefusedBeforeAnythingIsAllocated) {
  QByteArray bytes = EncodeJpeg(Gradient(16, 16));
  const int sof = bytes.indexOf("\xFF\xC0");
  ASSERT_GT(sof, 0);
  for (int i : {5, 6, 7, 8}) bytes[sof + i] = static_cast<char>(0xFD);  // 65021 x 65021
  QElapsedTimer clock;
  clock.start();
  const QString error = ErrorOf<EInvalidGraphic>([&] { LoadJpeg(Write("big.jpg", bytes)); });
  EXPECT_EQ(error, "Picture is too large to show (65021 x 65021 pixels)");
  EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(Loader, AProgressiveJpegDecodesButItsCoefficientsCountTowardsTheLimit) {
  const QImage original = Gradient(50, 40);
  QByteArray bytes = EncodeJpeg(original, 100, JpegColour::RGB, true);
  EXPECT_LE(MaxDifference(LoadJpeg(Write("p.jpg", bytes)), original), 12);
  // 10000 x 10000: 400 MB of pixels would pass, but not with 600 MB of coefficients besides.
  const int sof = bytes.indexOf("\xFF\xC2");
  ASSERT_GT(sof, 0);
  bytes[sof + 5] = bytes[sof + 7] = static_cast<char>(10000 >> 8);
  bytes[sof + 6] = bytes[sof + 8] = static_cast<char>(10000 & 0xFF);
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { LoadJpeg(Write("big.jpg", bytes)); }),
            "Picture is too large to show (10000 x 10000 pixels)");
}

TEST_F(Loader, AMissingOrUnreadableFileCannotBeOpened) {
  const QByteArray missing = dir.File("none.jpg").toLocal8Bit();
  EXPECT_EQ(ErrorOf<EFOpenError>([&] { LoadPicture(missing); }),
            "Cannot open file " + QString::fromLocal8Bit(missing));
  const QByteArray folder = dir.MakeDir("folder.bmp").toLocal8Bit();
  EXPECT_EQ(ErrorOf<EFOpenError>([&] { LoadPicture(folder); }),
            "Cannot open file " + QString::fromLocal8Bit(folder));
}

// Pipes, sockets and devices under a picture's name are refused at once, before anything
// opens or reads them (a pipe nobody writes to would hold the open for ever, /dev/zero the read).
TEST_F(Loader, PipesSocketsAndDevicesAreRefusedWithoutWaiting) {
  Deadline deadline(60);
  ASSERT_TRUE(MakeFifo(dir.File("pipe.jpg")));
  ASSERT_TRUE(MakeFifo(dir.File("pipe.bmp")));
  ASSERT_TRUE(QFile::link("/dev/zero", dir.File("zero.jpg")));
  ASSERT_TRUE(QFile::link("/dev/zero", dir.File("zero.bmp")));
  SocketFile socket(dir.File("socket.bmp"));
  ASSERT_TRUE(socket.Made());
  for (const char* name : {"pipe.jpg", "pipe.bmp", "zero.jpg", "zero.bmp", "socket.bmp"}) {
    const QByteArray path = dir.File(name).toLocal8Bit();
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { LoadPicture(path); }),
              "Cannot open file " + QString::fromLocal8Bit(path) + ": not a regular file");
  }
}

// ---- Windows bitmaps ----

TEST_F(Loader, ReadsA24BitBottomUpBitmapWithPaddedRows) {
  // 3 x 2: rows of 9 bytes padded to 12, the bottom row first.
  Bytes b = BitmapHeaders(3, 2, 24, 54);
  b.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0).U8(255).U8(0).U8(0).U8(0).U8(0).U8(0);     // bottom
  b.U8(255).U8(255).U8(255).U8(0).U8(0).U8(0).U8(10).U8(20).U8(30).U8(0).U8(0).U8(0);  // top
  const QImage image = LoadPicture(Write("a.BMP", b.data));
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(2, 1), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(2, 0), qRgb(30, 20, 10));
}

TEST_F(Loader, ReadsPalettedBitmapsOfOneFourAndEightBits) {
  // 8 bits, top-down (negative height), two colours used.
  Bytes b8 = BitmapHeaders(2, -2, 8, 54 + 8, 0, 2);
  b8.U32(0x00112233).U32(0x00AABBCC);
  b8.U8(0).U8(1).U8(0).U8(0).U8(1).U8(1).U8(0).U8(0);
  const QImage i8 = ReadBitmap(b8.data);
  EXPECT_EQ(i8.pixel(0, 0), qRgb(0x11, 0x22, 0x33));
  EXPECT_EQ(i8.pixel(1, 0), qRgb(0xAA, 0xBB, 0xCC));
  EXPECT_EQ(i8.pixel(0, 1), qRgb(0xAA, 0xBB, 0xCC));

  // 4 bits: the high nibble is the left pixel; a full 16-colour palette.
  Bytes b4 = BitmapHeaders(3, 1, 4, 54 + 64);
  for (unsigned i = 0; i < 16; ++i) b4.U32(i * 0x00101010);
  b4.U8(0x1F).U8(0x20).U8(0).U8(0);
  const QImage i4 = ReadBitmap(b4.data);
  EXPECT_EQ(i4.pixel(0, 0), qRgb(0x10, 0x10, 0x10));
  EXPECT_EQ(i4.pixel(1, 0), qRgb(0xF0, 0xF0, 0xF0));
  EXPECT_EQ(i4.pixel(2, 0), qRgb(0x20, 0x20, 0x20));

  // 1 bit: the most significant bit first, 10 pixels over two bytes.
  Bytes b1 = BitmapHeaders(10, 1, 1, 54 + 8);
  b1.U32(0x00000000).U32(0x00FFFFFF);
  b1.U8(0b10100000).U8(0b01000000).U8(0).U8(0);
  const QImage i1 = ReadBitmap(b1.data);
  EXPECT_EQ(i1.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(i1.pixel(1, 0), qRgb(0, 0, 0));
  EXPECT_EQ(i1.pixel(2, 0), qRgb(255, 255, 255));
  EXPECT_EQ(i1.pixel(9, 0), qRgb(255, 255, 255));
  EXPECT_EQ(i1.pixel(8, 0), qRgb(0, 0, 0));
}

TEST_F(Loader, ReadsThirtyTwoAndSixteenBitBitmapsWithAndWithoutBitFields) {
  Bytes b32 = BitmapHeaders(2, 1, 32, 54);
  b32.U8(1).U8(2).U8(3).U8(0).U8(200).U8(100).U8(50).U8(0);
  const QImage i32 = ReadBitmap(b32.data);
  EXPECT_EQ(i32.pixel(0, 0), qRgb(3, 2, 1));
  EXPECT_EQ(i32.pixel(1, 0), qRgb(50, 100, 200));

  // 16 bits, 5-6-5 masks after the info header.
  Bytes b565 = BitmapHeaders(2, 1, 16, 54 + 12, 3);
  b565.U32(0xF800).U32(0x07E0).U32(0x001F);
  b565.U16(0xF800).U16(0x07FF);
  const QImage i565 = ReadBitmap(b565.data);
  EXPECT_EQ(i565.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(i565.pixel(1, 0), qRgb(0, 255, 255));

  // 16 bits without masks: 5-5-5.
  Bytes b555 = BitmapHeaders(1, 1, 16, 54);
  b555.U16(0x7C00).U16(0);
  EXPECT_EQ(ReadBitmap(b555.data).pixel(0, 0), qRgb(255, 0, 0));
}

TEST_F(Loader, ReadsACoreHeaderBitmapAndRunLengthEncodedOnes) {
  Bytes core;
  core.U8('B').U8('M').U32(0).U32(0).U32(14 + 12 + 6);
  core.U32(12).U16(2).U16(1).U16(1).U16(1);
  core.U8(0).U8(0).U8(255).U8(255).U8(255).U8(255);  // RGB triples
  core.U8(0b01000000).U8(0).U8(0).U8(0);
  const QImage c = ReadBitmap(core.data);
  EXPECT_EQ(c.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(c.pixel(1, 0), qRgb(255, 255, 255));

  // RLE8, 4 x 2: bottom row "3 x colour 1, then 2", top row absolute run 2,1,0 then a gap.
  Bytes rle = BitmapHeaders(4, 2, 8, 54 + 12, 1, 3);
  rle.U32(0x000000FF).U32(0x0000FF00).U32(0x00FF0000);
  rle.U8(3).U8(1).U8(1).U8(2).U8(0).U8(0);
  rle.U8(0).U8(3).U8(2).U8(1).U8(0).U8(0).U8(0).U8(1);
  const QImage r = ReadBitmap(rle.data);
  EXPECT_EQ(r.pixel(0, 1), qRgb(0, 255, 0));
  EXPECT_EQ(r.pixel(2, 1), qRgb(0, 255, 0));
  EXPECT_EQ(r.pixel(3, 1), qRgb(255, 0, 0));
  EXPECT_EQ(r.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(r.pixel(1, 0), qRgb(0, 255, 0));
  EXPECT_EQ(r.pixel(2, 0), qRgb(0, 0, 255));
  EXPECT_EQ(r.pixel(3, 0), qRgb(0, 0, 255));  // never written: colour 0

  // RLE4: a run alternates its two nibbles.
  Bytes rle4 = BitmapHeaders(3, 1, 4, 54 + 8, 2, 2);
  rle4.U32(0x000000FF).U32(0x0000FF00);
  rle4.U8(3).U8(0x10).U8(0).U8(1);
  const QImage r4 = ReadBitmap(rle4.data);
  EXPECT_EQ(r4.pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(r4.pixel(1, 0), qRgb(0, 0, 255));
  EXPECT_EQ(r4.pixel(2, 0), qRgb(0, 255, 0));
}

// Small files that declare huge pictures are refused by what their data could cover, before
// anything is allocated; a picture whose data does cover it still loads.
TEST_F(Loader, SmallFilesDeclaringHugePicturesAreRefusedByCost) {
  // Sides whose product in bytes does not fit in 64 bits (found by the bitmap fuzzer).
  Bytes vast = BitmapHeaders(0x70600001, 0x79fb0000, 32, 54, 3);
  vast.U32(0xFF0000).U32(0xFF00).U32(0xFF);
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { ReadBitmap(vast.data); }),
            "Picture is too large to show (1885339649 x 2046492672 pixels)");

  // 1 KB of RLE8 declaring 11000 x 11000: at most 130,000 pixels are coverable.
  Bytes bomb = BitmapHeaders(11000, 11000, 8, 54 + 8, 1, 2);
  bomb.U32(0).U32(0x00FFFFFF);
  while (bomb.data.size() < 1022) bomb.U8(255).U8(1);
  bomb.U8(0).U8(1);
  const QString tooLarge = "Picture is too large to show (11000 x 11000 pixels)";
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { ReadBitmap(bomb.data); }), tooLarge);
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { LoadPicture(Write("bomb.bmp", bomb.data)); }), tooLarge);
  // The same in RLE4.
  Bytes bomb4 = BitmapHeaders(11000, 11000, 4, 54 + 8, 2, 2);
  bomb4.U32(0).U32(0x00FFFFFF);
  while (bomb4.data.size() < 1024) bomb4.U8(255).U8(0x10);
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { ReadBitmap(bomb4.data); }), tooLarge);

  // 3000 x 3000 in RLE8 written as runs of 255 pixels, with a line end after every row: the
  // data covers the picture, which loads.
  Bytes covered = BitmapHeaders(3000, 3000, 8, 54 + 8, 1, 2);
  covered.U32(0x000000FF).U32(0x0000FF00);
  for (int row = 0; row < 3000; ++row) {
    for (int x = 0; x < 3000; x += 255) covered.U8(std::min(255, 3000 - x)).U8(1);
    covered.U8(0).U8(0);
  }
  const QImage image = ReadBitmap(covered.data);
  ASSERT_EQ(image.size(), QSize(3000, 3000));
  EXPECT_EQ(image.pixel(2999, 0), qRgb(0, 255, 0));

  // A 16 x 16 JPEG of a few hundred bytes whose frame says 6000 x 6000 (144 MB of pixels,
  // within the memory limit, but no coding covers that with so few bytes).
  QByteArray jpeg = EncodeJpeg(Gradient(16, 16));
  ASSERT_LT(jpeg.size(), 2000);
  const int sof = jpeg.indexOf("\xFF\xC0");
  ASSERT_GT(sof, 0);
  jpeg[sof + 5] = jpeg[sof + 7] = static_cast<char>(6000 >> 8);
  jpeg[sof + 6] = jpeg[sof + 8] = static_cast<char>(6000 & 0xFF);
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { LoadPicture(Write("bomb.jpg", jpeg)); }),
            "Picture is too large to show (6000 x 6000 pixels)");
}

TEST_F(Loader, ABitmapWithABadHeaderIsNotValid) {
  const QString invalid = "Bitmap image is not valid";
  auto error = [&](const QByteArray& bytes) {
    return ErrorOf<EInvalidGraphic>([&] { LoadPicture(Write("x.bmp", bytes)); });
  };
  Bytes good = BitmapHeaders(1, 1, 24, 54);
  good.U8(1).U8(2).U8(3).U8(0);
  ASSERT_EQ(LoadPicture(Write("ok.bmp", good.data)).pixel(0, 0), qRgb(3, 2, 1));

  QByteArray magic = good.data;
  magic[1] = 'X';
  EXPECT_EQ(error(magic), invalid);
  QByteArray headerSize = good.data;
  headerSize[14] = 20;
  EXPECT_EQ(error(headerSize), invalid);
  QByteArray planes = good.data;
  planes[26] = 2;
  EXPECT_EQ(error(planes), invalid);
  QByteArray depth = good.data;
  depth[28] = 7;
  EXPECT_EQ(error(depth), invalid);
  QByteArray width = good.data;
  width[18] = 0;
  EXPECT_EQ(error(width), invalid);
  EXPECT_EQ(error(good.data.left(40)), invalid);  // cut inside the header
  EXPECT_EQ(error(good.data.left(55)), invalid);  // cut inside the pixels
  EXPECT_EQ(error(QByteArray()), invalid);
}

TEST_F(Loader, ABitmapDeclaringAHugeSizeIsRefusedBeforeAnythingIsAllocated) {
  Bytes b = BitmapHeaders(100000, 100000, 24, 54);
  b.U32(0);
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { LoadPicture(Write("big.bmp", b.data)); }),
            "Picture is too large to show (100000 x 100000 pixels)");
}

}  // namespace
}  // namespace ostrivo::test
