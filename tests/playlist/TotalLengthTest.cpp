// Total length: the report, the status line while measuring, and what a failure ends.

#include <QLineEdit>

#include "player/MediaPlayer.h"
#include "playlist/PlayListFixture.h"
#include "settings/OptionsUnit.h"

namespace ostrivo::test {
namespace {

class TotalLength : public PlayList {
 protected:
  // The report boxes shown so far (plain message boxes).
  QStringList Reports() const {
    QStringList texts;
    for (const ShownMessage& m : p.dialogs.messages)
      if (m.kind == ShownMessage::Kind::Message && m.icon == MessageIcon::None) {
        texts << m.text;
        EXPECT_EQ(m.caption, p.forms->Application.Title);
      }
    return texts;
  }
  void Length() { Do(&TMainForm::LengthButtonClick); }
};

TEST_F(TotalLength, AnEmptyListReportsNothingAtAll) {
  Length();
  EXPECT_EQ(Reports(), QStringList{QStringLiteral("Number of items: 0\rTotal length: 0:0:0")});
}

TEST_F(TotalLength, PicturesCountTheDisplayTimeWithoutStatusText) {
  p.Options().Edit1->setText(QStringLiteral("3"));
  p.SetEntries({"/p/a.jpg", "/p/b.BMP"});
  const QString status = p.Status();
  Length();
  EXPECT_EQ(Reports(), QStringList{QStringLiteral("Number of items: 2\rTotal length: 0:0:6")});
  EXPECT_EQ(p.Status(), status);
  EXPECT_EQ(p.media.OpenCount(), 0);
}

TEST_F(TotalLength, MediaAreOpenedMeasuredInWholeSecondsAndClosed) {
  p.media.AddFile("/m/a.wav", 61900);
  p.SetEntries({"/m/a.wav", "Stop"});
  p.Main().ListBox1->SetItemIndex(1);
  Length();
  EXPECT_EQ(Reports(), QStringList{QStringLiteral("Number of items: 2\rTotal length: 0:1:1")});
  EXPECT_EQ(p.Status(), QStringLiteral("Adding /m/a.wav length - 61 seconds"));
  EXPECT_EQ(p.media.OpenCount(), 1);
  EXPECT_EQ(p.media.OpenRequests()[0].deviceType, QByteArray());  // automatic selection
  EXPECT_FALSE(p.media.IsOpen());
  EXPECT_EQ(p.Selected(), 1);
}

TEST_F(TotalLength, TheSumIsShownAsHoursMinutesAndSeconds) {
  p.media.AddFile("/m/long.mp3", 3600 * 1000 + 999);
  p.media.AddFile("/m/short.mid", 125 * 1000);
  p.Options().Edit1->setText(QStringLiteral("0"));
  p.SetEntries({"/m/long.mp3", "Pause: 100", "/m/short.mid", "Quit", "/p/x.jpg"});
  Length();
  EXPECT_EQ(Reports(), QStringList{QStringLiteral("Number of items: 5\rTotal length: 1:2:5")});
  EXPECT_EQ(p.Status(), QStringLiteral("Adding /m/short.mid length - 125 seconds"));
}

TEST_F(TotalLength, AMediaFileThatCannotBeOpenedEndsTheCommand) {
  p.media.AddFile("/m/a.wav", 2000);
  p.media.AddFailingFile("/m/broken.wav", QStringLiteral("The file is not a sound file"));
  p.media.AddFile("/m/c.wav", 3000);
  p.SetEntries({"/m/a.wav", "/m/broken.wav", "/m/c.wav"});
  Length();
  EXPECT_TRUE(Reports().isEmpty());
  EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("The file is not a sound file"))});
  EXPECT_EQ(p.Status(), QStringLiteral("Adding /m/a.wav length - 2 seconds"));
  ASSERT_EQ(p.media.OpenCount(), 2);  // c.wav was never measured
  EXPECT_EQ(p.media.OpenRequests()[1].path, QByteArray("/m/broken.wav"));

  // A file the device does not know at all fails with the device's own text too.
  p.dialogs.messages.clear();
  p.SetEntries({"/m/missing.wav"});
  Length();
  EXPECT_TRUE(Reports().isEmpty());
  ASSERT_EQ(Errors().size(), 1);
}

TEST_F(TotalLength, ADisplayTimeThatIsNoNumberEndsTheCommandAtTheFirstPicture) {
  p.media.AddFile("/m/a.wav", 5000);
  p.Options().Edit1->setText(QStringLiteral("3s"));
  p.SetEntries({"/m/a.wav", "/p/x.jpg", "/m/a.wav"});
  Length();
  EXPECT_TRUE(Reports().isEmpty());
  EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("'3s' is not a valid integer value"))});
  EXPECT_EQ(p.media.OpenCount(), 1);
}

TEST_F(TotalLength, RunDuringPlaybackStopsItAndPlaysTheSelectedEntryAgainAfterTheReport) {
  p.media.AddFile("/m/a.wav", 10000);
  p.media.AddFile("/m/b.wav", 20000);
  p.SetEntries({"/m/a.wav", "/m/b.wav"});
  p.Main().ListBox1->SetItemIndex(1);
  Do(&TMainForm::PlayButtonClick);
  p.time.Advance(4000);
  ASSERT_TRUE(M().Active());
  ASSERT_GT(p.media.PositionMs(), 3000);

  bool playingDuringReport = true;
  p.dialogs.whileMessageShown = [&](const ShownMessage&) {
    playingDuringReport = M().Active() || p.media.IsPlaying();
  };
  Length();
  EXPECT_FALSE(playingDuringReport);
  EXPECT_EQ(Reports(), QStringList{QStringLiteral("Number of items: 2\rTotal length: 0:0:30")});
  EXPECT_TRUE(M().Active());
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_EQ(p.media.OpenPath(), QByteArray("/m/b.wav"));
  EXPECT_LT(p.media.PositionMs(), 100);  // from its start
  EXPECT_EQ(p.Selected(), 1);
}

TEST_F(TotalLength, AFailureDuringPlaybackLeavesPlaybackStopped) {
  p.media.AddFile("/m/a.wav", 10000);
  p.SetEntries({"/m/a.wav", "/m/gone.wav"});
  p.Main().ListBox1->SetItemIndex(0);
  Do(&TMainForm::PlayButtonClick);
  p.time.Advance(1000);
  ASSERT_TRUE(M().Active());
  Length();
  EXPECT_EQ(Errors().size(), 1);
  EXPECT_TRUE(Reports().isEmpty());
  EXPECT_FALSE(M().Active());
  EXPECT_FALSE(p.media.IsPlaying());
}

}  // namespace
}  // namespace ostrivo::test
