#include "platform/mixer/SimulatedMixerDriver.h"

#include <algorithm>
#include <stdexcept>

namespace ostrivo {

namespace {

const char* ControlName(std::uint32_t type) {
  switch (type) {
    case MIXERCONTROL_CONTROLTYPE_VOLUME:
      return "Volume";
    case MIXERCONTROL_CONTROLTYPE_MUTE:
      return "Mute";
    case MIXERCONTROL_CONTROLTYPE_MIXER:
      return "Mixer";
    case MIXERCONTROL_CONTROLTYPE_MUX:
      return "Mux";
    default:
      return "Control";
  }
}

}  // namespace

SimulatedMixerDriver::Device& SimulatedMixerDriver::At(std::uint32_t device) {
  return devices_.at(device);
}

const SimulatedMixerDriver::Device& SimulatedMixerDriver::At(std::uint32_t device) const {
  return devices_.at(device);
}

SimulatedMixerDriver::ControlState& SimulatedMixerDriver::State(ControlRef control) {
  return At(control.device).controls.at(control.id);
}

const SimulatedMixerDriver::ControlState& SimulatedMixerDriver::State(ControlRef control) const {
  return At(control.device).controls.at(control.id);
}

std::uint32_t SimulatedMixerDriver::AddDevice(const char* name) {
  devices_.push_back(Device{MixerTopology(name), {}, {}, {}, false, 0});
  return static_cast<std::uint32_t>(devices_.size() - 1);
}

SimulatedMixerDriver::LineRef SimulatedMixerDriver::AddDestination(std::uint32_t device,
                                                                   std::uint32_t channels,
                                                                   const char* name,
                                                                   std::uint32_t componentType) {
  const std::uint32_t d = At(device).topology.AddDestination(componentType, name, channels,
                                                             MIXERLINE_TARGETTYPE_WAVEOUT);
  return {device, d, -1};
}

SimulatedMixerDriver::LineRef SimulatedMixerDriver::AddSource(LineRef destination,
                                                              std::uint32_t channels,
                                                              const char* name,
                                                              std::uint32_t componentType) {
  const std::uint32_t s = At(destination.device)
                              .topology.AddSource(destination.destination, componentType, name,
                                                  channels, MIXERLINE_TARGETTYPE_UNDEFINED);
  return {destination.device, destination.destination, static_cast<std::int32_t>(s)};
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddControl(
    LineRef line, std::uint32_t type, std::uint32_t flags, std::uint32_t items,
    std::vector<std::uint32_t> values) {
  Device& dev = At(line.device);
  const MixerLineNode* node = dev.topology.Line(line.destination, line.source);
  if (!node) throw std::out_of_range("no such simulated mixer line");
  MIXERCONTROLA c{};
  c.dwControlType = type;
  c.fdwControl = flags;
  c.cMultipleItems = items;
  CopyMixerName(c.szShortName, ControlName(type));
  CopyMixerName(c.szName, ControlName(type));
  if (type == MIXERCONTROL_CONTROLTYPE_VOLUME) {
    c.Bounds.dwMaximum = 65535;
    c.Metrics.cSteps = 65536;
  } else {
    c.Bounds.dwMaximum = 1;
  }
  ControlState state;
  state.channels = (flags & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : std::max(1u, node->line.cChannels);
  state.items = (flags & MIXERCONTROL_CONTROLF_MULTIPLE) ? std::max(1u, items) : 1;
  values.resize(std::size_t{state.channels} * state.items, 0);
  state.values = std::move(values);
  const std::uint32_t id = dev.topology.AddControl(line.destination, line.source, c);
  dev.controls.push_back(std::move(state));
  return {line.device, id};
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddVolume(
    LineRef line, std::uint32_t flags, std::vector<std::uint32_t> values) {
  return AddControl(line, MIXERCONTROL_CONTROLTYPE_VOLUME, flags, 0, std::move(values));
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddMute(LineRef line, bool muted,
                                                               std::uint32_t flags) {
  return AddControl(line, MIXERCONTROL_CONTROLTYPE_MUTE, flags, 0, {muted ? 1u : 0u});
}

SimulatedMixerDriver::ControlRef SimulatedMixerDriver::AddMixerList(
    LineRef destination, std::uint32_t items, std::vector<std::uint32_t> values) {
  return AddControl(destination, MIXERCONTROL_CONTROLTYPE_MIXER,
                    MIXERCONTROL_CONTROLF_UNIFORM | MIXERCONTROL_CONTROLF_MULTIPLE, items,
                    std::move(values));
}

void SimulatedMixerDriver::FailOpen(std::uint32_t device, bool fail) {
  At(device).failOpen = fail;
}

void SimulatedMixerDriver::FailLineInfo(LineRef line, bool fail) {
  auto& set = At(line.device).failInfo;
  fail ? void(set.insert(LineID(line))) : void(set.erase(LineID(line)));
}

void SimulatedMixerDriver::FailLineControls(LineRef line, bool fail) {
  auto& set = At(line.device).failControls;
  fail ? void(set.insert(LineID(line))) : void(set.erase(LineID(line)));
}

void SimulatedMixerDriver::FailDetailsRead(ControlRef control, bool fail) {
  State(control).failRead = fail;
}

void SimulatedMixerDriver::FailDetailsWrite(ControlRef control, bool fail) {
  State(control).failWrite = fail;
}

const std::vector<std::uint32_t>& SimulatedMixerDriver::Values(ControlRef control) const {
  return State(control).values;
}

void SimulatedMixerDriver::SetValues(ControlRef control, std::vector<std::uint32_t> values) {
  ControlState& state = State(control);
  values.resize(state.values.size(), 0);
  state.values = std::move(values);
  PostNotice(control.device, MM_MIXM_CONTROL_CHANGE, control.id);
}

void SimulatedMixerDriver::ChangeLine(LineRef line) {
  PostNotice(line.device, MM_MIXM_LINE_CHANGE, LineID(line));
}

std::uint32_t SimulatedMixerDriver::WriteCount(ControlRef control) const {
  return State(control).writes;
}

std::uint32_t SimulatedMixerDriver::OpenCount(std::uint32_t device) const {
  return At(device).openCount;
}

const MixerTopology& SimulatedMixerDriver::Topology(std::uint32_t device) const {
  return At(device).topology;
}

std::uint32_t SimulatedMixerDriver::LineID(LineRef line) const {
  const MixerLineNode* node = At(line.device).topology.Line(line.destination, line.source);
  if (!node) throw std::out_of_range("no such simulated mixer line");
  return node->line.dwLineID;
}

std::uint32_t SimulatedMixerDriver::DeviceCount() {
  ++calls.numDevs;
  return static_cast<std::uint32_t>(devices_.size());
}

MMRESULT SimulatedMixerDriver::OpenDevice(std::uint32_t device) {
  ++calls.open;
  Device& dev = At(device);
  if (dev.failOpen) return MMSYSERR_ALLOCATED;
  ++dev.openCount;
  return MMSYSERR_NOERROR;
}

void SimulatedMixerDriver::CloseDevice(std::uint32_t device) {
  ++calls.close;
  Device& dev = At(device);
  if (dev.openCount > 0) --dev.openCount;
}

MMRESULT SimulatedMixerDriver::GetDevCaps(std::uint32_t device, MIXERCAPSA& caps) {
  ++calls.caps;
  caps = At(device).topology.Caps();
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedMixerDriver::GetLineInfo(std::uint32_t device, std::uint32_t query,
                                           MIXERLINEA& line) {
  ++calls.lineInfo;
  const Device& dev = At(device);
  MIXERLINEA answer = line;
  const MMRESULT r = dev.topology.GetLineInfo(query, answer);
  if (r != MMSYSERR_NOERROR) return r;
  if (dev.failInfo.count(answer.dwLineID)) return MMSYSERR_ERROR;
  line = answer;
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedMixerDriver::GetLineControls(std::uint32_t device, std::uint32_t query,
                                               MIXERLINECONTROLSA& request,
                                               std::span<MIXERCONTROLA> controls) {
  ++calls.lineControls;
  const Device& dev = At(device);
  std::uint32_t lineID = request.dwLineID;
  if (query == MIXER_GETLINECONTROLSF_ONEBYID) {
    const auto ref = dev.topology.Control(request.dwControlID);
    if (ref) lineID = ref->line->line.dwLineID;
  }
  if (dev.failControls.count(lineID)) return MMSYSERR_ERROR;
  return dev.topology.GetLineControls(query, request, controls);
}

MMRESULT SimulatedMixerDriver::GetControlDetails(std::uint32_t device,
                                                 const MIXERCONTROLDETAILS& request,
                                                 std::span<std::uint32_t> values) {
  ++calls.getDetails;
  Device& dev = At(device);
  MixerControlRef ref;
  MixerValueShape shape;
  const MMRESULT r = dev.topology.CheckDetails(request, ref, shape);
  if (r != MMSYSERR_NOERROR) return r;
  const ControlState& state = dev.controls[request.dwControlID];
  if (state.failRead) return MMSYSERR_ERROR;
  // One requested channel of a multi-channel control gives its first channel.
  for (std::uint32_t item = 0; item < state.items; ++item)
    for (std::uint32_t ch = 0; ch < shape.channels; ++ch)
      values[item * shape.channels + ch] = state.values[item * state.channels + ch];
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedMixerDriver::SetControlDetails(std::uint32_t device,
                                                 const MIXERCONTROLDETAILS& request,
                                                 std::span<const std::uint32_t> values) {
  ++calls.setDetails;
  Device& dev = At(device);
  MixerControlRef ref;
  MixerValueShape shape;
  const MMRESULT r = dev.topology.CheckDetails(request, ref, shape);
  if (r != MMSYSERR_NOERROR) return r;
  ControlState& state = dev.controls[request.dwControlID];
  if (state.failWrite) return MMSYSERR_ERROR;
  // One given channel for a multi-channel control sets all of its channels.
  for (std::uint32_t item = 0; item < state.items; ++item)
    for (std::uint32_t ch = 0; ch < state.channels; ++ch)
      state.values[item * state.channels + ch] =
          values[item * shape.channels + (shape.channels == 1 ? 0 : ch)];
  ++state.writes;
  PostNotice(device, MM_MIXM_CONTROL_CHANGE, request.dwControlID);
  return MMSYSERR_NOERROR;
}

}  // namespace ostrivo
