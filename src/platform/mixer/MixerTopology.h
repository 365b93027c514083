#pragma once
// One mixer device's lines and controls, and the platform's rules for looking them up: both
// drivers describe a device with it and answer line-info, line-controls and the shape of a
// details request from it. Identifiers: a destination line is 0xFFFF0000 | d, a source line
// (s << 16) | d, controls are numbered 0, 1, 2, ... in the order they were added.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/mixer/MixerTypes.h"

namespace ostrivo {

struct MixerLineNode {
  MIXERLINEA line{};
  std::vector<MIXERCONTROLA> controls;
};

struct MixerDestinationNode {
  MixerLineNode line;
  std::vector<MixerLineNode> sources;
};

// A control and the line it belongs to (source -1: the destination line).
struct MixerControlRef {
  const MixerLineNode* line = nullptr;
  const MIXERCONTROLA* control = nullptr;
  std::uint32_t destination = 0;
  std::int32_t source = -1;
};

// The values a details request addresses: channels values for each item (one item for a
// control without the MULTIPLE flag), items in turn.
struct MixerValueShape {
  std::uint32_t channels = 0;
  std::uint32_t items = 0;  // 0 for a single-item control
  std::uint64_t Count() const { return std::uint64_t{channels} * (items ? items : 1); }
};

class MixerTopology {
 public:
  MixerTopology();
  explicit MixerTopology(const char* productName);

  MIXERCAPSA& Caps() { return caps_; }
  const MIXERCAPSA& Caps() const { return caps_; }

  // Building. Counts, indices and identifiers of the descriptions are kept up to date.
  std::uint32_t AddDestination(std::uint32_t componentType, const char* name,
                               std::uint32_t channels, std::uint32_t targetType,
                               std::uint32_t lineFlags = MIXERLINE_LINEF_ACTIVE);
  std::uint32_t AddSource(std::uint32_t destination, std::uint32_t componentType, const char* name,
                          std::uint32_t channels, std::uint32_t targetType,
                          std::uint32_t lineFlags = MIXERLINE_LINEF_ACTIVE);
  // Adds a control to a destination line (source -1) or a source line; returns its
  // identifier. cbStruct and dwControlID are filled in.
  std::uint32_t AddControl(std::uint32_t destination, std::int32_t source, MIXERCONTROLA control);

  const std::vector<MixerDestinationNode>& Destinations() const { return destinations_; }
  const MixerLineNode* Line(std::uint32_t destination, std::int32_t source) const;
  const MixerLineNode* LineByID(std::uint32_t lineID) const;
  std::optional<MixerControlRef> Control(std::uint32_t controlID) const;
  std::uint32_t ControlCount() const { return static_cast<std::uint32_t>(controls_.size()); }

  // mixerGetLineInfoA: query is the flags' query part; the answer keeps the caller's cbStruct.
  MMRESULT GetLineInfo(std::uint32_t query, MIXERLINEA& line) const;
  // mixerGetLineControlsA: out holds request.cControls records.
  MMRESULT GetLineControls(std::uint32_t query, MIXERLINECONTROLSA& request,
                           std::span<MIXERCONTROLA> out) const;
  // Checks a value request against its control: cChannels 1, or the line's channels for a
  // control without the UNIFORM flag; cMultipleItems the control's own for a MULTIPLE
  // control, else 0. Gives the control and the shape of the values.
  MMRESULT CheckDetails(const MIXERCONTROLDETAILS& request, MixerControlRef& ref,
                        MixerValueShape& shape) const;

 private:
  struct Where {
    std::uint32_t destination;
    std::int32_t source;
    std::uint32_t index;
  };
  MixerLineNode* MutableLine(std::uint32_t destination, std::int32_t source);

  MIXERCAPSA caps_{};
  std::vector<MixerDestinationNode> destinations_;
  std::vector<Where> controls_;  // by control identifier
};

}  // namespace ostrivo
