#include "platform/mixer/AlsaMixerDriver.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <QSocketNotifier>
#include <cstdlib>
#include <set>
#include <unordered_map>

namespace ostrivo {

namespace {

bool IsPlayback(AlsaControlKind k) {
  return k == AlsaControlKind::PlaybackVolume || k == AlsaControlKind::PlaybackSwitch;
}
bool IsVolume(AlsaControlKind k) {
  return k == AlsaControlKind::PlaybackVolume || k == AlsaControlKind::CaptureVolume;
}

// A simple mixer, open for the life of the driver, its change events watched by socket
// notifiers on the GUI thread.
class SndMixerCard : public AlsaCard {
 public:
  static std::unique_ptr<SndMixerCard> Open(const std::string& device, std::string name,
                                            bool soundServer) {
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0) return nullptr;
    if (snd_mixer_attach(mixer, device.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
      snd_mixer_close(mixer);
      return nullptr;
    }
    return std::unique_ptr<SndMixerCard>(new SndMixerCard(mixer, std::move(name), soundServer));
  }

  ~SndMixerCard() override {
    notifiers_.clear();
    for (snd_mixer_elem_t* e : elems_)
      if (e) snd_mixer_elem_set_callback(e, nullptr);
    snd_mixer_close(mixer_);
  }

  std::string Name() const override { return name_; }
  bool SoundServer() const override { return soundServer_; }
  const std::vector<AlsaElementInfo>& Elements() const override { return infos_; }

  bool Get(std::size_t element, AlsaControlKind kind, int channel, long& value) override {
    snd_mixer_elem_t* e = element < elems_.size() ? elems_[element] : nullptr;
    if (!e) return false;
    const auto ch = static_cast<snd_mixer_selem_channel_id_t>(channel);
    int sw = 0;
    switch (kind) {
      case AlsaControlKind::PlaybackVolume:
        return snd_mixer_selem_get_playback_volume(e, ch, &value) >= 0;
      case AlsaControlKind::CaptureVolume:
        return snd_mixer_selem_get_capture_volume(e, ch, &value) >= 0;
      case AlsaControlKind::PlaybackSwitch:
        if (snd_mixer_selem_get_playback_switch(e, ch, &sw) < 0) return false;
        break;
      case AlsaControlKind::CaptureSwitch:
        if (snd_mixer_selem_get_capture_switch(e, ch, &sw) < 0) return false;
        break;
    }
    value = sw ? 1 : 0;
    return true;
  }

  bool Set(std::size_t element, AlsaControlKind kind, int channel, long value) override {
    snd_mixer_elem_t* e = element < elems_.size() ? elems_[element] : nullptr;
    if (!e) return false;
    const auto ch = static_cast<snd_mixer_selem_channel_id_t>(channel);
    const bool all = channel < 0;
    const int sw = value ? 1 : 0;
    switch (kind) {
      case AlsaControlKind::PlaybackVolume:
        return (all ? snd_mixer_selem_set_playback_volume_all(e, value)
                    : snd_mixer_selem_set_playback_volume(e, ch, value)) >= 0;
      case AlsaControlKind::CaptureVolume:
        return (all ? snd_mixer_selem_set_capture_volume_all(e, value)
                    : snd_mixer_selem_set_capture_volume(e, ch, value)) >= 0;
      case AlsaControlKind::PlaybackSwitch:
        return (all ? snd_mixer_selem_set_playback_switch_all(e, sw)
                    : snd_mixer_selem_set_playback_switch(e, ch, sw)) >= 0;
      case AlsaControlKind::CaptureSwitch:
        return (all ? snd_mixer_selem_set_capture_switch_all(e, sw)
                    : snd_mixer_selem_set_capture_switch(e, ch, sw)) >= 0;
    }
    return false;
  }

 private:
  SndMixerCard(snd_mixer_t* mixer, std::string name, bool soundServer)
      : mixer_(mixer), name_(std::move(name)), soundServer_(soundServer) {
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
      index_[e] = elems_.size();
      elems_.push_back(e);
      infos_.push_back(Describe(e));
      snd_mixer_elem_set_callback_private(e, this);
      snd_mixer_elem_set_callback(e, &SndMixerCard::ElemEvent);
    }
    const int count = snd_mixer_poll_descriptors_count(mixer_);
    if (count <= 0) return;
    fds_.resize(static_cast<std::size_t>(count));
    const int n = snd_mixer_poll_descriptors(mixer_, fds_.data(), static_cast<unsigned>(count));
    fds_.resize(static_cast<std::size_t>(std::max(n, 0)));
    for (const pollfd& fd : fds_) {
      auto notifier = std::make_unique<QSocketNotifier>(fd.fd, QSocketNotifier::Read);
      QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { HandleEvents(); });
      notifiers_.push_back(std::move(notifier));
    }
  }

  // The mixer's descriptors are readable: let ALSA take the events in, which calls ElemEvent
  // for every element that changed.
  void HandleEvents() {
    ::poll(fds_.data(), fds_.size(), 0);
    unsigned short revents = 0;
    snd_mixer_poll_descriptors_revents(mixer_, fds_.data(), static_cast<unsigned>(fds_.size()),
                                       &revents);
    // A mixer that went away keeps its descriptors readable: stop watching it.
    if ((revents & (POLLERR | POLLHUP | POLLNVAL)) || snd_mixer_handle_events(mixer_) < 0)
      for (auto& n : notifiers_) n->setEnabled(false);
  }

  static AlsaElementInfo Describe(snd_mixer_elem_t* e) {
    AlsaElementInfo info;
    info.name = snd_mixer_selem_get_name(e);
    info.index = snd_mixer_selem_get_index(e);
    info.playbackVolume =
        snd_mixer_selem_has_playback_volume(e) || snd_mixer_selem_has_common_volume(e);
    info.playbackSwitch =
        snd_mixer_selem_has_playback_switch(e) || snd_mixer_selem_has_common_switch(e);
    info.captureVolume = snd_mixer_selem_has_capture_volume(e);
    info.captureSwitch = snd_mixer_selem_has_capture_switch(e);
    info.playbackVolumeJoined = snd_mixer_selem_has_playback_volume_joined(e);
    info.captureVolumeJoined = snd_mixer_selem_has_capture_volume_joined(e);
    for (int ch = 0; ch <= SND_MIXER_SCHN_LAST; ++ch) {
      const auto c = static_cast<snd_mixer_selem_channel_id_t>(ch);
      if ((info.playbackVolume || info.playbackSwitch) &&
          snd_mixer_selem_has_playback_channel(e, c))
        info.playbackChannels.push_back(ch);
      if ((info.captureVolume || info.captureSwitch) && snd_mixer_selem_has_capture_channel(e, c))
        info.captureChannels.push_back(ch);
    }
    if (info.playbackVolume)
      snd_mixer_selem_get_playback_volume_range(e, &info.playbackMin, &info.playbackMax);
    if (info.captureVolume)
      snd_mixer_selem_get_capture_volume_range(e, &info.captureMin, &info.captureMax);
    return info;
  }

  static int ElemEvent(snd_mixer_elem_t* e, unsigned int mask) {
    auto* self = static_cast<SndMixerCard*>(snd_mixer_elem_get_callback_private(e));
    if (self) self->Event(e, mask);
    return 0;
  }

  void Event(snd_mixer_elem_t* e, unsigned int mask) {
    const auto it = index_.find(e);
    if (it == index_.end()) return;
    const std::size_t element = it->second;
    unsigned change = 0;
    if (mask == SND_CTL_EVENT_MASK_REMOVE) {
      // The element is gone: forget it before anything can use it again.
      elems_[element] = nullptr;
      index_.erase(it);
      change = kRemoved;
    } else {
      if (mask & SND_CTL_EVENT_MASK_VALUE) change |= kValue;
      if (mask & SND_CTL_EVENT_MASK_INFO) change |= kInfo;
    }
    if (change && OnChange) OnChange(element, change);
  }

  snd_mixer_t* mixer_;
  std::string name_;
  bool soundServer_;
  std::vector<snd_mixer_elem_t*> elems_;
  std::unordered_map<snd_mixer_elem_t*, std::size_t> index_;
  std::vector<AlsaElementInfo> infos_;
  std::vector<pollfd> fds_;
  std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
};

void Quiet(const char*, int, const char*, int, const char*, ...) {}

// The sound server behind "default", when that is not a hardware card. The probe is quiet: a
// machine without a server or cards is no error.
std::unique_ptr<AlsaCard> OpenSoundServer() {
  snd_lib_error_set_handler(&Quiet);
  snd_ctl_t* ctl = nullptr;
  const bool opened = snd_ctl_open(&ctl, "default", 0) >= 0;
  snd_lib_error_set_handler(nullptr);
  if (!opened) return nullptr;
  const bool hardware = snd_ctl_type(ctl) == SND_CTL_TYPE_HW;
  std::string name = "default";
  snd_ctl_card_info_t* info = nullptr;
  if (snd_ctl_card_info_malloc(&info) == 0) {
    if (snd_ctl_card_info(ctl, info) == 0 && *snd_ctl_card_info_get_name(info))
      name = snd_ctl_card_info_get_name(info);
    snd_ctl_card_info_free(info);
  }
  snd_ctl_close(ctl);
  if (hardware) return nullptr;
  return SndMixerCard::Open("default", std::move(name), true);
}

}  // namespace

std::vector<std::unique_ptr<AlsaCard>> OpenSystemAlsaMixers() {
  std::vector<std::unique_ptr<AlsaCard>> mixers;
  if (auto server = OpenSoundServer()) mixers.push_back(std::move(server));
  int card = -1;
  while (snd_card_next(&card) >= 0 && card >= 0) {
    std::string name = "hw:" + std::to_string(card);
    char* cardName = nullptr;
    if (snd_card_get_name(card, &cardName) == 0 && cardName) {
      name = cardName;
      std::free(cardName);
    }
    if (auto c = SndMixerCard::Open("hw:" + std::to_string(card), std::move(name), false))
      mixers.push_back(std::move(c));
  }
  return mixers;
}

// An open device: a view of one mixer and its layout.
class AlsaMixerDriver::Device : public MixerDevice {
 public:
  Device(AlsaMixerDriver& driver, std::uint32_t device)
      : MixerDevice(driver, device), mixer_(driver.mixers_[device]) {}

  std::string Name() override { return mixer_.card->Name(); }
  std::uint32_t DestinationCount() override {
    return static_cast<std::uint32_t>(mixer_.layout.destinations.size());
  }
  std::optional<MixerLine> Line(std::uint32_t destination, std::int32_t source) override {
    const AlsaLine* line = Find(destination, source);
    return line ? std::optional(line->line) : std::nullopt;
  }
  std::optional<std::vector<MixerControl>> Controls(const MixerLine& line) override {
    const AlsaLine* found = Find(line.destination, line.source);
    return found ? std::optional(found->controls) : std::nullopt;
  }

  bool Read(const MixerControl& control, std::span<std::uint32_t> values) override {
    if (control.id >= mixer_.layout.bindings.size() || values.size() != control.ValueCount())
      return false;
    const AlsaControlBinding b = mixer_.layout.bindings[control.id];
    const auto [channels, lo, hi] = Side(b);
    AlsaCard& card = *mixer_.card;
    std::vector<std::uint32_t> read(values.size());
    if (IsVolume(b.kind)) {
      // One value for all channels reads the first.
      for (std::size_t i = 0; i < read.size(); ++i) {
        long raw = 0;
        if (!card.Get(b.element, b.kind, channels[read.size() == 1 ? 0 : i], raw)) return false;
        read[i] = AlsaToLevel(raw, lo, hi);
      }
    } else {
      // Muted while no channel's switch is on.
      bool on = false;
      for (int ch : channels) {
        long sw = 0;
        if (!card.Get(b.element, b.kind, ch, sw)) return false;
        on = on || sw != 0;
      }
      read.assign(read.size(), on ? 0 : 1);
    }
    std::copy(read.begin(), read.end(), values.begin());
    return true;
  }

  bool Write(const MixerControl& control, std::span<const std::uint32_t> values) override {
    if (control.id >= mixer_.layout.bindings.size() || values.size() != control.ValueCount())
      return false;
    const AlsaControlBinding b = mixer_.layout.bindings[control.id];
    AlsaCard& card = *mixer_.card;
    if (!IsVolume(b.kind)) return card.Set(b.element, b.kind, -1, values[0] ? 0 : 1);
    const auto [channels, lo, hi] = Side(b);
    if (values.size() == 1) return card.Set(b.element, b.kind, -1, LevelToAlsa(values[0], lo, hi));
    for (std::size_t i = 0; i < values.size(); ++i)
      if (!card.Set(b.element, b.kind, channels[i], LevelToAlsa(values[i], lo, hi))) return false;
    return true;
  }

 private:
  const AlsaLine* Find(std::uint32_t destination, std::int32_t source) const {
    const auto& lines = mixer_.layout.destinations;
    if (destination >= lines.size() || source < -1 ||
        static_cast<std::size_t>(source + 1) >= lines[destination].size())
      return nullptr;
    return &lines[destination][static_cast<std::size_t>(source + 1)];
  }

  struct SideInfo {
    std::vector<int> channels;  // never empty
    long lo, hi;
  };
  // The element's channels and range in the control's direction.
  SideInfo Side(const AlsaControlBinding& b) const {
    const AlsaElementInfo& e = mixer_.card->Elements()[b.element];
    const bool playback = IsPlayback(b.kind);
    SideInfo side{playback ? e.playbackChannels : e.captureChannels,
                  playback ? e.playbackMin : e.captureMin, playback ? e.playbackMax : e.captureMax};
    if (side.channels.empty()) side.channels.push_back(0);
    return side;
  }

  Mixer& mixer_;
};

AlsaMixerDriver::AlsaMixerDriver() : AlsaMixerDriver(OpenSystemAlsaMixers()) {}

AlsaMixerDriver::AlsaMixerDriver(std::vector<std::unique_ptr<AlsaCard>> cards) {
  for (auto& card : cards) {
    if (!card) continue;
    AlsaMixerLayout layout = MapAlsaElements(card->Elements(), card->SoundServer());
    mixers_.push_back(Mixer{std::move(card), std::move(layout)});
  }
  for (std::size_t d = 0; d < mixers_.size(); ++d) {
    const auto device = static_cast<std::uint32_t>(d);
    mixers_[d].card->OnChange = [this, device](std::size_t element, unsigned change) {
      ElementChanged(device, element, change);
    };
  }
}

AlsaMixerDriver::~AlsaMixerDriver() {
  for (Mixer& m : mixers_) m.card->OnChange = nullptr;
}

const AlsaMixerLayout& AlsaMixerDriver::Layout(std::uint32_t device) const {
  return mixers_.at(device).layout;
}

std::uint32_t AlsaMixerDriver::DeviceCount() {
  return static_cast<std::uint32_t>(mixers_.size());
}

std::unique_ptr<MixerDevice> AlsaMixerDriver::Open(std::uint32_t device) {
  if (device >= mixers_.size()) return nullptr;
  return std::make_unique<Device>(*this, device);
}

// A changed value is a notice for each control bound to the element; a changed or removed
// element, one for each line that carries such a control.
void AlsaMixerDriver::ElementChanged(std::uint32_t device, std::size_t element, unsigned change) {
  std::set<std::uint32_t> lines;
  for (const auto& destination : mixers_[device].layout.destinations)
    for (const AlsaLine& line : destination)
      for (const MixerControl& c : line.controls) {
        if (mixers_[device].layout.bindings[c.id].element != element) continue;
        if (change & AlsaCard::kValue) Notify(device, {MixerNotice::ControlChange, c.id});
        if (change & (AlsaCard::kInfo | AlsaCard::kRemoved)) lines.insert(line.line.id);
      }
  for (std::uint32_t line : lines) Notify(device, {MixerNotice::LineChange, line});
}

}  // namespace ostrivo
