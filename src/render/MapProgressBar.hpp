#pragma once
// Progress of a long operation shown while the window is frozen: a small bar
// over the map (with the stage and the seconds so far) and the console line
// on standard error. The bar is redrawn and the buffers swapped at most every
// 0.2 s, so a fill of thousands of steps costs a handful of swaps.

#include <functional>
#include <string>

#include "earth/ConsoleProgress.hpp"
#include "earth/ProgressSink.hpp"

namespace tessarin {

class TextPainter;

class MapProgressBar : public ProgressSink {
public:
    // swap shows the drawn buffer (glutSwapBuffers in the shell);
    // windowSize gives the current drawing-surface size in pixels.
    MapProgressBar(TextPainter& text, std::function<void()> swap,
                   std::function<void(int&, int&)> windowSize);

    void begin(const std::string& what, long total) override;
    void step(long done) override;
    void end() override;

    // Draws the bar for the current stage into the current buffer, in a
    // pixel projection of the window; restores the GL matrices and state.
    void draw(int windowWidth, int windowHeight);

private:
    void show();

    ConsoleProgress console_;
    TextPainter& text_;
    std::function<void()> swap_;
    std::function<void(int&, int&)> windowSize_;
    ConsoleProgress::Clock::time_point lastShown_{};
};

}  // namespace tessarin
