#pragma once
// Progress as one line on a text stream (standard error by default),
// rewritten in place at most every 0.2 s: stage, steps done of total,
// seconds so far and, once a step is done, an estimate of the time left.

#include <chrono>
#include <iosfwd>
#include <string>

#include "earth/ProgressSink.hpp"

namespace tessarin {

class ConsoleProgress : public ProgressSink {
public:
    using Clock = std::chrono::steady_clock;

    explicit ConsoleProgress(std::ostream& err);
    ConsoleProgress();  // standard error

    void begin(const std::string& what, long total) override;
    void step(long done) override;
    void end() override;

    // The line as shown for a stage after elapsedS seconds (no line end).
    static std::string formatLine(const std::string& what, long done, long total, double elapsedS);

    // Least time between two shown updates.
    static constexpr double kMinInterval = 0.2;

    // Seconds since begin.
    double elapsed() const;
    const std::string& stage() const { return what_; }
    long done() const { return done_; }
    long total() const { return total_; }

private:
    void show();

    std::ostream& err_;
    std::string what_;
    long total_ = 0;
    long done_ = 0;
    bool active_ = false;
    bool shown_ = false;
    Clock::time_point start_{};
    Clock::time_point lastShown_{};
};

}  // namespace tessarin
