// The winmm-like API over the simulated driver: handles and object addressing, the published
// structures' rules, pinned buffers that are never written past, and notices.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <array>
#include <cstring>
#include <vector>

#include "platform/mixer/MixerApi.h"
#include "platform/mixer/SimulatedMixerDriver.h"

using namespace ostrivo;
using Line = SimulatedMixerDriver::LineRef;
using Control = SimulatedMixerDriver::ControlRef;

namespace {

struct Receiver : QObject {
  struct Notice {
    std::uint32_t message, handle, id;
  };
  std::vector<Notice> notices;
  bool event(QEvent* e) override {
    if (e->type() != MixerNotifyEvent::Type()) return QObject::event(e);
    const auto& n = static_cast<MixerNotifyEvent&>(*e);
    notices.push_back({n.message, n.wParam, n.lParam});
    return true;
  }
};

// Two devices; device 0 has a stereo playback destination with a volume and a mute, two
// sources, and a recording destination with a Mixer list control.
struct Fixture {
  SimulatedMixerDriver driver;
  std::uint32_t dev = driver.AddDevice("Sim Card");
  std::uint32_t other = driver.AddDevice("Other");
  Line play = driver.AddDestination(dev, 2);
  Control volume = driver.AddVolume(play, 0, {30000, 20000});
  Control mute = driver.AddMute(play, false);
  Line wave = driver.AddSource(play, 2, "Wave", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
  Control waveVolume = driver.AddVolume(wave, MIXERCONTROL_CONTROLF_UNIFORM, {7});
  Line cd = driver.AddSource(play, 2, "CD", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC);
  Line rec = driver.AddDestination(dev, 2, "Recording", MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
  Control list = driver.AddMixerList(rec, 3, {1, 0, 1});

  HMIXER Open(QObject* target = nullptr) {
    HMIXER h = 0;
    EXPECT_EQ(mixerOpen(driver, &h, dev, target, 0, target ? CALLBACK_WINDOW : CALLBACK_NULL),
              MMSYSERR_NOERROR);
    return h;
  }
};

MIXERLINEA LineQuery() {
  MIXERLINEA l{};
  l.cbStruct = sizeof l;
  return l;
}

MIXERCONTROLDETAILS Details(std::uint32_t id, std::uint32_t channels, std::uint32_t items,
                            MIXBUFFER buffer) {
  MIXERCONTROLDETAILS d{};
  d.cbStruct = sizeof d;
  d.dwControlID = id;
  d.cChannels = channels;
  d.cMultipleItems = items;
  d.cbDetails = 4;
  d.paDetails = buffer;
  return d;
}

}  // namespace

TEST(MixerApiHandles, OpenCloseAndTheirFailures) {
  Fixture f;
  EXPECT_EQ(mixerGetNumDevs(f.driver), 2u);
  HMIXER h = 0;
  Receiver target;
  EXPECT_EQ(mixerOpen(f.driver, &h, 2, nullptr, 0, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(mixerOpen(f.driver, &h, 0, nullptr, 0, CALLBACK_WINDOW), MMSYSERR_INVALPARAM);
  EXPECT_EQ(mixerOpen(f.driver, &h, 0, &target, 0, 0x00030000), MMSYSERR_INVALFLAG);
  EXPECT_EQ(mixerOpen(f.driver, nullptr, 0, nullptr, 0, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(f.driver.calls.open, 0u);
  f.driver.FailOpen(f.other);
  EXPECT_EQ(mixerOpen(f.driver, &h, f.other, nullptr, 0, 0), MMSYSERR_ALLOCATED);
  EXPECT_EQ(f.driver.OpenHandleCount(), 0u);

  const HMIXER a = f.Open(&target);
  const HMIXER b = f.Open();
  EXPECT_NE(a, b);
  EXPECT_GE(a, mixerGetNumDevs(f.driver));  // a handle is never a device identifier
  EXPECT_EQ(f.driver.OpenCount(f.dev), 2u);
  EXPECT_EQ(mixerClose(f.driver, a), MMSYSERR_NOERROR);
  EXPECT_EQ(mixerClose(f.driver, a), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(mixerClose(f.driver, b), MMSYSERR_NOERROR);
  EXPECT_EQ(f.driver.OpenCount(f.dev), 0u);
  EXPECT_NE(f.Open(), a);  // handles are not reused
}

TEST(MixerApiHandles, ObjectsAreIdentifiersOrHandlesAsTheFlagsSay) {
  Fixture f;
  MIXERLINEA l = LineQuery();
  // An identifier works without opening; with the handle flag it must be a handle.
  EXPECT_EQ(mixerGetLineInfoA(f.driver, f.dev, &l, MIXER_GETLINEINFOF_DESTINATION), 0u);
  EXPECT_EQ(mixerGetLineInfoA(f.driver, f.dev, &l, MIXER_OBJECTF_HMIXER), MMSYSERR_INVALHANDLE);
  const HMIXER h = f.Open();
  EXPECT_EQ(mixerGetLineInfoA(f.driver, h, &l, MIXER_OBJECTF_HMIXER), 0u);
  // A handle given with 0 in the object-type bits is taken as well.
  l.dwDestination = 1;
  EXPECT_EQ(mixerGetLineInfoA(f.driver, h, &l, MIXER_OBJECTF_MIXER), 0u);
  EXPECT_STREQ(l.szName, "Recording");
  EXPECT_EQ(mixerGetLineInfoA(f.driver, h, &l, 0x10000000 /* a wave-out object */),
            MMSYSERR_NOTSUPPORTED);
  mixerClose(f.driver, h);
  EXPECT_EQ(mixerGetLineInfoA(f.driver, h, &l, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(mixerGetLineInfoA(f.driver, h, &l, MIXER_OBJECTF_HMIXER), MMSYSERR_INVALHANDLE);
}

TEST(MixerApiStructures, CapsAndLineInfo) {
  Fixture f;
  MIXERCAPSA caps{};
  ASSERT_EQ(mixerGetDevCapsA(f.driver, f.dev, &caps, sizeof caps), 0u);
  EXPECT_STREQ(caps.szPname, "Sim Card");
  EXPECT_EQ(caps.cDestinations, 2u);
  // Only cbmxcaps bytes are copied.
  std::array<unsigned char, sizeof(MIXERCAPSA)> raw;
  raw.fill(0xEE);
  ASSERT_EQ(mixerGetDevCapsA(f.driver, f.dev, reinterpret_cast<MIXERCAPSA*>(raw.data()), 8), 0u);
  EXPECT_EQ(raw[8], 0xEE);
  EXPECT_EQ(mixerGetDevCapsA(f.driver, 5, &caps, sizeof caps), MMSYSERR_BADDEVICEID);

  MIXERLINEA l = LineQuery();
  l.dwDestination = 0;
  l.dwSource = 1;
  ASSERT_EQ(mixerGetLineInfoA(f.driver, f.dev, &l, MIXER_GETLINEINFOF_SOURCE), 0u);
  EXPECT_STREQ(l.szName, "CD");
  EXPECT_EQ(l.fdwLine & MIXERLINE_LINEF_SOURCE, MIXERLINE_LINEF_SOURCE);
  const std::uint32_t cdID = l.dwLineID;

  MIXERLINEA byID = LineQuery();
  byID.dwLineID = cdID;
  ASSERT_EQ(mixerGetLineInfoA(f.driver, f.dev, &byID, MIXER_GETLINEINFOF_LINEID), 0u);
  EXPECT_EQ(byID.dwSource, 1u);

  MIXERLINEA byType = LineQuery();
  byType.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
  ASSERT_EQ(mixerGetLineInfoA(f.driver, f.dev, &byType, MIXER_GETLINEINFOF_COMPONENTTYPE), 0u);
  EXPECT_STREQ(byType.szName, "Wave");

  MIXERLINEA play = LineQuery();
  ASSERT_EQ(mixerGetLineInfoA(f.driver, f.dev, &play, MIXER_GETLINEINFOF_DESTINATION), 0u);
  EXPECT_EQ(play.cConnections, 2u);
  EXPECT_EQ(play.cControls, 2u);
  EXPECT_EQ(play.cChannels, 2u);

  // Failures leave the caller's structure as it was.
  MIXERLINEA bad = LineQuery();
  bad.dwDestination = 0;
  bad.dwSource = 2;
  const MIXERLINEA copy = bad;
  EXPECT_NE(mixerGetLineInfoA(f.driver, f.dev, &bad, MIXER_GETLINEINFOF_SOURCE), 0u);
  EXPECT_EQ(std::memcmp(&bad, &copy, sizeof bad), 0);
  bad.cbStruct = 100;
  EXPECT_EQ(mixerGetLineInfoA(f.driver, f.dev, &bad, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(mixerGetLineInfoA(f.driver, f.dev, &play, 0x100), MMSYSERR_INVALFLAG);
}

TEST(MixerApiBuffers, LineControlsStayInsideThePinnedBlock) {
  Fixture f;
  const std::uint32_t playID = f.driver.LineID(f.play);
  // Room for two records, one more as a fence.
  std::vector<MIXERCONTROLA> block(3);
  std::memset(block.data(), 0xAB, block.size() * sizeof(MIXERCONTROLA));
  MixerBufferPin pin(f.driver, block.data(), 2 * sizeof(MIXERCONTROLA));

  MIXERLINECONTROLSA lc{};
  lc.cbStruct = sizeof lc;
  lc.dwLineID = playID;
  lc.cControls = 2;
  lc.cbmxctrl = sizeof(MIXERCONTROLA);
  lc.pamxctrl = pin.Name();
  ASSERT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, MIXER_GETLINECONTROLSF_ALL), 0u);
  EXPECT_EQ(block[0].dwControlType, MIXERCONTROL_CONTROLTYPE_VOLUME);
  EXPECT_EQ(block[1].dwControlType, MIXERCONTROL_CONTROLTYPE_MUTE);
  EXPECT_EQ(block[2].cbStruct, 0xABABABABu);

  // Counts that reach past the pinned bytes, a wrong count or no buffer: nothing is written.
  const auto calls = f.driver.calls.lineControls;
  std::vector<MIXERCONTROLA> small(2);
  std::memset(small.data(), 0xCD, small.size() * sizeof(MIXERCONTROLA));
  MixerBufferPin smallPin(f.driver, small.data(), sizeof(MIXERCONTROLA));
  lc.pamxctrl = smallPin.Name();
  EXPECT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(small[0].cbStruct, 0xCDCDCDCDu);
  lc.pamxctrl = 0;
  EXPECT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(f.driver.calls.lineControls, calls);
  lc.pamxctrl = pin.Name();
  lc.cControls = 1;
  EXPECT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, 0), MMSYSERR_INVALPARAM);

  // One control by identifier reports its line; one by type.
  lc.cControls = 1;
  lc.dwLineID = 0;
  lc.dwControlID = f.mute.id;
  ASSERT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, MIXER_GETLINECONTROLSF_ONEBYID), 0u);
  EXPECT_EQ(lc.dwLineID, playID);
  EXPECT_EQ(block[0].dwControlID, f.mute.id);
  lc.dwLineID = f.driver.LineID(f.rec);
  lc.dwControlType = MIXERCONTROL_CONTROLTYPE_MIXER;
  ASSERT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, MIXER_GETLINECONTROLSF_ONEBYTYPE), 0u);
  EXPECT_EQ(block[0].cMultipleItems, 3u);
  lc.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
  EXPECT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, MIXER_GETLINECONTROLSF_ONEBYTYPE),
            MIXERR_INVALCONTROL);
}

TEST(MixerApiBuffers, DetailsFollowTheControlsShapeAndStayInsideThePinnedValues) {
  Fixture f;
  std::array<std::uint32_t, 8> values;
  values.fill(0xFEED);
  MixerBufferPin two(f.driver, values.data(), 2 * 4);

  auto d = Details(f.volume.id, 2, 0, two.Name());
  ASSERT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &d, 0), 0u);
  EXPECT_EQ(values[0], 30000u);
  EXPECT_EQ(values[1], 20000u);
  EXPECT_EQ(values[2], 0xFEEDu);

  // One channel of a stereo control: the first on reading, all of them on writing.
  d.cChannels = 1;
  ASSERT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &d, 0), 0u);
  EXPECT_EQ(values[0], 30000u);
  values[0] = 123;
  ASSERT_EQ(mixerSetControlDetails(f.driver, f.dev, &d, 0), 0u);
  EXPECT_EQ(f.driver.Values(f.volume), (std::vector<std::uint32_t>{123, 123}));

  // Shapes the control does not have.
  auto wrong = Details(f.waveVolume.id, 2, 0, two.Name());  // a UNIFORM control
  EXPECT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &wrong, 0), MMSYSERR_INVALPARAM);
  wrong = Details(f.volume.id, 2, 3, two.Name());  // items on a single-item control
  EXPECT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &wrong, 0), MMSYSERR_INVALPARAM);
  wrong = Details(f.list.id, 1, 2, two.Name());  // not the list's item count
  EXPECT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &wrong, 0), MMSYSERR_INVALPARAM);
  wrong = Details(99, 1, 0, two.Name());
  EXPECT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &wrong, 0), MIXERR_INVALCONTROL);
  wrong = Details(f.volume.id, 2, 0, two.Name());
  wrong.cbDetails = 8;
  EXPECT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &wrong, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &d, MIXER_GETCONTROLDETAILSF_LISTTEXT),
            MMSYSERR_NOTSUPPORTED);

  // The list's three values do not fit two pinned values: refused before the driver.
  values.fill(0xFEED);
  const auto reads = f.driver.calls.getDetails;
  auto listRead = Details(f.list.id, 1, 3, two.Name());
  EXPECT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &listRead, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(mixerSetControlDetails(f.driver, f.dev, &listRead, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(f.driver.calls.getDetails, reads);
  EXPECT_EQ(f.driver.calls.setDetails, 1u);
  EXPECT_EQ(values[0], 0xFEEDu);
  MixerBufferPin three(f.driver, values.data(), 3 * 4);
  listRead.paDetails = three.Name();
  ASSERT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &listRead, 0), 0u);
  EXPECT_EQ((std::vector<std::uint32_t>(values.begin(), values.begin() + 4)),
            (std::vector<std::uint32_t>{1, 0, 1, 0xFEED}));

  // A failing read leaves the caller's values alone.
  f.driver.FailDetailsRead(f.volume);
  values.fill(5);
  EXPECT_EQ(mixerGetControlDetailsA(f.driver, f.dev, &d, 0), MMSYSERR_ERROR);
  EXPECT_EQ(values[0], 5u);
}

TEST(MixerApiNotices, GoToTheTargetsOfHandlesOpenOnTheDevice) {
  Fixture f;
  Receiver a, b, other;
  const HMIXER ha = f.Open(&a);
  const HMIXER hb = f.Open(&b);
  f.Open();  // no callback: no notices, no trouble
  HMIXER ho = 0;
  ASSERT_EQ(mixerOpen(f.driver, &ho, f.other, &other, 0, CALLBACK_WINDOW), 0u);

  f.driver.SetValues(f.volume, {1, 2});
  EXPECT_TRUE(a.notices.empty());
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(a.notices.size(), 1u);
  EXPECT_EQ(a.notices[0].message, MM_MIXM_CONTROL_CHANGE);
  EXPECT_EQ(a.notices[0].handle, ha);
  EXPECT_EQ(a.notices[0].id, f.volume.id);
  ASSERT_EQ(b.notices.size(), 1u);
  EXPECT_EQ(b.notices[0].handle, hb);
  EXPECT_TRUE(other.notices.empty());

  mixerClose(f.driver, ha);
  f.driver.ChangeLine(f.cd);
  {
    Receiver gone;
    HMIXER hg = 0;
    ASSERT_EQ(mixerOpen(f.driver, &hg, f.dev, &gone, 0, CALLBACK_WINDOW), 0u);
    f.driver.ChangeLine(f.cd);
  }  // its target is destroyed with a notice still queued
  f.driver.ChangeLine(f.cd);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(a.notices.size(), 1u);
  ASSERT_EQ(b.notices.size(), 4u);
  EXPECT_EQ(b.notices[1].message, MM_MIXM_LINE_CHANGE);
  EXPECT_EQ(b.notices[1].id, f.driver.LineID(f.cd));
}

TEST(SimulatedMixerDriver, FailuresHitTheLinesAndControlsTheyAreSetOn) {
  Fixture f;
  f.driver.FailLineInfo(f.cd);
  f.driver.FailLineControls(f.play);
  MIXERLINEA l = LineQuery();
  l.dwSource = 1;
  EXPECT_EQ(mixerGetLineInfoA(f.driver, f.dev, &l, MIXER_GETLINEINFOF_SOURCE), MMSYSERR_ERROR);
  l.dwLineID = f.driver.LineID(f.cd);
  EXPECT_EQ(mixerGetLineInfoA(f.driver, f.dev, &l, MIXER_GETLINEINFOF_LINEID), MMSYSERR_ERROR);
  l.dwSource = 0;
  EXPECT_EQ(mixerGetLineInfoA(f.driver, f.dev, &l, MIXER_GETLINEINFOF_SOURCE), 0u);

  MIXERCONTROLA c{};
  MixerBufferPin pin(f.driver, &c, sizeof c);
  MIXERLINECONTROLSA lc{};
  lc.cbStruct = sizeof lc;
  lc.cControls = 1;
  lc.cbmxctrl = sizeof c;
  lc.pamxctrl = pin.Name();
  lc.dwControlID = f.mute.id;
  EXPECT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, MIXER_GETLINECONTROLSF_ONEBYID),
            MMSYSERR_ERROR);
  lc.dwControlID = f.waveVolume.id;
  EXPECT_EQ(mixerGetLineControlsA(f.driver, f.dev, &lc, MIXER_GETLINECONTROLSF_ONEBYID), 0u);

  std::uint32_t v = 0;
  MixerBufferPin vpin(f.driver, &v, sizeof v);
  auto d = Details(f.mute.id, 1, 0, vpin.Name());
  v = 1;
  f.driver.FailDetailsWrite(f.mute);
  EXPECT_EQ(mixerSetControlDetails(f.driver, f.dev, &d, 0), MMSYSERR_ERROR);
  EXPECT_EQ(f.driver.Values(f.mute), (std::vector<std::uint32_t>{0}));
  f.driver.FailDetailsWrite(f.mute, false);
  EXPECT_EQ(mixerSetControlDetails(f.driver, f.dev, &d, 0), 0u);
  EXPECT_EQ(f.driver.Values(f.mute), (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(f.driver.WriteCount(f.mute), 1u);
  EXPECT_EQ(f.driver.calls.lineInfo, 3u);
  EXPECT_EQ(f.driver.calls.lineControls, 2u);
  EXPECT_EQ(f.driver.calls.setDetails, 2u);
}
