#pragma once
// TAudioMixer: opens a mixer device, builds the tree of its destination lines, their source
// lines and controls once at open, and reads or writes one line's level and mute.
//
// Lines are addressed by position: a destination by its index in the device's destination
// list, a source line by its index in its destination's connection list, the destination line
// itself by connection -1. Lines whose description cannot be read are left out of the tree, so
// later lines move up. The tree is a snapshot taken at open time.

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/mixer/MixerDriver.h"

namespace ostrivo {

class TAudioMixer;

// sender, the open device's identifier, the line's or the control's identifier.
using TMixerChange = std::function<void(QObject* sender, int32_t mixerH, int32_t id)>;

// An ordered list that owns its items; Get gives null outside the list.
template <class T>
class TPointerList {
 public:
  void Add(std::unique_ptr<T> item) { items_.push_back(std::move(item)); }
  const T* Get(int32_t i) const {
    return i >= 0 && i < Count() ? items_[std::size_t(i)].get() : nullptr;
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

// The controls of one line as the device listed them (none when they could not be read).
class TMixerControls {
 public:
  TMixerControls(MixerDevice& device, const MixerLine& line);
  int32_t Count() const { return static_cast<int32_t>(list_.size()); }
  auto begin() const { return list_.begin(); }
  auto end() const { return list_.end(); }

 private:
  std::vector<MixerControl> list_;
};

struct TMixerConnection {
  TMixerConnection(TAudioMixer& mixer, MixerDevice& device, const MixerLine& line)
      : Mixer(&mixer), Line(line), Controls(device, Line) {}
  TAudioMixer* const Mixer;
  const MixerLine Line;
  const TMixerControls Controls;
};

// The source lines of one destination, in the device's order, unreadable ones left out.
struct TMixerConnections : TPointerList<TMixerConnection> {
  TMixerConnections(TAudioMixer& mixer, MixerDevice& device, const MixerLine& destination);
  const TMixerConnection* Connection(int32_t index) const { return Get(index); }
};

// One destination line, its source lines and its controls, built in that order.
struct TMixerDestination {
  TMixerDestination(TAudioMixer& mixer, MixerDevice& device, const MixerLine& line)
      : Mixer(&mixer), Line(line), Connections(mixer, device, Line), Controls(device, Line) {}
  TAudioMixer* const Mixer;
  const MixerLine Line;
  const TMixerConnections Connections;
  const TMixerControls Controls;
};

// The destination lines of the open device, unreadable ones left out.
struct TMixerDestinations : TPointerList<TMixerDestination> {
  TMixerDestinations(TAudioMixer& mixer, MixerDevice& device);
  const TMixerDestination* Destination(int32_t index) const { return Get(index); }
};

class TAudioMixer : public QObject {
 public:
  // Opens device 0 when the system has a mixer device.
  TAudioMixer(MixerDriver& driver, QObject* owner);

  // -1 while no device is open.
  int32_t MixerID() const { return mixerID_; }
  // Closes the open device and opens device id; an id not below the device count changes
  // nothing, a negative one leaves no device open.
  void SetMixerID(int32_t id);

  // Level (left, and right for a line read per channel; -1 otherwise) and mute (0 or 1) of a
  // line; -1 and the unavailable flag set where the line has no such usable control. False,
  // with every output untouched, when the line does not exist.
  bool ReadLineLevel(int32_t destination, int32_t connection, int32_t& left, int32_t& right,
                     int32_t& mute, bool& volumeUnavailable, bool& muteUnavailable);
  // Sets a line's level (left -1: leave it; right -1: as left) and mute (-1: leave it). False,
  // with nothing written, when the line does not exist.
  bool WriteLineLevel(int32_t destination, int32_t connection, int32_t left, int32_t right,
                      int32_t mute);

  // The open device's change notices, on the GUI thread: a line's, a control's.
  TMixerChange OnLineChange;
  TMixerChange OnControlChange;

  // The tree of the open device (null while none is open).
  const TMixerDestinations* Destinations() const { return destinations_.get(); }
  int32_t DeviceCount() const { return deviceCount_; }

  // The number of values a read or write can carry.
  static constexpr int32_t kValuesBufferSize = 31;

 private:
  const TMixerControls* FindLine(int32_t destination, int32_t connection,
                                 const TMixerDestination*& dest) const;
  bool ReadValues(const MixerControl& control);
  void SendValues(const MixerControl& control);

  MixerDriver& driver_;
  std::unique_ptr<MixerDevice> device_;  // outlives the tree: destroyed after it
  std::unique_ptr<TMixerDestinations> destinations_;
  int32_t deviceCount_ = 0;
  int32_t mixerID_ = -1;
  // Every read and write goes through these values.
  std::array<std::uint32_t, kValuesBufferSize> values_{};
};

}  // namespace ostrivo
