#pragma once
// Short texts drawn into the map with a bitmap font at a raster position
// given in the current (map-plane) coordinates.
//
// The painter is an interface because the GLUT bitmap font only works once
// GLUT owns a window; off-screen drawing (tests, benchmarks) substitutes its
// own painter.

#include <string>

namespace tessarin {

// Texts in the map are cut to this many characters.
inline constexpr int kBitmapTextChars = 36;

// The first 36 characters of text; a terminating zero ends it earlier.
std::string clipBitmapText(const char* text);

class TextPainter {
public:
    virtual ~TextPainter() = default;
    // Sets the raster position to (x, y) in the current coordinates (the
    // current colour becomes the text colour) and draws text.
    virtual void drawText(float x, float y, const std::string& text) = 0;
};

// GLUT's Helvetica 18 bitmap font; needs GLUT initialised with a window.
class GlutTextPainter : public TextPainter {
public:
    void drawText(float x, float y, const std::string& text) override;
};

// Sets the raster position like GlutTextPainter and draws nothing: for
// drawing without GLUT.
class SilentTextPainter : public TextPainter {
public:
    void drawText(float x, float y, const std::string& text) override;
};

}  // namespace tessarin
