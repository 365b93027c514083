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
    return static_cast<std::uint32_t>(Dev().lines.size());
  }
  std::optional<MixerLine> Line(std::uint32_t destination, std::int32_t source) override {
    ++driver_.calls.lineInfo;
    if (destination >= Dev().lines.size() || source < -1 ||
        static_cast<std::size_t>(source + 1) >= Dev().lines[destination].size())
      return std::nullopt;
    const SimLine& l = Dev().lines[destination][static_cast<std::size_t>(source + 1)];
    if (l.failInfo) return std::nullopt;
    return l.line;
  }
  std::optional<std::vector<MixerControl>> Controls(const MixerLine& line) override {
    ++driver_.calls.lineControls;
    const SimLine& l =
        Dev().lines.at(line.destination).at(static_cast<std::size_t>(line.source + 1));
    if (l.failControls) return std::nullopt;
    std::vector<MixerControl> controls;
    for (std::uint32_t id : l.controls) controls.push_back(Dev().controls[id].control);
    return controls;
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

SimulatedMixerDriver::SimLine& SimulatedMixerDriver::At(LineRef line) {
  return devices_.at(line.device)
      .lines.at(line.destination)
      .at(static_cast<std::size_t>(line.source + 1));
}
const SimulatedMixerDriver::SimLine& SimulatedMixerDriver::At(LineRef line) const {
  return const_cast<SimulatedMixerDriver*>(this)->At(line);
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
  SimDevice& dev = devices_.at(device);
  const auto d = static_cast<std::uint32_t>(dev.lines.size());
  dev.lines.emplace_back(1);
  dev.lines.back()[0].line = MakeMixerLine(dev.lineCount++, d, -1, name, component, channels);
  return {device, d, -1};
}

SimulatedMixerDriver::LineRef SimulatedMixerDriver::AddSource(LineRef destination,
                                                              std::uint32_t channels,
                                                              const char* name,
                                                              MixerComponent component) {
  SimDevice& dev = devices_.at(destination.device);
  auto& lines = dev.lines.at(destination.destination);
  const auto s = static_cast<std::int32_t>(lines.size() - 1);
  lines.emplace_back().line =
      MakeMixerLine(dev.lineCount++, destination.destination, s, name, component, channels);
  lines[0].line.sources = static_cast<std::uint32_t>(lines.size() - 1);
  return {destination.device, destination.destination, s};
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddControl(
    LineRef line, MixerControlType type, unsigned flags, std::uint32_t items,
    std::vector<std::uint32_t> values) {
  SimDevice& dev = devices_.at(line.device);
  SimLine& l = At(line);
  const auto id = static_cast<std::uint32_t>(dev.controls.size());
  static const char* const kNames[] = {"Volume", "Mute", "Mixer", "Control"};
  MixerControl c;
  c.id = id;
  c.type = type;
  c.name = kNames[static_cast<int>(type)];
  c.channels = (flags & kUniform) ? 1 : std::max(1u, l.line.channels);
  c.items = items;
  c.disabled = (flags & kDisabled) != 0;
  c.maximum = type == MixerControlType::Volume ? 65535 : 1;
  values.resize(c.ValueCount(), 0);
  dev.controls.emplace_back().control = c;
  dev.controls.back().values = std::move(values);
  l.controls.push_back(id);
  return {line.device, id};
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
  At(line).failInfo = fail;
}
void SimulatedMixerDriver::FailLineControls(LineRef line, bool fail) {
  At(line).failControls = fail;
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
  return At(line).line.id;
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
