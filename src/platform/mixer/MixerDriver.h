#pragma once
// The winmm-like mixer API's driver seam: ALSA for real, a simulation for tests.
namespace ostrivo {
class MixerDriver {
 public:
  virtual ~MixerDriver() = default;
};
}  // namespace ostrivo
