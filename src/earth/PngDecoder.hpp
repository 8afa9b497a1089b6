#pragma once
// The one place tiles and pictures are decoded from PNG files.

#include <cstdint>
#include <string>
#include <vector>

namespace tessarin {

// 8-bit RGBA pixels, rows top to bottom, tightly packed.
struct DecodedImage {
    std::vector<std::uint8_t> rgba;
    int width = 0;
    int height = 0;
    // What the file held before the expansion to 8-bit RGBA.
    int sourceBitDepth = 0;
    bool sourcePalette = false;
    bool empty() const { return rgba.empty(); }
};

// Decodes a PNG file of any colour type and bit depth to 8-bit RGBA (16-bit
// samples keep their high byte, grey expands to RGB, missing alpha is 255).
// Sample values pass through unchanged: a gAMA or colour-space chunk is
// ignored, because the red and green bytes of a data tile are a depth code,
// not a colour. Any failure (missing, truncated or corrupt file, or a side
// longer than 4096 pixels) gives an empty image.
DecodedImage decodePng(const std::string& path);

}  // namespace tessarin
