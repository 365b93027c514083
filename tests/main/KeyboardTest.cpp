// The main window's keys, typed into the window or one of its controls or passed on by the
// picture window, and the mouse on the play list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "player/MediaPlayer.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

class Keys : public ::testing::Test {
 protected:
  void SetUp() override {
    p.media.AddFile("/m/a.wav", 10000);
    p.media.AddFile("/m/b.wav", 10000);
    p.media.AddFile("/m/c.wav", 10000);
    p.Create();
    p.Start();
    p.SetEntries({"/m/a.wav", "/m/b.wav", "/m/c.wav"});
    m().show();
    m().resize(700, 400);
  }
  TMainForm& m() { return p.Main(); }

  // A key as the system delivers it: to the widget, with its character.
  static void Press(QWidget* w, Qt::Key key, const QString& text = {}, bool repeat = false) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text, repeat);
    QApplication::sendEvent(w, &e);
  }
  static void Release(QWidget* w, Qt::Key key, const QString& text = {}, bool repeat = false) {
    QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier, text, repeat);
    QApplication::sendEvent(w, &e);
  }
  static void Type(QWidget* w, Qt::Key key, const QString& text) {
    Press(w, key, text);
    Release(w, key, text);
  }

  TestProgram p;
};

}  // namespace

TEST_F(Keys, PInEitherCasePlaysAndSInEitherCaseStops) {
  Type(&m(), Qt::Key_P, "p");
  EXPECT_TRUE(m().Active());
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_EQ(p.Selected(), 0);
  Type(&m(), Qt::Key_S, "s");
  EXPECT_FALSE(m().Active());
  EXPECT_FALSE(p.media.IsPlaying());

  Type(&m(), Qt::Key_P, "P");
  EXPECT_TRUE(m().Active());
  Type(&m(), Qt::Key_S, "S");
  EXPECT_FALSE(m().Active());
  EXPECT_EQ(p.Status(), "Idle");
}

TEST_F(Keys, OtherLettersDoNothing) {
  for (auto [key, text] : {std::pair{Qt::Key_Q, "q"}, {Qt::Key_X, "x"}, {Qt::Key_Plus, "+"}})
    Type(&m(), key, text);
  EXPECT_FALSE(m().Active());
  EXPECT_EQ(p.media.OpenCount(), 0);
}

TEST_F(Keys, TheWindowSeesTheKeysOfItsControlsOnceEach) {
  // Typed into the tool bar, which does not take the key itself: the key climbs to the window,
  // but the window's handler runs only once.
  Type(m().Panel1, Qt::Key_P, "p");
  EXPECT_TRUE(m().Active());
  EXPECT_EQ(p.media.PlayCount(), 1);
  EXPECT_EQ(p.media.OpenCount(), 1);
  Type(m().Panel1, Qt::Key_S, "s");
  EXPECT_FALSE(m().Active());

  // Typed into the play list: the window plays first, and the list still gets its key.
  m().ListBox1->SetItemIndex(1);
  Type(m().ListBox1, Qt::Key_P, "p");
  EXPECT_TRUE(m().Active());
  EXPECT_EQ(p.media.OpenPath(), QByteArray("/m/b.wav"));
  EXPECT_EQ(p.media.OpenCount(), 2);
  Type(m().ListBox1, Qt::Key_Down, {});
  EXPECT_EQ(p.Selected(), 2);
}

TEST_F(Keys, PageDownAndPageUpStepThroughTheList) {
  m().ListBox1->SetItemIndex(0);
  Press(&m(), Qt::Key_PageDown);
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_FALSE(m().Active());  // Next while idle stays idle
  Press(&m(), Qt::Key_PageDown);
  EXPECT_EQ(p.Selected(), 2);
  Press(&m(), Qt::Key_PageUp);
  EXPECT_EQ(p.Selected(), 1);
}

TEST_F(Keys, KeySeekInIdleSetsTheStartPositionAndNothingPlays) {
  // A device is open but nothing plays: the seek only stores where the next play starts.
  m().MediaPlayer1->FileName = "/m/a.wav";
  m().MediaPlayer1->Open();
  ASSERT_EQ(m().TrackBar1->Position(), 0);
  for (int i = 0; i < 3; ++i) {
    Press(&m(), Qt::Key_Right, {}, i > 0);
    EXPECT_TRUE(m().KeySeek);
    EXPECT_FALSE(m().Timer1->Enabled());
  }
  EXPECT_EQ(m().TrackBar1->Position(), 3);
  Release(&m(), Qt::Key_Right);
  EXPECT_FALSE(m().KeySeek);
  EXPECT_TRUE(m().Timer1->Enabled());
  EXPECT_EQ(p.media.PlayCount(), 0);
  EXPECT_FALSE(p.media.IsPlaying());
  EXPECT_TRUE(p.dialogs.messages.empty());

  m().MediaPlayer1->Play();
  EXPECT_EQ(p.media.PositionMs(), 3000);
  // The clock runs again after the release: the time of day keeps being shown.
  p.time.Advance(1500);
  EXPECT_NE(m().Clock->text(), "Clock");
}

TEST_F(Keys, RightAtTheMaximumDoesNothingButItsReleaseStillEndsTheSeek) {
  m().TrackBar1->SetPosition(9);
  Press(&m(), Qt::Key_Right);
  EXPECT_EQ(m().TrackBar1->Position(), 10);
  EXPECT_TRUE(m().KeySeek);
  // At the maximum: no step.
  Press(&m(), Qt::Key_Right, {}, true);
  EXPECT_EQ(m().TrackBar1->Position(), 10);
  EXPECT_FALSE(m().Timer1->Enabled());
  Release(&m(), Qt::Key_Right);
  EXPECT_FALSE(m().KeySeek);
  EXPECT_TRUE(m().Timer1->Enabled());

  // Right at the maximum with no seek going on leaves everything as it was.
  Press(&m(), Qt::Key_Right);
  EXPECT_FALSE(m().KeySeek);
  EXPECT_TRUE(m().Timer1->Enabled());
  EXPECT_EQ(m().TrackBar1->Position(), 10);
}

TEST_F(Keys, LeftAtTheMinimumDoesNothing) {
  Press(&m(), Qt::Key_Left);
  EXPECT_EQ(m().TrackBar1->Position(), 0);
  EXPECT_FALSE(m().KeySeek);
  m().TrackBar1->SetPosition(2);
  Press(&m(), Qt::Key_Left);
  Press(&m(), Qt::Key_Left, {}, true);
  Press(&m(), Qt::Key_Left, {}, true);
  EXPECT_EQ(m().TrackBar1->Position(), 0);
  Release(&m(), Qt::Key_Left);
  EXPECT_FALSE(m().KeySeek);
}

TEST_F(Keys, HoldingRightWhilePlayingJumpsOnRelease) {
  Type(&m(), Qt::Key_P, "p");
  ASSERT_TRUE(m().Active());
  ASSERT_EQ(m().TrackBar1->Max(), 10);
  p.time.Advance(2000);
  ASSERT_EQ(m().TrackBar1->Position(), 2);

  // The auto-repeat: presses, and on this system releases, marked as repeats.
  Press(&m(), Qt::Key_Right);
  for (int i = 0; i < 2; ++i) {
    p.time.Advance(100);
    Release(&m(), Qt::Key_Right, {}, true);
    Press(&m(), Qt::Key_Right, {}, true);
  }
  EXPECT_EQ(m().TrackBar1->Position(), 5);
  EXPECT_TRUE(m().KeySeek);
  EXPECT_FALSE(m().Timer1->Enabled());
  // The sound goes on from where it was.
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_EQ(p.media.PositionMs(), 2200);

  Release(&m(), Qt::Key_Right);
  EXPECT_EQ(p.media.PositionMs(), 5000);
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_TRUE(m().Timer1->Enabled());
  EXPECT_FALSE(m().KeySeek);
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST_F(Keys, TheSeekKeysHandTheFocusToTheToolBar) {
  m().ListBox1->setFocus();
  Press(&m(), Qt::Key_Right);
  EXPECT_EQ(m().focusWidget(), m().Panel1);
  Release(&m(), Qt::Key_Right);
}

TEST_F(Keys, KeysTypedInThePictureWindowDriveThePlayer) {
  TPictureForm& picture = p.Picture();
  picture.show();
  QTest::keyClick(&picture, Qt::Key_P);
  EXPECT_TRUE(m().Active());
  EXPECT_EQ(p.Selected(), 0);
  QTest::keyClick(&picture, Qt::Key_S, Qt::ShiftModifier);
  EXPECT_FALSE(m().Active());

  QTest::keyClick(&picture, Qt::Key_PageDown);
  EXPECT_EQ(p.Selected(), 1);
  QTest::keyClick(&picture, Qt::Key_PageUp);
  EXPECT_EQ(p.Selected(), 0);

  // A seek key from the picture window: its release is not passed on, so the clock stays
  // stopped until the next command.
  QTest::keyClick(&picture, Qt::Key_Right);
  EXPECT_EQ(m().TrackBar1->Position(), 1);
  EXPECT_TRUE(m().KeySeek);
  EXPECT_FALSE(m().Timer1->Enabled());
}

TEST_F(Keys, AClickSelectsTheEntryAndHandsTheFocusToTheToolBar) {
  QWidget* viewport = m().ListBox1->viewport();
  const QRect row = m().ListBox1->visualRect(m().ListBox1->model()->index(2, 0));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, row.center());
  EXPECT_EQ(p.Selected(), 2);
  EXPECT_EQ(m().focusWidget(), m().Panel1);
  EXPECT_FALSE(m().Active());
}

TEST_F(Keys, ADoubleClickPlaysTheEntry) {
  Type(&m(), Qt::Key_P, "p");
  ASSERT_EQ(p.media.OpenPath(), QByteArray("/m/a.wav"));
  QWidget* viewport = m().ListBox1->viewport();
  const QRect row = m().ListBox1->visualRect(m().ListBox1->model()->index(1, 0));
  // Through the window system, which makes the second press a double click.
  QTest::mouseDClick(m().windowHandle(), Qt::LeftButton, {}, viewport->mapTo(&m(), row.center()));
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_TRUE(m().Active());
  EXPECT_EQ(p.media.OpenPath(), QByteArray("/m/b.wav"));
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_EQ(m().focusWidget(), m().Panel1);
}

TEST_F(Keys, ARightClickOpensTheTrayMenuAndKeepsTheSelection) {
  m().ListBox1->SetItemIndex(0);
  QWidget* viewport = m().ListBox1->viewport();
  const QRect row = m().ListBox1->visualRect(m().ListBox1->model()->index(2, 0));
  // Through the window system, which turns the right button into a context-menu request.
  QTest::mouseClick(m().windowHandle(), Qt::RightButton, {}, viewport->mapTo(&m(), row.center()));
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_TRUE(m().TrayPopup->isVisible());
  m().TrayPopup->hide();
}

TEST_F(Keys, TheMenuBarsOwnKeysAreNotTheWindows) {
  // Alt alone puts the menu bar into keyboard navigation: the arrows then move between menus.
  QApplication::setActiveWindow(&m());
  QTest::keyClick(&m(), Qt::Key_Alt);
  ASSERT_TRUE(m().menuBar()->hasFocus());
  Press(m().menuBar(), Qt::Key_Right);
  Release(m().menuBar(), Qt::Key_Right);
  EXPECT_EQ(m().TrackBar1->Position(), 0);
  EXPECT_FALSE(m().KeySeek);
}
