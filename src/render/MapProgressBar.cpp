#include "render/MapProgressBar.hpp"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "render/BitmapText.hpp"

namespace tessarin {

MapProgressBar::MapProgressBar(TextPainter& text, std::function<void()> swap,
                               std::function<void(int&, int&)> windowSize)
    : text_(text), swap_(std::move(swap)), windowSize_(std::move(windowSize)) {}

void MapProgressBar::begin(const std::string& what, long total) {
    console_.begin(what, total);
    lastShown_ = ConsoleProgress::Clock::now();
    show();
}

void MapProgressBar::step(long done) {
    console_.step(done);
    const auto now = ConsoleProgress::Clock::now();
    if (std::chrono::duration<double>(now - lastShown_).count() < ConsoleProgress::kMinInterval) return;
    lastShown_ = now;
    show();
}

void MapProgressBar::end() { console_.end(); }

void MapProgressBar::show() {
    int w = 0, h = 0;
    if (windowSize_) windowSize_(w, h);
    if (w <= 0 || h <= 0) return;
    draw(w, h);
    if (swap_) swap_();
}

void MapProgressBar::draw(int windowWidth, int windowHeight) {
    const float barW = 360.0f, barH = 16.0f;
    const float x0 = (static_cast<float>(windowWidth) - barW) * 0.5f;
    const float y0 = static_cast<float>(windowHeight) - 90.0f;
    const long total = console_.total();
    const float fraction =
        total > 0 ? std::clamp(static_cast<float>(console_.done()) / static_cast<float>(total), 0.0f, 1.0f) : 0.0f;

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_VIEWPORT_BIT | GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, windowWidth, windowHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, windowWidth, 0.0, windowHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);

    glColor3f(0.1f, 0.1f, 0.15f);
    glRectf(x0 - 6.0f, y0 - 6.0f, x0 + barW + 6.0f, y0 + barH + 30.0f);
    glColor3f(0.35f, 0.35f, 0.4f);
    glRectf(x0, y0, x0 + barW, y0 + barH);
    glColor3f(0.2f, 0.8f, 0.3f);
    glRectf(x0, y0, x0 + barW * fraction, y0 + barH);

    char label[96];
    if (total > 0) {
        std::snprintf(label, sizeof label, "%s %ld/%ld %.0fs", console_.stage().c_str(), console_.done(), total,
                      console_.elapsed());
    } else {
        std::snprintf(label, sizeof label, "%s %.0fs", console_.stage().c_str(), console_.elapsed());
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    text_.drawText(x0, y0 + barH + 8.0f, label);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace tessarin
