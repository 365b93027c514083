// The main window's layout rule, driven by real resizes of the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>

#include "main/ListLines.h"
#include "main/MainUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

class Layout : public ::testing::Test {
 protected:
  void SetUp() override {
    p.Create();
    m().show();
    m().resize(800, 600);
  }
  TMainForm& m() { return p.Main(); }
  std::vector<TTrackBar*> Bars() {
    return {m().VolumeBar,    m().WaveVolumeBar, m().AuxVolumeBar,
            m().MicVolumeBar, m().CDVolumeBar,   m().MidiVolumeBar};
  }
  int CW() { return m().ClientWidth(); }
  int CH() { return m().ClientHeight(); }

  TestProgram p;
};

// Everything the layout places, checked against the window's client size.
void ExpectLaidOut(TMainForm& m, int barsWidth) {
  const int cw = m.ClientWidth(), ch = m.ClientHeight();
  EXPECT_EQ(m.StatusBar1->geometry(), QRect(0, ch - 20, cw, 20));
  EXPECT_EQ(m.TrackBar1->geometry(), QRect(0, ch - 40, cw, 20));
  EXPECT_EQ(m.Panel1->geometry(), QRect(0, 0, cw, 20));
  EXPECT_EQ(m.ListBox1->x(), 0);
  EXPECT_EQ(m.ListBox1->y(), 20);
  EXPECT_EQ(m.ListBox1->width(), cw - barsWidth);
  // Whole lines only: at most the room between the tool bar and the position bar, less than
  // one line short of it.
  const int room = ch - 60;
  const int frame = 2 * m.ListBox1->frameWidth();
  const int line = LineHeight(*m.ListBox1);
  EXPECT_LE(m.ListBox1->height(), room);
  EXPECT_GT(m.ListBox1->height(), room - line);
  EXPECT_EQ((m.ListBox1->height() - frame) % line, 0);
}

}  // namespace

TEST_F(Layout, AllSixBarsStandAgainstTheRightEdgeAndTheListTakesTheRest) {
  ASSERT_GT(CW(), 300);
  ExpectLaidOut(m(), 150);
  int left = CW() - 150;
  for (TTrackBar* b : Bars()) {
    EXPECT_EQ(b->geometry(), QRect(left, 20, 25, CH() - 60)) << b->objectName().toStdString();
    left += 25;
  }
  EXPECT_EQ(m().MidiVolumeBar->geometry().right() + 1, CW());
}

TEST_F(Layout, WithEveryBarHiddenTheListIsAsWideAsTheWindow) {
  for (TTrackBar* b : Bars()) b->resize(0, b->height());
  m().FormResize(nullptr);
  ExpectLaidOut(m(), 0);
  EXPECT_EQ(m().ListBox1->width(), CW());
}

TEST_F(Layout, HidingOneBarClosesItsGap) {
  std::vector<int> before;
  for (TTrackBar* b : Bars()) before.push_back(b->x());
  const int listBefore = m().ListBox1->width();

  m().MicVolumeBar->resize(0, m().MicVolumeBar->height());
  m().FormResize(nullptr);

  const auto bars = Bars();
  // The three to its left move right by 25; the two to its right stay.
  for (int i : {0, 1, 2}) EXPECT_EQ(bars[i]->x(), before[i] + 25) << i;
  for (int i : {4, 5}) EXPECT_EQ(bars[i]->x(), before[i]) << i;
  EXPECT_EQ(m().MicVolumeBar->width(), 0);
  EXPECT_EQ(m().ListBox1->width(), listBefore + 25);
  ExpectLaidOut(m(), 125);

  // Shown again, it takes its place back.
  m().MicVolumeBar->resize(25, m().MicVolumeBar->height());
  m().FormResize(nullptr);
  for (size_t i = 0; i < bars.size(); ++i) EXPECT_EQ(bars[i]->x(), before[i]) << i;
}

TEST_F(Layout, ShrinkingKeepsTheStatusLineAtTheBottomAndTheBarsAtTheRight) {
  const int bigHeight = CH();
  m().resize(500, 300);
  ASSERT_LT(CH(), bigHeight);
  ExpectLaidOut(m(), 150);
  EXPECT_EQ(m().StatusBar1->geometry().bottom() + 1, CH());
  EXPECT_EQ(m().MidiVolumeBar->geometry().right() + 1, CW());
  EXPECT_EQ(m().VolumeBar->x(), CW() - 150);

  // And growing again follows as well.
  m().resize(900, 700);
  ExpectLaidOut(m(), 150);
}

TEST_F(Layout, AListShorterThanALineKeepsItsFrame) {
  m().resize(400, 60 + m().menuBar()->height());
  EXPECT_GE(m().ListBox1->height(), 0);
  EXPECT_LE(m().ListBox1->height(), std::max(CH() - 60, 0));
}

TEST_F(Layout, TheListsLinesAreWholeWithEntriesToo) {
  const int emptyLine = LineHeight(*m().ListBox1);
  p.SetEntries({"/m/a.wav", "/m/b.wav", "Pause: 3", "/m/jpg.jpg"});
  for (int row = 0; row < 4; ++row) EXPECT_EQ(m().ListBox1->sizeHintForRow(row), emptyLine);
  // The list lays out with the lines it shows.
  EXPECT_EQ(m().ListBox1->ItemHeight(), emptyLine);
  // A whole line of text fits, descenders included.
  EXPECT_GE(emptyLine, m().ListBox1->fontMetrics().height());
  m().resize(640, 437);
  ExpectLaidOut(m(), 150);
}
