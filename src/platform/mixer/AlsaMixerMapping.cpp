#include "platform/mixer/AlsaMixerMapping.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ostrivo {

namespace {

constexpr std::uint32_t kLevelMax = 65535;

struct Place {
  const char* name;
  MixerComponent component;
};

// The five sources whose positions the volume bars rely on.
constexpr std::array<Place, 5> kPlaces{{{"Line", MixerComponent::Line},
                                        {"PCM", MixerComponent::Wave},
                                        {"Mic", MixerComponent::Microphone},
                                        {"CD", MixerComponent::CompactDisc},
                                        {"Synth", MixerComponent::Synthesizer}}};
constexpr std::size_t kMicPlace = 2;

bool Plays(const AlsaElementInfo& e) {
  return e.playback.Used();
}
bool Captures(const AlsaElementInfo& e) {
  return e.capture.Used();
}

MixerComponent ComponentOf(const std::string& name) {
  for (const Place& p : kPlaces)
    if (name == p.name) return p.component;
  if (name == "Beep" || name == "PC Speaker") return MixerComponent::PcSpeaker;
  if (name == "Aux") return MixerComponent::Auxiliary;
  if (name.rfind("IEC958", 0) == 0) return MixerComponent::Digital;
  return MixerComponent::Undefined;
}

// "Mic" for index 0, "Mic 1" for the next element of the same name.
std::string DisplayName(const AlsaElementInfo& e) {
  return e.index == 0 ? e.name : e.name + " " + std::to_string(e.index);
}

class Builder {
 public:
  explicit Builder(const std::vector<AlsaElementInfo>& elements)
      : elements_(elements), used_(elements.size(), false) {}

  void Playback(bool soundServer) {
    const auto master = Find("Master", Plays);
    Line(std::nullopt, master ? "Master" : "Playback", MixerComponent::Speakers, master, true);
    for (std::size_t p = 0; p < kPlaces.size(); ++p) {
      const bool serverMic = soundServer && p == kMicPlace;
      const auto e = serverMic ? Find("Capture", Captures) : Find(kPlaces[p].name, Plays);
      Line(0, kPlaces[p].name, kPlaces[p].component, e, !serverMic);
    }
    for (std::size_t i = 0; i < elements_.size(); ++i)
      if (!used_[i] && Plays(elements_[i]))
        Line(0, DisplayName(elements_[i]), ComponentOf(elements_[i].name), i, true);
  }

  void Capture() {
    if (std::none_of(elements_.begin(), elements_.end(), Captures)) return;
    const auto capture = Find("Capture", Captures);
    Line(std::nullopt, "Capture", MixerComponent::WaveIn, capture, false);
    for (std::size_t i = 0; i < elements_.size(); ++i)
      if (i != capture && Captures(elements_[i]))
        Line(1, DisplayName(elements_[i]), ComponentOf(elements_[i].name), i, false);
  }

  AlsaMixerLayout Take() { return std::move(layout_); }

 private:
  std::optional<std::size_t> Find(const char* name, bool (*usable)(const AlsaElementInfo&)) const {
    for (std::size_t i = 0; i < elements_.size(); ++i)
      if (elements_[i].index == 0 && elements_[i].name == name && usable(elements_[i])) return i;
    return std::nullopt;
  }

  // A line (to destination, or a new destination) and its controls from the element's side in
  // that direction; without an element, a disconnected line without controls.
  void Line(std::optional<std::uint32_t> destination, const std::string& name,
            MixerComponent component, std::optional<std::size_t> element, bool playback) {
    const AlsaElementInfo* e = element ? &elements_[*element] : nullptr;
    const AlsaElementInfo::Side* side = e ? (playback ? &e->playback : &e->capture) : nullptr;
    const auto channels = static_cast<std::uint32_t>(side ? side->channels.size() : 0);
    auto& line = layout_.AddLine(destination, name, component,
                                 side          ? std::max(1u, channels)
                                 : destination ? 1
                                               : 2);
    line.line.connected = e != nullptr;
    if (!e) return;
    if (playback) used_[*element] = true;
    if (side->volume) {
      MixerControl c;
      c.type = MixerControlType::Volume;
      c.name = DisplayName(*e) + " Volume";
      c.channels = side->joined ? 1 : line.line.channels;
      c.maximum = kLevelMax;
      Bind(line, c, *element,
           playback ? AlsaControlKind::PlaybackVolume : AlsaControlKind::CaptureVolume);
    }
    if (side->sw) {
      MixerControl c;
      c.type = MixerControlType::Mute;
      c.name = DisplayName(*e) + " Mute";
      c.maximum = 1;
      Bind(line, c, *element,
           playback ? AlsaControlKind::PlaybackSwitch : AlsaControlKind::CaptureSwitch);
    }
  }

  void Bind(MixerLayout::Entry& line, MixerControl c, std::size_t element, AlsaControlKind kind) {
    layout_.AddControl(line, std::move(c));
    layout_.bindings.push_back({element, kind});
  }

  const std::vector<AlsaElementInfo>& elements_;
  std::vector<bool> used_;
  AlsaMixerLayout layout_;
};

}  // namespace

AlsaMixerLayout MapAlsaElements(const std::vector<AlsaElementInfo>& elements, bool soundServer) {
  Builder b(elements);
  b.Playback(soundServer);
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
