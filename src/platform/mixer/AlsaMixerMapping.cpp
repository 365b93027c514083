#include "platform/mixer/AlsaMixerMapping.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ostrivo {

namespace {

constexpr std::uint32_t kLevelMax = 65535;

// The five sources whose positions the volume bars rely on.
constexpr std::array<const char*, 5> kPlaces{"Line", "PCM", "Mic", "CD", "Synth"};
constexpr std::size_t kMicPlace = 2;

// "Mic" for index 0, "Mic 1" for the next element of the same name.
std::string DisplayName(const AlsaElementInfo& e) {
  return e.index == 0 ? e.name : e.name + " " + std::to_string(e.index);
}

using Direction = AlsaElementInfo::Side AlsaElementInfo::*;
constexpr Direction kPlayback = &AlsaElementInfo::playback;
constexpr Direction kCapture = &AlsaElementInfo::capture;

class Builder {
 public:
  explicit Builder(const std::vector<AlsaElementInfo>& elements)
      : elements_(elements), used_(elements.size(), false) {}

  void Playback(bool soundServer) {
    const auto master = Find("Master", kPlayback);
    Line(std::nullopt, master ? "Master" : "Playback", master, kPlayback);
    for (std::size_t p = 0; p < kPlaces.size(); ++p) {
      const bool serverMic = soundServer && p == kMicPlace;
      const Direction side = serverMic ? kCapture : kPlayback;
      Line(0, kPlaces[p], Find(serverMic ? "Capture" : kPlaces[p], side), side);
    }
    for (std::size_t i = 0; i < elements_.size(); ++i)
      if (!used_[i] && elements_[i].playback.Used())
        Line(0, DisplayName(elements_[i]), i, kPlayback);
  }

  void Capture() {
    if (std::none_of(elements_.begin(), elements_.end(),
                     [](const AlsaElementInfo& e) { return e.capture.Used(); }))
      return;
    const auto capture = Find("Capture", kCapture);
    Line(std::nullopt, "Capture", capture, kCapture);
    for (std::size_t i = 0; i < elements_.size(); ++i)
      if (i != capture && elements_[i].capture.Used())
        Line(1, DisplayName(elements_[i]), i, kCapture);
  }

  AlsaMixerLayout Take() { return std::move(layout_); }

 private:
  std::optional<std::size_t> Find(const char* name, Direction side) const {
    for (std::size_t i = 0; i < elements_.size(); ++i)
      if (elements_[i].index == 0 && elements_[i].name == name && (elements_[i].*side).Used())
        return i;
    return std::nullopt;
  }

  // A line to destination (none: a new one), bound to the element's side in that direction.
  void Line(std::optional<std::uint32_t> destination, const std::string& name,
            std::optional<std::size_t> element, Direction direction) {
    if (!element) {
      layout_.AddLine(destination, name, destination ? 1 : 2).line.connected = false;
      return;
    }
    const AlsaElementInfo::Side& side = elements_[*element].*direction;
    auto& line =
        layout_.AddLine(destination, name, std::max<std::uint32_t>(1, side.channels.size()));
    const bool playback = direction == kPlayback;
    if (playback) used_[*element] = true;
    if (side.volume)
      Bind(line,
           {.type = MixerControlType::Volume,
            .channels = side.joined ? 1 : line.line.channels,
            .maximum = kLevelMax},
           {*element, playback ? AlsaControlKind::PlaybackVolume : AlsaControlKind::CaptureVolume});
    if (side.sw)
      Bind(line, {.type = MixerControlType::Mute, .maximum = 1},
           {*element, playback ? AlsaControlKind::PlaybackSwitch : AlsaControlKind::CaptureSwitch});
  }

  void Bind(MixerLayout::Entry& line, MixerControl control, AlsaControlBinding binding) {
    layout_.AddControl(line, control);
    layout_.bindings.push_back(binding);
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
