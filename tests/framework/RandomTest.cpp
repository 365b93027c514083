#include <gtest/gtest.h>

#include "framework/Random.h"

using namespace ostrivo;

TEST(Random, FollowsTheLinearCongruentialSequence) {
  VirtualTime time;
  TRandom r(time);
  r.SetSeed(12345);
  // s := s * 134775813 + 1 (mod 2^32); draw := (s * bound) div 2^32
  EXPECT_EQ(r.Random(100), 38);
  EXPECT_EQ(r.Random(100), 28);
  EXPECT_EQ(r.Random(7), 0);
  EXPECT_EQ(r.Random(1000000), 553610);
  EXPECT_EQ(r.Random(INT32_MAX), 1360806764);

  r.SetSeed(0xFFFFFFFFu);
  EXPECT_EQ(r.Random(10), 9);
  EXPECT_EQ(r.Seed(), 4160191484u);
}

TEST(Random, BoundsZeroAndOneGiveZeroButStillAdvance) {
  VirtualTime time;
  TRandom r(time);
  r.SetSeed(999);
  EXPECT_EQ(r.Random(0), 0);
  EXPECT_EQ(r.Random(1), 0);
  EXPECT_EQ(r.Random(-3), 0);
  EXPECT_EQ(r.Seed(), ((999u * 134775813u + 1u) * 134775813u + 1u) * 134775813u + 1u);
}

TEST(Random, RandomizeSeedsFromTheUtcTimeOfDay) {
  VirtualTime time(QTime(14, 0, 0), 2 * 3600 * 1000);  // local time two hours ahead of UTC
  time.Advance(1234);
  TRandom r(time);
  r.Randomize();
  EXPECT_EQ(r.Seed(), 12u * 3600 * 1000 + 1234);
}

TEST(Random, DrawsStayBelowTheBound) {
  VirtualTime time;
  TRandom r(time);
  r.SetSeed(1);
  for (int i = 0; i < 10000; ++i) {
    const int v = r.Random(3);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 3);
  }
}
