#pragma once
// Where coverage captures are drawn. A capture renders a square block of the
// map plane at a fixed scale and reads its pixels back; the rasteriser decides
// which pixels a swath covers. The graphics library implements this with a
// framebuffer object of the block's size (nothing flickers on screen and no
// window smaller than the block cuts it); tests can substitute prepared bytes.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).

#include <cstdint>

#include "plan/SurveyPlan.hpp"

namespace tessarin {

class CaptureTarget {
public:
    virtual ~CaptureTarget() = default;

    // Clears a size x size block to black, draws strip as one triangle strip
    // (starboard edge i, port edge i) in colour (0, 1, 0) without blending or
    // depth test, scaled by pixelsPerUnit with map-plane point (x, y) at the
    // block's lower-left corner, and reads the block back as RGB bytes into
    // rgb (size * size * 3, row 0 at the bottom). repeats is the number of
    // draws the on-screen method needs before its read (off-screen targets
    // draw once). False when nothing could be drawn: the caller marks nothing.
    virtual bool captureSwathBlock(const SwathStrip& strip, double x, double y, int pixelsPerUnit, int size,
                                   int repeats, std::uint8_t* rgb) = 0;
};

}  // namespace tessarin
