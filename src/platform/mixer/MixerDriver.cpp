#include "platform/mixer/MixerDriver.h"

#include <QCoreApplication>
#include <stdexcept>

namespace ostrivo {

QEvent::Type MixerNotifyEvent::Type() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

MixerDriver::~MixerDriver() = default;

HMIXER MixerDriver::AddHandle(std::uint32_t device, QObject* target) {
  if (nextHandle_ == 0) throw std::overflow_error("mixer handles exhausted");
  const HMIXER handle = nextHandle_++;
  handles_.emplace(handle, OpenHandle{device, target});
  return handle;
}

std::optional<std::uint32_t> MixerDriver::HandleDevice(HMIXER handle) const {
  const auto it = handles_.find(handle);
  if (it == handles_.end()) return std::nullopt;
  return it->second.device;
}

bool MixerDriver::RemoveHandle(HMIXER handle) {
  return handles_.erase(handle) > 0;
}

MIXBUFFER MixerDriver::Pin(void* address, std::uint32_t bytes) {
  if (!address) return 0;
  if (nextBuffer_ == 0) throw std::overflow_error("mixer buffer names exhausted");
  const MIXBUFFER name = nextBuffer_++;
  pinned_.emplace(name, std::span<std::byte>(static_cast<std::byte*>(address), bytes));
  return name;
}

void MixerDriver::Unpin(MIXBUFFER buffer) {
  pinned_.erase(buffer);
}

std::span<std::byte> MixerDriver::Pinned(MIXBUFFER buffer) const {
  const auto it = pinned_.find(buffer);
  return it == pinned_.end() ? std::span<std::byte>() : it->second;
}

void MixerDriver::PostNotice(std::uint32_t device, std::uint32_t message, std::uint32_t id) {
  for (const auto& [handle, open] : handles_) {
    if (open.device != device || !open.target) continue;
    QCoreApplication::postEvent(open.target.data(), new MixerNotifyEvent(message, handle, id));
  }
}

}  // namespace ostrivo
