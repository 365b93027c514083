#pragma once
// The pseudo-random generator: a 32-bit linear congruential sequence, re-seeded from the UTC
// time of day before each use so that random play differs from run to run.

#include <cstdint>

#include "framework/Time.h"

namespace ostrivo {

class TRandom {
 public:
  explicit TRandom(const Clock& clock) : clock_(clock) {}

  // Seed := milliseconds since midnight, UTC.
  void Randomize() { seed_ = static_cast<std::uint32_t>(clock_.UtcMsOfDay()); }
  // A number from 0 to bound - 1; 0 when bound is 1 or less. Every draw advances the seed.
  int32_t Random(int32_t bound);

  std::uint32_t Seed() const { return seed_; }
  void SetSeed(std::uint32_t seed) { seed_ = seed; }

 private:
  const Clock& clock_;
  std::uint32_t seed_ = 0;
};

}  // namespace ostrivo
