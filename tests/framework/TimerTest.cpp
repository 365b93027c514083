#include <gtest/gtest.h>

#include <QDateTime>
#include <ctime>
#include <vector>

#include "framework/Timer.h"

using namespace ostrivo;

namespace {
struct Recorder {
  VirtualTime& time;
  std::vector<std::pair<std::int64_t, QString>> ticks;
  void Attach(TTimer& t, const QString& name) {
    t.OnTimer = [this, name](QObject*) { ticks.emplace_back(time.Now(), name); };
  }
};
}  // namespace

TEST(TTimer, TicksEveryIntervalWhileEnabled) {
  VirtualTime time;
  TTimer t(time);
  Recorder r{time, {}};
  r.Attach(t, "t");
  t.SetInterval(100);
  time.Advance(350);
  ASSERT_EQ(r.ticks.size(), 3u);
  EXPECT_EQ(r.ticks[0].first, 100);
  EXPECT_EQ(r.ticks[2].first, 300);
  t.SetEnabled(false);
  time.Advance(1000);
  EXPECT_EQ(r.ticks.size(), 3u);
}

TEST(TTimer, SettingTheSameValueDoesNotRestartTheCountdown) {
  VirtualTime time;
  TTimer t(time);
  Recorder r{time, {}};
  r.Attach(t, "t");
  t.SetInterval(100);
  time.Advance(60);
  t.SetInterval(100);
  t.SetEnabled(true);
  time.Advance(40);
  ASSERT_EQ(r.ticks.size(), 1u);
  EXPECT_EQ(r.ticks[0].first, 100);
}

TEST(TTimer, ARealChangeRestartsTheCountdown) {
  VirtualTime time;
  TTimer t(time);
  Recorder r{time, {}};
  r.Attach(t, "t");
  t.SetInterval(100);
  time.Advance(60);
  t.SetInterval(50);  // restarts at 60: next tick at 110
  time.Advance(49);
  EXPECT_TRUE(r.ticks.empty());
  time.Advance(1);
  ASSERT_EQ(r.ticks.size(), 1u);
  EXPECT_EQ(r.ticks[0].first, 110);

  t.SetEnabled(false);
  time.Advance(20);
  t.SetEnabled(true);  // restarts at 130: next tick at 180
  time.Advance(50);
  ASSERT_EQ(r.ticks.size(), 2u);
  EXPECT_EQ(r.ticks[1].first, 180);
}

TEST(TTimer, IntervalZeroGivesNoTicks) {
  VirtualTime time;
  TTimer t(time);
  Recorder r{time, {}};
  r.Attach(t, "t");
  t.SetInterval(0);
  time.Advance(10000);
  EXPECT_TRUE(r.ticks.empty());
  t.SetInterval(5);
  time.Advance(10);
  EXPECT_EQ(r.ticks.size(), 2u);
}

TEST(TTimer, TwoTimersTickInVirtualTimeOrder) {
  VirtualTime time;
  TTimer a(time), b(time);
  Recorder r{time, {}};
  r.Attach(a, "a");
  r.Attach(b, "b");
  a.SetInterval(30);
  b.SetInterval(20);
  time.Advance(60);
  std::vector<std::pair<std::int64_t, QString>> expected = {
      {20, "b"}, {30, "a"}, {40, "b"}, {60, "a"}, {60, "b"}};
  // At 60 both are due; a was re-armed at 30 (before b at 40), so it fires first.
  EXPECT_EQ(r.ticks, expected);
}

TEST(TTimer, AHandlerThatChangesTheIntervalRearmsFromTheTick) {
  VirtualTime time;
  TTimer t(time);
  std::vector<std::int64_t> at;
  t.SetInterval(1);
  t.OnTimer = [&](QObject* sender) {
    EXPECT_EQ(sender, &t);
    at.push_back(time.Now());
    t.SetInterval(at.size() == 1 ? 1000 : 1);
  };
  time.Advance(1002);
  EXPECT_EQ(at, (std::vector<std::int64_t>{1, 1001, 1002}));
}

TEST(TTimer, TheMinimumPeriodStretchesShortIntervals) {
  VirtualTime time;
  time.SetMinimumPeriod(10);
  TTimer t(time);
  int ticks = 0;
  t.OnTimer = [&](QObject*) { ++ticks; };
  t.SetInterval(1);
  time.Advance(100);
  EXPECT_EQ(ticks, 10);
}

TEST(TTimer, TicksContinueInsideANestedWait) {
  // A message box opened in a tick lets further ticks run, as a modal loop does.
  VirtualTime time;
  TTimer t(time);
  t.SetInterval(10);
  int depth = 0, maxDepth = 0, ticks = 0;
  t.OnTimer = [&](QObject*) {
    ++ticks;
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    if (ticks == 1) time.Advance(35);  // the "message box" stays open 35 ms
    --depth;
  };
  time.Advance(10);
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(maxDepth, 2);
  EXPECT_EQ(time.Now(), 45);
}

// A handler that sleeps: the skipped beats never tick, the first beat at or after the moment
// does, Wake brings back the next beat (never an earlier one), and a restart forgets the sleep.
TEST(TTimer, ASleepingTimerTicksOnlyOnItsOwnBeat) {
  VirtualTime time;
  time.SetMinimumPeriod(10);
  TTimer t(time);
  Recorder r{time, {}};
  r.Attach(t, "t");
  t.SetInterval(1);  // beat every 10 ms from 0
  time.Advance(10);
  t.SleepUntil(95);  // the beat at or after 95 is 100
  EXPECT_EQ(t.NextTick(), 100);
  time.Advance(90);
  ASSERT_EQ(r.ticks.size(), 2u);
  EXPECT_EQ(r.ticks[1].first, 100);

  t.SleepUntil(1000);
  time.Advance(33);  // 133: something the handler reads changes
  t.Wake();
  EXPECT_EQ(t.NextTick(), 140);  // the next beat, not at once
  t.Wake();
  EXPECT_EQ(t.NextTick(), 140);
  time.Advance(7);
  EXPECT_EQ(r.ticks.back().first, 140);

  t.SleepUntil(5000);
  time.Advance(5);
  t.SetInterval(20);  // a real change restarts from 145 and wakes
  EXPECT_EQ(t.NextTick(), 165);
  t.SleepUntil(150);  // never earlier than one period
  EXPECT_EQ(t.NextTick(), 165);
  t.SetEnabled(false);
  t.SleepUntil(170);
  t.Wake();
  EXPECT_EQ(t.NextTick(), -1);  // a disabled timer stays asleep
}

TEST(TTimer, TheReferenceDriverIgnoresSleep) {
  VirtualTime time;
  time.SetMinimumPeriod(10);
  time.SetTimersMaySleep(false);
  TTimer t(time);
  int ticks = 0;
  t.OnTimer = [&](QObject*) {
    ++ticks;
    t.SleepUntil(time.Now() + 1000);
  };
  t.SetInterval(1);
  time.Advance(100);
  EXPECT_EQ(ticks, 10);
}

TEST(VirtualTime, SettingTheTimeOfDayIsReported) {
  VirtualTime time;
  int told = 0;
  time.OnTimeSet = [&] { ++told; };
  time.Advance(1500);
  EXPECT_EQ(told, 0);  // running on is not setting
  time.SetLocalTime(QTime(8, 0));
  EXPECT_EQ(told, 1);
  EXPECT_EQ(time.FiredCount(), 0u);
}

TEST(TTimer, DestroyedTimerNeverFires) {
  VirtualTime time;
  int ticks = 0;
  {
    TTimer t(time);
    t.SetInterval(5);
    t.OnTimer = [&](QObject*) { ++ticks; };
  }
  time.Advance(100);
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(time.PendingCount(), 0u);
}

TEST(VirtualTime, TimeOfDayFollowsTheClock) {
  VirtualTime time(QTime(23, 59, 59, 500), 3600 * 1000);
  EXPECT_EQ(time.LocalMsOfDay(), (23 * 3600 + 59 * 60 + 59) * 1000 + 500);
  EXPECT_EQ(time.UtcMsOfDay(), (22 * 3600 + 59 * 60 + 59) * 1000 + 500);
  time.Advance(700);  // past midnight
  EXPECT_EQ(time.LocalMsOfDay(), 200);
  time.SetLocalTime(QTime(8, 0));
  EXPECT_EQ(time.LocalTime(), QTime(8, 0));
}

TEST(SystemClock, LocalTimeAgreesWithTheSystemsLocalTime) {
  // A zone away from UTC (and not a whole hour away), so an offset applied wrongly shows.
  const QByteArray oldTz = qgetenv("TZ");
  qputenv("TZ", "Asia/Kolkata");
  tzset();
  SystemClock clock;
  for (int i = 0; i < 3; ++i) {
    const int before = QTime::currentTime().msecsSinceStartOfDay();
    const int ours = clock.LocalTime().msecsSinceStartOfDay();
    const int after = QTime::currentTime().msecsSinceStartOfDay();
    if (after < before) continue;  // midnight passed in between
    EXPECT_GE(ours, before);
    EXPECT_LE(ours, after);
  }
  const int utc = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
  EXPECT_NEAR(clock.UtcMsOfDay(), utc, 1000);
  qputenv("TZ", oldTz);
  tzset();
}
