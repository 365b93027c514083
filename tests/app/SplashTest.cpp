// The splash window over the first three seconds, and the program's start and end around it.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "app/SplashUnit.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

TEST(Splash, ShowsItsArtworkBorderlessOnTopAndCentred) {
  TestProgram p;
  p.Create();
  TSplashForm& s = p.Splash();
  EXPECT_TRUE(s.isVisible());
  EXPECT_TRUE(s.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(s.windowFlags() & Qt::WindowStaysOnTopHint);

  // Centred for the design size of 312 x 213; shown (and so active) it is 320 x 240 from the
  // same corner.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(s.pos(), QPoint(screen.x() + (screen.width() - 312) / 2,
                            screen.y() + (screen.height() - 213) / 2));
  EXPECT_EQ(s.size(), QSize(320, 240));
  EXPECT_EQ(s.Image1->geometry(), s.rect());
  EXPECT_EQ(s.Image1->alignment(), Qt::AlignCenter);

  // The artwork is a 320 x 240 picture with something on it.
  const QImage art = s.Image1->pixmap().toImage();
  ASSERT_EQ(art.size(), QSize(320, 240));
  QSet<QRgb> colours;
  for (int y = 0; y < art.height(); y += 8)
    for (int x = 0; x < art.width(); x += 8) colours.insert(art.pixel(x, y));
  EXPECT_GT(colours.size(), 50);
}

TEST(Splash, ActivationSetsTheClientSizeAndKeepsTheCorner) {
  TestProgram p;
  p.Create();
  TSplashForm& s = p.Splash();
  s.resize(312, 213);
  const QPoint corner = s.pos();
  s.FormActivate(&s);
  EXPECT_EQ(s.size(), QSize(320, 240));
  EXPECT_EQ(s.pos(), corner);
}

TEST(Splash, HidesThreeSecondsAfterStart) {
  TestProgram p;
  p.Create();
  p.Start();
  TSplashForm& s = p.Splash();
  p.time.Advance(2998);  // 2999 ms since the windows were made
  EXPECT_TRUE(s.isVisible());
  p.time.Advance(1);
  EXPECT_FALSE(s.isVisible());
  EXPECT_FALSE(s.isEnabled());
  EXPECT_FALSE(s.Timer1->Enabled());
  EXPECT_FALSE(p.forms->Application.Minimized());
  // And it does not come back.
  p.time.Advance(10000);
  EXPECT_FALSE(s.isVisible());
}

TEST(Splash, MinimisingTheProgramEndsTheSplashAtOnce) {
  TestProgram p;
  p.Create();
  p.Start();
  p.time.Advance(1000);
  ASSERT_TRUE(p.Splash().isVisible());
  p.forms->Application.Minimize();
  EXPECT_FALSE(p.Splash().isVisible());
  EXPECT_FALSE(p.Splash().Timer1->Enabled());
  // Its timer would have minimised nothing more.
  p.time.Advance(5000);
  EXPECT_FALSE(p.Splash().isVisible());
}

TEST(Splash, MinimizeAfterSplashSendsTheProgramToTheTrayWhenTheSplashEnds) {
  TestProgram p;
  p.Create();
  p.Start();
  p.Main().show();
  p.Splash().MinimizeAfterSplash = true;
  p.time.Advance(2000);
  EXPECT_FALSE(p.forms->Application.Minimized());
  p.time.Advance(1000);
  EXPECT_FALSE(p.Splash().isVisible());
  EXPECT_TRUE(p.forms->Application.Minimized());
  EXPECT_TRUE(p.Main().RxTrayIcon1->Active());
  EXPECT_FALSE(p.Main().isVisible());
}

TEST(ProgramLife, TheFirstTickRunsTheStartUpOnceAndTheClockGoesOn) {
  TestProgram p;
  p.Create();
  EXPECT_TRUE(p.Main().FirstTick);
  EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0");
  p.time.Advance(1);
  EXPECT_FALSE(p.Main().FirstTick);
  EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - Untitled");
  p.time.Advance(2000);
  EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - Untitled");
  EXPECT_NE(p.Main().Clock->text(), "Clock");
}

TEST(ProgramLife, DestroyingTheMainWindowStopsWhatPlays) {
  TestProgram p;
  p.media.AddFile("/m/a.wav", 60000);
  p.Create();
  p.Start();
  p.SetEntries({"/m/a.wav"});
  p.Main().PlayButtonClick(nullptr);
  ASSERT_TRUE(p.media.IsPlaying());
  p.forms.reset();
  EXPECT_FALSE(p.media.IsPlaying());
  EXPECT_FALSE(p.media.IsOpen());
}

TEST(ProgramLife, DestroyingAnIdleMainWindowTouchesNoDevice) {
  TestProgram p;
  p.media.AddFile("/m/a.wav", 60000);
  p.Create();
  p.Start();
  p.SetEntries({"/m/a.wav"});
  p.forms.reset();
  EXPECT_EQ(p.media.OpenCount(), 0);
  EXPECT_TRUE(p.dialogs.messages.empty());
}
