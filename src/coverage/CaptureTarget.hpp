#pragma once
// Where coverage captures are drawn. A capture renders a square block of the
// map plane at a fixed scale and reads its pixels back; the rasteriser decides
// which pixels a swath covers. The graphics library implements this with a
// framebuffer object of the block's size (nothing flickers on screen and no
// window smaller than the block cuts it); tests can substitute prepared bytes.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).
// Every block is drawn with one map-plane unit = pixelsPerUnit pixels and
// map-plane point (x, y) at the lower-left corner of pixel (0, 0); the read
// gives size * size RGB bytes, row 0 at the bottom.

#include <cstdint>

#include "plan/SurveyPlan.hpp"

namespace tessarin {

// Pixels [x0, x1) x [y0, y1) of a block, row 0 at the bottom.
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

class CaptureTarget {
public:
    virtual ~CaptureTarget() = default;

    // Clears the block to black and draws each of the stripCount strips as
    // one triangle strip (starboard edge i, port edge i) in colour (0, 1, 0)
    // without blending or depth test, then reads the block into rgb.
    // repeats is the number of draws the on-screen method needs before its
    // read (off-screen targets draw once). False when the block holds none of
    // the strips (it would read back black) or nothing could be drawn: the
    // caller then marks nothing and rgb is undefined.
    virtual bool captureSwathBlock(const SwathStrip* strips, int stripCount, double x, double y, int pixelsPerUnit,
                                   int size, int repeats, std::uint8_t* rgb) = 0;

    // As captureSwathBlock, but only the pixels inside lit are read into rgb
    // (at their places in the whole block); every pixel outside lit would
    // read back black, and its bytes in rgb are undefined. A target that can
    // tell where the strips lie draws and reads less; by default the whole
    // block is captured.
    virtual bool captureSwathPart(const SwathStrip* strips, int stripCount, double x, double y, int pixelsPerUnit,
                                  int size, int repeats, std::uint8_t* rgb, PixelRect& lit) {
        lit = PixelRect{0, 0, size, size};
        return captureSwathBlock(strips, stripCount, x, y, pixelsPerUnit, size, repeats, rgb);
    }

    // Clears the block to black, draws each strip in colour (0, 1, 0) at
    // alpha 0.5, blended over what is there (so a pixel under one strip reads
    // green 127 or 128 and under two about 191), and reads the block into
    // rgb. False when the block holds none of the strips or nothing could be
    // drawn: the caller then counts nothing and rgb is undefined.
    virtual bool captureStatsBlock(const SwathStrip* strips, int stripCount, double x, double y, int pixelsPerUnit,
                                   int size, int repeats, std::uint8_t* rgb) = 0;
};

}  // namespace tessarin
