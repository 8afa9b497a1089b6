#pragma once
// Wall-clock stopwatch with millisecond resolution. The shell starts one at
// launch; the mouse handler ignores clicks in its first tenth of a second and
// the menu times transit planning with it.

#include <cstdint>

namespace tessarin {

struct ClockReading {
    std::int64_t seconds = 0;        // whole seconds since the epoch
    std::int16_t milliseconds = 0;   // 0..999
};

class Stopwatch {
public:
    using Clock = ClockReading (*)();

    // The default clock is the system's wall clock.
    explicit Stopwatch(Clock clock = systemClock);

    void start();
    // Seconds since start; also moves the mark to now while running.
    // -1.0 before start.
    double elapsed();
    // Seconds since the last mark (lap, elapsed or start); -1.0 before start.
    double lap();

    int state() const { return state_; }
    static ClockReading systemClock();

private:
    // Milliseconds are differenced as signed integers before the division, so
    // a span crossing a second boundary reads as (s + 1) + (negative ms).
    static double difference(const ClockReading& from, const ClockReading& to);

    Clock clock_;
    ClockReading start_;
    ClockReading mark_;
    int state_ = 0;  // 0 never started, 1 running, 2 stopped
};

}  // namespace tessarin
