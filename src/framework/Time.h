#pragma once
// Time for the whole program: a scheduler of one-shot callbacks on the GUI thread and a clock
// for the time of day. The real pair runs on Qt's event loop and the system clock; the virtual
// pair (VirtualTime) keeps a clock that tests advance, firing every due callback in time order.

#include <QObject>
#include <QTime>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>

namespace ostrivo {

// Milliseconds from ms, a count of milliseconds, to its next whole second: 1 to 1000.
inline std::int64_t MsToNextSecond(std::int64_t ms) {
  return 1000 - ((ms % 1000) + 1000) % 1000;
}

class Scheduler {
 public:
  using Callback = std::function<void()>;
  using Id = std::uint64_t;  // 0 is never a valid id

  virtual ~Scheduler() = default;
  // Milliseconds on a monotonic clock.
  virtual std::int64_t Now() const = 0;
  // Runs cb once on the GUI thread, delayMs after now (0: as soon as the loop is back).
  virtual Id Schedule(std::int64_t delayMs, Callback cb) = 0;
  // Forgets a pending callback; unknown or fired ids are ignored.
  virtual void Cancel(Id id) = 0;
  // The shortest period a repeating timer may have on this scheduler.
  virtual int MinimumPeriod() const = 0;
  // Whether a timer may skip the ticks its handler says cannot change anything (TTimer).
  virtual bool TimersMaySleep() const { return true; }
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Local time of day.
  virtual QTime LocalTime() const = 0;
  // Milliseconds since midnight, local time.
  int32_t LocalMsOfDay() const { return LocalTime().msecsSinceStartOfDay(); }
  // Milliseconds since midnight, UTC: the random generator's seed.
  virtual int32_t UtcMsOfDay() const = 0;

  // Called when the time of day is set (not when it merely runs on), where the clock can tell.
  std::function<void()> OnTimeSet;
};

// The real scheduler: Qt timers on the GUI thread. Periods below 10 ms run at 10 ms, and timers
// sleep through the ticks that cannot change anything.
class QtScheduler : public QObject, public Scheduler {
 public:
  std::int64_t Now() const override;
  Id Schedule(std::int64_t delayMs, Callback cb) override;
  void Cancel(Id id) override;
  int MinimumPeriod() const override { return 10; }

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  std::unordered_map<int, Callback> pending_;  // by Qt timer id
};

class SystemClock : public Clock {
 public:
  QTime LocalTime() const override;
  int32_t UtcMsOfDay() const override;

 private:
  mutable std::int64_t offsetFrom_ = INT64_MIN / 2;
  mutable std::int64_t offsetMs_ = 0;
};

// Virtual time for tests: nothing happens until the test advances the clock; then every due
// callback fires in time order (ties in the order they were scheduled), on the calling thread.
class VirtualTime : public Scheduler, public Clock {
 public:
  explicit VirtualTime(QTime startOfDay = QTime(12, 0, 0), int utcOffsetMs = 0);

  std::int64_t Now() const override { return now_; }
  Id Schedule(std::int64_t delayMs, Callback cb) override;
  void Cancel(Id id) override;
  int MinimumPeriod() const override { return minimumPeriod_; }
  void SetMinimumPeriod(int ms) { minimumPeriod_ = ms; }
  bool TimersMaySleep() const override { return timersMaySleep_; }
  // false: the reference driver, on which every timer ticks on every beat.
  void SetTimersMaySleep(bool value) { timersMaySleep_ = value; }

  QTime LocalTime() const override;
  int32_t UtcMsOfDay() const override;
  // Moves the time of day without moving the monotonic clock.
  void SetLocalTime(QTime t);

  // Advances the clock by ms, firing due callbacks. Re-entrant: a callback may advance too.
  void Advance(std::int64_t ms);
  void AdvanceTo(std::int64_t when);
  // Fires what is due now (delay 0 included) without moving the clock.
  void RunDue() { AdvanceTo(now_); }
  // Advances until pred() holds or limitMs pass; returns whether pred() held.
  bool AdvanceUntil(const std::function<bool()>& pred, std::int64_t limitMs,
                    std::int64_t stepMs = 1);
  std::size_t PendingCount() const { return queue_.size(); }
  // Callbacks fired so far: how often the program woke.
  std::uint64_t FiredCount() const { return fired_; }

 private:
  struct Key {
    std::int64_t when;
    Id id;
    bool operator<(const Key& o) const { return when != o.when ? when < o.when : id < o.id; }
  };
  std::int64_t now_ = 0;
  std::int64_t startOfDay_;
  int utcOffsetMs_;
  int minimumPeriod_ = 1;
  bool timersMaySleep_ = true;
  Id nextId_ = 1;
  std::uint64_t fired_ = 0;
  std::map<Key, Callback> queue_;
  std::unordered_map<Id, std::int64_t> whenOf_;
};

}  // namespace ostrivo
