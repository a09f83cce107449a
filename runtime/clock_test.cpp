#include "runtime/clock.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/virtual_clock.h"

namespace {

class VirtualTime : public ::testing::Test {
 protected:
  void SetUp() override { InstallClock(&clock); }
  void TearDown() override { InstallClock(nullptr); }
  VirtualClock clock;
};

TEST_F(VirtualTime, AMinuteOfSleepCostsNothing) {
  uint32_t start = Microseconds();
  SleepMilliseconds(60'000);
  EXPECT_EQ(Elapsed(start), 60'000'000u);
  EXPECT_TRUE(TimeUp(start, 60'000'000));
  EXPECT_FALSE(TimeUp(start, 60'000'001));
  EXPECT_EQ(TickMilliseconds(), 60'000u);
}

TEST_F(VirtualTime, LapMeasuresAndMovesTheMark) {
  uint32_t mark = Microseconds();
  clock.Sleep(1500);
  EXPECT_EQ(Lap(mark), 1500u);
  clock.Sleep(250);
  EXPECT_EQ(Lap(mark), 250u);
}

TEST_F(VirtualTime, MicrosecondsWrapAfter32Bits) {
  uint32_t start = Microseconds();
  clock.Sleep((uint64_t{1} << 32) + 5);
  EXPECT_EQ(Microseconds(), start + 5);
  EXPECT_EQ(Elapsed(start), 5u);
}

TEST_F(VirtualTime, AccumulatedClockWrapsAtItsModulus) {
  AccumulatedClock();
  uint32_t before = AccumulatedClock();
  clock.Sleep(1'843'200'000ull + 7);
  EXPECT_EQ(AccumulatedClock(), before + 7);
}

TEST_F(VirtualTime, EventsRunInTimeOrderWhileTimeMoves) {
  std::vector<std::pair<int, uint64_t>> ran;
  clock.Schedule(300, [&] { ran.emplace_back(3, clock.Now()); });
  clock.Schedule(100, [&] {
    ran.emplace_back(1, clock.Now());
    clock.Schedule(200, [&] { ran.emplace_back(2, clock.Now()); });
  });
  clock.Schedule(100, [&] { ran.emplace_back(4, clock.Now()); });
  EXPECT_EQ(clock.NextEventTime(), 100u);
  clock.Sleep(250);
  EXPECT_EQ(ran, (std::vector<std::pair<int, uint64_t>>{{1, 100}, {4, 100}, {2, 200}}));
  EXPECT_EQ(clock.Now(), 250u);
  clock.AdvanceTo(1000);
  EXPECT_EQ(ran.back(), (std::pair<int, uint64_t>{3, 300}));
  EXPECT_EQ(clock.NextEventTime(), UINT64_MAX);
}

TEST(RealTime, SleepPassesRealTime) {
  uint32_t start = Microseconds();
  SleepMilliseconds(20);
  EXPECT_GE(Elapsed(start), 20'000u);
}

}  // namespace
