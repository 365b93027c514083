#include "platform/mixer/MixerDriver.h"

#include <QMetaObject>

namespace ostrivo {

MixerLayout::Entry& MixerLayout::AddLine(std::optional<std::uint32_t> destination, std::string name,
                                         MixerComponent component, std::uint32_t channels) {
  const std::uint32_t d = destination.value_or(static_cast<std::uint32_t>(destinations.size()));
  if (!destination) destinations.emplace_back();
  auto& lines = destinations.at(d);
  Entry& entry = lines.emplace_back();
  entry.line.id = lineCount++;
  entry.line.destination = d;
  entry.line.source = static_cast<std::int32_t>(lines.size()) - 2;
  entry.line.name = std::move(name);
  entry.line.component = component;
  entry.line.channels = channels;
  lines[0].line.sources = static_cast<std::uint32_t>(lines.size() - 1);
  return entry;
}

std::uint32_t MixerLayout::AddControl(Entry& line, MixerControl control) {
  control.id = controlCount++;
  line.controls.push_back(std::move(control));
  return line.controls.back().id;
}

const MixerLayout::Entry* MixerLayout::Find(std::uint32_t destination, std::int32_t source) const {
  if (destination >= destinations.size() || source < -1 ||
      static_cast<std::size_t>(source + 1) >= destinations[destination].size())
    return nullptr;
  return &destinations[destination][static_cast<std::size_t>(source + 1)];
}

MixerDevice::MixerDevice(MixerDriver& driver, std::uint32_t device)
    : driver_(driver), device_(device) {
  driver_.open_.emplace(device_, this);
}

MixerDevice::~MixerDevice() {
  for (auto it = driver_.open_.begin(); it != driver_.open_.end(); ++it)
    if (it->second == this) {
      driver_.open_.erase(it);
      break;
    }
}

std::optional<MixerLine> MixerDevice::LineIn(const MixerLayout& layout, std::uint32_t destination,
                                             std::int32_t source) {
  const MixerLayout::Entry* entry = layout.Find(destination, source);
  return entry ? std::optional(entry->line) : std::nullopt;
}

std::optional<std::vector<MixerControl>> MixerDevice::ControlsIn(const MixerLayout& layout,
                                                                 const MixerLine& line) {
  const MixerLayout::Entry* entry = layout.Find(line.destination, line.source);
  return entry ? std::optional(entry->controls) : std::nullopt;
}

MixerDriver::~MixerDriver() = default;

void MixerDriver::Notify(std::uint32_t device, const MixerNotice& notice) {
  const auto [first, last] = open_.equal_range(device);
  for (auto it = first; it != last; ++it) {
    MixerDevice* open = it->second;
    // Queued on the device's own receiver: a device that closes takes its pending notices along.
    QMetaObject::invokeMethod(
        &open->queue_,
        [open, notice] {
          if (open->OnChange) open->OnChange(notice);
        },
        Qt::QueuedConnection);
  }
}

}  // namespace ostrivo
