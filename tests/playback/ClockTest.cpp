// The playback clock: waits, pictures, the pause after each item, track ends, the end of the
// list, random play, and whole play lists run unattended in virtual time.
#include <QLocale>
#include <set>

#include "PlayerFixture.h"

namespace ostrivo::test {
namespace {

using Clock = Player;

TEST_F(Clock, IdleWithAnEmptyListOnlyKeepsTheTimeOfDay) {
  p.time.SetLocalTime(QTime(9, 41, 7));
  p.time.Advance(1);
  const QString shown = M().Clock->text();
  EXPECT_TRUE(shown.contains(QStringLiteral("41:07"))) << shown.toStdString();
  p.time.SetLocalTime(QTime(9, 41, 8, 500));
  p.time.Advance(1);
  EXPECT_TRUE(M().Clock->text().contains(QStringLiteral("41:08")));
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Status(), QString());
  EXPECT_EQ(M().Timer1->Interval(), 1u);
}

TEST_F(Clock, ThePositionShowsOnTheBarAndTheStatusLineInWholeSeconds) {
  const QByteArray a = Media("a.wav", 3723000);
  Set({a});
  Play();
  p.time.Advance(62999);
  EXPECT_EQ(M().TrackBar1->Position(), 62);
  EXPECT_EQ(p.Status(), "Playing /m/a.wav - 0:1:2 of 1:2:3");
  EXPECT_EQ(p.TrayHint(), "Playing /m/a.wav");  // the clock writes the status line only
  p.time.Advance(1);
  EXPECT_EQ(p.Status(), "Playing /m/a.wav - 0:1:3 of 1:2:3");
}

TEST_F(Clock, APictureStaysItsDisplayTimeThenThePauseThenTheNextEntryStarts) {
  const QByteArray pic = PictureFile("p.bmp", 2000, 1500), a = Media("a.wav", 1000);
  SetDisplay("3");
  SetPause("2");
  Set({pic, a});
  const std::int64_t start = p.time.Now();
  Play();
  EXPECT_TRUE(p.Picture().isVisible());
  EXPECT_EQ(M().Timer1->Interval(), 3000u);
  p.time.Advance(2999);
  EXPECT_FALSE(M().InPause);
  p.Picture().SetVertScrollPosition(100);  // the user scrolled the picture down
  ASSERT_EQ(p.Picture().VertScrollPosition(), 100);
  p.time.Advance(1);
  EXPECT_TRUE(M().InPause);  // the pause after the item, picture still up
  EXPECT_TRUE(p.Picture().isVisible());
  EXPECT_EQ(p.Picture().VertScrollPosition(), 0);  // back to the top left
  EXPECT_EQ(M().Timer1->Interval(), 2000u);
  EXPECT_EQ(When([&] { return PlayingFile(a); }), start + 3000 + 2000);
  EXPECT_FALSE(p.Picture().isVisible());
}

TEST_F(Clock, APictureWithDisplayTimeZeroMovesOnAfterTwoMilliseconds) {
  const QByteArray pic = PictureFile("p.bmp"), a = Media("a.wav", 1000);
  for (const char* display : {"0", "", "x3"}) {
    SetDisplay(display);
    Set({pic, a});
    const std::int64_t start = p.time.Now();
    Play();
    EXPECT_EQ(M().Timer1->Interval(), 2u) << display;
    EXPECT_EQ(When([&] { return PlayingFile(a); }), start + 2) << display;
    Stop();
  }
}

TEST_F(Clock, APauseMarkWaitsItsSecondsThenThePauseOption) {
  const QByteArray a = Media("a.wav", 1000);
  SetPause("1");
  Set({"Pause: 5", a});
  const std::int64_t start = p.time.Now();
  Play();
  p.time.Advance(5000);
  EXPECT_TRUE(M().InPause);
  EXPECT_EQ(When([&] { return PlayingFile(a); }), start + 5000 + 1000);
}

TEST_F(Clock, StopDuringThePauseAfterTheLastEntryClosesTheWindowOnTheNextTick) {
  const QByteArray a = Media("a.wav", 1000);
  SetPause("5");
  M().QuitAtEnd = true;
  Set({a});
  Play();
  p.time.Advance(2000);
  ASSERT_TRUE(M().InPause);
  Stop();
  EXPECT_TRUE(M().InPause);  // Stop leaves it
  EXPECT_FALSE(p.forms->Terminated());
  p.time.Advance(1);
  EXPECT_TRUE(p.forms->Terminated());
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Selected(), 0);
}

TEST_F(Clock, StopDuringThePauseMovesTheSelectionOnWithoutPlaying) {
  const QByteArray a = Media("a.wav", 1000), b = Media("b.wav", 1000);
  SetPause("5");
  Set({a, b});
  Play();
  p.time.Advance(2000);
  Stop();
  p.time.Advance(1);
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_FALSE(M().Active());
  EXPECT_FALSE(M().InPause);
  EXPECT_EQ(p.media.OpenRequests().back().path, a);
}

TEST_F(Clock, AtTheEndTheClockConsultsContinuousPlayBeforeQuitAtEnd) {
  const QByteArray pic = PictureFile("p.bmp"), a = Media("a.wav", 1000);
  SetDisplay("1");
  M().QuitAtEnd = true;
  O().ContinuousBox->setChecked(true);
  Set({a, pic});
  Play();
  const std::int64_t start = p.time.Now();
  // The picture ends the list: continuous play wins and the window stays.
  EXPECT_EQ(When([&] { return p.media.PlayCount() == 2; }), start + 2000);
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_FALSE(p.forms->Terminated());
  // Without continuous play the clock runs Stop and closes, leaving the selection at the end.
  O().ContinuousBox->setChecked(false);
  EXPECT_EQ(When([&] { return p.forms->Terminated(); }), start + 4000);
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Selected(), 1);
}

TEST_F(Clock, SelectingAPictureWhileMediaPlaysEndsItOnTheNextTick) {
  const QByteArray pic = PictureFile("p.bmp"), a = Media("a.wav", 10000), b = Media("b.wav", 1000);
  Set({a, pic, b});
  Play();
  p.time.Advance(500);
  M().ListBox1->SetItemIndex(1);  // the user clicks the picture line
  const std::int64_t clicked = p.time.Now();
  EXPECT_EQ(When([&] { return PlayingFile(b); }), clicked + 1);
  EXPECT_FALSE(p.Picture().isVisible());
}

TEST_F(Clock, AutoPlayStartsAtTheEndOfTheTick) {
  const QByteArray a = Media("a.wav", 1000);
  Set({a});
  M().AutoPlay = true;  // set by the start-up inside a tick; from outside, the clock is woken
  M().Timer1->Wake();
  p.time.Advance(1);
  EXPECT_FALSE(M().AutoPlay);
  EXPECT_TRUE(PlayingFile(a));
  EXPECT_EQ(p.Selected(), 0);
}

TEST_F(Clock, ADeviceThatIsNotOpenIsNeverAskedForItsLength) {
  // A media line selected while a picture shows: there is no device for it.
  const QByteArray pic = PictureFile("p.bmp"), a = Media("a.wav", 1000);
  p.dialogs.whileMessageShown = [&](const ShownMessage&) { p.time.Advance(100); };
  Set({pic, a});
  Play();
  M().ListBox1->SetItemIndex(1);
  p.time.Advance(5000);
  EXPECT_TRUE(p.dialogs.Errors().isEmpty());
  EXPECT_TRUE(M().Active());
}

// Random play draws below count - 1 through the completion handler, the clock and Next.
TEST_F(Clock, RandomPlayNeverSelectsTheLastEntryExceptThroughPrevious) {
  O().RandomBox->setChecked(true);
  const QByteArray a = Media("a.wav", 7), b = Media("b.wav", 7), c = Media("c.wav", 7);
  const QByteArray pic = PictureFile("p.bmp");
  SetDisplay("0");
  Set({a, pic, b, "Pause: 0", c});
  std::set<int> chosen;
  Play();
  for (int i = 0; i < 3000; ++i) {
    p.time.Advance(1);
    chosen.insert(p.Selected());
  }
  EXPECT_EQ(chosen.count(4), 0u);
  EXPECT_GE(chosen.size(), 4u);  // every other entry came up
  std::set<int> next;
  for (int i = 0; i < 300; ++i) {
    Next();
    next.insert(p.Selected());
    p.time.Advance(3);
  }
  EXPECT_EQ(next.count(4), 0u);
  std::set<int> previous;
  for (int i = 0; i < 300; ++i) {
    Previous();
    previous.insert(p.Selected());
    p.time.Advance(3);
  }
  EXPECT_EQ(previous.count(4), 1u);
}

// A list of a media file, a picture, a pause, another file, a Stop mark and a third file, with
// a display time of 3 and a pause of 2 after each item.
TEST_F(Clock, AWholeListRunsUnattendedWithExactTimes) {
  const QByteArray a = Media("a.wav", 2000), b = Media("b.wav", 1500), c = Media("c.wav", 1000);
  const QByteArray pic = PictureFile("p.bmp");
  SetDisplay("3");
  SetPause("2");
  Set({a, pic, "Pause: 3", b, "Stop", c});
  p.time.AdvanceTo(1000);
  Play();
  EXPECT_TRUE(PlayingFile(a));

  p.time.AdvanceTo(2500);
  EXPECT_EQ(p.Status(), "Playing /m/a.wav - 0:0:1 of 0:0:2");
  EXPECT_EQ(p.TrayHint(), "Playing /m/a.wav");
  // a ends at 3000; the pause after it runs to 5000 with the device open and silent.
  p.time.AdvanceTo(4000);
  EXPECT_TRUE(M().Active() && M().InPause);
  EXPECT_TRUE(p.media.IsOpen() && !p.media.IsPlaying());

  EXPECT_EQ(When([&] { return p.Picture().isVisible(); }), 5000);
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_EQ(p.TrayHint(), "Showing " + QString::fromLocal8Bit(pic));
  EXPECT_EQ(p.Picture().windowTitle(), "Showing " + QString::fromLocal8Bit(pic));
  EXPECT_EQ(p.Status(), "Idle");  // Play ran Stop first; the picture leaves the line alone
  EXPECT_TRUE(M().Active());

  EXPECT_EQ(When([&] { return p.Selected() == 2; }), 10000);  // 3 s shown, 2 s pause
  EXPECT_TRUE(M().Active());
  EXPECT_TRUE(p.Picture().isVisible());  // a Pause mark keeps the picture up
  EXPECT_EQ(M().Timer1->Interval(), 3000u);

  EXPECT_EQ(When([&] { return PlayingFile(b); }), 15000);  // 3 s mark, 2 s pause
  EXPECT_EQ(p.Selected(), 3);
  EXPECT_FALSE(p.Picture().isVisible());
  EXPECT_EQ(p.media.OpenCount(), 2);
  p.time.AdvanceTo(15600);
  EXPECT_EQ(p.Status(), "Playing /m/b.wav - 0:0:0 of 0:0:1");

  // b ends at 16500; after the pause the Stop mark ends the run.
  EXPECT_EQ(When([&] { return !M().Active(); }), 18500);
  EXPECT_EQ(p.Selected(), 4);
  EXPECT_EQ(p.Status(), "Idle");
  EXPECT_EQ(p.TrayHint(), "Idle");
  p.time.Advance(5000);
  EXPECT_EQ(p.media.OpenCount(), 2);  // c never plays
  EXPECT_FALSE(p.forms->Terminated());
}

// ---- Stepping and seeking ----

using Stepping = Player;

TEST_F(Stepping, NextOnTheLastEntryAndPreviousOnTheFirstRestartThem) {
  const QByteArray a = Media("a.wav", 5000), b = Media("b.wav", 5000);
  Set({a, b});
  M().ListBox1->SetItemIndex(1);
  Play();
  p.time.Advance(1000);
  Next();
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_EQ(p.media.PositionMs(), 0);
  EXPECT_TRUE(PlayingFile(b));
  Previous();
  Previous();
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_TRUE(PlayingFile(a));
  O().ContinuousBox->setChecked(true);
  Next();
  Next();
  EXPECT_EQ(p.Selected(), 0);  // continuous play wraps Next ...
  Previous();
  EXPECT_EQ(p.Selected(), 0);  // ... but not Previous
}

TEST_F(Stepping, NextWhileIdleMovesTheSelectionAndStaysIdle) {
  const QByteArray a = Media("a.wav", 5000), b = Media("b.wav", 5000);
  const QByteArray pic = PictureFile("p.bmp");
  Set({a, pic, b});
  Next();  // no selection: entry 0
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_FALSE(M().Active());
  EXPECT_FALSE(p.media.IsPlaying());
  EXPECT_EQ(p.Status(), "Idle");
  Next();
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_TRUE(p.Picture().isVisible());  // Stop does not hide the picture
  EXPECT_FALSE(M().Active());
  p.time.Advance(5000);
  EXPECT_EQ(p.Selected(), 1);
}

TEST_F(Stepping, NextAndPreviousOnAnEmptyListDoNothing) {
  Next();
  Previous();
  O().RandomBox->setChecked(true);
  Next();
  Previous();
  EXPECT_EQ(p.Selected(), -1);
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.media.OpenCount(), 0);
  EXPECT_TRUE(p.dialogs.Errors().isEmpty());
}

TEST_F(Stepping, SeekWhileIdleShowsTheTextAndTheNextMediaFileStillStartsAtZero) {
  const QByteArray a = Media("a.wav", 60000);
  Set({a});
  M().CurrentFile = a;
  M().TrackBar1->SetMax(60);
  M().TrackBar1->SetPosition(30);
  Do(&TMainForm::TrackBar1Change);
  EXPECT_EQ(p.Status(), "Playing /m/a.wav - 0:0:30 of 0:1:0");
  EXPECT_FALSE(p.media.IsOpen());
  EXPECT_TRUE(M().Timer1->Enabled());
  Play();
  p.time.Advance(10);
  EXPECT_EQ(p.media.PositionMs(), 10);
}

TEST_F(Stepping, SeekWhilePlayingPlaysFromTheBarsPosition) {
  const QByteArray a = Media("a.wav", 60000), b = Media("b.wav", 1000);
  Set({a, b});
  Play();
  p.time.Advance(1000);
  M().TrackBar1->SetPosition(50);
  Do(&TMainForm::TrackBar1Change);
  EXPECT_EQ(p.media.PositionMs(), 50000);
  const std::int64_t seek = p.time.Now();
  EXPECT_EQ(When([&] { return PlayingFile(b); }), seek + 10000);
}

TEST_F(Stepping, AKeySeekLeavesTheDeviceAlone) {
  const QByteArray a = Media("a.wav", 60000);
  Set({a});
  Play();
  M().KeySeek = true;
  M().TrackBar1->SetPosition(50);
  Do(&TMainForm::TrackBar1Change);
  EXPECT_LT(p.media.PositionMs(), 1000);
  EXPECT_TRUE(M().Timer1->Enabled());
}

TEST_F(Stepping, PlayFromMarkReturnsToTheMarkOrToTheStart) {
  const QByteArray a = Media("a.wav", 60000);
  Set({a});
  Play();
  p.time.Advance(4000);
  Do(&TMainForm::PlayMarkButtonClick);  // never marked: from the beginning
  EXPECT_EQ(p.media.PositionMs(), 0);
  EXPECT_TRUE(p.media.IsPlaying());
  p.time.Advance(2500);
  Do(&TMainForm::MarkButtonClick);
  EXPECT_EQ(M().MarkPosition, 2500);
  p.time.Advance(7000);
  Do(&TMainForm::PlayMarkButtonClick);
  EXPECT_EQ(p.media.PositionMs(), 2500);
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_TRUE(M().Active());
}

TEST_F(Stepping, PlayFromMarkWithNoDeviceOpenReportsIt) {
  Do(&TMainForm::PlayMarkButtonClick);
  EXPECT_EQ(p.dialogs.Errors(), QStringList{"No MCI device open."});
}

}  // namespace
}  // namespace ostrivo::test
