// The six volume bars of a whole program over the simulated mixer and virtual time: moving a
// bar sets its line, every tick of the clock brings the bars back in line with the mixer.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <vector>

#include "main/MainUnit.h"
#include "mixer/AMixer.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;
using Line = SimulatedMixerDriver::LineRef;
using Control = SimulatedMixerDriver::ControlRef;
using Values = std::vector<std::uint32_t>;

namespace {

enum Source { kLine, kWave, kMic, kCD, kSynth };

// A program on a card whose first destination is the playback mix with its sources in the order
// the bars assume. Every line has a stereo volume and a mute switch unless told otherwise.
struct Program {
  TestProgram p;
  Line master;
  Control masterVolume, masterMute;
  std::vector<Line> src;
  std::vector<Control> volume, mute;

  explicit Program(int sources = 5, bool micHasVolume = true) {
    const auto dev = p.mixer.AddDevice();
    master = p.mixer.AddDestination(dev, 2);
    masterVolume = p.mixer.AddVolume(master, 0, {60000, 60000});
    masterMute = p.mixer.AddMute(master);
    for (int s = 0; s < sources; ++s) {
      src.push_back(p.mixer.AddSource(master, 2));
      const bool hasVolume = s != kMic || micHasVolume;
      volume.push_back(hasVolume ? p.mixer.AddVolume(src.back(), 0, {10000u * (s + 1), 0})
                                 : Control{dev, 9999});
      mute.push_back(p.mixer.AddMute(src.back(), true));
    }
    p.Create();
    p.Start();
  }
  TMainForm& M() { return p.Main(); }
  std::vector<TTrackBar*> Bars() {
    return {M().VolumeBar,    M().WaveVolumeBar, M().AuxVolumeBar,
            M().MicVolumeBar, M().CDVolumeBar,   M().MidiVolumeBar};
  }
  // The mixer's notices arrive first, as the event loop delivers them; they wake the clock.
  void Tick() {
    QCoreApplication::sendPostedEvents();
    p.time.Advance(1);
  }
};

}  // namespace

TEST(VolumeBars, MovingABarSetsBothChannelsOfItsLineAndUnmutesIt) {
  Program prog;
  prog.M().WaveVolumeBar->setValue(16384);  // as the user drags it
  EXPECT_EQ(prog.p.mixer.Values(prog.volume[kWave]), (Values{49151, 49151}));
  EXPECT_EQ(prog.p.mixer.Values(prog.mute[kWave]), (Values{0}));
  // Only the wave line was touched.
  EXPECT_EQ(prog.p.mixer.WriteCount(prog.volume[kLine]), 0u);
  EXPECT_EQ(prog.p.mixer.Values(prog.mute[kLine]), (Values{1}));

  // Each bar reaches its own line.
  const std::pair<TTrackBar*, Control> bars[] = {{prog.M().VolumeBar, prog.masterVolume},
                                                 {prog.M().AuxVolumeBar, prog.volume[kLine]},
                                                 {prog.M().MicVolumeBar, prog.volume[kMic]},
                                                 {prog.M().CDVolumeBar, prog.volume[kCD]},
                                                 {prog.M().MidiVolumeBar, prog.volume[kSynth]}};
  int position = 100;
  for (const auto& [bar, control] : bars) {
    bar->setValue(position);
    const auto level = static_cast<std::uint32_t>(65535 - position);
    EXPECT_EQ(prog.p.mixer.Values(control), (Values{level, level}))
        << bar->objectName().toStdString();
    position += 1000;
  }
}

TEST(VolumeBars, ARefreshFollowsChangesMadeElsewhereWithoutWritingBack) {
  Program prog;
  EXPECT_EQ(prog.M().VolumeBar->Position(), 65535 - 60000);
  prog.p.mixer.SetValues(prog.masterVolume, {0, 0});  // another program lowers the master
  prog.Tick();
  EXPECT_EQ(prog.M().VolumeBar->Position(), 65535);

  // Channels that differ: the bar shows the left one; moving it makes them equal.
  prog.p.mixer.SetValues(prog.volume[kLine], {40000, 10000});
  prog.Tick();
  EXPECT_EQ(prog.M().AuxVolumeBar->Position(), 25535);
  for (const Control& c : prog.volume) EXPECT_EQ(prog.p.mixer.WriteCount(c), 0u);
  EXPECT_EQ(prog.p.mixer.WriteCount(prog.masterVolume), 0u);
  prog.M().AuxVolumeBar->setValue(30000);
  EXPECT_EQ(prog.p.mixer.Values(prog.volume[kLine]), (Values{35535, 35535}));
}

TEST(VolumeBars, ALineWithoutVolumeControlKeepsItsBarAtTheBottom) {
  Program prog(5, false);
  EXPECT_EQ(prog.M().MicVolumeBar->Position(), 65535);
  EXPECT_TRUE(prog.M().MicVolumeBar->isEnabled());
  prog.M().MicVolumeBar->setValue(1000);
  EXPECT_EQ(prog.p.mixer.Values(prog.mute[kMic]), (Values{0}));  // the mute still goes off
  prog.Tick();
  EXPECT_EQ(prog.M().MicVolumeBar->Position(), 65535);
}

TEST(VolumeBars, HiddenBarsAreRefreshedLikeTheOthers) {
  Program prog;
  TOptionsForm& o = prog.p.Options();
  for (QCheckBox* box : {o.VolumeBox, o.WaveVolumeBox, o.AuxVolumeBox, o.MicVolumeBox,
                         o.CDVolumeBox, o.MidiVolumeBox})
    box->setChecked(false);
  o.OKBtnClick(nullptr);
  for (TTrackBar* bar : prog.Bars()) ASSERT_EQ(bar->width(), 0);

  prog.p.mixer.SetValues(prog.masterVolume, {1, 1});
  for (int s = 0; s < 5; ++s) prog.p.mixer.SetValues(prog.volume[s], {2000u + s, 0});
  const auto before = prog.p.mixer.calls;
  prog.Tick();
  // One read per control of the six lines; the tree is not read again.
  EXPECT_EQ(prog.p.mixer.calls.getDetails - before.getDetails, 12u);
  EXPECT_EQ(prog.p.mixer.calls.Total() - before.Total(), 12u);
  EXPECT_EQ(prog.M().VolumeBar->Position(), 65534);
  EXPECT_EQ(prog.M().AuxVolumeBar->Position(), 65535 - 2000);
  EXPECT_EQ(prog.M().WaveVolumeBar->Position(), 65535 - 2001);
  EXPECT_EQ(prog.M().MicVolumeBar->Position(), 65535 - 2002);
  EXPECT_EQ(prog.M().CDVolumeBar->Position(), 65535 - 2003);
  EXPECT_EQ(prog.M().MidiVolumeBar->Position(), 65535 - 2004);
}

TEST(VolumeBars, ABarWhoseLineDoesNotExistStandsDisabledAtTheBottom) {
  Program prog(3);
  prog.p.mixer.SetValues(prog.volume[kMic], {30000, 0});
  prog.Tick();
  for (TTrackBar* bar : {prog.M().CDVolumeBar, prog.M().MidiVolumeBar}) {
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_EQ(bar->Position(), 65535);  // not the level of the line read before it
  }
  for (TTrackBar* bar :
       {prog.M().VolumeBar, prog.M().AuxVolumeBar, prog.M().WaveVolumeBar, prog.M().MicVolumeBar})
    EXPECT_TRUE(bar->isEnabled());
  EXPECT_EQ(prog.M().MicVolumeBar->Position(), 35535);
  const auto writes = prog.p.mixer.calls.setDetails;
  prog.M().CDVolumeBarChange(prog.M().CDVolumeBar);
  EXPECT_EQ(prog.p.mixer.calls.setDetails, writes);
}

TEST(VolumeBars, WithoutAMixerDeviceEveryBarIsDisabledAtTheBottom) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  EXPECT_EQ(m.VolumeBar->Position(), 15);  // as designed, until the first tick
  p.Start();
  for (TTrackBar* bar : {m.VolumeBar, m.WaveVolumeBar, m.AuxVolumeBar, m.MicVolumeBar,
                         m.CDVolumeBar, m.MidiVolumeBar}) {
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_EQ(bar->Position(), 65535);
  }
  m.VolumeBarChange(m.VolumeBar);
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST(VolumeBars, OnceTheCloseQueryReleasedTheMixerNothingUsesIt) {
  Program prog;
  bool canClose = false;
  prog.M().FormCloseQuery(&prog.M(), canClose);
  ASSERT_EQ(prog.M().Mixer, nullptr);
  const int before = prog.M().VolumeBar->Position();
  prog.p.mixer.SetValues(prog.masterVolume, {0, 0});
  prog.Tick();
  prog.M().RefreshVolumeBars();
  EXPECT_EQ(prog.M().VolumeBar->Position(), before);
  EXPECT_TRUE(prog.M().VolumeBar->isEnabled());
  prog.M().WaveVolumeBar->setValue(0);
  EXPECT_EQ(prog.p.mixer.WriteCount(prog.volume[kWave]), 0u);
  EXPECT_TRUE(prog.p.dialogs.Errors().isEmpty());
}

TEST(VolumeBars, ClosingTheProgramLeavesTheClockNothingToRefresh) {
  Program prog;
  prog.M().Exit1->trigger();
  ASSERT_EQ(prog.M().Mixer, nullptr);
  prog.p.time.Advance(5);
  EXPECT_TRUE(prog.p.dialogs.Errors().isEmpty());
  EXPECT_EQ(prog.p.mixer.OpenDeviceCount(), 0u);
}
