#include "platform/mixer/MixerTopology.h"

#include <stdexcept>

namespace ostrivo {

namespace {

constexpr std::uint32_t kDestinationIDBase = 0xFFFF0000;

std::uint32_t DestinationLineID(std::uint32_t d) {
  return kDestinationIDBase | d;
}
std::uint32_t SourceLineID(std::uint32_t d, std::uint32_t s) {
  return (s << 16) | d;
}

MIXERLINEA NewLine(std::uint32_t componentType, const char* name, std::uint32_t channels,
                   std::uint32_t targetType, std::uint32_t lineFlags, const MIXERCAPSA& caps) {
  MIXERLINEA line{};
  line.cbStruct = sizeof(MIXERLINEA);
  line.fdwLine = lineFlags;
  line.dwComponentType = componentType;
  line.cChannels = channels;
  CopyMixerName(line.szShortName, name);
  CopyMixerName(line.szName, name);
  line.Target.dwType = targetType;
  line.Target.wMid = caps.wMid;
  line.Target.wPid = caps.wPid;
  line.Target.vDriverVersion = caps.vDriverVersion;
  CopyMixerName(line.Target.szPname, caps.szPname);
  return line;
}

// Copies a stored description over the caller's, keeping the caller's cbStruct.
void Answer(const MIXERLINEA& stored, MIXERLINEA& line) {
  const std::uint32_t cb = line.cbStruct;
  line = stored;
  line.cbStruct = cb;
}

}  // namespace

MixerTopology::MixerTopology() : MixerTopology("") {}

MixerTopology::MixerTopology(const char* productName) {
  caps_.wMid = 0xFFFF;  // no registered manufacturer
  caps_.wPid = 0xFFFF;
  caps_.vDriverVersion = 0x0100;
  CopyMixerName(caps_.szPname, productName);
}

std::uint32_t MixerTopology::AddDestination(std::uint32_t componentType, const char* name,
                                            std::uint32_t channels, std::uint32_t targetType,
                                            std::uint32_t lineFlags) {
  const auto d = static_cast<std::uint32_t>(destinations_.size());
  if (d >= 0xFFFF) throw std::length_error("too many mixer destinations");
  MixerDestinationNode node;
  node.line.line = NewLine(componentType, name, channels, targetType, lineFlags, caps_);
  node.line.line.dwDestination = d;
  node.line.line.dwLineID = DestinationLineID(d);
  destinations_.push_back(std::move(node));
  caps_.cDestinations = d + 1;
  return d;
}

std::uint32_t MixerTopology::AddSource(std::uint32_t destination, std::uint32_t componentType,
                                       const char* name, std::uint32_t channels,
                                       std::uint32_t targetType, std::uint32_t lineFlags) {
  MixerDestinationNode& dest = destinations_.at(destination);
  const auto s = static_cast<std::uint32_t>(dest.sources.size());
  if (s >= 0xFFFF) throw std::length_error("too many mixer source lines");
  MixerLineNode node;
  node.line =
      NewLine(componentType, name, channels, targetType, lineFlags | MIXERLINE_LINEF_SOURCE, caps_);
  node.line.dwDestination = destination;
  node.line.dwSource = s;
  node.line.dwLineID = SourceLineID(destination, s);
  dest.sources.push_back(std::move(node));
  dest.line.line.cConnections = s + 1;
  return s;
}

std::uint32_t MixerTopology::AddControl(std::uint32_t destination, std::int32_t source,
                                        MIXERCONTROLA control) {
  MixerLineNode* line = MutableLine(destination, source);
  if (!line) throw std::out_of_range("no such mixer line");
  const auto id = static_cast<std::uint32_t>(controls_.size());
  control.cbStruct = sizeof(MIXERCONTROLA);
  control.dwControlID = id;
  controls_.push_back({destination, source, static_cast<std::uint32_t>(line->controls.size())});
  line->controls.push_back(control);
  line->line.cControls = static_cast<std::uint32_t>(line->controls.size());
  return id;
}

MixerLineNode* MixerTopology::MutableLine(std::uint32_t destination, std::int32_t source) {
  if (destination >= destinations_.size()) return nullptr;
  MixerDestinationNode& dest = destinations_[destination];
  if (source < 0) return &dest.line;
  if (static_cast<std::size_t>(source) >= dest.sources.size()) return nullptr;
  return &dest.sources[static_cast<std::size_t>(source)];
}

const MixerLineNode* MixerTopology::Line(std::uint32_t destination, std::int32_t source) const {
  return const_cast<MixerTopology*>(this)->MutableLine(destination, source);
}

const MixerLineNode* MixerTopology::LineByID(std::uint32_t lineID) const {
  if ((lineID & kDestinationIDBase) == kDestinationIDBase) return Line(lineID & 0xFFFF, -1);
  const std::uint32_t s = lineID >> 16;
  return Line(lineID & 0xFFFF, static_cast<std::int32_t>(s));
}

std::optional<MixerControlRef> MixerTopology::Control(std::uint32_t controlID) const {
  if (controlID >= controls_.size()) return std::nullopt;
  const Where& w = controls_[controlID];
  const MixerLineNode* line = Line(w.destination, w.source);
  return MixerControlRef{line, &line->controls[w.index], w.destination, w.source};
}

MMRESULT MixerTopology::GetLineInfo(std::uint32_t query, MIXERLINEA& line) const {
  switch (query) {
    case MIXER_GETLINEINFOF_DESTINATION: {
      const MixerLineNode* node = Line(line.dwDestination, -1);
      if (!node) return MMSYSERR_INVALPARAM;
      Answer(node->line, line);
      return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINEINFOF_SOURCE: {
      if (line.dwDestination >= destinations_.size()) return MMSYSERR_INVALPARAM;
      if (line.dwSource > 0xFFFF) return MMSYSERR_INVALPARAM;
      const MixerLineNode* node =
          Line(line.dwDestination, static_cast<std::int32_t>(line.dwSource));
      if (!node) return MMSYSERR_INVALPARAM;
      Answer(node->line, line);
      return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINEINFOF_LINEID: {
      const MixerLineNode* node = LineByID(line.dwLineID);
      if (!node) return MIXERR_INVALLINE;
      Answer(node->line, line);
      return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINEINFOF_COMPONENTTYPE:
    case MIXER_GETLINEINFOF_TARGETTYPE: {
      const bool byComponent = query == MIXER_GETLINEINFOF_COMPONENTTYPE;
      auto matches = [&](const MIXERLINEA& l) {
        return byComponent ? l.dwComponentType == line.dwComponentType
                           : l.Target.dwType == line.Target.dwType;
      };
      for (const MixerDestinationNode& d : destinations_) {
        if (matches(d.line.line)) return Answer(d.line.line, line), MMSYSERR_NOERROR;
        for (const MixerLineNode& s : d.sources)
          if (matches(s.line)) return Answer(s.line, line), MMSYSERR_NOERROR;
      }
      return MIXERR_INVALLINE;
    }
    default:
      return MMSYSERR_INVALFLAG;
  }
}

MMRESULT MixerTopology::GetLineControls(std::uint32_t query, MIXERLINECONTROLSA& request,
                                        std::span<MIXERCONTROLA> out) const {
  switch (query) {
    case MIXER_GETLINECONTROLSF_ALL: {
      const MixerLineNode* node = LineByID(request.dwLineID);
      if (!node) return MIXERR_INVALLINE;
      if (request.cControls == 0 || request.cControls != node->controls.size() ||
          out.size() < node->controls.size())
        return MMSYSERR_INVALPARAM;
      for (std::size_t i = 0; i < node->controls.size(); ++i) out[i] = node->controls[i];
      return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINECONTROLSF_ONEBYID: {
      const auto ref = Control(request.dwControlID);
      if (!ref) return MIXERR_INVALCONTROL;
      if (request.cControls != 1 || out.empty()) return MMSYSERR_INVALPARAM;
      out[0] = *ref->control;
      request.dwLineID = ref->line->line.dwLineID;
      return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINECONTROLSF_ONEBYTYPE: {
      const MixerLineNode* node = LineByID(request.dwLineID);
      if (!node) return MIXERR_INVALLINE;
      if (request.cControls != 1 || out.empty()) return MMSYSERR_INVALPARAM;
      for (const MIXERCONTROLA& c : node->controls) {
        if (c.dwControlType == request.dwControlType) {
          out[0] = c;
          return MMSYSERR_NOERROR;
        }
      }
      return MIXERR_INVALCONTROL;
    }
    default:
      return MMSYSERR_INVALFLAG;
  }
}

MMRESULT MixerTopology::CheckDetails(const MIXERCONTROLDETAILS& request, MixerControlRef& ref,
                                     MixerValueShape& shape) const {
  const auto found = Control(request.dwControlID);
  if (!found) return MIXERR_INVALCONTROL;
  const MIXERCONTROLA& c = *found->control;
  const std::uint32_t lineChannels = found->line->line.cChannels;
  const bool uniform = (c.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) != 0;
  if (request.cChannels != 1 && (uniform || request.cChannels != lineChannels))
    return MMSYSERR_INVALPARAM;
  const bool multiple = (c.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) != 0;
  if (request.cMultipleItems != (multiple ? c.cMultipleItems : 0)) return MMSYSERR_INVALPARAM;
  if (request.cbDetails != MIXER_VALUE_BYTES) return MMSYSERR_INVALPARAM;
  ref = *found;
  shape = {request.cChannels, request.cMultipleItems};
  return MMSYSERR_NOERROR;
}

}  // namespace ostrivo
