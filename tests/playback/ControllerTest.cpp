// Play, Pause, Stop and the completion handler, on the simulated device in virtual time.
#include "PlayerFixture.h"
#include "support/NonRegularFiles.h"

namespace ostrivo::test {
namespace {

using Controller = Player;

TEST_F(Controller, PlayWithAnEmptyListOnlyStopsWhatWasActive) {
  Play();
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Status(), QString());
  EXPECT_EQ(p.media.OpenCount(), 0);

  const QByteArray a = Media("a.wav", 5000);
  Set({a});
  Play();
  M().ListBox1->Items().Clear();
  Play();  // stops a, then finds nothing to play
  EXPECT_FALSE(M().Active());
  EXPECT_FALSE(p.media.IsOpen());
  EXPECT_EQ(p.Status(), "Idle");
}

TEST_F(Controller, PlayWithoutSelectionStartsEntryZeroAndSwitchesTheNineControls) {
  const QByteArray a = Media("a.wav", 125000), b = Media("b.wav", 1000);
  Set({a, b});
  Play();
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_TRUE(PlayingFile(a));
  EXPECT_EQ(p.media.OpenRequests().back().deviceType, QByteArray());
  EXPECT_EQ(p.Status(), "Playing /m/a.wav");
  EXPECT_EQ(p.TrayHint(), "Playing /m/a.wav");
  EXPECT_EQ(M().TrackBar1->Max(), 125);
  EXPECT_EQ(M().CurrentFile, a);
  EXPECT_FALSE(M().PlayButton->isEnabled() || M().Play1->isEnabled() || M().PopupPlay->isEnabled());
  EXPECT_TRUE(M().PauseButton->isEnabled() && M().Pause1->isEnabled() &&
              M().PopupPause->isEnabled());
  EXPECT_TRUE(M().StopButton->isEnabled() && M().Stop1->isEnabled() && M().PopupStop->isEnabled());

  Stop();
  EXPECT_TRUE(M().PlayButton->isEnabled() && M().Play1->isEnabled() && M().PopupPlay->isEnabled());
  EXPECT_FALSE(M().PauseButton->isEnabled() || M().Pause1->isEnabled() ||
               M().PopupPause->isEnabled());
  EXPECT_FALSE(M().StopButton->isEnabled() || M().Stop1->isEnabled() || M().PopupStop->isEnabled());
  EXPECT_FALSE(p.media.IsOpen());
  EXPECT_EQ(p.Status(), "Idle");
  EXPECT_EQ(p.TrayHint(), "Idle");
  EXPECT_EQ(p.Selected(), 0);
}

TEST_F(Controller, PositionTextWritesUnpaddedHoursMinutesSeconds) {
  M().CurrentFile = "x.wav";
  EXPECT_EQ(M().PositionText(3725, 180), "Playing x.wav - 1:2:5 of 0:3:0");
  EXPECT_EQ(M().PositionText(0, 59), "Playing x.wav - 0:0:0 of 0:0:59");
}

TEST_F(Controller, AStopMarkEndsPlaybackAndKeepsTheSelectionOnIt) {
  const QByteArray a = Media("a.wav", 1000);
  Set({a, "Stop", a});
  const std::int64_t start = p.time.Now();
  Play();
  EXPECT_EQ(When([&] { return !M().Active(); }), start + 1000);
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_EQ(p.Status(), "Idle");
  // Play again stops again, until the user selects another entry.
  Play();
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Selected(), 1);
  p.time.Advance(3000);
  EXPECT_FALSE(M().Active());
}

TEST_F(Controller, AQuitMarkStopsAndClosesTheMainWindow) {
  const QByteArray a = Media("a.wav", 500);
  Set({a, "Quit now"});
  Play();
  p.time.Advance(499);
  EXPECT_FALSE(p.forms->Terminated());
  p.time.Advance(1);
  EXPECT_TRUE(p.forms->Terminated());
  EXPECT_FALSE(M().Active());
  EXPECT_FALSE(p.media.IsPlaying());
}

TEST_F(Controller, PauseMarksWaitTheirSecondsOrTwoMillisecondsForZero) {
  const QByteArray a = Media("a.wav", 10000), b = Media("b.wav", 10000);
  Set({"Pause: 3", a, "Pause: 0", b, "Pause: -4", a});
  const std::int64_t start = p.time.Now();
  Play();
  EXPECT_TRUE(M().Active());
  EXPECT_EQ(M().Timer1->Interval(), 3000u);
  EXPECT_EQ(When([&] { return PlayingFile(a); }), start + 3000);
  Do(&TMainForm::NextButtonClick);  // to "Pause: 0"
  const std::int64_t zero = p.time.Now();
  EXPECT_EQ(When([&] { return PlayingFile(b); }), zero + 2);
  M().ListBox1->SetItemIndex(4);
  Play();
  const std::int64_t negative = p.time.Now();
  EXPECT_EQ(When([&] { return PlayingFile(a); }), negative + 2);
}

TEST_F(Controller, AnUnreadablePauseMarkIsReportedOnceAndPassedOnTheNextTick) {
  const QByteArray a = Media("a.wav", 10000);
  Set({"Pause: 5.bmp", a});
  const std::int64_t start = p.time.Now();
  Play();
  EXPECT_EQ(p.dialogs.Errors(), QStringList{"'5.bmp' is not a valid integer value."});
  EXPECT_EQ(M().Timer1->Interval(), 1u);
  EXPECT_EQ(When([&] { return PlayingFile(a); }), start + 1);
  EXPECT_EQ(p.dialogs.Errors().size(), 1);
}

TEST_F(Controller, PauseHoldsEverythingAndTheSecondPressResumes) {
  const QByteArray a = Media("a.wav", 3000), b = Media("b.wav", 3000);
  Set({a, b});
  Play();
  const std::int64_t start = p.time.Now();
  p.time.Advance(1000);
  Pause();
  EXPECT_TRUE(M().UserPaused);
  EXPECT_TRUE(p.media.IsPaused());
  EXPECT_FALSE(M().Timer1->Enabled());
  p.time.Advance(10000);
  EXPECT_TRUE(p.media.IsPaused());
  EXPECT_EQ(p.Selected(), 0);
  Pause();
  EXPECT_FALSE(M().UserPaused);
  EXPECT_TRUE(M().Timer1->Enabled());
  EXPECT_EQ(When([&] { return PlayingFile(b); }), start + 3000 + 10000);
}

TEST_F(Controller, APausedPictureStaysUntilThePauseEnds) {
  const QByteArray pic = PictureFile("p.bmp"), a = Media("a.wav", 1000);
  SetDisplay("1");
  Set({pic, a});
  Play();
  p.time.Advance(500);
  Pause();
  p.time.Advance(5000);
  EXPECT_TRUE(p.Picture().isVisible());
  EXPECT_FALSE(p.media.IsOpen());
  Pause();
  EXPECT_TRUE(When([&] { return PlayingFile(a); }) > 0);
}

TEST_F(Controller, StopWhilePausedThenPlayHandlesTheNewCompletion) {
  const QByteArray a = Media("a.wav", 2000), b = Media("b.wav", 2000);
  Set({a, b});
  Play();
  p.time.Advance(500);
  Pause();
  Stop();
  EXPECT_FALSE(M().UserPaused);
  Play();  // a again, from the start
  const std::int64_t start = p.time.Now();
  EXPECT_EQ(When([&] { return PlayingFile(b); }), start + 2000);
}

TEST_F(Controller, ThePauseOptionKeepsTheDeviceOpenAndSilentThenMovesOn) {
  const QByteArray a = Media("a.wav", 1000), b = Media("b.wav", 1000);
  SetPause("2");
  Set({a, b});
  Play();
  const std::int64_t start = p.time.Now();
  p.time.Advance(1500);
  EXPECT_TRUE(M().Active());
  EXPECT_TRUE(M().InPause);
  EXPECT_TRUE(p.media.IsOpen());
  EXPECT_FALSE(p.media.IsPlaying());
  EXPECT_EQ(M().Timer1->Interval(), 2000u);
  EXPECT_EQ(When([&] { return PlayingFile(b); }), start + 1000 + 2000);
  EXPECT_FALSE(M().InPause);
}

TEST_F(Controller, AtTheEndTheCompletionHandlerClosesBeforeItConsultsContinuousPlay) {
  const QByteArray a = Media("a.wav", 1000), b = Media("b.wav", 1000);
  M().QuitAtEnd = true;
  O().ContinuousBox->setChecked(true);
  Set({a, b});
  Play();
  const std::int64_t start = p.time.Now();
  EXPECT_EQ(When([&] { return p.forms->Terminated(); }), start + 2000);
  // ...and then, independently, starts the list again.
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_TRUE(PlayingFile(a));
}

TEST_F(Controller, AtTheEndWithNeitherOptionPlaybackEndsIdleOnTheLastEntry) {
  const QByteArray a = Media("a.wav", 1000), b = Media("b.wav", 1000);
  Set({a, b});
  Play();
  p.time.Advance(2500);
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_FALSE(p.forms->Terminated());
  EXPECT_FALSE(p.media.IsOpen());
}

TEST_F(Controller, WhileAMediaFilePlaysTheFileThatFollowsInOrderIsPreparedAndNothingElse) {
  p.media.SetCD({3000});
  const QByteArray a = Media("a.wav", 1000), b = Media("b.wav", 1000);
  auto prepared = [&] {
    std::vector<QByteArray> paths;
    for (const MediaOpenRequest& r : p.media.PrepareRequests()) paths.push_back(r.path);
    return paths;
  };
  using Paths = std::vector<QByteArray>;
  Set({a, b, "/p/x.jpg", a, "/cdrom/Track01.cda", "Stop", a});
  Play();
  EXPECT_EQ(prepared(), Paths{b});
  p.time.Advance(1100);  // b plays: a picture follows
  ASSERT_TRUE(PlayingFile(b));
  EXPECT_EQ(prepared(), Paths{b});
  M().ListBox1->SetItemIndex(3);  // a CD track follows
  Play();
  EXPECT_EQ(prepared(), Paths{b});

  // The last entry prepares the first only when the list goes round.
  M().ListBox1->SetItemIndex(6);
  Play();
  EXPECT_EQ(prepared(), Paths{b});
  O().ContinuousBox->setChecked(true);
  Play();
  EXPECT_EQ(prepared(), (Paths{b, a}));

  // At random the next entry is not known yet.
  O().RandomBox->setChecked(true);
  M().ListBox1->SetItemIndex(0);
  Play();
  EXPECT_EQ(prepared(), (Paths{b, a}));
  // What was prepared is opened by its path, with automatic selection.
  EXPECT_EQ(p.media.PrepareRequests()[0].deviceType, QByteArray());
}

TEST_F(Controller, ACDTrackPlaysFromItsOffsetAndEndsAtItsEnd) {
  p.media.SetCD({3000, 4000, 2000});
  const QByteArray a = Media("a.wav", 1000);
  Set({"/cdrom/Track02.cda", a});
  Play();
  const std::int64_t start = p.time.Now();
  EXPECT_EQ(p.media.OpenRequests().back().deviceType, QByteArray("CDAudio"));
  EXPECT_EQ(M().MediaPlayer1->DeviceType, dtAutoSelect);
  EXPECT_EQ(M().TrackBar1->Max(), 9);  // the whole disc
  EXPECT_EQ(M().StopPosition, 7000);
  p.time.Advance(10);
  EXPECT_EQ(M().TrackBar1->Position(), 3);
  EXPECT_EQ(When([&] { return PlayingFile(a); }), start + 4000);
  EXPECT_EQ(p.media.OpenRequests().back().deviceType, QByteArray());
  EXPECT_EQ(M().StopPosition, 0);
}

TEST_F(Controller, ACDTrackAfterTheSeekBarStartsWhereTheBarWasSet) {
  p.media.SetCD({3000, 4000, 2000});
  Set({"/cdrom/Track02.cda"});
  M().TrackBar1->SetMax(9);
  M().TrackBar1->SetPosition(5);
  Do(&TMainForm::TrackBar1Change);
  Play();
  p.time.Advance(1);
  EXPECT_EQ(p.media.PositionMs(), 5001);
}

TEST_F(Controller, ACDTrackThenStopThenAMediaFilePlaysTheFileToItsEnd) {
  p.media.SetCD({3000, 4000});
  const QByteArray a = Media("a.wav", 1500);
  Set({"/cdrom/Track01.cda", a});
  Play();
  p.time.Advance(500);
  Stop();
  M().ListBox1->SetItemIndex(1);
  Play();
  const std::int64_t start = p.time.Now();
  EXPECT_EQ(When([&] { return !M().Active(); }), start + 1500);
  EXPECT_TRUE(p.dialogs.Errors().isEmpty());
}

// A failed start is reported once, however many ticks pass while the message is open or after
// it; Stop still returns to Idle, and the next media file opens with automatic selection.
TEST_F(Controller, AFailedOpenIsReportedOnceAndStopRecovers) {
  p.media.AddFailingFile("/m/bad.wav", QStringLiteral("The file cannot be played"));
  const QByteArray a = Media("a.wav", 1000), c = Media("c.wav", 1000);
  Set({a, "/m/bad.wav", c});
  p.dialogs.whileMessageShown = [&](const ShownMessage&) { p.time.Advance(500); };
  Play();
  p.time.Advance(3000);
  EXPECT_EQ(p.dialogs.Errors(), QStringList{"The file cannot be played."});
  EXPECT_TRUE(M().Active());
  EXPECT_FALSE(p.media.IsOpen());
  EXPECT_EQ(p.Selected(), 1);
  Stop();
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Status(), "Idle");
  EXPECT_EQ(p.dialogs.Errors().size(), 1);
  Next();
  EXPECT_EQ(p.Selected(), 2);
  EXPECT_EQ(p.media.OpenRequests().back().path, c);
}

TEST_F(Controller, AnUnreadableTrackNumberLeavesNoDeviceAndTheNextOpenAutomatic) {
  p.media.SetCD({3000, 4000});
  const QByteArray a = Media("a.wav", 1000);
  Set({"/cdrom/Track7.cda", a});
  p.dialogs.whileMessageShown = [&](const ShownMessage&) { p.time.Advance(300); };
  Play();
  p.time.Advance(2000);
  EXPECT_EQ(p.dialogs.Errors(), QStringList{"'k7' is not a valid integer value."});
  EXPECT_FALSE(p.media.IsOpen());
  EXPECT_TRUE(M().Active());
  M().ListBox1->SetItemIndex(1);
  Play();
  EXPECT_TRUE(PlayingFile(a));
  EXPECT_EQ(p.media.OpenRequests().back().deviceType, QByteArray());
}

TEST_F(Controller, AFailedCDOpenDoesNotLeaveTheNextMediaFileOnTheCDDevice) {
  const QByteArray a = Media("a.wav", 1000);  // no disc in the drive
  Set({"/cdrom/Track01.cda", a});
  Play();
  EXPECT_EQ(p.dialogs.Errors(), QStringList{"No disc in the CD drive."});
  Next();
  EXPECT_TRUE(PlayingFile(a));
  EXPECT_EQ(p.media.OpenRequests().back().deviceType, QByteArray());
}

TEST_F(Controller, APauseOptionThatIsNotANumberMeansNoPauseAndNoError) {
  const QByteArray a = Media("a.wav", 1000), b = Media("b.wav", 1000);
  const QByteArray pic = PictureFile("p.bmp");
  SetPause("two");
  SetDisplay("1");
  Set({a, pic, b});
  Play();
  const std::int64_t start = p.time.Now();
  EXPECT_EQ(When([&] { return p.Picture().isVisible(); }), start + 1000);
  EXPECT_EQ(When([&] { return PlayingFile(b); }), start + 2000);
  EXPECT_TRUE(p.dialogs.Errors().isEmpty());
}

TEST_F(Controller, StopWithTheEntryRemovedSilencesTheDeviceAndReturnsToIdle) {
  const QByteArray a = Media("a.wav", 1000), b = Media("b.wav", 1000);
  Set({a, b});
  Play();
  M().ListBox1->Items().Delete(0);
  ASSERT_EQ(p.Selected(), -1);
  Stop();
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Status(), "Idle");
  EXPECT_EQ(M().StopPosition, 0);
  EXPECT_FALSE(p.media.IsOpen());
  // Nothing plays later by itself.
  p.time.Advance(3000);
  EXPECT_FALSE(M().Active());
  EXPECT_FALSE(p.media.IsPlaying());
  EXPECT_TRUE(p.dialogs.Errors().isEmpty());
}

TEST_F(Controller, ANoticeOfAStoppedPlayIsIgnored) {
  const QByteArray a = Media("a.wav", 1000), b = Media("b.wav", 1000);
  Set({a, b});
  Play();
  p.time.Advance(200);
  Stop();
  p.time.Advance(2000);
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_EQ(p.media.OpenCount(), 1);
}

// Closing the window a video plays in is the user's Stop, as closing the picture window is: the
// device closes, the list does not move on, and the next Play starts the entry again.
TEST_F(Controller, ClosingTheVideosWindowStopsAndTheListStaysOnTheEntry) {
  const QByteArray a = Media("a.avi", 5000), b = Media("b.wav", 1000);
  Set({a, b});
  Play();
  p.time.Advance(1000);
  ASSERT_TRUE(PlayingFile(a));
  p.media.CloseWindow();
  p.time.Advance(1);
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Status(), "Idle");
  EXPECT_FALSE(p.media.IsOpen());
  EXPECT_EQ(p.media.CloseCount(), 1);
  p.time.Advance(10000);
  EXPECT_FALSE(M().Active());
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_EQ(p.media.OpenCount(), 1) << "nothing plays by itself after the close";
  EXPECT_TRUE(p.dialogs.Errors().isEmpty());

  Play();
  EXPECT_TRUE(PlayingFile(a));
  EXPECT_EQ(p.media.PositionMs(), 0);
}

}  // namespace
// A pipe in the play list, as a media file or as a picture, is reported at once, naming the
// entry; the device stays closed and plays the next file as after any failed start.
TEST_F(Controller, APipeAsMediaOrPictureIsRefusedAtOnceNamingTheEntry) {
  Deadline deadline(60);
  const QString wav = files.File("x.wav"), bmp = files.File("p.bmp"), jpg = files.File("p.jpg");
  for (const QString& pipe : {wav, bmp, jpg}) ASSERT_TRUE(MakeFifo(pipe));
  const QByteArray a = Media("a.wav", 1000);
  for (const QString& pipe : {wav, bmp, jpg}) {
    p.dialogs.messages.clear();
    Set({QFile::encodeName(pipe), a});
    Play();
    EXPECT_EQ(p.dialogs.Errors(),
              QStringList{"Cannot open file " + pipe + ": not a regular file."});
    EXPECT_FALSE(p.media.IsOpen());
    Stop();
    M().ListBox1->SetItemIndex(1);
    Play();
    EXPECT_TRUE(PlayingFile(a)) << pipe.toStdString();
    Stop();
  }
  EXPECT_EQ(p.media.OpenRequests().size(), 3u);  // the pipe never reached the device
}

}  // namespace ostrivo::test
