#include "render/BitmapText.hpp"

#include <GL/freeglut.h>

#include <cstring>

namespace tessarin {

std::string clipBitmapText(const char* text) {
    if (text == nullptr) return std::string();
    // The texts are formatted into fixed buffers; stopping at the zero keeps
    // whatever follows it in the buffer off the screen.
    std::size_t n = 0;
    while (n < static_cast<std::size_t>(kBitmapTextChars) && text[n] != '\0') ++n;
    return std::string(text, n);
}

void GlutTextPainter::drawText(float x, float y, const std::string& text) {
    glRasterPos2f(x, y);
    for (const char c : text) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, static_cast<unsigned char>(c));
}

void SilentTextPainter::drawText(float x, float y, const std::string&) { glRasterPos2f(x, y); }

}  // namespace tessarin
