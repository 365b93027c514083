#include "platform/mixer/SimulatedMixerDriver.h"

#include <algorithm>
#include <stdexcept>

namespace ostrivo {

// An open simulated device: answers from the driver's description and counts every call.
class SimulatedMixerDriver::Device : public MixerDevice {
 public:
  Device(SimulatedMixerDriver& driver, std::uint32_t device)
      : MixerDevice(driver, device), driver_(driver) {}
  ~Device() override { ++driver_.calls.close; }

  std::string Name() override { return Dev().name; }
  std::uint32_t DestinationCount() override {
    ++driver_.calls.destinations;
    return static_cast<std::uint32_t>(Dev().layout.destinations.size());
  }
  std::optional<MixerLine> Line(std::uint32_t destination, std::int32_t source) override {
    ++driver_.calls.lineInfo;
    auto line = LineIn(Dev().layout, destination, source);
    return line && !Dev().failInfo.count(line->id) ? line : std::nullopt;
  }
  std::optional<std::vector<MixerControl>> Controls(const MixerLine& line) override {
    ++driver_.calls.lineControls;
    return Dev().failControls.count(line.id) ? std::nullopt : ControlsIn(Dev().layout, line);
  }
  bool Read(const MixerControl& control, std::span<std::uint32_t> values) override {
    ++driver_.calls.getDetails;
    const SimControl& c = Dev().controls.at(control.id);
    if (c.failRead || values.size() != c.values.size()) return false;
    std::copy(c.values.begin(), c.values.end(), values.begin());
    return true;
  }
  bool Write(const MixerControl& control, std::span<const std::uint32_t> values) override {
    ++driver_.calls.setDetails;
    SimControl& c = Dev().controls.at(control.id);
    if (c.failWrite || values.size() != c.values.size()) return false;
    c.values.assign(values.begin(), values.end());
    ++c.writes;
    driver_.Notify(Index(), {MixerNotice::ControlChange, control.id});
    return true;
  }

 private:
  // Looked up on every call: a test may still add devices while this one is open.
  SimDevice& Dev() { return driver_.devices_.at(Index()); }

  SimulatedMixerDriver& driver_;
};

MixerLayout::Entry& SimulatedMixerDriver::At(LineRef line) {
  return devices_.at(line.device)
      .layout.destinations.at(line.destination)
      .at(static_cast<std::size_t>(line.source + 1));
}
SimulatedMixerDriver::SimControl& SimulatedMixerDriver::At(ControlRef control) {
  return devices_.at(control.device).controls.at(control.id);
}
const SimulatedMixerDriver::SimControl& SimulatedMixerDriver::At(ControlRef control) const {
  return const_cast<SimulatedMixerDriver*>(this)->At(control);
}

std::uint32_t SimulatedMixerDriver::AddDevice(const char* name) {
  devices_.emplace_back().name = name;
  return static_cast<std::uint32_t>(devices_.size() - 1);
}

SimulatedMixerDriver::LineRef SimulatedMixerDriver::AddDestination(std::uint32_t device,
                                                                   std::uint32_t channels,
                                                                   const char* name,
                                                                   MixerComponent component) {
  const auto& line = devices_.at(device).layout.AddLine(std::nullopt, name, component, channels);
  return {device, line.line.destination, -1};
}

SimulatedMixerDriver::LineRef SimulatedMixerDriver::AddSource(LineRef destination,
                                                              std::uint32_t channels,
                                                              const char* name,
                                                              MixerComponent component) {
  const auto& line = devices_.at(destination.device)
                         .layout.AddLine(destination.destination, name, component, channels);
  return {destination.device, destination.destination, line.line.source};
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddControl(
    LineRef line, MixerControlType type, unsigned flags, std::uint32_t items,
    std::vector<std::uint32_t> values) {
  static const char* const kNames[] = {"Volume", "Mute", "Mixer", "Control"};
  MixerLayout::Entry& l = At(line);
  MixerControl c;
  c.type = type;
  c.name = kNames[static_cast<int>(type)];
  c.channels = (flags & kUniform) ? 1 : std::max(1u, l.line.channels);
  c.items = items;
  c.disabled = (flags & kDisabled) != 0;
  c.maximum = type == MixerControlType::Volume ? 65535 : 1;
  values.resize(c.ValueCount(), 0);
  SimDevice& dev = devices_.at(line.device);
  dev.controls.emplace_back().values = std::move(values);
  return {line.device, dev.layout.AddControl(l, c)};
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddVolume(
    LineRef line, unsigned flags, std::vector<std::uint32_t> values) {
  return AddControl(line, MixerControlType::Volume, flags, 0, std::move(values));
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddMute(LineRef line, bool muted,
                                                               unsigned flags) {
  return AddControl(line, MixerControlType::Mute, flags, 0, {muted ? 1u : 0u});
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddMixerList(
    LineRef destination, std::uint32_t items, std::vector<std::uint32_t> values) {
  return AddControl(destination, MixerControlType::MixerList, kUniform, items, std::move(values));
}

void SimulatedMixerDriver::FailOpen(std::uint32_t device, bool fail) {
  devices_.at(device).failOpen = fail;
}
void SimulatedMixerDriver::FailLineInfo(LineRef line, bool fail) {
  auto& set = devices_.at(line.device).failInfo;
  fail ? void(set.insert(LineID(line))) : void(set.erase(LineID(line)));
}
void SimulatedMixerDriver::FailLineControls(LineRef line, bool fail) {
  auto& set = devices_.at(line.device).failControls;
  fail ? void(set.insert(LineID(line))) : void(set.erase(LineID(line)));
}
void SimulatedMixerDriver::FailDetailsRead(ControlRef control, bool fail) {
  At(control).failRead = fail;
}
void SimulatedMixerDriver::FailDetailsWrite(ControlRef control, bool fail) {
  At(control).failWrite = fail;
}

const std::vector<std::uint32_t>& SimulatedMixerDriver::Values(ControlRef control) const {
  return At(control).values;
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

std::uint32_t SimulatedMixerDriver::WriteCount(ControlRef control) const {
  return At(control).writes;
}

std::uint32_t SimulatedMixerDriver::LineID(LineRef line) const {
  return const_cast<SimulatedMixerDriver*>(this)->At(line).line.id;
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
