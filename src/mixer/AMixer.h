#pragma once
// TAudioMixer: opens a mixer device, builds the tree of its destination lines, their source
// lines and controls once at open, and reads or writes one line's level and mute.
//
// Lines are addressed by position: a destination by its index in the device's destination
// list, a source line by its index in its destination's connection list, the destination line
// itself by connection -1. Lines whose description cannot be read are left out of the tree, so
// later lines move up. The tree is a snapshot taken at open time.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/mixer/MixerTypes.h"

namespace ostrivo {

class MixerDriver;
class TAudioMixer;

using TMixerChange = std::function<void(QObject* sender, int32_t mixerH, int32_t id)>;

// An ordered list of pointers. When Release is set, Clear (and destruction) hands every item
// to it, first to last, before emptying the list.
template <class T>
class TPointerList {
 public:
  TPointerList() = default;
  ~TPointerList() { Clear(); }
  TPointerList(const TPointerList&) = delete;
  TPointerList& operator=(const TPointerList&) = delete;

  std::function<void(T*)> Release;

  void Add(T* item) { items_.push_back(item); }
  // The item at index; null outside the list.
  T* Get(int32_t index) const {
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)] : nullptr;
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  void Clear() {
    if (Release)
      for (T* item : items_) Release(item);
    items_.clear();
  }

 private:
  std::vector<T*> items_;
};

// The controls of one line: one block of the records as the device returned them, and a list
// pointing at each record in block order (empty when the controls could not be read).
class TMixerControls {
 public:
  TMixerControls(TAudioMixer& mixer, const MIXERLINEA& line);
  ~TMixerControls();
  TMixerControls(const TMixerControls&) = delete;
  TMixerControls& operator=(const TMixerControls&) = delete;

  const MIXERCONTROLA* Control(int32_t index) const { return list_.Get(index); }
  int32_t Count() const { return list_.Count(); }

 private:
  std::unique_ptr<MIXERCONTROLA[]> block_;
  TPointerList<MIXERCONTROLA> list_;
};

// One source line.
class TMixerConnection {
 public:
  TMixerConnection(TAudioMixer& mixer, const MIXERLINEA& line);
  ~TMixerConnection();

  TAudioMixer* Mixer() const { return mixer_; }
  const MIXERLINEA& Line() const { return line_; }
  const TMixerControls& Controls() const { return *controls_; }

 private:
  TAudioMixer* mixer_;
  MIXERLINEA line_;
  std::unique_ptr<TMixerControls> controls_;
};

// The source lines of one destination, in the device's order, unreadable ones left out.
class TMixerConnections {
 public:
  TMixerConnections(TAudioMixer& mixer, const MIXERLINEA& destination);
  ~TMixerConnections();
  TMixerConnections(const TMixerConnections&) = delete;
  TMixerConnections& operator=(const TMixerConnections&) = delete;

  const TMixerConnection* Connection(int32_t index) const { return list_.Get(index); }
  int32_t Count() const { return list_.Count(); }

 private:
  TAudioMixer* mixer_;
  TPointerList<TMixerConnection> list_;
};

// One destination line with its controls and its source lines.
class TMixerDestination {
 public:
  TMixerDestination(TAudioMixer& mixer, const MIXERLINEA& line);
  ~TMixerDestination();

  TAudioMixer* Mixer() const { return mixer_; }
  const MIXERLINEA& Line() const { return line_; }
  const TMixerControls& Controls() const { return *controls_; }
  const TMixerConnections& Connections() const { return *connections_; }

 private:
  TAudioMixer* mixer_;
  MIXERLINEA line_;
  std::unique_ptr<TMixerControls> controls_;
  std::unique_ptr<TMixerConnections> connections_;
};

// The destination lines of the open device, unreadable ones left out.
class TMixerDestinations {
 public:
  explicit TMixerDestinations(TAudioMixer& mixer);
  ~TMixerDestinations();
  TMixerDestinations(const TMixerDestinations&) = delete;
  TMixerDestinations& operator=(const TMixerDestinations&) = delete;

  const TMixerDestination* Destination(int32_t index) const { return list_.Get(index); }
  int32_t Count() const { return list_.Count(); }

 private:
  TPointerList<TMixerDestination> list_;
};

class TAudioMixer : public QObject {
 public:
  // Opens device 0 when the system has a mixer device.
  TAudioMixer(MixerDriver& driver, QObject* owner);
  ~TAudioMixer() override;

  // -1 while no device is open.
  int32_t MixerID() const;
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

  TMixerChange OnLineChange;
  TMixerChange OnControlChange;

  // The tree of the open device (null while none is open), and what it was built from.
  const TMixerDestinations* Destinations() const;
  int32_t DeviceCount() const;
  const MIXERCAPSA& DeviceCaps() const;
  // For the tree's construction: the driver and the open device's handle.
  MixerDriver& Driver() const;
  HMIXER MixerHandle() const;

  // The number of values a details read or write can carry.
  static constexpr int32_t kValuesBufferSize = 31;

 private:
  friend class TMixerNotifyWindow;
  void Dispatch(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam);
  struct Line;
  bool FindLine(int32_t destination, int32_t connection, Line& line) const;
  bool ReadDetails(const MIXERCONTROLA& control, std::uint32_t channels, std::uint32_t items);
  void SendDetails(const MIXERCONTROLA& control, std::uint32_t channels, std::uint32_t items);

  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace ostrivo
