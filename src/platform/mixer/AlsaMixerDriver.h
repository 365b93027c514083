#pragma once
// The mixer driver over ALSA: each sound card's simple mixer is one device, laid out as
// AlsaMixerMapping.h describes. Values are read from and written to the card's elements at the
// moment of the call; the card's change events (watched on the GUI thread) become line and
// control change notices.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/mixer/AlsaMixerMapping.h"
#include "platform/mixer/MixerDriver.h"

namespace ostrivo {

// One card's simple mixer. The real one wraps an open snd_mixer; tests may stand in for it.
class AlsaCard {
 public:
  enum Change : unsigned { kValue = 1, kInfo = 2, kRemoved = 4 };

  virtual ~AlsaCard() = default;
  virtual std::string Name() const = 0;
  virtual const std::vector<AlsaElementInfo>& Elements() const = 0;
  // The raw volume of one channel (an ALSA channel number), or 0/1 for a switch.
  virtual bool Get(std::size_t element, AlsaControlKind kind, int channel, long& value) = 0;
  // channel -1: every channel of the element.
  virtual bool Set(std::size_t element, AlsaControlKind kind, int channel, long value) = 0;

  // Called on the GUI thread when an element changed (Change bits). Set by the driver.
  std::function<void(std::size_t element, unsigned change)> OnChange;
};

// The system's sound cards whose mixer can be opened, in card order.
std::vector<std::unique_ptr<AlsaCard>> OpenSystemAlsaCards();

class AlsaMixerDriver : public MixerDriver {
 public:
  // Every sound card of the system.
  AlsaMixerDriver();
  explicit AlsaMixerDriver(std::vector<std::unique_ptr<AlsaCard>> cards);
  ~AlsaMixerDriver() override;

  const MixerTopology& Topology(std::uint32_t device) const;

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
  struct Device {
    std::unique_ptr<AlsaCard> card;
    AlsaMixerLayout layout;
  };
  void ElementChanged(std::uint32_t device, std::size_t element, unsigned change);

  std::vector<Device> devices_;
};

}  // namespace ostrivo
