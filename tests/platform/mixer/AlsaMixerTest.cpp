// The ALSA driver: how a card's element list becomes lines and controls, how levels map onto
// an element's range, values and change events through a stand-in card, and the system's
// real cards where there are any.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <map>
#include <tuple>

#include "platform/mixer/AlsaMixerDriver.h"
#include "platform/mixer/MixerApi.h"

using namespace ostrivo;

namespace {

const std::vector<int> kStereo{0, 1};
const std::vector<int> kMono{0};

AlsaElementInfo Play(std::string name, std::vector<int> channels = kStereo, bool volume = true,
                     bool sw = true, long lo = 0, long hi = 87) {
  AlsaElementInfo e;
  e.name = std::move(name);
  e.playbackVolume = volume;
  e.playbackSwitch = sw;
  e.playbackChannels = std::move(channels);
  e.playbackMin = lo;
  e.playbackMax = hi;
  return e;
}

AlsaElementInfo Rec(AlsaElementInfo e, bool volume, bool sw, std::vector<int> channels = kStereo) {
  e.captureVolume = volume;
  e.captureSwitch = sw;
  e.captureChannels = std::move(channels);
  e.captureMin = 0;
  e.captureMax = 63;
  return e;
}

AlsaElementInfo RecOnly(std::string name, bool volume, bool sw) {
  AlsaElementInfo e;
  e.name = std::move(name);
  return Rec(e, volume, sw);
}

std::vector<std::string> SourceNames(const MixerDestinationNode& d) {
  std::vector<std::string> names;
  for (const auto& s : d.sources) names.emplace_back(s.line.szName);
  return names;
}

std::vector<std::uint32_t> Types(const MixerLineNode& l) {
  std::vector<std::uint32_t> types;
  for (const auto& c : l.controls) types.push_back(c.dwControlType);
  return types;
}

constexpr std::uint32_t kVolume = MIXERCONTROL_CONTROLTYPE_VOLUME;
constexpr std::uint32_t kMute = MIXERCONTROL_CONTROLTYPE_MUTE;

}  // namespace

TEST(AlsaMixerMapping, ATypicalCardKeepsTheFiveSlotsThenTheRestInCardOrder) {
  AlsaElementInfo inputSource;  // an enumerated element: neither volume nor switch
  inputSource.name = "Input Source";
  const std::vector<AlsaElementInfo> elements{Play("Master"),
                                              Play("Headphone"),
                                              Play("Speaker"),
                                              Play("PCM", kStereo, true, false),
                                              Rec(Play("Line"), false, true),
                                              Play("CD"),
                                              Rec(Play("Mic"), false, true),
                                              Play("Mic Boost", kStereo, true, false),
                                              Play("Beep", kMono),
                                              RecOnly("Capture", true, true),
                                              inputSource};
  const AlsaMixerLayout layout = MapAlsaElements("HDA Intel PCH", elements);
  const auto& dests = layout.topology.Destinations();
  ASSERT_EQ(dests.size(), 2u);
  EXPECT_STREQ(layout.topology.Caps().szPname, "HDA Intel PCH");

  const MixerDestinationNode& play = dests[0];
  EXPECT_STREQ(play.line.line.szName, "Master");
  EXPECT_EQ(play.line.line.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
  EXPECT_EQ(Types(play.line), (std::vector<std::uint32_t>{kVolume, kMute}));
  EXPECT_EQ(play.line.controls[0].fdwControl, 0u);  // stereo, one value per channel
  EXPECT_EQ(SourceNames(play),
            (std::vector<std::string>{"Line", "PCM", "Mic", "CD", "Synth", "Headphone", "Speaker",
                                      "Mic Boost", "Beep"}));
  EXPECT_EQ(play.sources[1].line.dwComponentType, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
  EXPECT_EQ(Types(play.sources[1]), (std::vector<std::uint32_t>{kVolume}));
  EXPECT_EQ(play.sources[4].line.fdwLine & MIXERLINE_LINEF_DISCONNECTED,
            MIXERLINE_LINEF_DISCONNECTED);
  EXPECT_TRUE(play.sources[4].controls.empty());
  EXPECT_EQ(play.sources[8].line.cChannels, 1u);
  EXPECT_EQ(play.sources[8].controls[0].fdwControl, MIXERCONTROL_CONTROLF_UNIFORM);

  const MixerDestinationNode& capture = dests[1];
  EXPECT_EQ(capture.line.line.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
  EXPECT_EQ(Types(capture.line), (std::vector<std::uint32_t>{kVolume, kMute}));
  EXPECT_EQ(SourceNames(capture), (std::vector<std::string>{"Line", "Mic"}));
  EXPECT_EQ(Types(capture.sources[1]), (std::vector<std::uint32_t>{kMute}));

  // Every control is bound to its element and direction.
  ASSERT_EQ(layout.bindings.size(), layout.topology.ControlCount());
  const auto pcm = layout.topology.Control(play.sources[1].controls[0].dwControlID);
  EXPECT_EQ(layout.bindings[pcm->control->dwControlID].element, 3u);
  EXPECT_EQ(layout.bindings[pcm->control->dwControlID].kind, AlsaControlKind::PlaybackVolume);
  const auto micRec = capture.sources[1].controls[0].dwControlID;
  EXPECT_EQ(layout.bindings[micRec].element, 6u);
  EXPECT_EQ(layout.bindings[micRec].kind, AlsaControlKind::CaptureSwitch);
}

TEST(AlsaMixerMapping, ACardWithOnlyMasterPcmAndCapture) {
  const AlsaMixerLayout layout =
      MapAlsaElements("USB Audio", {Play("Master"), Play("PCM"), RecOnly("Capture", true, true)});
  const auto& dests = layout.topology.Destinations();
  ASSERT_EQ(dests.size(), 2u);
  // The wave line stays at source 1; the other slots are disconnected lines with no controls.
  EXPECT_EQ(SourceNames(dests[0]), (std::vector<std::string>{"Line", "PCM", "Mic", "CD", "Synth"}));
  for (int s : {0, 2, 3, 4}) {
    EXPECT_TRUE(dests[0].sources[s].controls.empty()) << s;
    EXPECT_TRUE(dests[0].sources[s].line.fdwLine & MIXERLINE_LINEF_DISCONNECTED) << s;
  }
  EXPECT_EQ(Types(dests[0].sources[1]), (std::vector<std::uint32_t>{kVolume, kMute}));
  EXPECT_TRUE(dests[0].sources[1].line.fdwLine & MIXERLINE_LINEF_ACTIVE);
  EXPECT_STREQ(dests[1].line.line.szName, "Capture");
  EXPECT_EQ(Types(dests[1].line), (std::vector<std::uint32_t>{kVolume, kMute}));
  EXPECT_TRUE(dests[1].sources.empty());
}

TEST(AlsaMixerMapping, NoMasterJoinedAndMonoVolumesAndNamesThatDoNotFillASlot) {
  AlsaElementInfo joined = Play("Speaker");
  joined.playbackVolumeJoined = true;
  AlsaElementInfo mic1 = Play("Mic", kMono);
  mic1.index = 1;
  const AlsaMixerLayout layout =
      MapAlsaElements("Card", {joined, RecOnly("Mic", true, false), mic1, Play("PCM", kMono)});
  const auto& dests = layout.topology.Destinations();
  ASSERT_EQ(dests.size(), 2u);
  EXPECT_STREQ(dests[0].line.line.szName, "Playback");
  EXPECT_TRUE(dests[0].line.controls.empty());
  // The capture-only Mic and the second Mic do not take the Mic slot.
  EXPECT_EQ(SourceNames(dests[0]),
            (std::vector<std::string>{"Line", "PCM", "Mic", "CD", "Synth", "Speaker", "Mic 1"}));
  EXPECT_TRUE(dests[0].sources[2].controls.empty());
  EXPECT_EQ(dests[0].sources[5].line.cChannels, 2u);
  EXPECT_EQ(dests[0].sources[5].controls[0].fdwControl, MIXERCONTROL_CONTROLF_UNIFORM);
  EXPECT_EQ(dests[0].sources[1].controls[0].fdwControl, MIXERCONTROL_CONTROLF_UNIFORM);
  EXPECT_STREQ(dests[1].line.line.szName, "Capture");
  EXPECT_TRUE(dests[1].line.controls.empty());
  EXPECT_EQ(SourceNames(dests[1]), (std::vector<std::string>{"Mic"}));

  // A card that cannot capture has the playback destination only.
  EXPECT_EQ(MapAlsaElements("Card", {Play("Master")}).topology.Destinations().size(), 1u);
}

TEST(AlsaMixerMapping, LevelsSpreadLinearlyOverTheElementsRange) {
  EXPECT_EQ(AlsaToLevel(0, 0, 87), 0u);
  EXPECT_EQ(AlsaToLevel(87, 0, 87), 65535u);
  EXPECT_EQ(AlsaToLevel(-5, 0, 87), 0u);
  EXPECT_EQ(AlsaToLevel(1000, 0, 87), 65535u);
  EXPECT_EQ(AlsaToLevel(-5000, -10000, 0), 32768u);
  EXPECT_EQ(AlsaToLevel(3, 5, 5), 0u);
  EXPECT_EQ(LevelToAlsa(0, -10000, 0), -10000);
  EXPECT_EQ(LevelToAlsa(65535, -10000, 0), 0);
  EXPECT_EQ(LevelToAlsa(70000, 0, 31), 31);
  EXPECT_EQ(LevelToAlsa(49151, 0, 100), 75);
  EXPECT_EQ(LevelToAlsa(100, 7, 7), 7);
  // Every raw value survives the trip to a level and back.
  for (long raw = -64; raw <= 63; ++raw)
    EXPECT_EQ(LevelToAlsa(AlsaToLevel(raw, -64, 63), -64, 63), raw);
  EXPECT_EQ(AlsaToLevel(0x7FFFFFFF, -0x7FFFFFFFL - 1, 0x7FFFFFFF), 65535u);
}

namespace {

// A card in memory: raw values per element, kind and channel.
class FakeCard : public AlsaCard {
 public:
  explicit FakeCard(std::vector<AlsaElementInfo> elements) : elements_(std::move(elements)) {}
  std::string Name() const override { return "Fake Card"; }
  const std::vector<AlsaElementInfo>& Elements() const override { return elements_; }
  bool Get(std::size_t element, AlsaControlKind kind, int channel, long& value) override {
    if (failing) return false;
    value = raw[{element, kind, channel}];
    return true;
  }
  bool Set(std::size_t element, AlsaControlKind kind, int channel, long value) override {
    if (failing) return false;
    sets.emplace_back(element, kind, channel, value);
    const bool playback =
        kind == AlsaControlKind::PlaybackVolume || kind == AlsaControlKind::PlaybackSwitch;
    const auto& channels =
        playback ? elements_[element].playbackChannels : elements_[element].captureChannels;
    for (int ch : channels)
      if (channel < 0 || ch == channel) raw[{element, kind, ch}] = value;
    return true;
  }
  void Changed(std::size_t element, unsigned change) { OnChange(element, change); }

  std::map<std::tuple<std::size_t, AlsaControlKind, int>, long> raw;
  std::vector<std::tuple<std::size_t, AlsaControlKind, int, long>> sets;
  bool failing = false;

 private:
  std::vector<AlsaElementInfo> elements_;
};

struct Receiver : QObject {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> notices;  // message, id
  bool event(QEvent* e) override {
    if (e->type() != MixerNotifyEvent::Type()) return QObject::event(e);
    const auto& n = static_cast<MixerNotifyEvent&>(*e);
    notices.emplace_back(n.message, n.lParam);
    return true;
  }
};

struct FakeSystem {
  FakeCard* card;
  std::unique_ptr<AlsaMixerDriver> driver;
  FakeSystem() {
    auto c = std::make_unique<FakeCard>(std::vector<AlsaElementInfo>{
        Play("Master", kStereo, true, true, -64, 63), Play("PCM", kMono, true, false, 0, 255),
        RecOnly("Capture", true, true)});
    card = c.get();
    std::vector<std::unique_ptr<AlsaCard>> cards;
    cards.push_back(std::move(c));
    driver = std::make_unique<AlsaMixerDriver>(std::move(cards));
  }
  // The identifier of a control of a line (source -1: the destination line).
  std::uint32_t Id(std::uint32_t d, std::int32_t s, std::size_t i) const {
    return driver->Topology(0).Line(d, s)->controls.at(i).dwControlID;
  }
  MMRESULT Read(std::uint32_t id, std::uint32_t channels, std::vector<std::uint32_t>& out) {
    out.assign(channels, 0xDEAD);
    MixerBufferPin pin(*driver, out.data(), channels * 4);
    MIXERCONTROLDETAILS d{24, id, channels, {0}, 4, pin.Name()};
    return mixerGetControlDetailsA(*driver, 0, &d, 0);
  }
  MMRESULT Write(std::uint32_t id, std::vector<std::uint32_t> values) {
    MixerBufferPin pin(*driver, values.data(), static_cast<std::uint32_t>(values.size() * 4));
    MIXERCONTROLDETAILS d{24, id, static_cast<std::uint32_t>(values.size()), {0}, 4, pin.Name()};
    return mixerSetControlDetails(*driver, 0, &d, 0);
  }
};

using K = AlsaControlKind;

}  // namespace

TEST(AlsaMixerDriver, ReadsAndWritesLevelsAndMuteOnTheElements) {
  FakeSystem sys;
  FakeCard& card = *sys.card;
  ASSERT_EQ(mixerGetNumDevs(*sys.driver), 1u);
  card.raw[{0, K::PlaybackVolume, 0}] = 63;
  card.raw[{0, K::PlaybackVolume, 1}] = -64;
  card.raw[{0, K::PlaybackSwitch, 0}] = 0;
  card.raw[{0, K::PlaybackSwitch, 1}] = 1;
  card.raw[{1, K::PlaybackVolume, 0}] = 51;

  std::vector<std::uint32_t> v;
  ASSERT_EQ(sys.Read(sys.Id(0, -1, 0), 2, v), 0u);
  EXPECT_EQ(v, (std::vector<std::uint32_t>{65535, 0}));
  ASSERT_EQ(sys.Read(sys.Id(0, -1, 0), 1, v), 0u);  // one value: the first channel
  EXPECT_EQ(v, (std::vector<std::uint32_t>{65535}));
  ASSERT_EQ(sys.Read(sys.Id(0, -1, 1), 1, v), 0u);  // one channel still sounds
  EXPECT_EQ(v, (std::vector<std::uint32_t>{0}));
  card.raw[{0, K::PlaybackSwitch, 1}] = 0;
  ASSERT_EQ(sys.Read(sys.Id(0, -1, 1), 1, v), 0u);
  EXPECT_EQ(v, (std::vector<std::uint32_t>{1}));
  ASSERT_EQ(sys.Read(sys.Id(0, 1, 0), 1, v), 0u);  // PCM, mono, 0..255
  EXPECT_EQ(v, (std::vector<std::uint32_t>{13107}));

  ASSERT_EQ(sys.Write(sys.Id(0, -1, 0), {65535, 32768}), 0u);
  EXPECT_EQ(card.raw[std::make_tuple(0, K::PlaybackVolume, 0)], 63);
  EXPECT_EQ(card.raw[std::make_tuple(0, K::PlaybackVolume, 1)], 0);
  card.sets.clear();
  ASSERT_EQ(sys.Write(sys.Id(0, -1, 0), {0}), 0u);  // one value sets every channel at once
  ASSERT_EQ(card.sets.size(), 1u);
  EXPECT_EQ(card.sets[0], std::make_tuple(std::size_t{0}, K::PlaybackVolume, -1, -64L));
  ASSERT_EQ(sys.Write(sys.Id(0, -1, 1), {0}), 0u);  // unmute: switches on
  EXPECT_EQ(card.raw[std::make_tuple(0, K::PlaybackSwitch, 1)], 1);
  ASSERT_EQ(sys.Write(sys.Id(1, -1, 1), {1}), 0u);  // mute the capture: its switch off
  EXPECT_EQ(card.sets.back(), std::make_tuple(std::size_t{2}, K::CaptureSwitch, -1, 0L));

  card.failing = true;
  EXPECT_EQ(sys.Read(sys.Id(0, -1, 0), 2, v), MMSYSERR_ERROR);
  EXPECT_EQ(sys.Write(sys.Id(0, -1, 0), {1, 1}), MMSYSERR_ERROR);
}

TEST(AlsaMixerDriver, ElementEventsBecomeNoticesForItsControlsAndLines) {
  FakeSystem sys;
  Receiver target;
  HMIXER h = 0;
  ASSERT_EQ(mixerOpen(*sys.driver, &h, 0, &target, 0, CALLBACK_WINDOW), 0u);
  sys.card->Changed(0, AlsaCard::kValue);
  sys.card->Changed(2, AlsaCard::kRemoved);
  QCoreApplication::sendPostedEvents();
  const auto line = [&](std::uint32_t d) {
    return sys.driver->Topology(0).Line(d, -1)->line.dwLineID;
  };
  EXPECT_EQ(target.notices, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                                {MM_MIXM_CONTROL_CHANGE, sys.Id(0, -1, 0)},
                                {MM_MIXM_CONTROL_CHANGE, sys.Id(0, -1, 1)},
                                {MM_MIXM_LINE_CHANGE, line(1)}}));
  mixerClose(*sys.driver, h);
  sys.card->Changed(1, AlsaCard::kValue | AlsaCard::kInfo);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(target.notices.size(), 3u);
}

TEST(AlsaMixerDriver, AMachineWithoutSoundCardsHasNoMixerDevice) {
  if (std::filesystem::exists("/proc/asound/cards")) GTEST_SKIP() << "this machine has ALSA";
  AlsaMixerDriver driver;
  EXPECT_EQ(mixerGetNumDevs(driver), 0u);
  HMIXER h = 0;
  EXPECT_EQ(mixerOpen(driver, &h, 0, nullptr, 0, 0), MMSYSERR_BADDEVICEID);
}

TEST(AlsaMixerDriver, TheFirstRealCardOpensAndItsMasterLineReads) {
  AlsaMixerDriver driver;
  if (mixerGetNumDevs(driver) == 0) GTEST_SKIP() << "no sound card on this machine";

  HMIXER h = 0;
  ASSERT_EQ(mixerOpen(driver, &h, 0, nullptr, 0, 0), 0u);
  MIXERLINEA master{};
  master.cbStruct = sizeof master;
  ASSERT_EQ(mixerGetLineInfoA(driver, h, &master, MIXER_GETLINEINFOF_DESTINATION), 0u);
  EXPECT_EQ(master.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
  EXPECT_GE(master.cConnections, 5u);
  const auto& controls = driver.Topology(0).Line(0, -1)->controls;
  for (const MIXERCONTROLA& c : controls) {
    if (c.dwControlType != MIXERCONTROL_CONTROLTYPE_VOLUME) continue;
    std::vector<std::uint32_t> v(2, 0xDEAD);
    const std::uint32_t channels =
        (c.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : master.cChannels;
    MixerBufferPin pin(driver, v.data(), 8);
    MIXERCONTROLDETAILS d{24, c.dwControlID, std::min(channels, 2u), {0}, 4, pin.Name()};
    ASSERT_EQ(mixerGetControlDetailsA(driver, h, &d, 0), 0u);
    EXPECT_LE(v[0], 65535u);
  }
  mixerClose(driver, h);
}
