#include "platform/mixer/SimulatedMixerDriver.h"

#include <algorithm>
#include <stdexcept>

namespace ostrivo {

// An open simulated device: answers from the driver's description and counts every call.
class SimulatedMixerDriver::Device : public MixerDevice {
 public:
  Device(SimulatedMixerDriver& driver, std::uint32_t device)
      : MixerDevice(driver, device, driver.devices_[device].layout),
        driver_(driver),
        dev_(driver.devices_[device]) {}
  ~Device() override { ++driver_.calls.close; }

  std::uint32_t DestinationCount() override {
    ++driver_.calls.destinations;
    return MixerDevice::DestinationCount();
  }
  std::optional<MixerLine> Line(std::uint32_t destination, std::int32_t source) override {
    ++driver_.calls.lineInfo;
    auto line = MixerDevice::Line(destination, source);
    return line && !dev_.failInfo[line->id] ? line : std::nullopt;
  }
  std::optional<std::vector<MixerControl>> Controls(const MixerLine& line) override {
    ++driver_.calls.lineControls;
    return dev_.failControls[line.id] ? std::nullopt : MixerDevice::Controls(line);
  }
  bool Read(const MixerControl& control, std::span<std::uint32_t> values) override {
    ++driver_.calls.getDetails;
    const SimControl& c = dev_.controls.at(control.id);
    if (c.failRead || values.size() != c.values.size()) return false;
    std::copy(c.values.begin(), c.values.end(), values.begin());
    return true;
  }
  bool Write(const MixerControl& control, std::span<const std::uint32_t> values) override {
    ++driver_.calls.setDetails;
    SimControl& c = dev_.controls.at(control.id);
    if (c.failWrite || values.size() != c.values.size()) return false;
    c.values.assign(values.begin(), values.end());
    ++c.writes;
    driver_.Notify(Index(), {MixerNotice::ControlChange, control.id});
    return true;
  }

 private:
  SimulatedMixerDriver& driver_;
  SimDevice& dev_;
};

const MixerLayout::Entry& SimulatedMixerDriver::At(LineRef line) const {
  return devices_.at(line.device)
      .layout.destinations.at(line.destination)
      .at(static_cast<std::size_t>(line.source + 1));
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddControl(
    LineRef line, MixerControlType type, unsigned flags, std::uint32_t items,
    std::vector<std::uint32_t> values) {
  MixerLayout::Entry& l = At(line);
  const MixerControl c{.type = type,
                       .channels = (flags & kUniform) ? 1 : std::max(1u, l.line.channels),
                       .items = items,
                       .disabled = (flags & kDisabled) != 0,
                       .maximum = type == MixerControlType::Volume ? 65535u : 1u};
  values.resize(c.ValueCount(), 0);
  SimDevice& dev = devices_.at(line.device);
  dev.controls.emplace_back().values = std::move(values);
  return {line.device, dev.layout.AddControl(l, c)};
}

void SimulatedMixerDriver::SetValues(ControlRef control, std::vector<std::uint32_t> values) {
  SimControl& c = At(control);
  values.resize(c.values.size(), 0);
  c.values = std::move(values);
  Notify(control.device, {MixerNotice::ControlChange, control.id});
}

void SimulatedMixerDriver::ChangeLine(LineRef line) {
  Notify(line.device, {MixerNotice::LineChange, LineID(line)});
}

std::uint32_t SimulatedMixerDriver::DeviceCount() {
  ++calls.numDevs;
  return static_cast<std::uint32_t>(devices_.size());
}

std::unique_ptr<MixerDevice> SimulatedMixerDriver::Open(std::uint32_t device) {
  ++calls.open;
  if (devices_.at(device).failOpen) return nullptr;
  return std::make_unique<Device>(*this, device);
}

}  // namespace ostrivo
