#include "framework/Timer.h"

#include <algorithm>

namespace ostrivo {

TTimer::TTimer(Scheduler& scheduler, QObject* parent) : QObject(parent), scheduler_(scheduler) {
  Restart();
}

TTimer::~TTimer() {
  scheduler_.Cancel(pending_);
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Restart();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Restart();
}

std::int64_t TTimer::Period() const {
  return std::max<std::int64_t>(interval_, std::max(1, scheduler_.MinimumPeriod()));
}

std::int64_t TTimer::BeatFrom(std::int64_t when) const {
  const std::int64_t period = Period();
  const std::int64_t beats = std::max<std::int64_t>(1, (when - anchor_ + period - 1) / period);
  return anchor_ + beats * period;
}

void TTimer::ScheduleAt(std::int64_t when) {
  if (pending_ && pendingAt_ == when) return;
  scheduler_.Cancel(pending_);
  pendingAt_ = when;
  pending_ = scheduler_.Schedule(when - scheduler_.Now(), [this] { Fire(); });
}

void TTimer::Restart() {
  scheduler_.Cancel(pending_);
  pending_ = 0;
  anchor_ = scheduler_.Now();
  if (!enabled_ || interval_ == 0) return;
  ScheduleAt(anchor_ + Period());
}

void TTimer::SleepUntil(std::int64_t when) {
  if (!pending_ || !scheduler_.TimersMaySleep()) return;
  ScheduleAt(BeatFrom(when));
}

void TTimer::Wake() {
  if (!pending_) return;
  const std::int64_t beat = BeatFrom(scheduler_.Now());
  if (beat < pendingAt_) ScheduleAt(beat);
}

void TTimer::Fire() {
  pending_ = 0;
  // The next tick is armed before the handler runs, so a modal loop inside it still ticks and a
  // change the handler makes simply re-arms.
  Restart();
  if (OnTimer) OnTimer(this);
}

}  // namespace ostrivo
