#include "player/DevicePosition.h"

#include <algorithm>
#include <limits>

#include "player/MediaPlayer.h"

namespace ostrivo {

TDevicePosition::TDevicePosition(const TMediaPlayer& device, const Scheduler& scheduler)
    : device_(device), scheduler_(scheduler) {}

std::int64_t TDevicePosition::NextAnswer(int32_t mark) const {
  if (!known_ || !scheduler_.TimersMaySleep()) return scheduler_.Now();
  if (!runs_) return std::numeric_limits<std::int64_t>::max();
  std::int64_t next = askedAt_ + MsToNextSecond(position_);
  // Once the answer has reached the mark it tells that for good.
  if (mark != 0 && position_ < mark) next = std::min(next, askedAt_ + (mark - position_));
  return next;
}

int32_t TDevicePosition::Position(int32_t mark) {
  const std::int64_t now = scheduler_.Now();
  if (NextAnswer(mark) > now) return position_;
  position_ = device_.Position();
  askedAt_ = now;
  runs_ = device_.Mode() == mpPlaying && device_.TimeFormat() == kTimeFormatMilliseconds;
  known_ = true;
  lengthKnown_ = false;
  return position_;
}

int32_t TDevicePosition::Length() {
  if (!lengthKnown_ || !scheduler_.TimersMaySleep()) {
    length_ = device_.Length();
    lengthKnown_ = true;
  }
  return length_;
}

void TDevicePosition::Forget() {
  known_ = false;
  lengthKnown_ = false;
}

}  // namespace ostrivo
