#pragma once
// What the volume sliders need of the system's mixers: devices, their destination and source
// lines, each line's controls with their ranges, the controls' values per channel, and a notice
// when something changed. The ALSA driver (sound server, then sound cards) serves the program;
// the simulated driver serves the tests. Every call happens on the GUI thread.

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ostrivo {

// Volume: a level per channel; Mute: a switch, non-zero while muted; MixerList: on a
// destination, one switch per item (source), e.g. what is recorded.
enum class MixerControlType { Volume, Mute, MixerList, Other };

struct MixerControl {
  std::uint32_t id = 0;  // unique on its device; change notices name it
  MixerControlType type = MixerControlType::Other;
  std::uint32_t channels = 1;  // values per item: 1 when one value serves all the line's channels
  std::uint32_t items = 0;     // a list's items; 0 for a control of one item
  bool disabled = false;
  std::uint32_t maximum = 0;  // each value runs from 0 to this

  std::uint64_t ValueCount() const { return std::uint64_t{channels} * (items ? items : 1); }
};

struct MixerLine {
  std::uint32_t id = 0;  // unique on its device; change notices name it
  std::uint32_t destination = 0;
  std::int32_t source = -1;  // -1: the destination line itself
  std::string name;
  std::uint32_t channels = 1;
  std::uint32_t sources = 0;  // a destination's source lines
  bool connected = true;      // false: a place kept for a line the device does not have
};

struct MixerNotice {
  enum Kind { LineChange, ControlChange } kind;
  std::uint32_t id;  // the line's or the control's
};

// A device's lines and controls in memory, as drivers describe them: for each destination its
// own line first, then its sources. Identifiers are given in the order things are added.
struct MixerLayout {
  struct Entry {
    MixerLine line;
    std::vector<MixerControl> controls;
  };
  std::vector<std::vector<Entry>> destinations;
  std::uint32_t lineCount = 0;
  std::uint32_t controlCount = 0;

  // Without a destination: the line of a new destination.
  Entry& AddLine(std::optional<std::uint32_t> destination, std::string name,
                 std::uint32_t channels);
  std::uint32_t AddControl(Entry& line, MixerControl control);
  const Entry* Find(std::uint32_t destination, std::int32_t source) const;
};

class MixerDriver;

// An open device, its lines and controls those of a layout; destroying it closes it.
class MixerDevice {
 public:
  MixerDevice(MixerDriver& driver, std::uint32_t device, const MixerLayout& layout);
  virtual ~MixerDevice();

  virtual std::uint32_t DestinationCount();
  // A destination (source -1) or one of its sources; nothing when it cannot be read.
  virtual std::optional<MixerLine> Line(std::uint32_t destination, std::int32_t source);
  // The line's controls in the device's order; nothing when they cannot be read.
  virtual std::optional<std::vector<MixerControl>> Controls(const MixerLine& line);
  // A control's values: its channels' values for each item in turn, ValueCount() in all. False,
  // with values untouched and nothing changed, when the size is not that or the device refuses.
  virtual bool Read(const MixerControl& control, std::span<std::uint32_t> values) = 0;
  virtual bool Write(const MixerControl& control, std::span<const std::uint32_t> values) = 0;

  // Called for every change, made here or anywhere else: queued on the GUI thread, never from
  // inside a call on the device; notices still queued when the device closes are dropped.
  std::function<void(const MixerNotice&)> OnChange;

  std::uint32_t Index() const { return device_; }

 private:
  friend class MixerDriver;
  MixerDriver& driver_;
  std::uint32_t device_;
  const MixerLayout& layout_;
  QObject queue_;  // the queued notices' receiver
};

class MixerDriver {
 public:
  MixerDriver() = default;
  virtual ~MixerDriver() = default;
  MixerDriver(const MixerDriver&) = delete;
  MixerDriver& operator=(const MixerDriver&) = delete;

  virtual std::uint32_t DeviceCount() = 0;
  // device is below DeviceCount(); null when it cannot be opened.
  virtual std::unique_ptr<MixerDevice> Open(std::uint32_t device) = 0;

  std::size_t OpenDeviceCount() const { return open_.size(); }
  std::size_t OpenDeviceCount(std::uint32_t device) const { return open_.count(device); }

 protected:
  // Queues the notice for every open device of that index.
  void Notify(std::uint32_t device, const MixerNotice& notice);

 private:
  friend class MixerDevice;
  std::multimap<std::uint32_t, MixerDevice*> open_;
};

}  // namespace ostrivo
