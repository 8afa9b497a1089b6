#include "earth/ConsoleProgress.hpp"

#include <cstdio>
#include <iostream>

namespace tessarin {

ConsoleProgress::ConsoleProgress(std::ostream& err) : err_(err) {}
ConsoleProgress::ConsoleProgress() : err_(std::cerr) {}

void ConsoleProgress::begin(const std::string& what, long total) {
    what_ = what;
    total_ = total;
    done_ = 0;
    active_ = true;
    shown_ = false;
    start_ = Clock::now();
    lastShown_ = start_;
}

void ConsoleProgress::step(long done) {
    if (!active_) return;
    done_ = done;
    const auto now = Clock::now();
    if (std::chrono::duration<double>(now - lastShown_).count() < kMinInterval) return;
    lastShown_ = now;
    show();
}

void ConsoleProgress::end() {
    if (!active_) return;
    // A stage that finished within the first interval leaves no line at all.
    if (shown_) {
        show();
        err_ << "\n";
        err_.flush();
    }
    active_ = false;
}

double ConsoleProgress::elapsed() const {
    if (!active_) return 0.0;
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

void ConsoleProgress::show() {
    err_ << "\r" << formatLine(what_, done_, total_, elapsed()) << "   ";
    err_.flush();
    shown_ = true;
}

std::string ConsoleProgress::formatLine(const std::string& what, long done, long total, double elapsedS) {
    char buf[160];
    if (total > 0) {
        const double fraction = static_cast<double>(done) / static_cast<double>(total);
        if (done > 0 && done < total) {
            const double leftS = elapsedS * (1.0 - fraction) / fraction;
            std::snprintf(buf, sizeof buf, "%s: %ld of %ld (%.0f%%), %.1f s, about %.0f s left", what.c_str(),
                          done, total, 100.0 * fraction, elapsedS, leftS);
        } else {
            std::snprintf(buf, sizeof buf, "%s: %ld of %ld (%.0f%%), %.1f s", what.c_str(), done, total,
                          100.0 * fraction, elapsedS);
        }
    } else {
        std::snprintf(buf, sizeof buf, "%s: %ld, %.1f s", what.c_str(), done, elapsedS);
    }
    return buf;
}

}  // namespace tessarin
