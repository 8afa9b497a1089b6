#pragma once
// The logo and button pictures the planner shows, drawn from scratch as
// headerless 8-bit RGB, row after row, top row first. Button pictures use the
// planner's colour key: a pixel whose red is below 30 is transparent, so
// backgrounds are drawn with red 0 and every visible pixel keeps red >= 30.

#include <cstdint>
#include <string>
#include <vector>

namespace tessarin::worldgen {

struct RawImage {
    std::string name;  // file name under Logos/
    int width;
    int height;
    std::vector<std::uint8_t> rgb;
};

// The six pictures: three 450 x 450 logos, the 512 x 256 menu banner, the
// 512 x 128 scale bar and the 512 x 256 data-loading banner.
std::vector<RawImage> makeArtwork();

// Draws text in the built-in 5 x 7 capital font, each font dot scale x scale
// pixels, with the top-left corner at (x, y). Characters without a glyph draw
// as blanks. Returns the width drawn.
int drawText(RawImage& image, const std::string& text, int x, int y, int scale, std::uint8_t r, std::uint8_t g,
             std::uint8_t b);

// Width in pixels that drawText would use.
int textWidth(const std::string& text, int scale);

}  // namespace tessarin::worldgen
