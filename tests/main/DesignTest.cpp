// The main window as the user first sees it: the tool bar, the glyphs, the menus and the
// controls' design.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMenuBar>
#include <QSizeGrip>

#include "main/Glyphs.h"
#include "main/MainUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

struct Button {
  TSpeedButton* TMainForm::*field;
  int left;
  int width;
  const char* hint;  // nullptr: none
};

const Button kToolBar[] = {
    {&TMainForm::NewButton, 0, 20, "New"},
    {&TMainForm::OpenButton, 20, 20, "Open"},
    {&TMainForm::SaveButton, 39, 20, "Save"},
    {&TMainForm::AddDirButton, 65, 20, "Add all files in a specified directory"},
    {&TMainForm::RemoveDirButton, 85, 20, "Remove all files coming from a specified directory"},
    {&TMainForm::AddButton, 111, 20, "Add"},
    {&TMainForm::RemoveButton, 131, 19, "Remove"},
    {&TMainForm::InsPauseButton, 157, 19, "Insert a pause"},
    {&TMainForm::InsStopButton, 176, 20, "Insert a Stop mark"},
    {&TMainForm::InsQuitButton, 196, 19, "Insert a Quit mark"},
    {&TMainForm::DownButton, 221, 20, "Move downwards"},
    {&TMainForm::UpButton, 241, 20, "Move upwards"},
    {&TMainForm::RandomizeButton, 260, 20, "Randomize files"},
    {&TMainForm::SortButton, 280, 20, "Sorts files alphabetically"},
    {&TMainForm::PlayButton, 306, 20, "Play"},
    {&TMainForm::PauseButton, 325, 20, "Pause"},
    {&TMainForm::StopButton, 345, 19, "Stop"},
    {&TMainForm::PreviousButton, 371, 20, "Previous"},
    {&TMainForm::NextButton, 390, 20, "Next"},
    {&TMainForm::LengthButton, 416, 20, nullptr},
    {&TMainForm::OptionsButton, 442, 20, "Options"},
    {&TMainForm::MarkButton, 469, 39, nullptr},
    {&TMainForm::PlayMarkButton, 508, 39, "Play"},
};

// Whether an image holds a clearly coloured (not grey) pixel.
bool HasColour(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (qAlpha(c) < 128) continue;
      const int hi = std::max({qRed(c), qGreen(c), qBlue(c)});
      const int lo = std::min({qRed(c), qGreen(c), qBlue(c)});
      if (hi - lo > 40) return true;
    }
  return false;
}

// How many pixels of an image can be seen.
int Opaque(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 128;
  return n;
}

}  // namespace

TEST(Design, EveryToolBarButtonHasItsPlaceWidthAndHint) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  for (const Button& b : kToolBar) {
    TSpeedButton* button = m.*(b.field);
    SCOPED_TRACE(b.hint ? b.hint : button->objectName().toStdString());
    EXPECT_EQ(button->parentWidget(), m.Panel1);
    EXPECT_EQ(button->geometry(), QRect(b.left, 0, b.width, 20));
    EXPECT_EQ(button->toolTip(), b.hint ? QString::fromLatin1(b.hint) : QString());
    EXPECT_FALSE(button->isHidden());
  }
  EXPECT_EQ(m.Panel1->height(), 20);
  EXPECT_EQ(m.ShellButton->geometry(), QRect(474, 0, 20, 20));
  EXPECT_TRUE(m.ShellButton->isHidden());
  EXPECT_FALSE(m.ShellButton->isEnabled());
}

TEST(Design, GlyphButtonsShowPicturesAndTheMarkButtonsTheirCaptions) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  for (const Button& b : kToolBar) {
    TSpeedButton* button = m.*(b.field);
    SCOPED_TRACE(button->objectName().toStdString());
    if (button == m.MarkButton || button == m.PlayMarkButton) {
      EXPECT_TRUE(button->icon().isNull());
      EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextOnly);
    } else {
      ASSERT_FALSE(button->icon().isNull());
      EXPECT_GT(Opaque(button->icon().pixmap(16).toImage()), 20);
    }
  }
  EXPECT_EQ(m.MarkButton->text(), "Mark");
  EXPECT_EQ(m.PlayMarkButton->text(), "Play");
}

TEST(Design, NewOpenAndSaveCarryTheirOwnDisabledImage) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  for (TSpeedButton* b : {m.NewButton, m.OpenButton, m.SaveButton, m.ShellButton}) {
    SCOPED_TRACE(b->objectName().toStdString());
    ASSERT_FALSE(b->icon().availableSizes(QIcon::Disabled).isEmpty());
    const QImage disabled = b->icon().pixmap(16, QIcon::Disabled).toImage();
    EXPECT_TRUE(HasColour(b->icon().pixmap(16, QIcon::Normal).toImage()));
    EXPECT_FALSE(HasColour(disabled));
    EXPECT_NE(disabled, b->icon().pixmap(16, QIcon::Normal).toImage());
  }
  // The other glyph buttons have one image; the disabled look is derived from it.
  EXPECT_TRUE(m.PlayButton->icon().availableSizes(QIcon::Disabled).isEmpty());
}

TEST(Design, TheEngravedLookKeepsTheOutlineAndDropsTheLightAreas) {
  QImage glyph(16, 16, QImage::Format_ARGB32);
  glyph.fill(Qt::transparent);
  glyph.setPixel(3, 3, qRgb(0, 0, 0));        // dark: engraved
  glyph.setPixel(8, 8, qRgb(255, 255, 255));  // light: vanishes
  glyph.setPixel(12, 2, qRgb(40, 90, 200));   // dark blue: engraved
  const QImage out = glyphs::Engraved(glyph);
  EXPECT_EQ(out.pixel(3, 3), qRgb(128, 128, 128));
  EXPECT_EQ(out.pixel(4, 4), qRgb(255, 255, 255));  // highlight below and to the right
  EXPECT_EQ(qAlpha(out.pixel(8, 8)), 0);
  EXPECT_EQ(out.pixel(12, 2), qRgb(128, 128, 128));
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
  // A shadow is never covered by another pixel's highlight.
  glyph.setPixel(4, 4, qRgb(0, 0, 0));
  EXPECT_EQ(glyphs::Engraved(glyph).pixel(4, 4), qRgb(128, 128, 128));
}

TEST(Design, EveryGlyphIsDrawnAndDistinct) {
  std::vector<QImage> seen;
  for (int g = 0; g <= static_cast<int>(glyphs::Glyph::Shell); ++g) {
    const QImage image = glyphs::Render(static_cast<glyphs::Glyph>(g), 16);
    EXPECT_EQ(image.size(), QSize(16, 16));
    EXPECT_GT(Opaque(image), 20) << g;  // something a user can see
    for (const QImage& other : seen) EXPECT_NE(image, other) << g;
    seen.push_back(image);
  }
}

TEST(Design, TheClockLabelStandsRightOfTheButtons) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  EXPECT_EQ(m.Clock->text(), "Clock");
  EXPECT_EQ(m.Clock->parentWidget(), m.Panel1);
  EXPECT_EQ(m.Clock->x(), 553);
  EXPECT_EQ(m.Clock->height(), 15);
  EXPECT_EQ(m.Clock->font().pixelSize(), 12);
  EXPECT_GE(m.Clock->width(), m.Clock->sizeHint().width());

  // The time of day is wider than "Clock": the label grows to show it whole.
  m.show();
  m.Clock->setText(QStringLiteral("22:33:44"));
  QCoreApplication::sendPostedEvents(m.Panel1, QEvent::LayoutRequest);
  EXPECT_GE(m.Clock->width(), m.Clock->sizeHint().width());
  EXPECT_EQ(m.Clock->x(), 553);
}

TEST(Design, TheMenuBarHasEveryItemWithItsCaptionAndNoShortcuts) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  const QList<QAction*> top = m.menuBar()->actions();
  ASSERT_EQ(top.size(), 4);
  EXPECT_EQ(top[0]->text(), "&File");
  EXPECT_EQ(top[1]->text(), "&Edit");
  EXPECT_EQ(top[2]->text(), "&Player");
  EXPECT_EQ(top[3], m.Help1);
  EXPECT_EQ(m.Help1->text(), "&Help");
  EXPECT_EQ(m.Help1->menu(), nullptr);  // the entry itself is the command

  auto captions = [](QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
  };
  EXPECT_EQ(captions(m.File1), QStringList({"&New...", "&Open...", "&Save...", "-", "E&xit"}));
  EXPECT_EQ(captions(m.Edit2), QStringList({"&Add...", "&Remove...", "-", "Add directory...",
                                            "Remove Directory...", "-", "&Options..."}));
  EXPECT_EQ(captions(m.Player1), QStringList({"&Play", "Pa&use", "&Stop", "-", "&Next", "P&revious",
                                              "-", "Total &Length"}));
  for (QMenu* menu : {m.File1, m.Edit2, m.Player1})
    for (QAction* a : menu->actions()) EXPECT_TRUE(a->shortcut().isEmpty());
  EXPECT_TRUE(m.Play1->isEnabled());
  EXPECT_FALSE(m.Pause1->isEnabled());
  EXPECT_FALSE(m.Stop1->isEnabled());
}

TEST(Design, TheListThePositionBarAndTheStatusLine) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  EXPECT_EQ(m.Caption(), "Ostrivo 1.0");
  EXPECT_EQ(m.ListBox1->contextMenuPolicy(), Qt::CustomContextMenu);
  EXPECT_FALSE(m.ListBox1->focusPolicy() & Qt::TabFocus);
  EXPECT_EQ(m.ListBox1->font().pixelSize(), 10);

  EXPECT_EQ(m.TrackBar1->orientation(), Qt::Horizontal);
  EXPECT_EQ(m.TrackBar1->height(), 20);
  EXPECT_EQ(m.TrackBar1->tickPosition(), QSlider::TicksBelow);
  EXPECT_EQ(m.TrackBar1->tickInterval(), 1);
  EXPECT_EQ(m.TrackBar1->singleStep(), 0);
  EXPECT_EQ(m.TrackBar1->pageStep(), 0);
  EXPECT_FALSE(m.TrackBar1->focusPolicy() & Qt::TabFocus);

  EXPECT_EQ(m.StatusBar1->height(), 20);
  EXPECT_NE(m.StatusBar1->findChild<QSizeGrip*>(), nullptr);
  for (TTrackBar* b : {m.VolumeBar, m.WaveVolumeBar, m.AuxVolumeBar, m.MicVolumeBar, m.CDVolumeBar,
                       m.MidiVolumeBar}) {
    EXPECT_EQ(b->orientation(), Qt::Vertical);
    EXPECT_EQ(b->width(), 25);
  }
}
