// The console progress line: what it says, and that it stays quiet for
// stages shorter than one update interval.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <string>

#include "earth/ConsoleProgress.hpp"

namespace tessarin {
namespace {

TEST(ConsoleProgress, LineNamesStageCountsAndTimeLeft) {
    struct Case {
        long done, total;
        double elapsed;
        const char* expected;
    };
    const Case cases[] = {
        {0, 40, 0.0, "Fill: 0 of 40 (0%), 0.0 s"},
        {10, 40, 2.0, "Fill: 10 of 40 (25%), 2.0 s, about 6 s left"},
        {40, 40, 8.0, "Fill: 40 of 40 (100%), 8.0 s"},
        {7, 0, 1.5, "Fill: 7, 1.5 s"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConsoleProgress::formatLine("Fill", c.done, c.total, c.elapsed), c.expected) << c.done;
    }
}

TEST(ConsoleProgress, ShortStageWritesNothingAndEndIsIdempotent) {
    std::ostringstream err;
    ConsoleProgress progress(err);
    progress.begin("Tiles", 3);
    progress.step(1);
    progress.step(2);
    progress.end();
    progress.end();
    progress.step(3);  // after end: ignored
    EXPECT_EQ(err.str(), "");
}

TEST(ConsoleProgress, LongStageEndsWithItsFinalLine) {
    std::ostringstream err;
    ConsoleProgress progress(err);
    progress.begin("Tiles", 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    progress.step(2);
    progress.step(3);
    progress.end();
    const std::string text = err.str();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const std::string last = text.substr(text.rfind('\r') + 1);
    EXPECT_EQ(last.rfind("Tiles: 3 of 3 (100%), ", 0), 0u) << last;
    // The final line keeps the stage's time instead of falling back to zero.
    EXPECT_EQ(last.find(", 0.0 s"), std::string::npos) << last;
}

}  // namespace
}  // namespace tessarin
