#include "platform/mixer/AlsaMixerDriver.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <QSocketNotifier>
#include <algorithm>

namespace ostrivo {

namespace {

bool IsPlayback(AlsaControlKind k) {
  return k == AlsaControlKind::PlaybackVolume || k == AlsaControlKind::PlaybackSwitch;
}
bool IsVolume(AlsaControlKind k) {
  return k == AlsaControlKind::PlaybackVolume || k == AlsaControlKind::CaptureVolume;
}

// ALSA's calls for one side of an element: playback, capture.
struct Calls {
  int (*getVolume)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, long*);
  int (*setVolume)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, long);
  int (*setVolumeAll)(snd_mixer_elem_t*, long);
  int (*getSwitch)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, int*);
  int (*setSwitch)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, int);
  int (*setSwitchAll)(snd_mixer_elem_t*, int);
};
const Calls kCalls[] = {
    {snd_mixer_selem_get_playback_volume, snd_mixer_selem_set_playback_volume,
     snd_mixer_selem_set_playback_volume_all, snd_mixer_selem_get_playback_switch,
     snd_mixer_selem_set_playback_switch, snd_mixer_selem_set_playback_switch_all},
    {snd_mixer_selem_get_capture_volume, snd_mixer_selem_set_capture_volume,
     snd_mixer_selem_set_capture_volume_all, snd_mixer_selem_get_capture_switch,
     snd_mixer_selem_set_capture_switch, snd_mixer_selem_set_capture_switch_all}};

// A simple mixer, open for the life of the driver, its change events watched by socket
// notifiers on the GUI thread.
class SndMixerCard : public AlsaCard {
 public:
  static std::unique_ptr<SndMixerCard> Open(const std::string& device, bool soundServer) {
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0) return nullptr;
    if (snd_mixer_attach(mixer, device.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
      snd_mixer_close(mixer);
      return nullptr;
    }
    return std::unique_ptr<SndMixerCard>(new SndMixerCard(mixer, soundServer));
  }

  ~SndMixerCard() override {
    notifiers_.clear();
    for (snd_mixer_elem_t* e : elems_)
      if (e) snd_mixer_elem_set_callback(e, nullptr);
    snd_mixer_close(mixer_);
  }

  bool SoundServer() const override { return soundServer_; }
  const std::vector<AlsaElementInfo>& Elements() const override { return infos_; }

  // An element that went away (null) refuses every call.
  bool Get(std::size_t element, AlsaControlKind kind, int channel, long& value) override {
    snd_mixer_elem_t* e = elems_[element];
    const Calls& c = kCalls[IsPlayback(kind) ? 0 : 1];
    const auto ch = static_cast<snd_mixer_selem_channel_id_t>(channel);
    int on = 0;
    if (!e || (IsVolume(kind) ? c.getVolume(e, ch, &value) : c.getSwitch(e, ch, &on)) < 0)
      return false;
    if (!IsVolume(kind)) value = on != 0;
    return true;
  }

  bool Set(std::size_t element, AlsaControlKind kind, int channel, long value) override {
    snd_mixer_elem_t* e = elems_[element];
    const Calls& c = kCalls[IsPlayback(kind) ? 0 : 1];
    const auto ch = static_cast<snd_mixer_selem_channel_id_t>(channel);
    if (!e) return false;
    if (IsVolume(kind))
      return (channel < 0 ? c.setVolumeAll(e, value) : c.setVolume(e, ch, value)) >= 0;
    return (channel < 0 ? c.setSwitchAll(e, value != 0) : c.setSwitch(e, ch, value != 0)) >= 0;
  }

 private:
  SndMixerCard(snd_mixer_t* mixer, bool soundServer) : mixer_(mixer), soundServer_(soundServer) {
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
      elems_.push_back(e);
      infos_.push_back(Describe(e));
      snd_mixer_elem_set_callback_private(e, this);
      snd_mixer_elem_set_callback(e, &SndMixerCard::ElemEvent);
    }
    fds_.resize(static_cast<std::size_t>(std::max(snd_mixer_poll_descriptors_count(mixer_), 0)));
    const int n = snd_mixer_poll_descriptors(mixer_, fds_.data(), fds_.size());
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
    AlsaElementInfo::Side& play = info.playback;
    AlsaElementInfo::Side& rec = info.capture;
    play.volume = snd_mixer_selem_has_playback_volume(e) || snd_mixer_selem_has_common_volume(e);
    play.sw = snd_mixer_selem_has_playback_switch(e) || snd_mixer_selem_has_common_switch(e);
    rec.volume = snd_mixer_selem_has_capture_volume(e);
    rec.sw = snd_mixer_selem_has_capture_switch(e);
    play.joined = snd_mixer_selem_has_playback_volume_joined(e);
    rec.joined = snd_mixer_selem_has_capture_volume_joined(e);
    for (int ch = 0; ch <= SND_MIXER_SCHN_LAST; ++ch) {
      const auto c = static_cast<snd_mixer_selem_channel_id_t>(ch);
      if (play.Used() && snd_mixer_selem_has_playback_channel(e, c)) play.channels.push_back(ch);
      if (rec.Used() && snd_mixer_selem_has_capture_channel(e, c)) rec.channels.push_back(ch);
    }
    if (play.volume) snd_mixer_selem_get_playback_volume_range(e, &play.min, &play.max);
    if (rec.volume) snd_mixer_selem_get_capture_volume_range(e, &rec.min, &rec.max);
    return info;
  }

  static int ElemEvent(snd_mixer_elem_t* e, unsigned int mask) {
    // Only this card's elements carry this callback.
    auto* self = static_cast<SndMixerCard*>(snd_mixer_elem_get_callback_private(e));
    const auto it = std::find(self->elems_.begin(), self->elems_.end(), e);
    if (it == self->elems_.end()) return 0;
    unsigned change = (mask & SND_CTL_EVENT_MASK_VALUE ? unsigned{kValue} : 0u) |
                      (mask & SND_CTL_EVENT_MASK_INFO ? unsigned{kInfo} : 0u);
    if (mask == SND_CTL_EVENT_MASK_REMOVE) {
      *it = nullptr;  // gone: forgotten before anything can use it again
      change = kRemoved;
    }
    if (change && self->OnChange) self->OnChange(it - self->elems_.begin(), change);
    return 0;
  }

  snd_mixer_t* mixer_;
  bool soundServer_;
  std::vector<snd_mixer_elem_t*> elems_;
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
  snd_ctl_close(ctl);
  return hardware ? nullptr : SndMixerCard::Open("default", true);
}

std::vector<std::unique_ptr<AlsaCard>> OpenSystemAlsaMixers() {
  std::vector<std::unique_ptr<AlsaCard>> mixers;
  if (auto server = OpenSoundServer()) mixers.push_back(std::move(server));
  for (int card = -1; snd_card_next(&card) >= 0 && card >= 0;)
    if (auto c = SndMixerCard::Open("hw:" + std::to_string(card), false))
      mixers.push_back(std::move(c));
  return mixers;
}

}  // namespace

// An open device: a view of one mixer and its layout.
class AlsaMixerDriver::Device : public MixerDevice {
 public:
  Device(AlsaMixerDriver& driver, std::uint32_t device)
      : MixerDevice(driver, device, driver.mixers_[device].layout),
        mixer_(driver.mixers_[device]) {}

  bool Read(const MixerControl& control, std::span<std::uint32_t> values) override {
    const AlsaControlBinding* b = Binding(control, values.size());
    if (!b) return false;
    const AlsaElementInfo::Side& side = SideOf(*b);
    const std::vector<int> channels = side.channels.empty() ? std::vector{0} : side.channels;
    // A volume reads its values' channels (one value for all reads the first); a switch reads
    // every channel, as the line is muted only while no channel's switch is on.
    std::vector<long> raw(IsVolume(b->kind) ? values.size() : channels.size());
    for (std::size_t i = 0; i < raw.size(); ++i)
      if (!mixer_.card->Get(b->element, b->kind, channels[i], raw[i])) return false;
    if (IsVolume(b->kind))
      std::transform(raw.begin(), raw.end(), values.begin(),
                     [&side](long r) { return AlsaToLevel(r, side.min, side.max); });
    else
      values[0] = std::none_of(raw.begin(), raw.end(), [](long r) { return r != 0; });
    return true;
  }

  bool Write(const MixerControl& control, std::span<const std::uint32_t> values) override {
    const AlsaControlBinding* b = Binding(control, values.size());
    if (!b) return false;
    const AlsaElementInfo::Side& side = SideOf(*b);
    for (std::size_t i = 0; i < values.size(); ++i) {
      // One value sets every channel at once; a switch is on while the line is not muted.
      const int channel = values.size() == 1 ? -1 : side.channels[i];
      const long raw =
          IsVolume(b->kind) ? LevelToAlsa(values[i], side.min, side.max) : values[i] == 0;
      if (!mixer_.card->Set(b->element, b->kind, channel, raw)) return false;
    }
    return true;
  }

 private:
  // The control's binding, when values of that size are its own.
  const AlsaControlBinding* Binding(const MixerControl& control, std::size_t size) const {
    const auto& bindings = mixer_.layout.bindings;
    return control.id < bindings.size() && size == control.ValueCount() ? &bindings[control.id]
                                                                        : nullptr;
  }
  const AlsaElementInfo::Side& SideOf(const AlsaControlBinding& b) const {
    const AlsaElementInfo& e = mixer_.card->Elements()[b.element];
    return IsPlayback(b.kind) ? e.playback : e.capture;
  }

  Mixer& mixer_;
};

AlsaMixerDriver::AlsaMixerDriver() : AlsaMixerDriver(OpenSystemAlsaMixers()) {}

AlsaMixerDriver::AlsaMixerDriver(std::vector<std::unique_ptr<AlsaCard>> cards) {
  for (auto& card : cards) {
    const auto device = static_cast<std::uint32_t>(mixers_.size());
    card->OnChange = [this, device](std::size_t element, unsigned change) {
      ElementChanged(device, element, change);
    };
    AlsaMixerLayout layout = MapAlsaElements(card->Elements(), card->SoundServer());
    mixers_.push_back(Mixer{std::move(card), std::move(layout)});
  }
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
  const AlsaMixerLayout& layout = mixers_[device].layout;
  for (const auto& destination : layout.destinations)
    for (const MixerLayout::Entry& line : destination) {
      bool bound = false;
      for (const MixerControl& c : line.controls) {
        if (layout.bindings[c.id].element != element) continue;
        bound = true;
        if (change & AlsaCard::kValue) Notify(device, {MixerNotice::ControlChange, c.id});
      }
      if (bound && (change & ~AlsaCard::kValue))
        Notify(device, {MixerNotice::LineChange, line.line.id});
    }
}

}  // namespace ostrivo
