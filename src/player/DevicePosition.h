#pragma once
// What the playback clock reads of the media device: its position and its length. A playing
// device's position runs on with the clock, so one answer tells what the clock shows until the
// position reaches its next whole second (the position bar and the status line show whole
// seconds) or a mark the clock watches (a CD track's end). The device is asked again only then,
// or after anything that can move it (a command, a notice: Forget). On a scheduler whose timers
// may not sleep (the tests' reference driver) it is asked on every read, as a clock that ticks
// every 10 ms would.

#include <cstdint>

#include "framework/Time.h"

namespace ostrivo {

class TMediaPlayer;

class TDevicePosition {
 public:
  TDevicePosition(const TMediaPlayer& device, const Scheduler& scheduler);

  // The device's position (its last answer while that still tells what is shown); mark: the
  // position the clock watches for, 0 for none.
  int32_t Position(int32_t mark);
  // The device's length, asked again with the position; throws as the device's own does.
  int32_t Length();
  // When the position, running on from the last answer, reaches its next whole second or the
  // mark: the moment Position asks again. INT64_MAX when it stands; the scheduler's now when it
  // is not known (before the first read, after Forget).
  std::int64_t NextAnswer(int32_t mark) const;
  // After a command or a notice: the next read asks the device.
  void Forget();

 private:
  const TMediaPlayer& device_;
  const Scheduler& scheduler_;
  bool known_ = false;
  bool lengthKnown_ = false;
  bool runs_ = false;  // playing, in milliseconds: the position moves with the clock
  int32_t position_ = 0;
  int32_t length_ = 0;
  std::int64_t askedAt_ = 0;
};

}  // namespace ostrivo
