// Decoding a JPEG with the detail it is shown at: the DCT scale chosen for the shown size, the
// natural size kept for every size computation, and a zoom past the decoded detail.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTest>

#include "PictureFiles.h"
#include "ShowFixture.h"
#include "picture/PictureLoader.h"

namespace ostrivo::test {
namespace {

TEST(DecodeScale, TheSmallestDctScaleThatStillCoversTheShownSize) {
  struct Case {
    QSize natural, shown;
    int scale;
  };
  const Case cases[] = {
      {{6000, 4000}, {1280, 853}, 4},   // a camera photo fitted to a 1280 x 1024 screen
      {{6000, 4000}, {1500, 1000}, 4},  // exactly a quarter
      {{6000, 4000}, {1501, 1000}, 2},  // a pixel more than a quarter
      {{6000, 4000}, {3000, 2000}, 2},
      {{6000, 4000}, {3001, 2000}, 1},  // more than half: the whole picture
      {{6000, 4000}, {750, 500}, 8},
      {{6000, 4000}, {6000, 4000}, 1},  // shown at its natural size
      {{6000, 4000}, {12000, 8000}, 1},
      {{4000, 6000}, {683, 1024}, 4},  // portrait
      {{101, 51}, {51, 26}, 2},        // odd sides: the scaled sides round up
      {{101, 51}, {51, 27}, 1},
      {{17, 9}, {3, 2}, 8},
      {{20, 20}, {20, 20}, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeScale(c.natural, c.shown), c.scale)
        << c.natural.width() << "x" << c.natural.height() << " shown at " << c.shown.width() << "x"
        << c.shown.height();
}

TEST(PictureFileDecode, DecodesAtEachScaleAndShowsItsRowsWhileItDecodes) {
  TempDir dir;
  const QImage original = Gradient(200, 640);
  const QByteArray path = dir.Write("g.jpg", EncodeJpeg(original, 95)).toLocal8Bit();
  PictureFile file(path);
  EXPECT_EQ(file.NaturalSize(), QSize(200, 640));
  for (int scale : {1, 2, 4, 8}) {
    std::vector<int> rows;
    const QImage decoded = file.Decode(
        scale,
        [&](const QImage& partial, int done) {
          EXPECT_EQ(partial.size(), QSize(200 / scale, 640 / scale));
          rows.push_back(done);
        },
        0);
    ASSERT_EQ(decoded.size(), QSize(200 / scale, 640 / scale));
    // The picture itself, smaller: its corners keep their colours.
    const QImage reference =
        original.scaled(decoded.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (QPoint at : {QPoint(1, 1), QPoint(decoded.width() - 2, decoded.height() - 2)}) {
      EXPECT_NEAR(qRed(decoded.pixel(at)), qRed(reference.pixel(at)), 12) << scale;
      EXPECT_NEAR(qGreen(decoded.pixel(at)), qGreen(reference.pixel(at)), 12) << scale;
    }
    // The banded display keeps working at every scale.
    ASSERT_GE(rows.size(), 2u) << scale;
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    EXPECT_LT(rows.back(), decoded.height());
  }
}

// What is decoded for several picture and window sizes; every size and place stays as the
// natural size gives it.
TEST_F(Show, FitAndStretchDecodeNoMoreDetailThanTheyShow) {
  O().FitBox->setChecked(true);
  // 1600 x 1200 fitted to 640 x 480: shown at 640 x 480, decoded at half.
  ShowIn(640, 480, Jpeg(1600, 1200, "a.jpg"));
  EXPECT_EQ(Placed(), QRect(0, 0, 640, 480));
  EXPECT_EQ(I().NaturalSize(), QSize(1600, 1200));
  EXPECT_EQ(I().Picture().size(), QSize(800, 600));
  // 2400 x 1600 fitted to 600 x 450: shown at 600 x 400, a quarter exactly.
  ShowIn(600, 450, Jpeg(2400, 1600, "b.jpg"));
  EXPECT_EQ(Placed(), QRect(0, 25, 600, 400));
  EXPECT_EQ(I().Picture().size(), QSize(600, 400));
  // 1600 x 1200 fitted to 200 x 150: an eighth.
  ShowIn(200, 150, Jpeg(1600, 1200, "a.jpg"));
  EXPECT_EQ(I().Picture().size(), QSize(200, 150));
  // Shown at more than half its size: decoded whole.
  ShowIn(1024, 740, Jpeg(1600, 1200, "a.jpg"));
  EXPECT_EQ(Placed(), QRect(19, 0, 986, 740));
  EXPECT_EQ(I().Picture().size(), QSize(1600, 1200));

  // Stretch enlarges a small picture: decoded whole, and drawn larger.
  O().FitBox->setChecked(false);
  O().StretchBox->setChecked(true);
  ShowIn(800, 600, Jpeg(100, 50, "c.jpg"));
  EXPECT_EQ(Placed(), QRect(0, 100, 800, 400));
  EXPECT_EQ(I().Picture().size(), QSize(100, 50));
  // Stretch shrinks a large one like Fit.
  ShowIn(400, 300, Jpeg(1600, 1200, "a.jpg"));
  EXPECT_EQ(Placed(), QRect(0, 0, 400, 300));
  EXPECT_EQ(I().Picture().size(), QSize(400, 300));

  // Neither option: the natural size is shown, so all of it is decoded.
  O().StretchBox->setChecked(false);
  ShowIn(400, 300, Jpeg(1600, 1200, "a.jpg"));
  EXPECT_EQ(I().size(), QSize(1600, 1200));
  EXPECT_EQ(I().Picture().size(), QSize(1600, 1200));
}

TEST_F(Show, AZoomPastTheDecodedDetailDecodesTheWholePicture) {
  O().FitBox->setChecked(true);
  ShowIn(640, 480, Jpeg(1600, 1200));
  ASSERT_EQ(I().Picture().size(), QSize(800, 600));
  // Smaller, then back within the decoded detail: nothing more is decoded.
  QTest::keyClick(&W(), '-');
  EXPECT_EQ(I().size(), QSize(320, 240));
  QTest::keyClick(&W(), '+');
  EXPECT_EQ(I().size(), QSize(640, 480));
  QTest::keyClick(&W(), '*');
  EXPECT_EQ(I().size(), QSize(641, 481));
  EXPECT_EQ(I().Picture().size(), QSize(800, 600));
  // Past it: the whole picture; the zoom numbers are those of the control alone.
  QTest::keyClick(&W(), '+');
  EXPECT_EQ(I().size(), QSize(1282, 962));
  EXPECT_EQ(I().Picture().size(), QSize(1600, 1200));
  EXPECT_EQ(I().NaturalSize(), QSize(1600, 1200));

  // The rubber band zooms past it too.
  ShowIn(640, 480, Jpeg(1600, 1200));
  ASSERT_EQ(I().Picture().size(), QSize(800, 600));
  W().Image1MouseDown(Qt::LeftButton, Qt::NoModifier, 100, 100);
  W().Image1MouseUp(Qt::LeftButton, Qt::NoModifier, 300, 250);
  EXPECT_EQ(I().Picture().size(), QSize(1600, 1200));
  // What shows is the picture's own detail where the band put it: the gradient at the anchor.
  const QImage shot = W().grab().toImage();
  const QImage source = Gradient(1600, 1200);
  const QRgb want = source.pixel(100 * 1600 / 640, 100 * 1200 / 480);
  EXPECT_NEAR(qRed(shot.pixel(2, 2)), qRed(want), 12);
  EXPECT_NEAR(qGreen(shot.pixel(2, 2)), qGreen(want), 12);
}

}  // namespace
}  // namespace ostrivo::test
