// The main window's layout rule: the status line at the bottom, the position bar above it, the
// volume bars side by side against the right edge between the tool bar and the position bar,
// and the play list filling the rest.
#include <algorithm>

#include "main/ListLines.h"
#include "main/MainUnit.h"

namespace ostrivo {

namespace {

// The play list shows whole lines only: a height rounds down to its frame and a whole number
// of lines.
int WholeLines(const TListBox& list, int height) {
  const int frame = 2 * list.frameWidth();
  const int line = LineHeight(list);
  if (height <= frame || line <= 0) return std::max(height, 0);
  return (height - frame) / line * line + frame;
}

}  // namespace

void TMainForm::FormResize(QObject*) {
  const int cw = ClientWidth();
  const int ch = ClientHeight();
  const int hS = StatusBar1->height();
  const int hT = TrackBar1->height();
  const int hP = Panel1->height();

  StatusBar1->move(StatusBar1->x(), ch - hS);
  TrackBar1->setGeometry(TrackBar1->x(), ch - hS - hT, cw, hT);

  // A hidden bar is 0 pixels wide and takes no room.
  TTrackBar* const bars[] = {VolumeBar,    WaveVolumeBar, AuxVolumeBar,
                             MicVolumeBar, CDVolumeBar,   MidiVolumeBar};
  int barsWidth = 0;
  for (const TTrackBar* b : bars) barsWidth += b->width();
  int fromHere = barsWidth;  // the width of this bar and of every bar after it
  for (TTrackBar* b : bars) {
    b->setGeometry(cw - fromHere, hP, b->width(), ch - hS - hT - hP);
    fromHere -= b->width();
  }

  ListBox1->setGeometry(0, hP, cw - barsWidth, WholeLines(*ListBox1, ch - hT - hP - hS));
}

}  // namespace ostrivo
