#pragma once
// A mixer driver for tests: each device is built line by line, controls keep their values in
// memory, chosen lines and controls can be made to fail, and every call that reaches the driver
// is counted. Changes made "by another program" (SetValues, ChangeLine) send notices to the
// devices open on it, as a real device does; so do successful writes.

#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "platform/mixer/MixerDriver.h"

namespace ostrivo {

class SimulatedMixerDriver : public MixerDriver {
 public:
  // A line of a device: source -1 is the destination line itself.
  struct LineRef {
    std::uint32_t device = 0;
    std::uint32_t destination = 0;
    std::int32_t source = -1;
  };
  struct ControlRef {
    std::uint32_t device = 0, id = 0;
  };
  // Calls that reached the driver, by kind.
  struct Calls {
    std::uint32_t numDevs = 0, open = 0, close = 0, destinations = 0, lineInfo = 0,
                  lineControls = 0, getDetails = 0, setDetails = 0;
    std::uint32_t Total() const {
      return numDevs + open + close + destinations + lineInfo + lineControls + getDetails +
             setDetails;
    }
  };
  static constexpr unsigned kUniform = 1, kDisabled = 2;  // flags of a control

  std::uint32_t AddDevice() {
    devices_.emplace_back();
    return static_cast<std::uint32_t>(devices_.size() - 1);
  }
  LineRef AddDestination(std::uint32_t device, std::uint32_t channels,
                         const char* name = "Master Volume") {
    return {device,
            devices_.at(device).layout.AddLine(std::nullopt, name, channels).line.destination};
  }
  LineRef AddSource(LineRef to, std::uint32_t channels, const char* name = "Source") {
    MixerLayout& layout = devices_.at(to.device).layout;
    return {to.device, to.destination, layout.AddLine(to.destination, name, channels).line.source};
  }
  // values: channels (1 when kUniform, else the line's) for each item in turn; missing ones are 0.
  ControlRef AddVolume(LineRef line, unsigned flags = 0, std::vector<std::uint32_t> values = {}) {
    return AddControl(line, MixerControlType::Volume, flags, 0, std::move(values));
  }
  ControlRef AddMute(LineRef line, bool muted = false, unsigned flags = kUniform) {
    return AddControl(line, MixerControlType::Mute, flags, 0, {muted ? 1u : 0u});
  }
  // A Mixer list control on a destination line: one value per item.
  ControlRef AddMixerList(LineRef destination, std::uint32_t items,
                          std::vector<std::uint32_t> values = {}) {
    return AddControl(destination, MixerControlType::MixerList, kUniform, items, std::move(values));
  }

  void FailOpen(std::uint32_t device, bool fail = true) { devices_.at(device).failOpen = fail; }
  void FailLineInfo(LineRef line, bool fail = true) {
    devices_.at(line.device).failInfo[LineID(line)] = fail;
  }
  void FailLineControls(LineRef line, bool fail = true) {
    devices_.at(line.device).failControls[LineID(line)] = fail;
  }
  void FailDetailsRead(ControlRef control, bool fail = true) { At(control).failRead = fail; }
  void FailDetailsWrite(ControlRef control, bool fail = true) { At(control).failWrite = fail; }

  const std::vector<std::uint32_t>& Values(ControlRef control) const { return At(control).values; }
  // Another program changes a control: a control notice.
  void SetValues(ControlRef control, std::vector<std::uint32_t> values);
  // Another program changes a line: a line notice.
  void ChangeLine(LineRef line);
  std::uint32_t WriteCount(ControlRef control) const { return At(control).writes; }
  std::uint32_t LineID(LineRef line) const { return At(line).line.id; }

  Calls calls;

  std::uint32_t DeviceCount() override;
  std::unique_ptr<MixerDevice> Open(std::uint32_t device) override;

 private:
  class Device;
  struct SimControl {
    std::vector<std::uint32_t> values;
    bool failRead = false;
    bool failWrite = false;
    std::uint32_t writes = 0;
  };
  struct SimDevice {
    MixerLayout layout;
    std::vector<SimControl> controls;                      // by identifier
    std::map<std::uint32_t, bool> failInfo, failControls;  // by line identifier
    bool failOpen = false;
  };
  ControlRef AddControl(LineRef line, MixerControlType type, unsigned flags, std::uint32_t items,
                        std::vector<std::uint32_t> values);
  const MixerLayout::Entry& At(LineRef line) const;
  MixerLayout::Entry& At(LineRef line) {
    return const_cast<MixerLayout::Entry&>(std::as_const(*this).At(line));
  }
  const SimControl& At(ControlRef c) const { return devices_.at(c.device).controls.at(c.id); }
  SimControl& At(ControlRef c) { return devices_.at(c.device).controls.at(c.id); }

  // A deque: an open device keeps its place while a test adds further devices.
  std::deque<SimDevice> devices_;
};

}  // namespace ostrivo
