#include "framework/Random.h"

namespace ostrivo {

int32_t TRandom::Random(int32_t bound) {
  seed_ = seed_ * 134775813u + 1u;
  if (bound <= 0) return 0;
  const std::uint64_t n = static_cast<std::uint32_t>(bound);
  return static_cast<int32_t>((static_cast<std::uint64_t>(seed_) * n) >> 32);
}

}  // namespace ostrivo
