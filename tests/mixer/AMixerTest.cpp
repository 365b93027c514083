// TAudioMixer over the simulated driver: the tree, the reads and writes of a line's level and
// mute, the Mixer list fallback, the device identifier and the notices.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <vector>

#include "mixer/AMixer.h"
#include "platform/mixer/SimulatedMixerDriver.h"

using namespace ostrivo;
using Line = SimulatedMixerDriver::LineRef;
using Control = SimulatedMixerDriver::ControlRef;

namespace {

constexpr unsigned kUniform = SimulatedMixerDriver::kUniform;
constexpr unsigned kDisabled = SimulatedMixerDriver::kDisabled;

// Outputs of one read, pre-set to values no read produces so untouched outputs show.
struct Reading {
  int32_t left = 777, right = 777, mute = 777;
  bool volumeUnavailable = false, muteUnavailable = false;
  bool ok = false;
  static Reading Of(TAudioMixer& m, int32_t d, int32_t c, bool flagsBefore = false) {
    Reading r;
    r.volumeUnavailable = r.muteUnavailable = flagsBefore;
    r.ok = m.ReadLineLevel(d, c, r.left, r.right, r.mute, r.volumeUnavailable, r.muteUnavailable);
    return r;
  }
};

// A sound card as the bars expect it: a stereo master with volume and mute, and three stereo
// sources with their own volume and mute.
struct Card {
  SimulatedMixerDriver driver;
  std::uint32_t device = driver.AddDevice();
  Line master = driver.AddDestination(device, 2);
  Control masterVolume = driver.AddVolume(master, 0, {50000, 40000});
  Control masterMute = driver.AddMute(master);
  std::vector<Line> sources;
  std::vector<Control> volumes, mutes;

  explicit Card(int sourceCount = 3) {
    for (int i = 0; i < sourceCount; ++i) {
      sources.push_back(driver.AddSource(master, 2));
      volumes.push_back(driver.AddVolume(sources.back(), 0, {1000u * (i + 1), 500u * (i + 1)}));
      mutes.push_back(driver.AddMute(sources.back(), i % 2 == 1));
    }
  }
};

}  // namespace

TEST(TAudioMixerTree, BuildsEveryLineOnceInTheDevicesOrder) {
  Card card;
  TAudioMixer mixer(card.driver, nullptr);
  ASSERT_EQ(mixer.MixerID(), 0);
  const TMixerDestinations* tree = mixer.Destinations();
  ASSERT_NE(tree, nullptr);
  ASSERT_EQ(tree->Count(), 1);
  const TMixerDestination& dest = *tree->Destination(0);
  EXPECT_EQ(dest.Controls.Count(), 2);
  ASSERT_EQ(dest.Connections.Count(), 3);
  for (int32_t s = 0; s < 3; ++s) {
    EXPECT_EQ(dest.Connections.Connection(s)->Line.source, s);
    EXPECT_EQ(dest.Connections.Connection(s)->Controls.Count(), 2);
    EXPECT_EQ(dest.Connections.Connection(s)->Mixer, &mixer);
  }
  // One description and one control list per line, read once at open.
  EXPECT_EQ(card.driver.calls.open, 1u);
  EXPECT_EQ(card.driver.calls.lineInfo, 4u);
  EXPECT_EQ(card.driver.calls.lineControls, 4u);
  EXPECT_EQ(card.driver.calls.getDetails, 0u);
  Reading::Of(mixer, 0, 1);
  EXPECT_EQ(card.driver.calls.lineInfo, 4u);
  EXPECT_EQ(card.driver.calls.lineControls, 4u);
}

TEST(TAudioMixerTree, UnreadableLinesAreLeftOutAndLaterLinesMoveUp) {
  SimulatedMixerDriver driver;
  const auto dev = driver.AddDevice();
  const Line broken = driver.AddDestination(dev, 2, "Broken");
  driver.AddVolume(broken, 0, {1, 1});
  const Line play = driver.AddDestination(dev, 2, "Play");
  driver.AddVolume(play, 0, {2, 2});
  std::vector<Line> sources;
  for (std::uint32_t i = 0; i < 4; ++i) {
    sources.push_back(driver.AddSource(play, 1));
    driver.AddVolume(sources.back(), kUniform, {100 + i});
  }
  driver.FailLineInfo(broken);
  driver.FailLineInfo(sources[1]);

  TAudioMixer mixer(driver, nullptr);
  ASSERT_EQ(mixer.Destinations()->Count(), 1);
  EXPECT_EQ(Reading::Of(mixer, 0, -1).left, 2);
  EXPECT_EQ(Reading::Of(mixer, 0, 0).left, 100);
  EXPECT_EQ(Reading::Of(mixer, 0, 1).left, 102);
  EXPECT_EQ(Reading::Of(mixer, 0, 2).left, 103);
  EXPECT_FALSE(Reading::Of(mixer, 0, 3).ok);
  EXPECT_FALSE(Reading::Of(mixer, 1, -1).ok);
}

TEST(TAudioMixerRead, ConnectionsPastTheLastSourceFailAndLeaveTheOutputsAlone) {
  Card card;
  TAudioMixer mixer(card.driver, nullptr);
  for (int32_t c = 0; c < 3; ++c) EXPECT_TRUE(Reading::Of(mixer, 0, c).ok) << c;
  for (int32_t c : {3, 4, -2}) {
    for (bool flags : {false, true}) {
      const Reading r = Reading::Of(mixer, 0, c, flags);
      EXPECT_FALSE(r.ok);
      EXPECT_EQ(r.left, 777);
      EXPECT_EQ(r.right, 777);
      EXPECT_EQ(r.mute, 777);
      EXPECT_EQ(r.volumeUnavailable, flags);
      EXPECT_EQ(r.muteUnavailable, flags);
    }
  }
  EXPECT_FALSE(Reading::Of(mixer, 1, -1).ok);
  EXPECT_FALSE(Reading::Of(mixer, -1, -1).ok);
  EXPECT_FALSE(mixer.WriteLineLevel(0, 3, 1, 1, 0));
  EXPECT_EQ(card.driver.calls.setDetails, 0u);
}

TEST(TAudioMixerRead, StereoUniformMissingAndDisabledVolumes) {
  Card card;
  const Line mono = card.driver.AddSource(card.master, 2);
  card.driver.AddVolume(mono, kUniform, {12345});
  const Line noVolume = card.driver.AddSource(card.master, 2);
  card.driver.AddMute(noVolume, true);
  const Line disabled = card.driver.AddSource(card.master, 2);
  card.driver.AddVolume(disabled, kDisabled, {9, 9});
  card.driver.AddMute(disabled, false, kUniform | kDisabled);
  TAudioMixer mixer(card.driver, nullptr);

  Reading r = Reading::Of(mixer, 0, 1, true);
  EXPECT_EQ(r.left, 2000);
  EXPECT_EQ(r.right, 1000);
  EXPECT_EQ(r.mute, 1);
  EXPECT_FALSE(r.volumeUnavailable);
  EXPECT_FALSE(r.muteUnavailable);

  r = Reading::Of(mixer, 0, 3);
  EXPECT_EQ(r.left, 12345);
  EXPECT_EQ(r.right, -1);
  EXPECT_TRUE(r.muteUnavailable);  // no mute switch and no Mixer list control

  r = Reading::Of(mixer, 0, 4);
  EXPECT_EQ(r.left, -1);
  EXPECT_TRUE(r.volumeUnavailable);
  EXPECT_EQ(r.mute, 1);
  EXPECT_FALSE(r.muteUnavailable);

  r = Reading::Of(mixer, 0, 5);
  EXPECT_EQ(r.left, -1);
  EXPECT_EQ(r.mute, -1);
  EXPECT_TRUE(r.volumeUnavailable);
  EXPECT_TRUE(r.muteUnavailable);
}

TEST(TAudioMixerRead, AFailedReadOrUnreadableControlsSkipToWhatRemains) {
  Card card(0);
  const Line twoVolumes = card.driver.AddSource(card.master, 2);
  const Control first = card.driver.AddVolume(twoVolumes, 0, {1, 2});
  card.driver.AddVolume(twoVolumes, 0, {3, 4});
  const Line noControls = card.driver.AddSource(card.master, 2);
  const Control hidden = card.driver.AddVolume(noControls, 0, {5, 6});
  card.driver.FailDetailsRead(first);
  card.driver.FailLineControls(noControls);
  TAudioMixer mixer(card.driver, nullptr);

  Reading r = Reading::Of(mixer, 0, 0);
  EXPECT_EQ(r.left, 3);
  EXPECT_EQ(r.right, 4);

  r = Reading::Of(mixer, 0, 1);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.left, -1);
  EXPECT_EQ(r.mute, -1);
  EXPECT_TRUE(r.volumeUnavailable);
  EXPECT_TRUE(r.muteUnavailable);
  EXPECT_TRUE(mixer.WriteLineLevel(0, 1, 30000, -1, 1));
  EXPECT_EQ(card.driver.WriteCount(hidden), 0u);
  EXPECT_EQ(card.driver.calls.setDetails, 0u);
}

TEST(TAudioMixerRead, OneVariableForRightAndMuteDoesNotDisturbTheLeftLevel) {
  Card card;
  TAudioMixer mixer(card.driver, nullptr);
  int32_t level = 0, scratch = 0;
  bool a = false, b = false;
  ASSERT_TRUE(mixer.ReadLineLevel(0, 2, level, scratch, scratch, a, b));
  EXPECT_EQ(level, 3000);
  EXPECT_EQ(scratch, 0);  // the mute (written last) of an unmuted line
}

TEST(TAudioMixerWrite, LevelsAndMute) {
  Card card;
  card.driver.SetValues(card.mutes[0], {1});
  TAudioMixer mixer(card.driver, nullptr);

  // Right -1 stands for left; mute 0 unmutes.
  ASSERT_TRUE(mixer.WriteLineLevel(0, 0, 20000, -1, 0));
  EXPECT_EQ(card.driver.Values(card.volumes[0]), (std::vector<std::uint32_t>{20000, 20000}));
  EXPECT_EQ(card.driver.Values(card.mutes[0]), (std::vector<std::uint32_t>{0}));

  ASSERT_TRUE(mixer.WriteLineLevel(0, -1, 100, 200, -1));
  EXPECT_EQ(card.driver.Values(card.masterVolume), (std::vector<std::uint32_t>{100, 200}));
  EXPECT_EQ(card.driver.WriteCount(card.masterMute), 0u);

  // Left -1: only the mute switch is written.
  ASSERT_TRUE(mixer.WriteLineLevel(0, 1, -1, 5, 1));
  EXPECT_EQ(card.driver.WriteCount(card.volumes[1]), 0u);
  EXPECT_EQ(card.driver.Values(card.volumes[1]), (std::vector<std::uint32_t>{2000, 1000}));
  EXPECT_EQ(card.driver.Values(card.mutes[1]), (std::vector<std::uint32_t>{1}));

  // Both -1: nothing at all.
  const auto before = card.driver.calls;
  ASSERT_TRUE(mixer.WriteLineLevel(0, 2, -1, -1, -1));
  EXPECT_EQ(card.driver.calls.Total(), before.Total());
}

TEST(TAudioMixerWrite, UniformAndManyChannelControls) {
  Card card(0);
  const Line mono = card.driver.AddSource(card.master, 2);
  const Control uniform = card.driver.AddVolume(mono, kUniform, {7});
  const Line surround = card.driver.AddSource(card.master, 6);
  const Control six = card.driver.AddVolume(surround, 0);
  const Control sixMute = card.driver.AddMute(surround, true, 0);  // one switch per channel
  TAudioMixer mixer(card.driver, nullptr);

  ASSERT_TRUE(mixer.WriteLineLevel(0, 0, 400, 900, -1));
  EXPECT_EQ(card.driver.Values(uniform), (std::vector<std::uint32_t>{400}));

  ASSERT_TRUE(mixer.WriteLineLevel(0, 1, 100, 200, 0));
  EXPECT_EQ(card.driver.Values(six), (std::vector<std::uint32_t>{100, 200, 100, 200, 100, 200}));
  EXPECT_EQ(card.driver.Values(sixMute), (std::vector<std::uint32_t>(6, 0)));
  ASSERT_TRUE(mixer.WriteLineLevel(0, 1, 300, -1, -1));
  EXPECT_EQ(card.driver.Values(six), (std::vector<std::uint32_t>(6, 300)));
}

TEST(TAudioMixerWrite, ControlsTooLargeForTheValuesBufferAreNeverTouched) {
  Card card(0);
  const Line wide = card.driver.AddSource(card.master, TAudioMixer::kValuesBufferSize + 1);
  const Control wideVolume = card.driver.AddVolume(wide, 0);
  const Control wideFallback = card.driver.AddVolume(wide, kUniform, {4242});
  TAudioMixer mixer(card.driver, nullptr);

  const auto readsBefore = card.driver.calls.getDetails;
  const Reading r = Reading::Of(mixer, 0, 0);
  EXPECT_EQ(r.left, 4242);  // the 32-channel control is passed over, the uniform one read
  EXPECT_EQ(card.driver.calls.getDetails, readsBefore + 1);

  ASSERT_TRUE(mixer.WriteLineLevel(0, 0, 11, -1, -1));
  EXPECT_EQ(card.driver.WriteCount(wideVolume), 0u);
  EXPECT_EQ(card.driver.Values(wideFallback), (std::vector<std::uint32_t>{11}));
}

TEST(TAudioMixerMuteFallback, ReadsAndWritesTheSourcesPositionInTheMixerListControl) {
  SimulatedMixerDriver driver;
  const auto dev = driver.AddDevice();
  const Line rec = driver.AddDestination(dev, 2, "Recording");
  driver.AddVolume(rec, 0, {1, 1});
  const Control list = driver.AddMixerList(rec, 4, {1, 0, 1, 0});
  std::vector<Line> src;
  for (int i = 0; i < 5; ++i) driver.AddVolume(src.emplace_back(driver.AddSource(rec, 2)), 0);
  const Control ownMute = driver.AddMute(src[3], true);
  TAudioMixer mixer(driver, nullptr);

  Reading r = Reading::Of(mixer, 0, 2, true);
  EXPECT_EQ(r.mute, 1);
  EXPECT_FALSE(r.muteUnavailable);
  EXPECT_EQ(Reading::Of(mixer, 0, 1).mute, 0);
  // A line's own switch comes first.
  EXPECT_EQ(Reading::Of(mixer, 0, 3).mute, 1);
  driver.SetValues(ownMute, {0});
  EXPECT_EQ(Reading::Of(mixer, 0, 3).mute, 0);
  // The destination line itself never falls back.
  EXPECT_EQ(Reading::Of(mixer, 0, -1).mute, -1);

  ASSERT_TRUE(mixer.WriteLineLevel(0, 1, 500, -1, 1));
  EXPECT_EQ(driver.Values(list), (std::vector<std::uint32_t>{1, 1, 1, 0}));
  ASSERT_TRUE(mixer.WriteLineLevel(0, 0, -1, -1, 0));
  EXPECT_EQ(driver.Values(list), (std::vector<std::uint32_t>{0, 1, 1, 0}));

  // Source 4 lies past the list's four values: not read, not written.
  const auto reads = driver.calls.getDetails;
  r = Reading::Of(mixer, 0, 4);
  EXPECT_EQ(r.mute, -1);
  EXPECT_TRUE(r.muteUnavailable);
  EXPECT_EQ(driver.calls.getDetails, reads + 1);  // its volume only
  const auto writes = driver.WriteCount(list);
  ASSERT_TRUE(mixer.WriteLineLevel(0, 4, -1, -1, 1));
  EXPECT_EQ(driver.WriteCount(list), writes);
}

TEST(TAudioMixerMuteFallback, AFailedListReadWritesNothingAndOversizedListsAreSkipped) {
  SimulatedMixerDriver driver;
  const auto dev = driver.AddDevice();
  const Line rec = driver.AddDestination(dev, 1);
  const Control huge = driver.AddMixerList(rec, TAudioMixer::kValuesBufferSize + 1);
  const Control small = driver.AddMixerList(rec, 2, {0, 1});
  driver.AddSource(rec, 1);
  driver.AddSource(rec, 1);
  TAudioMixer mixer(driver, nullptr);

  // The read passes over the list that does not fit and takes the next one.
  EXPECT_EQ(Reading::Of(mixer, 0, 1).mute, 1);
  // The write takes only the first list; it does not fit, so nothing is written anywhere.
  ASSERT_TRUE(mixer.WriteLineLevel(0, 1, -1, -1, 0));
  EXPECT_EQ(driver.WriteCount(huge), 0u);
  EXPECT_EQ(driver.WriteCount(small), 0u);

  SimulatedMixerDriver driver2;
  const auto dev2 = driver2.AddDevice();
  const Line rec2 = driver2.AddDestination(dev2, 1);
  const Control failing = driver2.AddMixerList(rec2, 2, {0, 0});
  driver2.AddSource(rec2, 1);
  driver2.FailDetailsRead(failing);
  TAudioMixer mixer2(driver2, nullptr);
  ASSERT_TRUE(mixer2.WriteLineLevel(0, 0, -1, -1, 1));
  EXPECT_EQ(driver2.WriteCount(failing), 0u);
  EXPECT_EQ(Reading::Of(mixer2, 0, 0).mute, -1);
}

TEST(TAudioMixerID, SwitchingClosingAndFailedOpens) {
  SimulatedMixerDriver driver;
  for (std::uint32_t v : {111u, 222u}) {
    const auto dev = driver.AddDevice();
    driver.AddVolume(driver.AddDestination(dev, 1), kUniform, {v});
  }
  TAudioMixer mixer(driver, nullptr);
  EXPECT_EQ(mixer.DeviceCount(), 2);
  EXPECT_EQ(mixer.MixerID(), 0);
  EXPECT_EQ(Reading::Of(mixer, 0, -1).left, 111);

  mixer.SetMixerID(2);  // not below the count: the open device stays open
  EXPECT_EQ(mixer.MixerID(), 0);
  EXPECT_EQ(driver.OpenDeviceCount(0), 1u);
  EXPECT_EQ(Reading::Of(mixer, 0, -1).left, 111);

  mixer.SetMixerID(1);
  EXPECT_EQ(mixer.MixerID(), 1);
  EXPECT_EQ(driver.OpenDeviceCount(0), 0u);
  EXPECT_EQ(Reading::Of(mixer, 0, -1).left, 222);

  mixer.SetMixerID(-1);
  EXPECT_EQ(mixer.MixerID(), -1);
  EXPECT_EQ(mixer.Destinations(), nullptr);
  EXPECT_EQ(driver.OpenDeviceCount(), 0u);
  EXPECT_FALSE(Reading::Of(mixer, 0, -1).ok);
  EXPECT_FALSE(mixer.WriteLineLevel(0, -1, 1, 1, 1));

  mixer.SetMixerID(0);
  driver.FailOpen(1);
  mixer.SetMixerID(1);  // the open device is closed first, then the open fails
  EXPECT_EQ(mixer.MixerID(), -1);
  EXPECT_EQ(driver.OpenDeviceCount(0), 0u);
  EXPECT_FALSE(Reading::Of(mixer, 0, -1).ok);
}

TEST(TAudioMixerID, NoDeviceMeansNothingOpensAndEveryCallFails) {
  SimulatedMixerDriver driver;
  {
    TAudioMixer mixer(driver, nullptr);
    EXPECT_EQ(mixer.MixerID(), -1);
    EXPECT_EQ(mixer.DeviceCount(), 0);
    mixer.SetMixerID(0);
    EXPECT_EQ(mixer.MixerID(), -1);
    EXPECT_FALSE(Reading::Of(mixer, 0, -1).ok);
    EXPECT_FALSE(mixer.WriteLineLevel(0, -1, 0, 0, 0));
  }
  EXPECT_EQ(driver.calls.open, 0u);
  EXPECT_EQ(driver.calls.numDevs, 1u);
}

TEST(TAudioMixerNotices, LineAndControlChangesReachTheEventsOnTheEventLoop) {
  Card card;
  auto mixer = std::make_unique<TAudioMixer>(card.driver, nullptr);
  struct Seen {
    char kind;
    QObject* sender;
    int32_t handle, id;
  };
  std::vector<Seen> seen;
  mixer->OnControlChange = [&](QObject* s, int32_t h, int32_t id) {
    seen.push_back({'c', s, h, id});
  };
  mixer->OnLineChange = [&](QObject* s, int32_t h, int32_t id) { seen.push_back({'l', s, h, id}); };

  card.driver.SetValues(card.volumes[1], {1, 1});
  card.driver.ChangeLine(card.sources[2]);
  EXPECT_TRUE(seen.empty());  // posted, not called from inside the driver
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].kind, 'c');
  EXPECT_EQ(seen[0].sender, mixer.get());
  EXPECT_EQ(seen[0].handle, mixer->MixerID());
  EXPECT_EQ(seen[0].id, static_cast<int32_t>(card.volumes[1].id));
  EXPECT_EQ(seen[1].kind, 'l');
  EXPECT_EQ(seen[1].id, static_cast<int32_t>(card.driver.LineID(card.sources[2])));

  // Unset events: nothing happens. A notice still queued when the mixer goes is dropped.
  mixer->OnControlChange = nullptr;
  card.driver.SetValues(card.volumes[0], {2, 2});
  QCoreApplication::sendPostedEvents();
  card.driver.ChangeLine(card.master);
  mixer.reset();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(card.driver.OpenDeviceCount(), 0u);
}
