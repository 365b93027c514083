#include "platform/mixer/AlsaMixerDriver.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <QSocketNotifier>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <unordered_map>

namespace ostrivo {

namespace {

bool IsPlayback(AlsaControlKind k) {
  return k == AlsaControlKind::PlaybackVolume || k == AlsaControlKind::PlaybackSwitch;
}
bool IsVolume(AlsaControlKind k) {
  return k == AlsaControlKind::PlaybackVolume || k == AlsaControlKind::CaptureVolume;
}

// A card's simple mixer, open for the life of the driver, its change events watched by socket
// notifiers on the GUI thread.
class SndMixerCard : public AlsaCard {
 public:
  static std::unique_ptr<SndMixerCard> Open(int card) {
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0) return nullptr;
    const std::string device = "hw:" + std::to_string(card);
    if (snd_mixer_attach(mixer, device.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
      snd_mixer_close(mixer);
      return nullptr;
    }
    std::string name = device;
    char* cardName = nullptr;
    if (snd_card_get_name(card, &cardName) == 0 && cardName) {
      name = cardName;
      std::free(cardName);
    }
    return std::unique_ptr<SndMixerCard>(new SndMixerCard(mixer, std::move(name)));
  }

  ~SndMixerCard() override {
    notifiers_.clear();
    for (snd_mixer_elem_t* e : elems_)
      if (e) snd_mixer_elem_set_callback(e, nullptr);
    snd_mixer_close(mixer_);
  }

  std::string Name() const override { return name_; }
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
  SndMixerCard(snd_mixer_t* mixer, std::string name) : mixer_(mixer), name_(std::move(name)) {
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
      index_[e] = elems_.size();
      elems_.push_back(e);
      infos_.push_back(Describe(e));
      snd_mixer_elem_set_callback_private(e, this);
      snd_mixer_elem_set_callback(e, &SndMixerCard::ElemEvent);
    }
    const int count = snd_mixer_poll_descriptors_count(mixer_);
    if (count > 0) {
      std::vector<pollfd> fds(static_cast<std::size_t>(count));
      const int n = snd_mixer_poll_descriptors(mixer_, fds.data(), static_cast<unsigned>(count));
      for (int i = 0; i < n; ++i) {
        auto notifier = std::make_unique<QSocketNotifier>(fds[static_cast<std::size_t>(i)].fd,
                                                          QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
          // A card that went away keeps its descriptors readable: stop watching it.
          if (snd_mixer_handle_events(mixer_) < 0)
            for (auto& n : notifiers_) n->setEnabled(false);
        });
        notifiers_.push_back(std::move(notifier));
      }
    }
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
  std::vector<snd_mixer_elem_t*> elems_;
  std::unordered_map<snd_mixer_elem_t*, std::size_t> index_;
  std::vector<AlsaElementInfo> infos_;
  std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
};

}  // namespace

std::vector<std::unique_ptr<AlsaCard>> OpenSystemAlsaCards() {
  std::vector<std::unique_ptr<AlsaCard>> cards;
  int card = -1;
  while (snd_card_next(&card) >= 0 && card >= 0) {
    if (auto c = SndMixerCard::Open(card)) cards.push_back(std::move(c));
  }
  return cards;
}

AlsaMixerDriver::AlsaMixerDriver() : AlsaMixerDriver(OpenSystemAlsaCards()) {}

AlsaMixerDriver::AlsaMixerDriver(std::vector<std::unique_ptr<AlsaCard>> cards) {
  for (auto& card : cards) {
    if (!card) continue;
    AlsaMixerLayout layout = MapAlsaElements(card->Name(), card->Elements());
    layout.topology.Caps().vDriverVersion = (SND_LIB_MAJOR << 8) | SND_LIB_MINOR;
    devices_.push_back(Device{std::move(card), std::move(layout)});
  }
  for (std::size_t d = 0; d < devices_.size(); ++d) {
    const auto device = static_cast<std::uint32_t>(d);
    devices_[d].card->OnChange = [this, device](std::size_t element, unsigned change) {
      ElementChanged(device, element, change);
    };
  }
}

AlsaMixerDriver::~AlsaMixerDriver() {
  for (Device& d : devices_) d.card->OnChange = nullptr;
}

const MixerTopology& AlsaMixerDriver::Topology(std::uint32_t device) const {
  return devices_.at(device).layout.topology;
}

void AlsaMixerDriver::ElementChanged(std::uint32_t device, std::size_t element, unsigned change) {
  const AlsaMixerLayout& layout = devices_[device].layout;
  std::set<std::uint32_t> lines;
  for (std::uint32_t id = 0; id < layout.bindings.size(); ++id) {
    if (layout.bindings[id].element != element) continue;
    if (change & AlsaCard::kValue) PostNotice(device, MM_MIXM_CONTROL_CHANGE, id);
    if (change & (AlsaCard::kInfo | AlsaCard::kRemoved))
      lines.insert(layout.topology.Control(id)->line->line.dwLineID);
  }
  for (std::uint32_t line : lines) PostNotice(device, MM_MIXM_LINE_CHANGE, line);
}

std::uint32_t AlsaMixerDriver::DeviceCount() {
  return static_cast<std::uint32_t>(devices_.size());
}

MMRESULT AlsaMixerDriver::OpenDevice(std::uint32_t) {
  return MMSYSERR_NOERROR;
}

void AlsaMixerDriver::CloseDevice(std::uint32_t) {}

MMRESULT AlsaMixerDriver::GetDevCaps(std::uint32_t device, MIXERCAPSA& caps) {
  caps = devices_.at(device).layout.topology.Caps();
  return MMSYSERR_NOERROR;
}

MMRESULT AlsaMixerDriver::GetLineInfo(std::uint32_t device, std::uint32_t query, MIXERLINEA& line) {
  return devices_.at(device).layout.topology.GetLineInfo(query, line);
}

MMRESULT AlsaMixerDriver::GetLineControls(std::uint32_t device, std::uint32_t query,
                                          MIXERLINECONTROLSA& request,
                                          std::span<MIXERCONTROLA> controls) {
  return devices_.at(device).layout.topology.GetLineControls(query, request, controls);
}

MMRESULT AlsaMixerDriver::GetControlDetails(std::uint32_t device,
                                            const MIXERCONTROLDETAILS& request,
                                            std::span<std::uint32_t> values) {
  Device& dev = devices_.at(device);
  MixerControlRef ref;
  MixerValueShape shape;
  const MMRESULT r = dev.layout.topology.CheckDetails(request, ref, shape);
  if (r != MMSYSERR_NOERROR) return r;
  const AlsaControlBinding b = dev.layout.bindings[request.dwControlID];
  const AlsaElementInfo& e = dev.card->Elements()[b.element];
  const bool playback = IsPlayback(b.kind);
  const std::vector<int>& channels = playback ? e.playbackChannels : e.captureChannels;
  const int first = channels.empty() ? 0 : channels.front();
  if (IsVolume(b.kind)) {
    const long lo = playback ? e.playbackMin : e.captureMin;
    const long hi = playback ? e.playbackMax : e.captureMax;
    // One value asked of several channels gives the first channel's.
    for (std::uint32_t i = 0; i < shape.channels; ++i) {
      long raw = 0;
      const int ch = shape.channels == 1 ? first : channels[i];
      if (!dev.card->Get(b.element, b.kind, ch, raw)) return MMSYSERR_ERROR;
      values[i] = AlsaToLevel(raw, lo, hi);
    }
    return MMSYSERR_NOERROR;
  }
  // Muted while no channel's switch is on.
  bool on = false;
  for (int ch : channels.empty() ? std::vector<int>{0} : channels) {
    long sw = 0;
    if (!dev.card->Get(b.element, b.kind, ch, sw)) return MMSYSERR_ERROR;
    on = on || sw != 0;
  }
  values[0] = on ? 0 : 1;
  return MMSYSERR_NOERROR;
}

MMRESULT AlsaMixerDriver::SetControlDetails(std::uint32_t device,
                                            const MIXERCONTROLDETAILS& request,
                                            std::span<const std::uint32_t> values) {
  Device& dev = devices_.at(device);
  MixerControlRef ref;
  MixerValueShape shape;
  const MMRESULT r = dev.layout.topology.CheckDetails(request, ref, shape);
  if (r != MMSYSERR_NOERROR) return r;
  const AlsaControlBinding b = dev.layout.bindings[request.dwControlID];
  const AlsaElementInfo& e = dev.card->Elements()[b.element];
  const bool playback = IsPlayback(b.kind);
  if (IsVolume(b.kind)) {
    const long lo = playback ? e.playbackMin : e.captureMin;
    const long hi = playback ? e.playbackMax : e.captureMax;
    const std::vector<int>& channels = playback ? e.playbackChannels : e.captureChannels;
    if (shape.channels == 1)
      return dev.card->Set(b.element, b.kind, -1, LevelToAlsa(values[0], lo, hi)) ? MMSYSERR_NOERROR
                                                                                  : MMSYSERR_ERROR;
    for (std::uint32_t i = 0; i < shape.channels; ++i)
      if (!dev.card->Set(b.element, b.kind, channels[i], LevelToAlsa(values[i], lo, hi)))
        return MMSYSERR_ERROR;
    return MMSYSERR_NOERROR;
  }
  return dev.card->Set(b.element, b.kind, -1, values[0] ? 0 : 1) ? MMSYSERR_NOERROR
                                                                 : MMSYSERR_ERROR;
}

}  // namespace ostrivo
