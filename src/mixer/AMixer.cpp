#include "mixer/AMixer.h"

#include <algorithm>

namespace ostrivo {

namespace {

// What the level walks consider: a volume or a mute switch of one item.
bool IsLevelOrMute(const MixerControl& c) {
  return (c.type == MixerControlType::Volume || c.type == MixerControlType::Mute) && c.items == 0;
}

// A control whose values would not fit the buffer is neither read nor written.
bool Fits(const MixerControl& c) {
  return c.ValueCount() != 0 && c.ValueCount() <= TAudioMixer::kValuesBufferSize;
}

// A Mixer list control with a value at the source's position.
bool ListHolds(const MixerControl& c, int32_t connection) {
  return c.type == MixerControlType::MixerList &&
         static_cast<std::uint64_t>(connection) < c.ValueCount();
}

}  // namespace

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

TAudioMixer::TAudioMixer(MixerDriver& driver, QObject* owner) : QObject(owner), driver_(driver) {
  deviceCount_ = static_cast<int32_t>(driver_.DeviceCount());
  if (deviceCount_ > 0) SetMixerID(0);
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
  device_->OnChange = [this](const MixerNotice& notice) {
    const TMixerChange& event =
        notice.kind == MixerNotice::LineChange ? OnLineChange : OnControlChange;
    if (event) event(this, mixerID_, static_cast<int32_t>(notice.id));
  };
  destinations_ = std::make_unique<TMixerDestinations>(*this, *device_);
}

// The line's controls and its destination; null when there is no such line.
const TMixerControls* TAudioMixer::FindLine(int32_t destination, int32_t connection,
                                            const TMixerDestination*& dest) const {
  dest = destinations_ ? destinations_->Destination(destination) : nullptr;
  if (!dest || connection == -1) return dest ? &dest->Controls : nullptr;
  const TMixerConnection* source = dest->Connections.Connection(connection);
  return source ? &source->Controls : nullptr;
}

bool TAudioMixer::ReadValues(const MixerControl& control) {
  return Fits(control) && device_->Read(control, std::span(values_.data(), control.ValueCount()));
}

void TAudioMixer::SendValues(const MixerControl& control) {
  device_->Write(control, std::span<const std::uint32_t>(values_.data(), control.ValueCount()));
}

bool TAudioMixer::ReadLineLevel(int32_t destination, int32_t connection, int32_t& left,
                                int32_t& right, int32_t& mute, bool& volumeUnavailable,
                                bool& muteUnavailable) {
  const TMixerDestination* dest = nullptr;
  const TMixerControls* controls = FindLine(destination, connection, dest);
  if (!controls) return false;
  // Worked on in locals, so a caller passing one variable for several outputs does not
  // change the walk.
  int32_t l = -1, r = -1, m = -1;
  for (const MixerControl& c : *controls) {
    const bool volume = c.type == MixerControlType::Volume;
    // A control that could give nothing any more is not read; a disabled one gives nothing.
    if (!IsLevelOrMute(c) || (volume ? l : m) != -1 || !ReadValues(c) || c.disabled) continue;
    if (!volume) {
      m = values_[0] != 0 ? 1 : 0;
    } else {
      l = static_cast<int32_t>(values_[0]);
      if (c.channels > 1) r = static_cast<int32_t>(values_[1]);
    }
  }
  // A source line without a mute switch of its own: the destination's Mixer list control
  // holds one value per source.
  if (connection != -1)
    for (const MixerControl& c : dest->Controls)
      if (m == -1 && ListHolds(c, connection) && ReadValues(c))
        m = static_cast<int32_t>(values_[static_cast<std::size_t>(connection)]);

  left = l;
  right = r;
  mute = m;
  volumeUnavailable = l == -1;
  muteUnavailable = m == -1;
  return true;
}

bool TAudioMixer::WriteLineLevel(int32_t destination, int32_t connection, int32_t left,
                                 int32_t right, int32_t mute) {
  const TMixerDestination* dest = nullptr;
  const TMixerControls* controls = FindLine(destination, connection, dest);
  if (!controls) return false;
  bool levelDone = left == -1;
  bool muteDone = mute == -1;
  const auto leftValue = static_cast<std::uint32_t>(left);
  const auto rightValue = static_cast<std::uint32_t>(right == -1 ? left : right);
  const auto muteValue = static_cast<std::uint32_t>(mute);

  for (const MixerControl& c : *controls) {
    const bool volume = c.type == MixerControlType::Volume;
    bool& done = volume ? levelDone : muteDone;
    if (!IsLevelOrMute(c) || done || !Fits(c)) continue;
    // Channels past the second alternate left and right (front, rear, ... pairs); a switch read
    // per channel gets the same state on every channel.
    for (std::uint32_t ch = 0; ch < c.channels; ++ch)
      values_[ch] = volume ? (ch % 2 == 0 ? leftValue : rightValue) : muteValue;
    done = true;
    SendValues(c);
  }

  if (muteDone || connection == -1) return true;
  // Only the first Mixer list control, read back first so that the other sources' values go
  // back unchanged; a position outside its values is not written.
  const TMixerControls& own = dest->Controls;
  const auto list = std::find_if(own.begin(), own.end(), [](const MixerControl& c) {
    return c.type == MixerControlType::MixerList;
  });
  if (list != own.end() && ListHolds(*list, connection) && ReadValues(*list)) {
    values_[static_cast<std::size_t>(connection)] = muteValue;
    SendValues(*list);
  }
  return true;
}

}  // namespace ostrivo
