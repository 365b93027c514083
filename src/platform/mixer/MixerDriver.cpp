#include "platform/mixer/MixerDriver.h"

#include <QMetaObject>

namespace ostrivo {

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

MixerDriver::~MixerDriver() = default;

MixerLine MakeMixerLine(std::uint32_t id, std::uint32_t destination, std::int32_t source,
                        std::string name, MixerComponent component, std::uint32_t channels) {
  MixerLine line;
  line.id = id;
  line.destination = destination;
  line.source = source;
  line.name = std::move(name);
  line.component = component;
  line.channels = channels;
  return line;
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
