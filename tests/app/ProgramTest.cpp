#include <gtest/gtest.h>

#include "app/SplashUnit.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "picture/PictureUnit.h"
#include "playlist/AddDirUnit.h"
#include "playlist/InsPauseUnit.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

TEST(Program, CreatesTheSixWindowsWithTheirCaptions) {
  TestProgram p;
  p.Create();
  EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0");
  EXPECT_FALSE(p.Picture().isVisible());
  EXPECT_EQ(p.Options().windowTitle(), "Options");
  EXPECT_EQ(p.AddDir().windowTitle(), "Add Directory");
  EXPECT_EQ(p.InsPause().windowTitle(), "Insert pause");
  EXPECT_TRUE(p.Main().FirstTick);
  EXPECT_NE(p.Main().Mixer, nullptr);
}

TEST(Program, StartsIdleWithTheClockRunningEveryMillisecond) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  EXPECT_FALSE(m.Active());
  EXPECT_TRUE(m.PlayButton->isEnabled());
  EXPECT_TRUE(m.Play1->isEnabled());
  EXPECT_TRUE(m.PopupPlay->isEnabled());
  for (QAction* a : {m.Pause1, m.Stop1, m.PopupPause, m.PopupStop}) EXPECT_FALSE(a->isEnabled());
  EXPECT_FALSE(m.PauseButton->isEnabled());
  EXPECT_FALSE(m.ShellButton->isEnabled());
  EXPECT_TRUE(m.ShellButton->isHidden());
  EXPECT_TRUE(m.Timer1->Enabled());
  EXPECT_EQ(m.Timer1->Interval(), 1u);
  EXPECT_EQ(m.StatusBar1->SimpleText(), QString());
  EXPECT_EQ(m.TrackBar1->Min(), 0);
  EXPECT_EQ(m.TrackBar1->Max(), 10);
  EXPECT_FALSE(m.RxTrayIcon1->Active());
}

TEST(Program, ClosingTheMainWindowEndsTheProgram) {
  TestProgram p;
  p.Create();
  EXPECT_FALSE(p.forms->Terminated());
  p.Main().Exit1->trigger();
  EXPECT_TRUE(p.forms->Terminated());
}

TEST(Program, OptionsStartWithTheDialogsDesignValues) {
  TestProgram p;
  p.Create();
  TOptionsForm& o = p.Options();
  for (QCheckBox* b :
       {o.RandomBox, o.ContinuousBox, o.RecurseBox, o.FitBox, o.StretchBox, o.TitleBox})
    EXPECT_FALSE(b->isChecked()) << b->text().toStdString();
  for (QCheckBox* b : {o.VolumeBox, o.WaveVolumeBox, o.AuxVolumeBox, o.MicVolumeBox, o.CDVolumeBox,
                       o.MidiVolumeBox})
    EXPECT_TRUE(b->isChecked()) << b->text().toStdString();
  EXPECT_EQ(o.Edit1->text(), "3");
  EXPECT_EQ(o.Edit2->text(), "0");
}
