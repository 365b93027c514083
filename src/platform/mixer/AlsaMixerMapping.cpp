#include "platform/mixer/AlsaMixerMapping.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ostrivo {

namespace {

constexpr std::uint32_t kLevelMax = 65535;

struct Slot {
  const char* name;
  std::uint32_t componentType;
  std::uint32_t targetType;
};

// The five sources whose positions the volume bars rely on.
constexpr std::array<Slot, 5> kSlots{{
    {"Line", MIXERLINE_COMPONENTTYPE_SRC_LINE, MIXERLINE_TARGETTYPE_UNDEFINED},
    {"PCM", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_TARGETTYPE_WAVEOUT},
    {"Mic", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, MIXERLINE_TARGETTYPE_UNDEFINED},
    {"CD", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, MIXERLINE_TARGETTYPE_UNDEFINED},
    {"Synth", MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, MIXERLINE_TARGETTYPE_MIDIOUT},
}};

bool Plays(const AlsaElementInfo& e) {
  return e.playbackVolume || e.playbackSwitch;
}
bool Captures(const AlsaElementInfo& e) {
  return e.captureVolume || e.captureSwitch;
}

std::optional<std::size_t> Find(const std::vector<AlsaElementInfo>& elements, const char* name,
                                bool (*usable)(const AlsaElementInfo&)) {
  for (std::size_t i = 0; i < elements.size(); ++i)
    if (elements[i].index == 0 && elements[i].name == name && usable(elements[i])) return i;
  return std::nullopt;
}

std::uint32_t ComponentTypeOf(const std::string& name) {
  for (const Slot& s : kSlots)
    if (name == s.name) return s.componentType;
  if (name == "Beep" || name == "PC Speaker") return MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER;
  if (name == "Aux") return MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY;
  if (name.rfind("IEC958", 0) == 0) return MIXERLINE_COMPONENTTYPE_SRC_DIGITAL;
  return MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED;
}

// "Mic" for index 0, "Mic 1" for the next element of the same name.
std::string DisplayName(const AlsaElementInfo& e) {
  return e.index == 0 ? e.name : e.name + " " + std::to_string(e.index);
}

std::uint32_t ChannelCount(const std::vector<int>& channels) {
  return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(channels.size()));
}

class Builder {
 public:
  Builder(const std::string& cardName, const std::vector<AlsaElementInfo>& elements)
      : elements_(elements) {
    layout_.topology = MixerTopology(cardName.c_str());
  }

  void Playback() {
    const auto master = Find(elements_, "Master", Plays);
    const std::uint32_t d = layout_.topology.AddDestination(
        MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, master ? "Master" : "Playback",
        master ? ChannelCount(elements_[*master].playbackChannels) : 2,
        MIXERLINE_TARGETTYPE_WAVEOUT);
    std::vector<bool> used(elements_.size(), false);
    if (master) {
      used[*master] = true;
      Controls(d, -1, *master, true);
    }
    for (const Slot& slot : kSlots) {
      const auto e = Find(elements_, slot.name, Plays);
      if (!e) {
        layout_.topology.AddSource(d, slot.componentType, slot.name, 1, slot.targetType,
                                   MIXERLINE_LINEF_DISCONNECTED);
        continue;
      }
      used[*e] = true;
      const auto s =
          layout_.topology.AddSource(d, slot.componentType, slot.name,
                                     ChannelCount(elements_[*e].playbackChannels), slot.targetType);
      Controls(d, static_cast<std::int32_t>(s), *e, true);
    }
    for (std::size_t i = 0; i < elements_.size(); ++i) {
      if (used[i] || !Plays(elements_[i])) continue;
      const AlsaElementInfo& e = elements_[i];
      const auto s = layout_.topology.AddSource(d, ComponentTypeOf(e.name), DisplayName(e).c_str(),
                                                ChannelCount(e.playbackChannels),
                                                MIXERLINE_TARGETTYPE_UNDEFINED);
      Controls(d, static_cast<std::int32_t>(s), i, true);
    }
  }

  void Capture() {
    if (std::none_of(elements_.begin(), elements_.end(), Captures)) return;
    const auto capture = Find(elements_, "Capture", Captures);
    const std::uint32_t d = layout_.topology.AddDestination(
        MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Capture",
        capture ? ChannelCount(elements_[*capture].captureChannels) : 2,
        MIXERLINE_TARGETTYPE_WAVEIN);
    if (capture) Controls(d, -1, *capture, false);
    for (std::size_t i = 0; i < elements_.size(); ++i) {
      if ((capture && i == *capture) || !Captures(elements_[i])) continue;
      const AlsaElementInfo& e = elements_[i];
      const auto s =
          layout_.topology.AddSource(d, ComponentTypeOf(e.name), DisplayName(e).c_str(),
                                     ChannelCount(e.captureChannels), MIXERLINE_TARGETTYPE_WAVEIN);
      Controls(d, static_cast<std::int32_t>(s), i, false);
    }
  }

  AlsaMixerLayout Take() { return std::move(layout_); }

 private:
  void Controls(std::uint32_t d, std::int32_t s, std::size_t element, bool playback) {
    const AlsaElementInfo& e = elements_[element];
    const std::string name = DisplayName(e);
    const bool volume = playback ? e.playbackVolume : e.captureVolume;
    const bool sw = playback ? e.playbackSwitch : e.captureSwitch;
    if (volume) {
      const auto& channels = playback ? e.playbackChannels : e.captureChannels;
      const bool joined = playback ? e.playbackVolumeJoined : e.captureVolumeJoined;
      const long lo = playback ? e.playbackMin : e.captureMin;
      const long hi = playback ? e.playbackMax : e.captureMax;
      MIXERCONTROLA c{};
      c.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
      c.fdwControl = (channels.size() <= 1 || joined) ? MIXERCONTROL_CONTROLF_UNIFORM : 0;
      CopyMixerName(c.szShortName, "Volume");
      CopyMixerName(c.szName, (name + " Volume").c_str());
      c.Bounds.dwMinimum = 0;
      c.Bounds.dwMaximum = kLevelMax;
      // One step per raw value the element can take, at most one per level.
      const long long steps = hi > lo ? static_cast<long long>(hi) - lo + 1 : 1;
      c.Metrics.cSteps = static_cast<std::uint32_t>(std::min<long long>(steps, kLevelMax + 1));
      Add(d, s, c, element,
          playback ? AlsaControlKind::PlaybackVolume : AlsaControlKind::CaptureVolume);
    }
    if (sw) {
      MIXERCONTROLA c{};
      c.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
      c.fdwControl = MIXERCONTROL_CONTROLF_UNIFORM;
      CopyMixerName(c.szShortName, "Mute");
      CopyMixerName(c.szName, (name + " Mute").c_str());
      c.Bounds.dwMaximum = 1;
      c.Metrics.cSteps = 2;
      Add(d, s, c, element,
          playback ? AlsaControlKind::PlaybackSwitch : AlsaControlKind::CaptureSwitch);
    }
  }

  void Add(std::uint32_t d, std::int32_t s, const MIXERCONTROLA& c, std::size_t element,
           AlsaControlKind kind) {
    layout_.topology.AddControl(d, s, c);
    layout_.bindings.push_back({element, kind});
  }

  const std::vector<AlsaElementInfo>& elements_;
  AlsaMixerLayout layout_;
};

}  // namespace

AlsaMixerLayout MapAlsaElements(const std::string& cardName,
                                const std::vector<AlsaElementInfo>& elements) {
  Builder b(cardName, elements);
  b.Playback();
  b.Capture();
  return b.Take();
}

std::uint32_t AlsaToLevel(long raw, long min, long max) {
  if (max <= min) return 0;
  raw = std::clamp(raw, min, max);
  const __int128 range = static_cast<__int128>(max) - min;
  const __int128 offset = static_cast<__int128>(raw) - min;
  return static_cast<std::uint32_t>((offset * kLevelMax + range / 2) / range);
}

long LevelToAlsa(std::uint32_t level, long min, long max) {
  if (max <= min) return min;
  level = std::min(level, kLevelMax);
  const __int128 range = static_cast<__int128>(max) - min;
  return static_cast<long>(min + (range * level + kLevelMax / 2) / kLevelMax);
}

}  // namespace ostrivo
