#pragma once
// The tool-bar glyphs: our own artwork, drawn in code on a 16 x 16 grid so that they stay sharp
// at any device pixel ratio, and the classic embossed look of a disabled glyph.

#include <QIcon>
#include <QImage>

namespace ostrivo::glyphs {

enum class Glyph {
  New,
  Open,
  Save,
  AddDir,
  RemoveDir,
  Add,
  Remove,
  InsPause,
  InsStop,
  InsQuit,
  Down,
  Up,
  Randomize,
  Sort,
  Play,
  Pause,
  Stop,
  Previous,
  Next,
  Length,
  Options,
  Shell,
};

// The glyph drawn into a transparent square image of size x size pixels.
QImage Render(Glyph glyph, int size);

// The disabled look of a glyph: its dark pixels become a grey engraving with a white highlight
// one pixel below and to the right; light and transparent pixels vanish.
QImage Engraved(const QImage& glyph);

// The glyph at 16 and 32 pixels.
QIcon Icon(Glyph glyph);
// Its disabled look at 16 and 32 pixels.
QIcon DisabledIcon(Glyph glyph);

}  // namespace ostrivo::glyphs
