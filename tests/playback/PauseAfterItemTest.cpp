// A user's command during the pause after an item: the entry it starts is the one that plays,
// and the pause that was running does not skip past it one tick later.
#include "PlayerFixture.h"

namespace ostrivo::test {
namespace {

class PauseAfterItem : public Player {
 protected:
  // a, b and c with a pause of 2 seconds after each; a has ended and its pause is running.
  void InThePauseAfterA() {
    a = Media("a.wav", 1000);
    b = Media("b.wav", 5000);
    c = Media("c.wav", 5000);
    SetPause("2");
    Set({a, b, c});
    Play();
    p.time.Advance(1500);
    ASSERT_TRUE(M().InPause);
    ASSERT_TRUE(M().Active());
    ASSERT_EQ(p.Selected(), 0);
  }

  // The entry at index plays, and keeps playing well past the tick that would have ended the
  // pause; then it ends with a pause of its own before the next entry.
  void ExpectPlaysToItsEnd(int index, const QByteArray& path) {
    EXPECT_FALSE(M().InPause);
    p.time.Advance(2500);
    EXPECT_TRUE(PlayingFile(path));
    EXPECT_EQ(p.Selected(), index);
    p.time.Advance(3000);
    EXPECT_TRUE(M().InPause) << "its own pause after the item";
    EXPECT_EQ(p.Selected(), index);
  }

  QByteArray a, b, c;
};

TEST_F(PauseAfterItem, NextAndPreviousPlayTheEntryTheyChoose) {
  InThePauseAfterA();
  Next();
  ExpectPlaysToItsEnd(1, b);

  // Previous from the pause after b.
  ASSERT_TRUE(M().InPause);
  Previous();
  EXPECT_TRUE(PlayingFile(a));
  EXPECT_FALSE(M().InPause);
  p.time.Advance(1);
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_TRUE(PlayingFile(a));
}

TEST_F(PauseAfterItem, PlayFromTheUserStartsTheChosenEntry) {
  // The Play button, the list's double click and the P key, each on another entry.
  using Start = std::function<void()>;
  const std::vector<std::pair<const char*, Start>> starts{
      {"button",
       [&] {
         M().ListBox1->SetItemIndex(2);
         Play();
       }},
      {"double click",
       [&] {
         M().ListBox1->SetItemIndex(2);
         Do(&TMainForm::ListBox1DblClick);
       }},
      {"key P",
       [&] {
         M().ListBox1->SetItemIndex(2);
         p.forms->Application.Guard([&] { M().FormKeyPress(QLatin1Char('p')); });
       }},
  };
  for (const auto& [name, start] : starts) {
    SCOPED_TRACE(name);
    Stop();
    M().InPause = false;
    InThePauseAfterA();
    start();
    EXPECT_TRUE(PlayingFile(c));
    ExpectPlaysToItsEnd(2, c);
  }
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST_F(PauseAfterItem, RandomizeRestartsTheShuffledEntryAtTheSelection) {
  a = Media("a.wav", 1000);
  b = Media("b.wav", 5000);
  SetPause("2");
  Set({a, b});
  Play();
  p.time.Advance(1500);
  ASSERT_TRUE(M().InPause);
  Do(&TMainForm::RandomizeButtonClick);
  ASSERT_EQ(p.Entries(), (QList<QByteArray>{b, a}));  // two entries always come out reversed
  EXPECT_TRUE(PlayingFile(b));
  ExpectPlaysToItsEnd(0, b);
}

TEST_F(PauseAfterItem, TotalLengthRestartsTheSelectedEntryEvenWhenTicksRunDuringTheReport) {
  InThePauseAfterA();
  // Ticks run while the report is open, past the moment the pause would have ended.
  p.dialogs.whileMessageShown = [&](const ShownMessage&) { p.time.Advance(1000); };
  Do(&TMainForm::LengthButtonClick);
  ASSERT_EQ(p.dialogs.Texts(), QStringList{"Number of items: 3\rTotal length: 0:0:11"});
  EXPECT_TRUE(PlayingFile(a));
  EXPECT_EQ(p.media.PositionMs(), 0);  // from its start
  p.time.Advance(1);
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_TRUE(PlayingFile(a));
}

TEST_F(PauseAfterItem, NextAfterStopDuringThePauseMovesTheSelectionOnce) {
  InThePauseAfterA();
  Stop();
  ASSERT_TRUE(M().InPause);  // Stop leaves it, for the next tick
  Next();                    // idle: plays b and stops it at once
  EXPECT_FALSE(M().Active());
  p.time.Advance(10);
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_FALSE(M().Active());
}

}  // namespace
}  // namespace ostrivo::test
