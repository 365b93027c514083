#pragma once
// A mixer driver for tests: each device is built line by line, controls keep their values in
// memory, chosen lines and controls can be made to fail, and every call that reaches the driver
// is counted. Changes made "by another program" (SetValues, ChangeLine) post notices to the
// handles open on the device, as a real device does; so do successful writes through the API.

#include <cstdint>
#include <set>
#include <vector>

#include "platform/mixer/MixerDriver.h"
#include "platform/mixer/MixerTopology.h"

namespace ostrivo {

class SimulatedMixerDriver : public MixerDriver {
 public:
  // A line of a device: source -1 is the destination line itself.
  struct LineRef {
    std::uint32_t device = 0;
    std::uint32_t destination = 0;
    std::int32_t source = -1;
  };
  // A control of a device.
  struct ControlRef {
    std::uint32_t device = 0;
    std::uint32_t id = 0;
  };
  // Calls that reached the driver, by kind.
  struct Calls {
    std::uint32_t numDevs = 0;
    std::uint32_t open = 0;
    std::uint32_t close = 0;
    std::uint32_t caps = 0;
    std::uint32_t lineInfo = 0;
    std::uint32_t lineControls = 0;
    std::uint32_t getDetails = 0;
    std::uint32_t setDetails = 0;
    std::uint32_t Total() const {
      return numDevs + open + close + caps + lineInfo + lineControls + getDetails + setDetails;
    }
  };

  // ---- Building ----
  std::uint32_t AddDevice(const char* name = "Simulated Mixer");
  LineRef AddDestination(std::uint32_t device, std::uint32_t channels,
                         const char* name = "Master Volume",
                         std::uint32_t componentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
  LineRef AddSource(LineRef destination, std::uint32_t channels, const char* name = "Source",
                    std::uint32_t componentType = MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED);
  // A control of any type. values: channels (1 when UNIFORM, else the line's) for each item
  // (cMultipleItems items when MULTIPLE, else one), items in turn; missing values are 0.
  ControlRef AddControl(LineRef line, std::uint32_t type, std::uint32_t flags,
                        std::uint32_t items = 0, std::vector<std::uint32_t> values = {});
  ControlRef AddVolume(LineRef line, std::uint32_t flags = 0,
                       std::vector<std::uint32_t> values = {});
  ControlRef AddMute(LineRef line, bool muted = false,
                     std::uint32_t flags = MIXERCONTROL_CONTROLF_UNIFORM);
  // A Mixer list control on a destination line: one value per item (UNIFORM, MULTIPLE).
  ControlRef AddMixerList(LineRef destination, std::uint32_t items,
                          std::vector<std::uint32_t> values = {});

  // ---- Failures ----
  void FailOpen(std::uint32_t device, bool fail = true);
  // Line-info queries that land on the line fail.
  void FailLineInfo(LineRef line, bool fail = true);
  // Control queries of the line (and of its controls by identifier) fail.
  void FailLineControls(LineRef line, bool fail = true);
  void FailDetailsRead(ControlRef control, bool fail = true);
  void FailDetailsWrite(ControlRef control, bool fail = true);

  // ---- State ----
  const std::vector<std::uint32_t>& Values(ControlRef control) const;
  // Another program changes a control: posts MM_MIXM_CONTROL_CHANGE.
  void SetValues(ControlRef control, std::vector<std::uint32_t> values);
  // Another program changes a line: posts MM_MIXM_LINE_CHANGE.
  void ChangeLine(LineRef line);
  // Successful writes through the API, per control.
  std::uint32_t WriteCount(ControlRef control) const;
  std::uint32_t OpenCount(std::uint32_t device) const;
  const MixerTopology& Topology(std::uint32_t device) const;
  std::uint32_t LineID(LineRef line) const;

  Calls calls;

  // ---- MixerDriver ----
  std::uint32_t DeviceCount() override;
  MMRESULT OpenDevice(std::uint32_t device) override;
  void CloseDevice(std::uint32_t device) override;
  MMRESULT GetDevCaps(std::uint32_t device, MIXERCAPSA& caps) override;
  MMRESULT GetLineInfo(std::uint32_t device, std::uint32_t query, MIXERLINEA& line) override;
  MMRESULT GetLineControls(std::uint32_t device, std::uint32_t query, MIXERLINECONTROLSA& request,
                           std::span<MIXERCONTROLA> controls) override;
  MMRESULT GetControlDetails(std::uint32_t device, const MIXERCONTROLDETAILS& request,
                             std::span<std::uint32_t> values) override;
  MMRESULT SetControlDetails(std::uint32_t device, const MIXERCONTROLDETAILS& request,
                             std::span<const std::uint32_t> values) override;

 private:
  struct ControlState {
    std::uint32_t channels = 1;  // values stored per item
    std::uint32_t items = 1;
    std::vector<std::uint32_t> values;
    bool failRead = false;
    bool failWrite = false;
    std::uint32_t writes = 0;
  };
  struct Device {
    MixerTopology topology;
    std::vector<ControlState> controls;    // by control identifier
    std::set<std::uint32_t> failInfo;      // line identifiers
    std::set<std::uint32_t> failControls;  // line identifiers
    bool failOpen = false;
    std::uint32_t openCount = 0;
  };
  Device& At(std::uint32_t device);
  const Device& At(std::uint32_t device) const;
  ControlState& State(ControlRef control);
  const ControlState& State(ControlRef control) const;

  std::vector<Device> devices_;
};

}  // namespace ostrivo
