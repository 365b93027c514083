#include "platform/mixer/MixerDriver.h"

#include <QMetaObject>
#include <algorithm>

namespace ostrivo {

MixerLayout::Entry& MixerLayout::AddLine(std::optional<std::uint32_t> destination, std::string name,
                                         std::uint32_t channels) {
  const std::uint32_t d = destination.value_or(static_cast<std::uint32_t>(destinations.size()));
  if (!destination) destinations.emplace_back();
  auto& lines = destinations.at(d);
  Entry& entry = lines.emplace_back();
  entry.line.id = lineCount++;
  entry.line.destination = d;
  entry.line.source = static_cast<std::int32_t>(lines.size()) - 2;
  entry.line.name = std::move(name);
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

MixerDevice::MixerDevice(MixerDriver& driver, std::uint32_t device, const MixerLayout& layout)
    : driver_(driver), device_(device), layout_(layout) {
  driver_.open_.emplace(device_, this);
}

MixerDevice::~MixerDevice() {
  const auto [first, last] = driver_.open_.equal_range(device_);
  driver_.open_.erase(
      std::find_if(first, last, [this](const auto& o) { return o.second == this; }));
}

std::uint32_t MixerDevice::DestinationCount() {
  return static_cast<std::uint32_t>(layout_.destinations.size());
}

std::optional<MixerLine> MixerDevice::Line(std::uint32_t destination, std::int32_t source) {
  const MixerLayout::Entry* entry = layout_.Find(destination, source);
  return entry ? std::optional(entry->line) : std::nullopt;
}

std::optional<std::vector<MixerControl>> MixerDevice::Controls(const MixerLine& line) {
  const MixerLayout::Entry* entry = layout_.Find(line.destination, line.source);
  return entry ? std::optional(entry->controls) : std::nullopt;
}

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
