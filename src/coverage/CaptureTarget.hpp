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

// What the statistics block draws besides the plan: the resident tiles as the
// map view centred here would draw them (tiles near the 180-degree meridian
// follow the view across it).
struct StatsView {
    float viewCentreY = 0.0f;    // map-plane y
    float viewCentreLon = 0.0f;  // degrees
    float zoom = 1.0f;
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

    // Clears the block to black, draws the resident tiles' coverage textures
    // (so a pixel's red byte is the coverage byte under it, blended across
    // cell borders by linear filtering), then every leg's swath in colour
    // (0, 1, 0) at alpha 0.5 with only the green channel written, and reads
    // the block into rgb. False when nothing could be drawn.
    virtual bool captureStatsBlock(double x, double y, int pixelsPerUnit, int size, int repeats,
                                   const StatsView& view, std::uint8_t* rgb) = 0;
};

}  // namespace tessarin
