#include <gtest/gtest.h>

#include "app/Stopwatch.hpp"

namespace tessarin {
namespace {

// A clock the tests set by hand.
ClockReading fakeNow;
ClockReading fakeClock() { return fakeNow; }
void setFake(std::int64_t s, int ms) {
    fakeNow.seconds = s;
    fakeNow.milliseconds = static_cast<std::int16_t>(ms);
}

TEST(Stopwatch, ReadsMinusOneBeforeStart) {
    Stopwatch w(fakeClock);
    EXPECT_EQ(w.elapsed(), -1.0);
    EXPECT_EQ(w.lap(), -1.0);
    EXPECT_EQ(w.state(), 0);
}

TEST(Stopwatch, ElapsedMovesTheLapMark) {
    Stopwatch w(fakeClock);
    setFake(1000, 0);
    w.start();
    setFake(1001, 500);
    EXPECT_DOUBLE_EQ(w.elapsed(), 1.5);
    // A lap at once after a reading measures from that reading.
    EXPECT_DOUBLE_EQ(w.lap(), 0.0);
}

TEST(Stopwatch, LapsMeasureFromThePreviousMark) {
    Stopwatch w(fakeClock);
    setFake(50, 100);
    w.start();
    setFake(51, 100);
    EXPECT_DOUBLE_EQ(w.lap(), 1.0);
    setFake(53, 100);
    EXPECT_DOUBLE_EQ(w.lap(), 2.0);
    EXPECT_DOUBLE_EQ(w.elapsed(), 3.0);
}

TEST(Stopwatch, MillisecondsBorrowFromTheSeconds) {
    Stopwatch w(fakeClock);
    setFake(10, 900);
    w.start();
    // 1.2 s later the clock reads 12 s 100 ms: 2 s + (-800 ms).
    setFake(12, 100);
    EXPECT_NEAR(w.lap(), 1.2, 1e-12);
}

TEST(Stopwatch, SystemClockRunsForward) {
    Stopwatch w;
    w.start();
    const double a = w.elapsed();
    const double b = w.elapsed();
    EXPECT_GE(a, 0.0);
    EXPECT_GE(b, a);
    const ClockReading r = Stopwatch::systemClock();
    EXPECT_GE(r.milliseconds, 0);
    EXPECT_LT(r.milliseconds, 1000);
}

}  // namespace
}  // namespace tessarin
