#pragma once
// TTimer: a repeating timer with the classic component's semantics. Setting Enabled or Interval
// to the value it already has changes nothing; any real change restarts the countdown; an
// interval of 0 gives no ticks. Ticks arrive while a modal loop opened by a tick runs, as the
// message-driven original did.
//
// The ticks fall on a beat: every period after the last restart. A handler that knows the first
// moment its next tick can change anything tells the timer (SleepUntil), and the beats before
// that moment are skipped; Wake, after something the handler reads has changed, brings the next
// beat back. A sleeping timer thus runs a subset of the ticks a timer that never sleeps runs, at
// the same moments. The scheduler decides whether timers may sleep (the reference driver of the
// tests does not let them).

#include <QObject>
#include <functional>

#include "framework/Time.h"

namespace ostrivo {

class TTimer : public QObject {
 public:
  explicit TTimer(Scheduler& scheduler, QObject* parent = nullptr);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);

  // Skips the beats before when (the scheduler's milliseconds); the first beat at or after it
  // ticks. Until the next tick, restart or Wake.
  void SleepUntil(std::int64_t when);
  // The next beat ticks again (no earlier: the countdown stays).
  void Wake();
  // The moment of the next tick; -1 when none is due.
  std::int64_t NextTick() const { return pending_ ? pendingAt_ : -1; }

  // Called with this timer as sender.
  std::function<void(QObject* sender)> OnTimer;

 private:
  void Restart();
  void Fire();
  std::int64_t Period() const;
  // The first beat at or after when (at least one period after the last restart or tick).
  std::int64_t BeatFrom(std::int64_t when) const;
  void ScheduleAt(std::int64_t when);

  Scheduler& scheduler_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
  Scheduler::Id pending_ = 0;
  std::int64_t pendingAt_ = 0;
  std::int64_t anchor_ = 0;  // the last restart or tick: the beat counts from here
};

}  // namespace ostrivo
