#include "mixer/AMixer.h"

namespace ostrivo {

namespace {

bool IsLevelOrMute(const MixerControl& c) {
  return c.type == MixerControlType::Volume || c.type == MixerControlType::Mute;
}

}  // namespace

// ---- The tree ----

TMixerControls::TMixerControls(MixerDevice& device, const MixerLine& line) {
  if (auto controls = device.Controls(line)) list_ = std::move(*controls);
}

TMixerConnections::TMixerConnections(TAudioMixer& mixer, MixerDevice& device,
                                     const MixerLine& destination) {
  for (std::uint32_t s = 0; s < destination.sources; ++s)
    if (auto line = device.Line(destination.destination, static_cast<std::int32_t>(s)))
      Add(std::make_unique<TMixerConnection>(mixer, device, *line));
}

TMixerDestinations::TMixerDestinations(TAudioMixer& mixer, MixerDevice& device) {
  const std::uint32_t count = device.DestinationCount();
  for (std::uint32_t d = 0; d < count; ++d)
    if (auto line = device.Line(d, -1))
      Add(std::make_unique<TMixerDestination>(mixer, device, *line));
}

// ---- The component ----

TAudioMixer::TAudioMixer(MixerDriver& driver, QObject* owner) : QObject(owner), driver_(driver) {
  deviceCount_ = static_cast<int32_t>(driver_.DeviceCount());
  if (deviceCount_ > 0) SetMixerID(0);
}

TAudioMixer::~TAudioMixer() {
  SetMixerID(-1);
}

void TAudioMixer::SetMixerID(int32_t id) {
  if (id >= deviceCount_) return;
  mixerID_ = -1;
  destinations_.reset();
  device_.reset();
  if (id < 0) return;
  device_ = driver_.Open(static_cast<std::uint32_t>(id));
  if (!device_) return;
  mixerID_ = id;
  device_->OnChange = [this](const MixerNotice& notice) { Dispatch(notice); };
  destinations_ = std::make_unique<TMixerDestinations>(*this, *device_);
}

void TAudioMixer::Dispatch(const MixerNotice& notice) {
  const TMixerChange& event =
      notice.kind == MixerNotice::LineChange ? OnLineChange : OnControlChange;
  if (event) event(this, mixerID_, static_cast<int32_t>(notice.id));
}

struct TAudioMixer::Line {
  const TMixerDestination* destination = nullptr;
  const TMixerControls* controls = nullptr;
};

bool TAudioMixer::FindLine(int32_t destination, int32_t connection, Line& line) const {
  if (!destinations_) return false;
  line.destination = destinations_->Destination(destination);
  if (!line.destination) return false;
  if (connection == -1) {
    line.controls = &line.destination->Controls;
    return true;
  }
  const TMixerConnection* source = line.destination->Connections.Connection(connection);
  if (!source) return false;
  line.controls = &source->Controls;
  return true;
}

bool TAudioMixer::ReadValues(const MixerControl& control) {
  // A control whose values would not fit is not read at all.
  const std::uint64_t count = control.ValueCount();
  if (count == 0 || count > kValuesBufferSize) return false;
  return device_->Read(control, std::span(values_.data(), count));
}

void TAudioMixer::SendValues(const MixerControl& control) {
  device_->Write(control, std::span<const std::uint32_t>(values_.data(), control.ValueCount()));
}

bool TAudioMixer::ReadLineLevel(int32_t destination, int32_t connection, int32_t& left,
                                int32_t& right, int32_t& mute, bool& volumeUnavailable,
                                bool& muteUnavailable) {
  Line line;
  if (!FindLine(destination, connection, line)) return false;
  // Worked on in locals, so a caller passing one variable for several outputs does not
  // change the walk.
  int32_t l = -1, r = -1, m = -1;
  bool volumeOff = false, muteOff = false;

  const TMixerControls& controls = *line.controls;
  for (int32_t i = 0; i < controls.Count() && (l == -1 || m == -1); ++i) {
    const MixerControl& c = *controls.Control(i);
    if (!IsLevelOrMute(c) || c.items != 0) continue;
    const bool volume = c.type == MixerControlType::Volume;
    // A control that could give nothing any more is not read.
    if ((volume && l != -1) || (!volume && m != -1)) continue;
    if (!ReadValues(c)) continue;
    if (volume) {
      volumeOff = c.disabled;
      if (!c.disabled) {
        l = static_cast<int32_t>(values_[0]);
        if (c.channels > 1) r = static_cast<int32_t>(values_[1]);
      }
    } else {
      muteOff = c.disabled;
      if (!c.disabled) m = values_[0] != 0 ? 1 : 0;
    }
  }

  // A source line without a mute switch of its own: the destination's Mixer list control
  // holds one value per source.
  if (m == -1 && connection != -1) {
    const TMixerControls& destControls = line.destination->Controls;
    for (int32_t i = 0; i < destControls.Count() && m == -1; ++i) {
      const MixerControl& c = *destControls.Control(i);
      if (c.type != MixerControlType::MixerList) continue;
      // Only a position within the control's own values is read.
      if (static_cast<std::uint64_t>(connection) >= c.ValueCount() || !ReadValues(c)) continue;
      m = static_cast<int32_t>(values_[static_cast<std::size_t>(connection)]);
      muteOff = false;
    }
  }

  left = l;
  right = r;
  mute = m;
  volumeUnavailable = l == -1 || volumeOff;
  muteUnavailable = m == -1 || muteOff;
  return true;
}

bool TAudioMixer::WriteLineLevel(int32_t destination, int32_t connection, int32_t left,
                                 int32_t right, int32_t mute) {
  Line line;
  if (!FindLine(destination, connection, line)) return false;
  bool levelDone = left == -1;
  bool muteDone = mute == -1;
  const auto leftValue = static_cast<std::uint32_t>(left);
  const auto rightValue = static_cast<std::uint32_t>(right == -1 ? left : right);

  const TMixerControls& controls = *line.controls;
  for (int32_t i = 0; i < controls.Count() && (!levelDone || !muteDone); ++i) {
    const MixerControl& c = *controls.Control(i);
    // A control whose values would not fit receives nothing.
    if (!IsLevelOrMute(c) || c.items != 0 || c.channels == 0 || c.channels > kValuesBufferSize)
      continue;
    if (c.type == MixerControlType::Volume && !levelDone) {
      // Channels past the second alternate left and right (front, rear, ... pairs).
      for (std::uint32_t ch = 0; ch < c.channels; ++ch)
        values_[ch] = ch % 2 == 0 ? leftValue : rightValue;
      levelDone = true;
      SendValues(c);
    } else if (c.type == MixerControlType::Mute && !muteDone) {
      // Every channel of a switch read per channel gets the same state.
      for (std::uint32_t ch = 0; ch < c.channels; ++ch)
        values_[ch] = static_cast<std::uint32_t>(mute);
      muteDone = true;
      SendValues(c);
    }
  }

  if (!muteDone && connection != -1) {
    const TMixerControls& destControls = line.destination->Controls;
    for (int32_t i = 0; i < destControls.Count(); ++i) {
      const MixerControl& c = *destControls.Control(i);
      if (c.type != MixerControlType::MixerList) continue;
      // Read back first so the other sources' values go back unchanged; a position outside
      // the control's values is not written.
      if (static_cast<std::uint64_t>(connection) < c.ValueCount() && ReadValues(c)) {
        values_[static_cast<std::size_t>(connection)] = static_cast<std::uint32_t>(mute);
        SendValues(c);
      }
      break;
    }
  }
  return true;
}

}  // namespace ostrivo
