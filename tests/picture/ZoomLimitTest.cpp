// A picture zoomed until its size reaches the integer limit still scrolls and zooms with sound
// arithmetic (the sanitizer build stops at the first signed overflow), and the scroll ranges
// and positions stay where they belong.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <limits>

#include "picture/PictureUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

constexpr int kMax = std::numeric_limits<int>::max();
// The largest side the toolkit gives a widget.
constexpr int kLargest = QWIDGETSIZE_MAX;

class ZoomLimit : public ::testing::Test {
 protected:
  void SetUp() override {
    p.Create();
    p.Start();
    pic().setGeometry(0, 0, 800, 600);
    pic().show();
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(QColor(40, 160, 90));
    image().SetPicture(picture);
    image().SetTop((pic().ClientHeight() - 300) / 2);
    image().SetLeft((pic().ClientWidth() - 400) / 2);
  }
  TPictureForm& pic() { return p.Picture(); }
  TImage& image() { return *pic().Image1; }
  void Key(char c) {
    p.time.Advance(600);  // each step zoom key starts again at one pixel
    QTest::keyClick(&pic(), c);
  }
  void Arrow(Qt::Key key, int times = 1) {
    for (int i = 0; i < times; ++i) QTest::keyClick(&pic(), key);
  }
  // Where the picture lies in the scrolled view follows from the scroll positions.
  void ExpectConsistent() {
    EXPECT_EQ(image().Left(), -pic().HorzScrollPosition());
    EXPECT_EQ(image().Top(), -pic().VertScrollPosition());
    EXPECT_EQ(pic().HorzScrollBar()->maximum(), image().width() - pic().ClientWidth());
    EXPECT_EQ(pic().VertScrollBar()->maximum(), image().height() - pic().ClientHeight());
  }
  // The control's rectangle is one the toolkit can hold.
  void ExpectAddressable() {
    EXPECT_LE(int64_t{image().Left()} + image().width() - 1, kMax);
    EXPECT_LE(int64_t{image().Top()} + image().height() - 1, kMax);
  }

  TestProgram p;
};

TEST_F(ZoomLimit, PlusUpToTheLimitThenScrollAndZoomAgain) {
  for (int i = 0; i < 40; ++i) Key('+');
  ASSERT_EQ(image().size(), QSize(kLargest, kLargest));
  EXPECT_EQ(QPoint(image().Left(), image().Top()), QPoint(0, 0));
  ExpectConsistent();

  // One step is a hundredth of the size in eight bits: 167772 % 256 = 92.
  Arrow(Qt::Key_Right, 3);
  Arrow(Qt::Key_Down, 2);
  EXPECT_EQ(pic().HorzScrollPosition(), 276);
  EXPECT_EQ(pic().VertScrollPosition(), 184);
  ExpectConsistent();

  // Each zoom places the picture at the corner of the view, wherever that is scrolled to: the
  // picture's far edge moves on by its whole width each time, until the scroll range reaches
  // the integer limit and stops there.
  for (int i = 0; i < 300; ++i) {
    pic().SetHorzScrollPosition(kMax);
    pic().SetVertScrollPosition(kMax);
    Key('+');
    ASSERT_EQ(image().size(), QSize(kLargest, kLargest));
    ASSERT_EQ(QPoint(image().Left(), image().Top()), QPoint(0, 0));
  }
  EXPECT_EQ(pic().HorzScrollBar()->maximum(), kMax);
  EXPECT_EQ(pic().VertScrollBar()->maximum(), kMax);
  ExpectAddressable();

  // Scrolling over the whole range, with the keys and to both ends.
  Arrow(Qt::Key_Right);
  Arrow(Qt::Key_Down);
  EXPECT_EQ(pic().HorzScrollPosition(), kMax);
  Arrow(Qt::Key_Left, 2);
  EXPECT_EQ(pic().HorzScrollPosition(), kMax - 184);
  EXPECT_EQ(image().Left(), 184);
  pic().ResetScroll();
  EXPECT_EQ(pic().HorzScrollPosition(), 0);
  EXPECT_EQ(pic().VertScrollPosition(), 0);
  ExpectAddressable();
  pic().SetHorzScrollPosition(std::numeric_limits<int>::min());
  Arrow(Qt::Key_Left);
  Arrow(Qt::Key_Up);
  EXPECT_EQ(pic().HorzScrollPosition(), 0);
  ExpectAddressable();
}

TEST_F(ZoomLimit, StepZoomAtTheLimitStaysThereAndComesBackDown) {
  for (int i = 0; i < 40; ++i) Key('+');
  Key('*');
  EXPECT_EQ(image().size(), QSize(kLargest, kLargest));
  Key('/');
  EXPECT_EQ(image().width(), kLargest - 1);
  EXPECT_GE(image().height(), kLargest - 2);
  EXPECT_LE(image().height(), kLargest - 1);
  ExpectConsistent();
  for (int i = 0; i < 40; ++i) Key('-');
  EXPECT_EQ(image().size(), QSize(1, 1));
  EXPECT_EQ(pic().HorzScrollBar()->maximum(), 0);
}

TEST_F(ZoomLimit, DragZoomBeyondTheLimitKeepsTheAnchorInRange) {
  for (int i = 0; i < 40; ++i) Key('+');
  Arrow(Qt::Key_Right, 5);
  // A drag over one pixel far inside the picture zooms by 800 and reaches the limit.
  auto mouse = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at) {
    QMouseEvent e(type, at, image().mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&image(), &e);
  };
  const QPoint from(3000000, 2000000), to(3000001, 2000001);
  mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from);
  mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to);
  mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to);
  EXPECT_EQ(image().size(), QSize(kLargest, kLargest));
  // The anchor would come to the corner at 800 x 3000000 and 800 x 2000000, beyond the
  // picture: the view goes as far as the ranges reach. It keeps the 460 pixels it was
  // scrolled by before the zoom.
  EXPECT_EQ(pic().HorzScrollPosition(), 460 + kLargest - pic().ClientWidth());
  EXPECT_EQ(pic().VertScrollPosition(), kLargest - pic().ClientHeight());
  ExpectAddressable();
  EXPECT_TRUE(p.dialogs.messages.empty());
}

}  // namespace
