// The mixer interface over the simulated driver: opening and its failure, lines and controls as
// built, values of the control's own shape only, failures where they are set, and notices that
// reach the devices open on the changed device, queued.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <vector>

#include "platform/mixer/SimulatedMixerDriver.h"

using namespace ostrivo;
using Line = SimulatedMixerDriver::LineRef;
using Control = SimulatedMixerDriver::ControlRef;
using Values = std::vector<std::uint32_t>;

namespace {

// Two devices; device 0 has a stereo playback destination with a volume and a mute, two
// sources, and a recording destination with a Mixer list control.
struct Fixture {
  SimulatedMixerDriver driver;
  std::uint32_t dev = driver.AddDevice();
  std::uint32_t other = driver.AddDevice();
  Line play = driver.AddDestination(dev, 2);
  Control volume = driver.AddVolume(play, 0, {30000, 20000});
  Control mute = driver.AddMute(play, false);
  Line wave = driver.AddSource(play, 2, "Wave");
  Control waveVolume = driver.AddVolume(wave, SimulatedMixerDriver::kUniform, {7});
  Line cd = driver.AddSource(play, 2, "CD");
  Line rec = driver.AddDestination(dev, 2, "Recording");
  Control list = driver.AddMixerList(rec, 3, {1, 0, 1});

  MixerControl Find(MixerDevice& d, Line line, std::size_t i) {
    return d.Controls(*d.Line(line.destination, line.source))->at(i);
  }
};

// Records the notices a device receives.
struct Seen {
  std::vector<std::pair<MixerNotice::Kind, std::uint32_t>> notices;
  void Watch(MixerDevice& d) {
    d.OnChange = [this](const MixerNotice& n) { notices.emplace_back(n.kind, n.id); };
  }
};

}  // namespace

TEST(SimulatedMixerDriver, OpenCloseAndAFailedOpen) {
  Fixture f;
  EXPECT_EQ(f.driver.DeviceCount(), 2u);
  f.driver.FailOpen(f.other);
  EXPECT_EQ(f.driver.Open(f.other), nullptr);
  EXPECT_EQ(f.driver.OpenDeviceCount(), 0u);
  {
    auto a = f.driver.Open(f.dev);
    auto b = f.driver.Open(f.dev);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(f.driver.OpenDeviceCount(f.dev), 2u);
    EXPECT_EQ(f.driver.OpenDeviceCount(f.other), 0u);
  }
  EXPECT_EQ(f.driver.OpenDeviceCount(), 0u);
  EXPECT_EQ(f.driver.calls.open, 3u);
  EXPECT_EQ(f.driver.calls.close, 2u);
}

TEST(SimulatedMixerDriver, LinesAndControlsAsBuilt) {
  Fixture f;
  auto d = f.driver.Open(f.dev);
  EXPECT_EQ(d->DestinationCount(), 2u);
  const auto play = d->Line(0, -1);
  ASSERT_TRUE(play.has_value());
  EXPECT_EQ(play->sources, 2u);
  EXPECT_EQ(play->channels, 2u);
  const auto cd = d->Line(0, 1);
  ASSERT_TRUE(cd.has_value());
  EXPECT_EQ(cd->name, "CD");
  EXPECT_EQ(cd->source, 1);
  EXPECT_EQ(cd->id, f.driver.LineID(f.cd));
  EXPECT_FALSE(d->Line(0, 2).has_value());
  EXPECT_FALSE(d->Line(2, -1).has_value());
  EXPECT_EQ(d->Line(1, -1)->name, "Recording");

  const auto controls = d->Controls(*play);
  ASSERT_EQ(controls->size(), 2u);
  EXPECT_EQ((*controls)[0].type, MixerControlType::Volume);
  EXPECT_EQ((*controls)[0].channels, 2u);
  EXPECT_EQ((*controls)[0].maximum, 65535u);
  EXPECT_EQ((*controls)[1].type, MixerControlType::Mute);
  EXPECT_EQ((*controls)[1].channels, 1u);
  const MixerControl list = f.Find(*d, f.rec, 0);
  EXPECT_EQ(list.type, MixerControlType::MixerList);
  EXPECT_EQ(list.items, 3u);
  EXPECT_EQ(list.ValueCount(), 3u);
  EXPECT_EQ(f.Find(*d, f.wave, 0).channels, 1u);  // uniform
}

TEST(SimulatedMixerDriver, ValuesInTheControlsOwnShapeOnly) {
  Fixture f;
  auto d = f.driver.Open(f.dev);
  const MixerControl volume = f.Find(*d, f.play, 0);
  Values two(2, 0xFEED);
  ASSERT_TRUE(d->Read(volume, two));
  EXPECT_EQ(two, (Values{30000, 20000}));

  // Sizes the control does not have: refused, nothing read or written.
  Values one{0xFEED};
  EXPECT_FALSE(d->Read(volume, one));
  EXPECT_EQ(one[0], 0xFEEDu);
  EXPECT_FALSE(d->Write(volume, Values{123}));
  EXPECT_EQ(f.driver.Values(f.volume), (Values{30000, 20000}));
  Values three(3, 0xFEED);
  EXPECT_FALSE(d->Read(volume, three));
  EXPECT_EQ(three, (Values(3, 0xFEED)));

  ASSERT_TRUE(d->Write(volume, Values{123, 456}));
  EXPECT_EQ(f.driver.Values(f.volume), (Values{123, 456}));
  EXPECT_EQ(f.driver.WriteCount(f.volume), 1u);
  ASSERT_TRUE(d->Read(f.Find(*d, f.rec, 0), three));
  EXPECT_EQ(three, (Values{1, 0, 1}));
}

TEST(SimulatedMixerDriver, FailuresHitTheLinesAndControlsTheyAreSetOn) {
  Fixture f;
  f.driver.FailLineInfo(f.cd);
  f.driver.FailLineControls(f.play);
  auto d = f.driver.Open(f.dev);
  EXPECT_FALSE(d->Line(0, 1).has_value());
  EXPECT_TRUE(d->Line(0, 0).has_value());
  const auto play = d->Line(0, -1);
  ASSERT_TRUE(play.has_value());
  EXPECT_FALSE(d->Controls(*play).has_value());
  EXPECT_TRUE(d->Controls(*d->Line(0, 0)).has_value());

  f.driver.FailLineControls(f.play, false);
  const MixerControl mute = f.Find(*d, f.play, 1);
  f.driver.FailDetailsWrite(f.mute);
  EXPECT_FALSE(d->Write(mute, Values{1}));
  EXPECT_EQ(f.driver.Values(f.mute), (Values{0}));
  f.driver.FailDetailsWrite(f.mute, false);
  EXPECT_TRUE(d->Write(mute, Values{1}));
  EXPECT_EQ(f.driver.Values(f.mute), (Values{1}));
  EXPECT_EQ(f.driver.WriteCount(f.mute), 1u);

  f.driver.FailDetailsRead(f.mute);
  Values v{5};
  EXPECT_FALSE(d->Read(mute, v));
  EXPECT_EQ(v, (Values{5}));
  EXPECT_EQ(f.driver.calls.lineInfo, 5u);
  EXPECT_EQ(f.driver.calls.lineControls, 3u);
  EXPECT_EQ(f.driver.calls.setDetails, 2u);
  EXPECT_EQ(f.driver.calls.getDetails, 1u);
}

TEST(SimulatedMixerDriver, NoticesGoQueuedToTheDevicesOpenOnTheChangedDevice) {
  Fixture f;
  Seen a, b, other;
  auto da = f.driver.Open(f.dev);
  auto db = f.driver.Open(f.dev);
  auto dother = f.driver.Open(f.other);
  auto unwatched = f.driver.Open(f.dev);  // no handler: no trouble
  a.Watch(*da);
  b.Watch(*db);
  other.Watch(*dother);

  f.driver.SetValues(f.volume, {1, 2});
  EXPECT_TRUE(a.notices.empty());
  QCoreApplication::sendPostedEvents();
  using N = std::vector<std::pair<MixerNotice::Kind, std::uint32_t>>;
  EXPECT_EQ(a.notices, (N{{MixerNotice::ControlChange, f.volume.id}}));
  EXPECT_EQ(b.notices, a.notices);
  EXPECT_TRUE(other.notices.empty());

  // A write through one device is a change for every device open on it.
  ASSERT_TRUE(db->Write(f.Find(*db, f.play, 1), Values{1}));
  da.reset();
  f.driver.ChangeLine(f.cd);
  Seen never;
  {
    auto gone = f.driver.Open(f.dev);
    never.Watch(*gone);
    f.driver.ChangeLine(f.cd);
  }  // closed with a notice still queued: it is dropped
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(a.notices.size(), 1u);
  EXPECT_TRUE(never.notices.empty());
  EXPECT_EQ(b.notices, (N{{MixerNotice::ControlChange, f.volume.id},
                          {MixerNotice::ControlChange, f.mute.id},
                          {MixerNotice::LineChange, f.driver.LineID(f.cd)},
                          {MixerNotice::LineChange, f.driver.LineID(f.cd)}}));
}
