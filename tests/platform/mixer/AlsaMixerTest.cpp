// The ALSA driver: how a mixer's element list becomes lines and controls (a card's and a sound
// server's), how levels map onto an element's range, values and change events through a
// stand-in card, and the system's real mixers where there are any.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <map>
#include <tuple>

#include "platform/mixer/AlsaMixerDriver.h"

using namespace ostrivo;

namespace {

const std::vector<int> kStereo{0, 1};
const std::vector<int> kMono{0};

AlsaElementInfo Play(std::string name, std::vector<int> channels = kStereo, bool volume = true,
                     bool sw = true, long lo = 0, long hi = 87) {
  AlsaElementInfo e;
  e.name = std::move(name);
  e.playback.volume = volume;
  e.playback.sw = sw;
  e.playback.channels = std::move(channels);
  e.playback.min = lo;
  e.playback.max = hi;
  return e;
}

AlsaElementInfo Rec(AlsaElementInfo e, bool volume, bool sw, std::vector<int> channels = kStereo) {
  e.capture.volume = volume;
  e.capture.sw = sw;
  e.capture.channels = std::move(channels);
  e.capture.min = 0;
  e.capture.max = 63;
  return e;
}

AlsaElementInfo RecOnly(std::string name, bool volume, bool sw) {
  AlsaElementInfo e;
  e.name = std::move(name);
  return Rec(e, volume, sw);
}

using AlsaLine = MixerLayout::Entry;
using Lines = std::vector<AlsaLine>;

// The source lines' names of a destination (its first entry is its own line).
std::vector<std::string> SourceNames(const Lines& d) {
  std::vector<std::string> names;
  for (std::size_t s = 1; s < d.size(); ++s) names.push_back(d[s].line.name);
  return names;
}

std::vector<MixerControlType> Types(const AlsaLine& l) {
  std::vector<MixerControlType> types;
  for (const auto& c : l.controls) types.push_back(c.type);
  return types;
}

constexpr MixerControlType kVolume = MixerControlType::Volume;
constexpr MixerControlType kMute = MixerControlType::Mute;

// Every line knows its place; lines and controls are numbered in the device's order.
void ExpectIdentifiersInOrder(const AlsaMixerLayout& layout) {
  std::uint32_t line = 0, control = 0;
  for (std::size_t d = 0; d < layout.destinations.size(); ++d) {
    const Lines& lines = layout.destinations[d];
    EXPECT_EQ(lines[0].line.sources, lines.size() - 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].line.destination, d);
      EXPECT_EQ(lines[i].line.source, static_cast<std::int32_t>(i) - 1);
      EXPECT_EQ(lines[i].line.id, line++);
      for (const MixerControl& c : lines[i].controls) EXPECT_EQ(c.id, control++);
    }
  }
  EXPECT_EQ(layout.bindings.size(), control);
}

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
  const AlsaMixerLayout layout = MapAlsaElements(elements, false);
  const auto& dests = layout.destinations;
  ASSERT_EQ(dests.size(), 2u);
  ExpectIdentifiersInOrder(layout);

  const Lines& play = dests[0];
  EXPECT_EQ(play[0].line.name, "Master");
  EXPECT_EQ(play[0].line.sources, 9u);
  EXPECT_EQ(Types(play[0]), (std::vector<MixerControlType>{kVolume, kMute}));
  EXPECT_EQ(play[0].controls[0].channels, 2u);  // stereo, one value per channel
  EXPECT_EQ(play[0].controls[0].maximum, 65535u);
  EXPECT_EQ(play[0].controls[1].maximum, 1u);
  EXPECT_EQ(SourceNames(play),
            (std::vector<std::string>{"Line", "PCM", "Mic", "CD", "Synth", "Headphone", "Speaker",
                                      "Mic Boost", "Beep"}));
  EXPECT_EQ(play[2].line.source, 1);
  EXPECT_EQ(Types(play[2]), (std::vector<MixerControlType>{kVolume}));
  EXPECT_FALSE(play[5].line.connected);
  EXPECT_TRUE(play[5].controls.empty());
  EXPECT_EQ(play[9].line.channels, 1u);
  EXPECT_EQ(play[9].controls[0].channels, 1u);

  const Lines& capture = dests[1];
  EXPECT_EQ(Types(capture[0]), (std::vector<MixerControlType>{kVolume, kMute}));
  EXPECT_EQ(SourceNames(capture), (std::vector<std::string>{"Line", "Mic"}));
  EXPECT_EQ(Types(capture[2]), (std::vector<MixerControlType>{kMute}));

  // Every control is bound to its element and direction.
  const auto pcm = play[2].controls[0].id;
  EXPECT_EQ(layout.bindings[pcm].element, 3u);
  EXPECT_EQ(layout.bindings[pcm].kind, AlsaControlKind::PlaybackVolume);
  const auto micRec = capture[2].controls[0].id;
  EXPECT_EQ(layout.bindings[micRec].element, 6u);
  EXPECT_EQ(layout.bindings[micRec].kind, AlsaControlKind::CaptureSwitch);
}

TEST(AlsaMixerMapping, ACardWithOnlyMasterPcmAndCapture) {
  const AlsaMixerLayout layout =
      MapAlsaElements({Play("Master"), Play("PCM"), RecOnly("Capture", true, true)}, false);
  const auto& dests = layout.destinations;
  ASSERT_EQ(dests.size(), 2u);
  // The wave line stays at source 1; the other slots are disconnected lines with no controls.
  EXPECT_EQ(SourceNames(dests[0]), (std::vector<std::string>{"Line", "PCM", "Mic", "CD", "Synth"}));
  for (int s : {0, 2, 3, 4}) {
    EXPECT_TRUE(dests[0][s + 1].controls.empty()) << s;
    EXPECT_FALSE(dests[0][s + 1].line.connected) << s;
  }
  EXPECT_EQ(Types(dests[0][2]), (std::vector<MixerControlType>{kVolume, kMute}));
  EXPECT_TRUE(dests[0][2].line.connected);
  EXPECT_EQ(dests[1][0].line.name, "Capture");
  EXPECT_EQ(Types(dests[1][0]), (std::vector<MixerControlType>{kVolume, kMute}));
  EXPECT_EQ(dests[1].size(), 1u);
}

TEST(AlsaMixerMapping, ASoundServersCaptureTakesTheMicrophonesPlace) {
  // What the sound server's plugin offers: its default sink and its default source.
  const std::vector<AlsaElementInfo> server{Play("Master", kStereo, true, true, 0, 65536),
                                            RecOnly("Capture", true, true)};
  const AlsaMixerLayout layout = MapAlsaElements(server, true);
  const auto& dests = layout.destinations;
  ASSERT_EQ(dests.size(), 2u);
  ExpectIdentifiersInOrder(layout);
  EXPECT_EQ(dests[0][0].line.name, "Master");
  EXPECT_EQ(Types(dests[0][0]), (std::vector<MixerControlType>{kVolume, kMute}));
  EXPECT_EQ(SourceNames(dests[0]), (std::vector<std::string>{"Line", "PCM", "Mic", "CD", "Synth"}));
  const AlsaLine& mic = dests[0][3];
  EXPECT_TRUE(mic.line.connected);
  ASSERT_EQ(Types(mic), (std::vector<MixerControlType>{kVolume, kMute}));
  EXPECT_EQ(layout.bindings[mic.controls[0].id].element, 1u);
  EXPECT_EQ(layout.bindings[mic.controls[0].id].kind, AlsaControlKind::CaptureVolume);
  EXPECT_EQ(layout.bindings[mic.controls[1].id].kind, AlsaControlKind::CaptureSwitch);
  for (int s : {0, 1, 3, 4}) EXPECT_FALSE(dests[0][s + 1].line.connected) << s;
  // The capture mix is still there, with "Capture" as its line.
  EXPECT_EQ(dests[1][0].line.name, "Capture");
  EXPECT_EQ(layout.bindings[dests[1][0].controls[0].id].element, 1u);
  // On a card, "Capture" does not stand in for a missing microphone.
  EXPECT_TRUE(MapAlsaElements(server, false).destinations[0][3].controls.empty());
}

TEST(AlsaMixerMapping, NoMasterJoinedAndMonoVolumesAndNamesThatDoNotFillASlot) {
  AlsaElementInfo joined = Play("Speaker");
  joined.playback.joined = true;
  AlsaElementInfo mic1 = Play("Mic", kMono);
  mic1.index = 1;
  const AlsaMixerLayout layout =
      MapAlsaElements({joined, RecOnly("Mic", true, false), mic1, Play("PCM", kMono)}, false);
  const auto& dests = layout.destinations;
  ASSERT_EQ(dests.size(), 2u);
  EXPECT_EQ(dests[0][0].line.name, "Playback");
  EXPECT_TRUE(dests[0][0].controls.empty());
  // The capture-only Mic and the second Mic do not take the Mic slot.
  EXPECT_EQ(SourceNames(dests[0]),
            (std::vector<std::string>{"Line", "PCM", "Mic", "CD", "Synth", "Speaker", "Mic 1"}));
  EXPECT_TRUE(dests[0][3].controls.empty());
  EXPECT_EQ(dests[0][6].line.channels, 2u);
  EXPECT_EQ(dests[0][6].controls[0].channels, 1u);  // joined: one value for both
  EXPECT_EQ(dests[0][2].controls[0].channels, 1u);
  EXPECT_EQ(dests[1][0].line.name, "Capture");
  EXPECT_TRUE(dests[1][0].controls.empty());
  EXPECT_EQ(SourceNames(dests[1]), (std::vector<std::string>{"Mic"}));

  // A card that cannot capture has the playback destination only.
  EXPECT_EQ(MapAlsaElements({Play("Master")}, false).destinations.size(), 1u);
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
  bool SoundServer() const override { return false; }
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
        playback ? elements_[element].playback.channels : elements_[element].capture.channels;
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

struct FakeSystem {
  FakeCard* card;
  std::unique_ptr<AlsaMixerDriver> driver;
  std::unique_ptr<MixerDevice> device;
  FakeSystem() {
    auto c = std::make_unique<FakeCard>(std::vector<AlsaElementInfo>{
        Play("Master", kStereo, true, true, -64, 63), Play("PCM", kMono, true, false, 0, 255),
        RecOnly("Capture", true, true)});
    card = c.get();
    std::vector<std::unique_ptr<AlsaCard>> cards;
    cards.push_back(std::move(c));
    driver = std::make_unique<AlsaMixerDriver>(std::move(cards));
    device = driver->Open(0);
  }
  // A control of a line (source -1: the destination line), as the device lists it.
  MixerControl Control(std::uint32_t d, std::int32_t s, std::size_t i) const {
    return device->Controls(*device->Line(d, s))->at(i);
  }
  bool Read(const MixerControl& c, std::vector<std::uint32_t>& out) {
    out.assign(c.ValueCount(), 0xDEAD);
    return device->Read(c, out);
  }
  bool Write(const MixerControl& c, std::vector<std::uint32_t> values) {
    return device->Write(c, values);
  }
};

using K = AlsaControlKind;

}  // namespace

TEST(AlsaMixerDriver, ReadsAndWritesLevelsAndMuteOnTheElements) {
  FakeSystem sys;
  FakeCard& card = *sys.card;
  ASSERT_EQ(sys.driver->DeviceCount(), 1u);
  EXPECT_EQ(sys.device->DestinationCount(), 2u);
  card.raw[{0, K::PlaybackVolume, 0}] = 63;
  card.raw[{0, K::PlaybackVolume, 1}] = -64;
  card.raw[{0, K::PlaybackSwitch, 0}] = 0;
  card.raw[{0, K::PlaybackSwitch, 1}] = 1;
  card.raw[{1, K::PlaybackVolume, 0}] = 51;

  const MixerControl master = sys.Control(0, -1, 0), masterMute = sys.Control(0, -1, 1);
  std::vector<std::uint32_t> v;
  ASSERT_TRUE(sys.Read(master, v));
  EXPECT_EQ(v, (std::vector<std::uint32_t>{65535, 0}));
  ASSERT_TRUE(sys.Read(masterMute, v));  // one channel still sounds
  EXPECT_EQ(v, (std::vector<std::uint32_t>{0}));
  card.raw[{0, K::PlaybackSwitch, 1}] = 0;
  ASSERT_TRUE(sys.Read(masterMute, v));
  EXPECT_EQ(v, (std::vector<std::uint32_t>{1}));
  ASSERT_TRUE(sys.Read(sys.Control(0, 1, 0), v));  // PCM, mono, 0..255
  EXPECT_EQ(v, (std::vector<std::uint32_t>{13107}));
  // A size the control does not have is refused and leaves the values alone.
  std::vector<std::uint32_t> one{0xDEAD};
  EXPECT_FALSE(sys.device->Read(master, one));
  EXPECT_EQ(one[0], 0xDEADu);

  ASSERT_TRUE(sys.Write(master, {65535, 32768}));
  EXPECT_EQ(card.raw[std::make_tuple(0, K::PlaybackVolume, 0)], 63);
  EXPECT_EQ(card.raw[std::make_tuple(0, K::PlaybackVolume, 1)], 0);
  card.sets.clear();
  ASSERT_TRUE(sys.Write(sys.Control(0, 1, 0), {0}));  // one value sets every channel at once
  ASSERT_EQ(card.sets.size(), 1u);
  EXPECT_EQ(card.sets[0], std::make_tuple(std::size_t{1}, K::PlaybackVolume, -1, 0L));
  EXPECT_FALSE(sys.Write(master, {1}));
  EXPECT_EQ(card.sets.size(), 1u);
  ASSERT_TRUE(sys.Write(masterMute, {0}));  // unmute: switches on
  EXPECT_EQ(card.raw[std::make_tuple(0, K::PlaybackSwitch, 1)], 1);
  ASSERT_TRUE(sys.Write(sys.Control(1, -1, 1), {1}));  // mute the capture: its switch off
  EXPECT_EQ(card.sets.back(), std::make_tuple(std::size_t{2}, K::CaptureSwitch, -1, 0L));

  card.failing = true;
  v.assign(2, 5);
  EXPECT_FALSE(sys.device->Read(master, v));
  EXPECT_EQ(v, (std::vector<std::uint32_t>{5, 5}));
  EXPECT_FALSE(sys.Write(master, {1, 1}));
  // Lines past the device's give nothing.
  EXPECT_FALSE(sys.device->Line(0, 5).has_value());
  EXPECT_FALSE(sys.device->Line(2, -1).has_value());
}

TEST(AlsaMixerDriver, ElementEventsBecomeNoticesForItsControlsAndLines) {
  FakeSystem sys;
  std::vector<std::pair<MixerNotice::Kind, std::uint32_t>> notices;
  sys.device->OnChange = [&](const MixerNotice& n) { notices.emplace_back(n.kind, n.id); };
  sys.card->Changed(0, AlsaCard::kValue);
  sys.card->Changed(2, AlsaCard::kRemoved);
  EXPECT_TRUE(notices.empty());  // queued, not called from inside the card's event
  QCoreApplication::sendPostedEvents();
  const auto capture = sys.device->Line(1, -1)->id;
  EXPECT_EQ(notices, (std::vector<std::pair<MixerNotice::Kind, std::uint32_t>>{
                         {MixerNotice::ControlChange, sys.Control(0, -1, 0).id},
                         {MixerNotice::ControlChange, sys.Control(0, -1, 1).id},
                         {MixerNotice::LineChange, capture}}));
  sys.device.reset();
  sys.card->Changed(1, AlsaCard::kValue | AlsaCard::kInfo);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(notices.size(), 3u);
  EXPECT_EQ(sys.driver->OpenDeviceCount(), 0u);
}

TEST(AlsaMixerDriver, AMachineWithoutSoundHasNoMixerDevice) {
  if (std::filesystem::exists("/proc/asound/cards")) GTEST_SKIP() << "this machine has ALSA";
  if (qEnvironmentVariableIsSet("PULSE_SERVER")) GTEST_SKIP() << "a sound server is set";
  AlsaMixerDriver driver;
  EXPECT_EQ(driver.DeviceCount(), 0u);
  EXPECT_EQ(driver.Open(0), nullptr);
}

TEST(AlsaMixerDriver, TheFirstRealDeviceOpensAndItsMasterLineReads) {
  AlsaMixerDriver driver;
  if (driver.DeviceCount() == 0) GTEST_SKIP() << "no sound card or sound server on this machine";
  const auto device = driver.Open(0);
  ASSERT_NE(device, nullptr);
  const auto master = device->Line(0, -1);
  ASSERT_TRUE(master.has_value());
  EXPECT_GE(master->sources, 5u);
  const auto controls = device->Controls(*master);
  ASSERT_TRUE(controls.has_value());
  for (const MixerControl& c : *controls) {
    if (c.type != MixerControlType::Volume) continue;
    std::vector<std::uint32_t> v(c.ValueCount(), 0xDEAD);
    ASSERT_TRUE(device->Read(c, v));
    EXPECT_LE(v[0], 65535u);
  }
}
