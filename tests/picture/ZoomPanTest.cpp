// Zooming and panning the picture with the keys and the mouse, in a picture window of a known
// size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

class ZoomPan : public ::testing::Test {
 protected:
  void SetUp() override {
    p.Create();
    p.Start();
    pic().setGeometry(0, 0, 800, 600);
    pic().show();
  }
  TPictureForm& pic() { return p.Picture(); }
  TImage& image() { return *pic().Image1; }

  // A picture placed the way the presentation places it: natural size, centred, offsets not
  // clamped.
  void Load(int w, int h) {
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(QColor(40, 160, 90));
    image().SetPicture(picture);
    image().SetStretch(false);
    image().SetTop((pic().ClientHeight() - h) / 2);
    image().SetLeft((pic().ClientWidth() - w) / 2);
  }
  void Key(char c) { QTest::keyClick(&pic(), c); }
  QSize Size() { return image().size(); }

  // The mouse over the picture, in picture-control coordinates.
  void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at) {
    QMouseEvent e(type, at, image().mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&image(), &e);
  }
  void Drag(QPoint from, QPoint to) {
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, (from + to) / 2);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to);
  }

  TestProgram p;
};

}  // namespace

TEST_F(ZoomPan, MinusHalvesAndTruncates) {
  Load(101, 51);
  Key('-');
  EXPECT_EQ(Size(), QSize(50, 25));
  EXPECT_TRUE(image().Stretch());
  EXPECT_EQ(image().Left(), (pic().ClientWidth() - 50) / 2);
  EXPECT_EQ(image().Top(), (pic().ClientHeight() - 25) / 2);
}

TEST_F(ZoomPan, PlusDoublesAndReCentres) {
  Load(100, 60);
  Key('+');
  EXPECT_EQ(Size(), QSize(200, 120));
  EXPECT_EQ(image().Left(), (pic().ClientWidth() - 200) / 2);
  EXPECT_EQ(image().Top(), (pic().ClientHeight() - 120) / 2);
}

TEST_F(ZoomPan, PlusThenMinusRestoresTheSizeButClampsToTheTopLeftCorner) {
  Load(1000, 700);
  ASSERT_LT(image().Left(), 0);  // centred with negative offsets
  ASSERT_LT(image().Top(), 0);
  Key('+');
  EXPECT_EQ(Size(), QSize(2000, 1400));
  EXPECT_EQ(image().Left(), 0);
  EXPECT_EQ(image().Top(), 0);
  Key('-');
  EXPECT_EQ(Size(), QSize(1000, 700));
  EXPECT_EQ(image().Left(), 0);
  EXPECT_EQ(image().Top(), 0);
}

TEST_F(ZoomPan, StarWithinHalfASecondAcceleratesByOnePixelAKey) {
  Load(400, 300);
  std::vector<int> heights{Size().height()};
  for (int i = 0; i < 5; ++i) {
    if (i > 0) p.time.Advance(450);
    Key('*');
    heights.push_back(Size().height());
    EXPECT_EQ(pic().ZoomStep, i + 1);
  }
  EXPECT_EQ(heights, std::vector<int>({300, 301, 303, 306, 310, 315}));
  // The longer side follows in proportion, truncated at each step.
  EXPECT_EQ(Size().width(), 417);
  EXPECT_EQ(pic().ZoomKeyTime, p.time.LocalMsOfDay());
}

TEST_F(ZoomPan, StepZoomOnAnUprightPictureStepsItsWidth) {
  Load(300, 400);
  Key('*');
  EXPECT_EQ(Size(), QSize(301, 401));
  p.time.Advance(100);
  Key('/');  // counts on: a step of two, downwards
  EXPECT_EQ(Size(), QSize(299, 398));
  EXPECT_EQ(pic().ZoomStep, 2);
}

TEST_F(ZoomPan, SlashAfterAPauseStepsByOnePixel) {
  Load(400, 300);
  Key('*');
  p.time.Advance(100);
  Key('*');
  ASSERT_EQ(Size().height(), 303);
  p.time.Advance(500);
  Key('/');
  EXPECT_EQ(pic().ZoomStep, 1);
  EXPECT_EQ(Size().height(), 302);
}

TEST_F(ZoomPan, TheZoomKeysNeverShrinkBelowOnePixel) {
  Load(3, 2);
  Key('-');
  EXPECT_EQ(Size(), QSize(1, 1));
  Key('-');
  EXPECT_EQ(Size(), QSize(1, 1));
  for (int i = 0; i < 4; ++i) {
    p.time.Advance(10);
    Key('/');
    EXPECT_EQ(Size(), QSize(1, 1));
  }
  // From there it grows again.
  p.time.Advance(600);
  Key('*');
  EXPECT_EQ(Size(), QSize(2, 2));
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST_F(ZoomPan, ArrowKeysScrollByAHundredthOfThePicture) {
  Load(2000, 1500);
  pic().ResetScroll();
  Key('+');  // 4000 x 3000 at the top-left corner
  QTest::keyClick(&pic(), Qt::Key_Right);
  EXPECT_EQ(pic().HorzScrollPosition(), 40);
  QTest::keyClick(&pic(), Qt::Key_Down);
  EXPECT_EQ(pic().VertScrollPosition(), 30);
  QTest::keyClick(&pic(), Qt::Key_Down);
  EXPECT_EQ(pic().VertScrollPosition(), 60);
  QTest::keyClick(&pic(), Qt::Key_Up);
  EXPECT_EQ(pic().VertScrollPosition(), 30);
  QTest::keyClick(&pic(), Qt::Key_Left);
  QTest::keyClick(&pic(), Qt::Key_Left);
  EXPECT_EQ(pic().HorzScrollPosition(), 0);  // within the scroll range
}

TEST_F(ZoomPan, TheScrollStepIsKeptInEightBits) {
  image().SetPicture(QImage(1, 1, QImage::Format_RGB32));
  image().SetLeft(0);
  image().SetTop(0);
  image().SetWidth(25600);
  image().SetHeight(25700);
  QTest::keyClick(&pic(), Qt::Key_Right);
  EXPECT_EQ(pic().HorzScrollPosition(), 0);  // 256 wraps to 0
  QTest::keyClick(&pic(), Qt::Key_Down);
  EXPECT_EQ(pic().VertScrollPosition(), 1);  // 257 wraps to 1
}

TEST_F(ZoomPan, DragZoomMakesTheRectangleCoverTheWindow) {
  Load(400, 300);
  ASSERT_EQ(pic().frameGeometry().size(), QSize(800, 600));
  // 200 x 100 pixels: 800 / 200 = 4 across, 600 / 100 = 6 down; the larger factor wins.
  Drag(QPoint(100, 50), QPoint(300, 150));
  EXPECT_EQ(Size(), QSize(2400, 1800));
  EXPECT_TRUE(image().Stretch());
  // The anchor point comes to the window's top-left corner.
  EXPECT_EQ(pic().HorzScrollPosition(), 600);
  EXPECT_EQ(pic().VertScrollPosition(), 300);
  EXPECT_EQ(image().Left(), -600);
  EXPECT_EQ(image().Top(), -300);
}

TEST_F(ZoomPan, ADragTheOtherWayZoomsAlikeFromItsOwnAnchor) {
  Load(400, 300);
  // From the lower right to the upper left: the same factor, and the view starts at the
  // anchor, so the dragged area lies above and to the left of it.
  Drag(QPoint(250, 150), QPoint(50, 50));
  EXPECT_EQ(Size(), QSize(2400, 1800));
  EXPECT_EQ(pic().HorzScrollPosition(), 1500);
  EXPECT_EQ(pic().VertScrollPosition(), 900);
}

TEST_F(ZoomPan, AReleaseWithoutAnAreaOrOfAnotherButtonDoesNotZoom) {
  Load(400, 300);
  const QPoint at(image().Left(), image().Top());
  Drag(QPoint(100, 50), QPoint(100, 50));  // where it was pressed
  EXPECT_EQ(Size(), QSize(400, 300));
  Drag(QPoint(100, 50), QPoint(300, 50));  // along one axis
  EXPECT_EQ(Size(), QSize(400, 300));
  EXPECT_FALSE(image().Stretch());

  Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(10, 10));
  Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(90, 90));
  Mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton,
        QPoint(90, 90));
  Mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, QPoint(90, 90));
  EXPECT_EQ(Size(), QSize(400, 300));
  EXPECT_EQ(QPoint(image().Left(), image().Top()), at);
  EXPECT_EQ(pic().DragAnchor, QPoint(10, 10));  // only the left button sets the anchor
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST_F(ZoomPan, TheRubberBandInvertsAndDrawingItAgainRestoresTheScreen) {
  Load(400, 300);
  QWidget* surface = pic().Client();
  const QImage clean = surface->grab().toImage();
  const QPoint o(image().Left(), image().Top());

  Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(20, 30));
  EXPECT_FALSE(pic().BandDrawn);
  Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(120, 80));
  EXPECT_TRUE(pic().BandDrawn);
  EXPECT_EQ(pic().BandCorner, QPoint(120, 80));
  const QImage one = surface->grab().toImage();
  auto inverted = [&](const QImage& img, QPoint pt) {
    return (img.pixel(pt) & 0xFFFFFF) == (~clean.pixel(pt) & 0xFFFFFF);
  };
  // The outline is inverted, corners included; inside and outside stay.
  for (QPoint pt : {QPoint(20, 30), QPoint(120, 80), QPoint(70, 30), QPoint(20, 55),
                    QPoint(120, 55), QPoint(70, 80)})
    EXPECT_TRUE(inverted(one, o + pt)) << pt.x() << "," << pt.y();
  EXPECT_EQ(one.pixel(o + QPoint(70, 55)), clean.pixel(o + QPoint(70, 55)));
  EXPECT_EQ(one.pixel(o + QPoint(130, 90)), clean.pixel(o + QPoint(130, 90)));

  // The next move erases the first rectangle by drawing it again, then draws the new one.
  Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(60, 60));
  const QImage two = surface->grab().toImage();
  EXPECT_EQ(two.pixel(o + QPoint(120, 55)), clean.pixel(o + QPoint(120, 55)));
  EXPECT_TRUE(inverted(two, o + QPoint(60, 45)));

  // Back to where it was: only the first band on the screen again.
  Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(120, 80));
  EXPECT_EQ(surface->grab().toImage(), one);

  // A release where it was pressed zooms nothing and takes the band away.
  Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(20, 80));
  EXPECT_EQ(surface->grab().toImage(), clean);
}

TEST_F(ZoomPan, MovingWithoutTheButtonDrawsNothing) {
  Load(400, 300);
  QWidget* surface = pic().Client();
  const QImage clean = surface->grab().toImage();
  Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(50, 50));
  EXPECT_TRUE(pic().BandDrawn);
  EXPECT_EQ(surface->grab().toImage(), clean);
}

TEST_F(ZoomPan, EveryKeyGoesOnToTheMainWindow) {
  p.media.AddFile("/m/a.wav", 5000);
  p.SetEntries({"/m/a.wav"});
  Load(400, 300);
  Key('*');  // a zoom key goes on too, and does nothing there
  EXPECT_FALSE(p.Main().Active());
  Key('p');
  EXPECT_TRUE(p.Main().Active());
  Key('s');
  EXPECT_FALSE(p.Main().Active());
}

TEST_F(ZoomPan, ClosingTheWindowStopsPlaybackAndOnlyHidesIt) {
  p.media.AddFile("/m/a.wav", 5000);
  p.SetEntries({"/m/a.wav"});
  p.Main().PlayButtonClick(nullptr);
  ASSERT_TRUE(p.Main().Active());
  pic().show();
  EXPECT_TRUE(pic().close());
  EXPECT_FALSE(pic().isVisible());
  EXPECT_FALSE(p.Main().Active());
  EXPECT_FALSE(p.media.IsPlaying());
  // Still there for the next picture.
  pic().show();
  EXPECT_TRUE(pic().isVisible());
}
