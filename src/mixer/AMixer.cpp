// Placeholder until the mixer model lands: no device.
#include "mixer/AMixer.h"

namespace ostrivo {

struct TAudioMixer::Impl {};

TAudioMixer::TAudioMixer(MixerDriver&, QObject* owner) : QObject(owner) {}
TAudioMixer::~TAudioMixer() = default;
int32_t TAudioMixer::MixerID() const { return -1; }
void TAudioMixer::SetMixerID(int32_t) {}
bool TAudioMixer::ReadLineLevel(int32_t, int32_t, int32_t&, int32_t&, int32_t&, bool&, bool&) {
  return false;
}
bool TAudioMixer::WriteLineLevel(int32_t, int32_t, int32_t, int32_t, int32_t) { return false; }

}  // namespace ostrivo
