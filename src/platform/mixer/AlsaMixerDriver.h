#pragma once
// The mixer driver over ALSA's simple mixer. Device 0 is the sound server (PulseAudio or
// PipeWire) when ALSA's "default" control device is not a hardware card; every sound card
// follows. Each is laid out as AlsaMixerMapping.h describes, values are read and written at the
// moment of the call, and the mixer's change events (its poll descriptors, watched on the GUI
// thread) become line and control notices.

#include <functional>
#include <memory>
#include <vector>

#include "platform/mixer/AlsaMixerMapping.h"
#include "platform/mixer/MixerDriver.h"

namespace ostrivo {

// One simple mixer. The real one wraps an open snd_mixer; tests may stand in for it.
class AlsaCard {
 public:
  enum Change : unsigned { kValue = 1, kInfo = 2, kRemoved = 4 };

  virtual ~AlsaCard() = default;
  // A sound server's mixer rather than a card's.
  virtual bool SoundServer() const = 0;
  virtual const std::vector<AlsaElementInfo>& Elements() const = 0;
  // The raw volume of one channel (an ALSA channel number), or 0/1 for a switch.
  virtual bool Get(std::size_t element, AlsaControlKind kind, int channel, long& value) = 0;
  // channel -1: every channel of the element.
  virtual bool Set(std::size_t element, AlsaControlKind kind, int channel, long value) = 0;

  // Called on the GUI thread when an element changed (Change bits). Set by the driver.
  std::function<void(std::size_t element, unsigned change)> OnChange;
};

class AlsaMixerDriver : public MixerDriver {
 public:
  AlsaMixerDriver();
  explicit AlsaMixerDriver(std::vector<std::unique_ptr<AlsaCard>> cards);

  std::uint32_t DeviceCount() override;
  std::unique_ptr<MixerDevice> Open(std::uint32_t device) override;

 private:
  class Device;
  struct Mixer {
    std::unique_ptr<AlsaCard> card;
    AlsaMixerLayout layout;
  };
  void ElementChanged(std::uint32_t device, std::size_t element, unsigned change);

  std::vector<Mixer> mixers_;
};

}  // namespace ostrivo
