#include "framework/Time.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimerEvent>
#include <ctime>

namespace ostrivo {

namespace {
const QElapsedTimer& Monotonic() {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer;
}
constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;
}  // namespace

std::int64_t QtScheduler::Now() const {
  return Monotonic().elapsed();
}

Scheduler::Id QtScheduler::Schedule(std::int64_t delayMs, Callback cb) {
  const int ms = static_cast<int>(std::clamp<std::int64_t>(delayMs, 0, INT32_MAX));
  const int id = startTimer(ms, Qt::PreciseTimer);
  if (id == 0) return 0;
  pending_.emplace(id, std::move(cb));
  return static_cast<Id>(id);
}

void QtScheduler::Cancel(Id id) {
  auto it = pending_.find(static_cast<int>(id));
  if (it == pending_.end()) return;
  killTimer(it->first);
  pending_.erase(it);
}

void QtScheduler::timerEvent(QTimerEvent* event) {
  auto it = pending_.find(event->timerId());
  killTimer(event->timerId());
  if (it == pending_.end()) return;
  Callback cb = std::move(it->second);
  pending_.erase(it);
  cb();
}

QTime SystemClock::LocalTime() const {
  // The playback clock asks on every tick; looking up the time zone each time costs a file
  // check, so the offset from UTC is looked up at most once a second, from the C library's own
  // conversion (a local QDateTime built for it cost several times as much).
  const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
  if (now < offsetFrom_ || now >= offsetFrom_ + 1000) {
    tzset();  // a changed TZ is seen, as Qt sees it
    const std::time_t seconds = static_cast<std::time_t>(now / 1000);
    std::tm local{};
    offsetMs_ = localtime_r(&seconds, &local) ? std::int64_t{local.tm_gmtoff} * 1000 : 0;
    offsetFrom_ = now;
  }
  std::int64_t ms = (now + offsetMs_) % kDayMs;
  if (ms < 0) ms += kDayMs;
  return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

int32_t SystemClock::UtcMsOfDay() const {
  return QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
}

VirtualTime::VirtualTime(QTime startOfDay, int utcOffsetMs)
    : startOfDay_(startOfDay.msecsSinceStartOfDay()), utcOffsetMs_(utcOffsetMs) {}

Scheduler::Id VirtualTime::Schedule(std::int64_t delayMs, Callback cb) {
  const Id id = nextId_++;
  const std::int64_t when = now_ + std::max<std::int64_t>(delayMs, 0);
  queue_.emplace(Key{when, id}, std::move(cb));
  whenOf_.emplace(id, when);
  return id;
}

void VirtualTime::Cancel(Id id) {
  auto it = whenOf_.find(id);
  if (it == whenOf_.end()) return;
  queue_.erase(Key{it->second, id});
  whenOf_.erase(it);
}

void VirtualTime::SetLocalTime(QTime t) {
  startOfDay_ = t.msecsSinceStartOfDay() - now_;
  if (OnTimeSet) OnTimeSet();
}

QTime VirtualTime::LocalTime() const {
  std::int64_t ms = (startOfDay_ + now_) % kDayMs;
  if (ms < 0) ms += kDayMs;
  return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

int32_t VirtualTime::UtcMsOfDay() const {
  std::int64_t ms = (startOfDay_ + now_ - utcOffsetMs_) % kDayMs;
  if (ms < 0) ms += kDayMs;
  return static_cast<int32_t>(ms);
}

void VirtualTime::Advance(std::int64_t ms) {
  AdvanceTo(now_ + std::max<std::int64_t>(ms, 0));
}

void VirtualTime::AdvanceTo(std::int64_t when) {
  while (!queue_.empty() && queue_.begin()->first.when <= when) {
    auto it = queue_.begin();
    const Key key = it->first;
    Callback cb = std::move(it->second);
    queue_.erase(it);
    whenOf_.erase(key.id);
    if (key.when > now_) now_ = key.when;
    ++fired_;
    cb();
  }
  if (when > now_) now_ = when;
}

bool VirtualTime::AdvanceUntil(const std::function<bool()>& pred, std::int64_t limitMs,
                               std::int64_t stepMs) {
  const std::int64_t end = now_ + limitMs;
  while (!pred()) {
    if (now_ >= end) return false;
    AdvanceTo(std::min(end, now_ + stepMs));
  }
  return true;
}

}  // namespace ostrivo
