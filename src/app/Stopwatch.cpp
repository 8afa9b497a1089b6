#include "app/Stopwatch.hpp"

#include <chrono>

namespace tessarin {

Stopwatch::Stopwatch(Clock clock) : clock_(clock) {}

ClockReading Stopwatch::systemClock() {
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    ClockReading r;
    r.seconds = now / 1000;
    r.milliseconds = static_cast<std::int16_t>(now % 1000);
    return r;
}

double Stopwatch::difference(const ClockReading& from, const ClockReading& to) {
    const int ms = static_cast<int>(to.milliseconds) - static_cast<int>(from.milliseconds);
    return ms / 1000.0 + static_cast<double>(to.seconds - from.seconds);
}

void Stopwatch::start() {
    start_ = clock_();
    mark_ = start_;
    state_ = 1;
}

double Stopwatch::elapsed() {
    if (state_ == 0) return -1.0;
    if (state_ == 1) mark_ = clock_();
    return difference(start_, mark_);
}

double Stopwatch::lap() {
    if (state_ == 0) return -1.0;
    if (state_ == 2) return elapsed();
    const ClockReading now = clock_();
    const double result = difference(mark_, now);
    mark_ = now;
    return result;
}

}  // namespace tessarin
