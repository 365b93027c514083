// ShowPicture: sizing and placing a picture in the picture window, its caption, its display
// time, and what a picture that cannot be loaded leaves behind.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>

#include <jerror.h>

#include "PictureFiles.h"
#include "ShowFixture.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "picture/PictureUnit.h"
#include "player/MediaPlayer.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

namespace ostrivo::test {
namespace {

TEST_F(Show, FitShrinksA1600By1200PictureToTheHeightAndCentresIt) {
  O().FitBox->setChecked(true);
  ShowIn(1024, 740, Jpeg(1600, 1200));
  EXPECT_EQ(W().ClientWidth(), 1024);
  EXPECT_EQ(W().ClientHeight(), 740);
  EXPECT_EQ(Placed(), QRect(19, 0, 986, 740));
  EXPECT_TRUE(I().Stretch());
  EXPECT_EQ(I().Picture().size(), QSize(1600, 1200));
  EXPECT_TRUE(W().HorzScrollBar()->isHidden() && W().VertScrollBar()->isHidden());
}

TEST_F(Show, StretchFillsTheHeightThenFitsTheWidth) {
  O().StretchBox->setChecked(true);
  ShowIn(800, 600, Jpeg(100, 50));
  EXPECT_EQ(Placed(), QRect(0, 100, 800, 400));
  EXPECT_TRUE(I().Stretch());
}

TEST_F(Show, StretchLetsTheWidthGovernATallWindow) {
  O().StretchBox->setChecked(true);
  ShowIn(300, 900, Jpeg(100, 50));
  // (900 - 50) > (300 - 100): H = Trunc((30000 / 100) * 0.5) = 150, W = 300.
  EXPECT_EQ(Placed(), QRect(0, 375, 300, 150));
}

TEST_F(Show, FitKeepsASmallPictureAtItsNaturalSizeInTheMiddle) {
  O().FitBox->setChecked(true);
  ShowIn(800, 600, Jpeg(101, 51));
  EXPECT_EQ(Placed(), QRect(349, 274, 101, 51));
}

TEST_F(Show, FitShrinksAWidePictureToTheWidth) {
  O().FitBox->setChecked(true);
  ShowIn(800, 600, Jpeg(1000, 300));
  // Step 2 only: H = Trunc((80000 / 1000) * 3) = 240.
  EXPECT_EQ(Placed(), QRect(0, 180, 800, 240));
}

TEST_F(Show, WithoutOptionsALargePictureIsCentredWithNegativeOffsetsAndScrolls) {
  ShowIn(800, 600, Jpeg(1201, 901));
  EXPECT_FALSE(I().Stretch());
  EXPECT_EQ(I().Left(), -200);
  EXPECT_EQ(I().Top(), -150);
  EXPECT_EQ(I().size(), QSize(1201, 901));
  EXPECT_TRUE(W().AutoScroll());
  ASSERT_TRUE(!W().HorzScrollBar()->isHidden() && !W().VertScrollBar()->isHidden());
  // Both the parts left of and above the origin and those beyond the window can be reached.
  EXPECT_EQ(W().HorzScrollBar()->minimum(), -200);
  EXPECT_EQ(W().HorzScrollBar()->maximum(), 1001 - W().ClientWidth());
  EXPECT_EQ(W().VertScrollBar()->minimum(), -150);
  W().SetHorzScrollPosition(-5000);
  EXPECT_EQ(W().HorzScrollPosition(), -200);
  EXPECT_EQ(I().Left(), 0);  // the picture's left edge at the window's
  W().SetVertScrollPosition(100);
  EXPECT_EQ(I().Top(), -250);
  W().ResetScroll();
  EXPECT_EQ(I().Left(), -200);
  EXPECT_EQ(I().Top(), -150);
}

TEST_F(Show, EachShowResetsTheSizeAndPlaceOfTheLastOne) {
  const QByteArray big = Jpeg(1201, 901, "big.jpg"), small = Jpeg(40, 20, "small.jpg");
  ShowIn(800, 600, big);
  W().SetVertScrollPosition(200);
  p.SetEntries({small});
  p.forms->Application.Guard([&] { p.Main().PlayButtonClick(nullptr); });
  EXPECT_EQ(Placed(), QRect(380, 290, 40, 20));
  EXPECT_EQ(W().VertScrollPosition(), 0);
  EXPECT_TRUE(W().HorzScrollBar()->isHidden() && W().VertScrollBar()->isHidden());
}

TEST_F(Show, CaptionTrayHintBorderAndDisplayTime) {
  O().Edit1->setText("7 seconds");
  const QByteArray entry = Jpeg(20, 20);
  ShowIn(640, 480, entry);
  const QString shown = "Showing " + QString::fromLocal8Bit(entry);
  EXPECT_TRUE(W().isVisible());
  EXPECT_EQ(W().windowTitle(), shown);
  EXPECT_EQ(p.TrayHint(), shown);
  EXPECT_EQ(p.Main().CurrentFile, entry);
  EXPECT_TRUE(W().windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(W().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(p.Main().Timer1->Enabled());
  EXPECT_EQ(p.Main().Timer1->Interval(), 7000u);

  O().TitleBox->setChecked(true);
  p.forms->Application.Guard([&] { p.Main().PlayButtonClick(nullptr); });
  EXPECT_FALSE(W().windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(W().windowFlags().testFlag(Qt::WindowTitleHint));
  EXPECT_TRUE(W().isVisible());
}

TEST_F(Show, APictureThatCannotBeLoadedHaltsTheShowWithTheWindowUp) {
  O().FitBox->setChecked(true);
  const QByteArray missing = files.File("gone.jpg").toLocal8Bit();
  p.media.AddFile("/m/a.wav", 1000);
  W().WorkArea = QRect(0, 0, 800, 600);
  p.SetEntries({missing, "/m/a.wav"});
  p.forms->Application.Guard([&] { p.Main().PlayButtonClick(nullptr); });
  EXPECT_EQ(p.dialogs.Errors(),
            QStringList{"Cannot open file " + QString::fromLocal8Bit(missing) + "."});
  EXPECT_TRUE(W().isVisible());
  EXPECT_FALSE(W().AutoScroll());
  EXPECT_FALSE(p.Main().Timer1->Enabled());
  p.time.Advance(10000);
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_EQ(p.dialogs.Errors().size(), 1);
  p.forms->Application.Guard([&] { p.Main().NextButtonClick(nullptr); });
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_FALSE(W().isVisible());  // a media entry hides the picture
}

TEST_F(Show, ABadBitmapAndABrokenJpegAreReportedInTheirOwnWords) {
  const QByteArray bmp = files.Write("bad.bmp", "BMxxxxxxxxxxxxxxxxxxxxxxxxxxxxx").toLocal8Bit();
  const QByteArray jpg = files.Write("bad.jpg", "plain text").toLocal8Bit();
  W().WorkArea = QRect(0, 0, 800, 600);
  p.SetEntries({bmp, jpg});
  p.forms->Application.Guard([&] { p.Main().PlayButtonClick(nullptr); });
  p.forms->Application.Guard([&] { p.Main().NextButtonClick(nullptr); });
  EXPECT_EQ(p.dialogs.Errors(), (QStringList{"Bitmap image is not valid.",
                                             QStringLiteral("JPEG error #%1.").arg(JERR_NO_SOI)}));
}

TEST_F(Show, TheColourOperationPaintsTheBackground) {
  EXPECT_EQ(W().Color(), W().palette().color(QPalette::Button));
  W().SetColor(QColor(10, 20, 30));
  EXPECT_EQ(W().Color(), QColor(10, 20, 30));
}

// What the screen shows: the picture in the middle of the window's colour.
TEST_F(Show, TheWindowShowsThePictureInItsPlace) {
  O().FitBox->setChecked(true);
  W().SetColor(QColor(0, 0, 128));
  QImage source(1200, 600, QImage::Format_RGB32);
  source.fill(qRgb(255, 255, 0));
  const QByteArray entry = files.Write("y.jpg", EncodeJpeg(source, 95)).toLocal8Bit();
  ShowIn(640, 480, entry);
  // Fit: step 1 gives 960 x 480; step 2 H = Trunc((64000 / 960) * 4.8), which in extended
  // precision is just below 320: 319. Centred at Top = half(161) = 80.
  ASSERT_EQ(Placed(), QRect(0, 80, 640, 319));
  const QImage shot = W().grab().toImage();
  if (qEnvironmentVariableIsSet("OSTRIVO_SHOT_DIR"))
    shot.save(qEnvironmentVariable("OSTRIVO_SHOT_DIR") + "/picture-window.png");
  ASSERT_EQ(shot.size(), QSize(640, 480));
  auto near = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 16 && std::abs(qGreen(a) - qGreen(b)) < 16 &&
           std::abs(qBlue(a) - qBlue(b)) < 16;
  };
  EXPECT_TRUE(near(shot.pixel(320, 240), qRgb(255, 255, 0)));
  EXPECT_TRUE(near(shot.pixel(5, 85), qRgb(255, 255, 0)));
  EXPECT_TRUE(near(shot.pixel(320, 79), qRgb(0, 0, 128)));
  EXPECT_TRUE(near(shot.pixel(320, 400), qRgb(0, 0, 128)));
  EXPECT_TRUE(near(shot.pixel(635, 395), qRgb(255, 255, 0)));
}

}  // namespace
}  // namespace ostrivo::test

namespace ostrivo::test {
namespace {

// Neither option: the middle of a picture larger than the window is in view, scroll bars beside.
TEST_F(Show, ALargePictureShowsItsMiddleWithScrollBars) {
  const QImage source = Gradient(1600, 1200);
  const QByteArray entry = files.Write("g.jpg", EncodeJpeg(source, 95)).toLocal8Bit();
  ShowIn(800, 600, entry);
  const QImage shot = W().grab().toImage();
  if (qEnvironmentVariableIsSet("OSTRIVO_SHOT_DIR"))
    shot.save(qEnvironmentVariable("OSTRIVO_SHOT_DIR") + "/picture-window-large.png");
  ASSERT_FALSE(W().HorzScrollBar()->isHidden());
  // Window point (x, y) shows picture point (x + 400, y + 300).
  for (QPoint at : {QPoint(400, 300), QPoint(10, 10), QPoint(700, 500)}) {
    const QRgb want = source.pixel(at + QPoint(400, 300)), got = shot.pixel(at);
    EXPECT_NEAR(qRed(got), qRed(want), 12);
    EXPECT_NEAR(qGreen(got), qGreen(want), 12);
  }
  // The scroll bars take the window's last rows and columns.
  EXPECT_EQ(W().HorzScrollBar()->geometry().bottom(), 599);
  EXPECT_EQ(W().VertScrollBar()->geometry().right(), 799);
}

}  // namespace
}  // namespace ostrivo::test
