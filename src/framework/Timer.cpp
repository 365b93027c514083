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

void TTimer::Restart() {
  scheduler_.Cancel(pending_);
  pending_ = 0;
  if (!enabled_ || interval_ == 0) return;
  const std::int64_t period =
      std::max<std::int64_t>(interval_, std::max(1, scheduler_.MinimumPeriod()));
  pending_ = scheduler_.Schedule(period, [this] { Fire(); });
}

void TTimer::Fire() {
  pending_ = 0;
  // The next tick is armed before the handler runs, so a modal loop inside it still ticks and a
  // change the handler makes simply re-arms.
  Restart();
  if (OnTimer) OnTimer(this);
}

}  // namespace ostrivo
