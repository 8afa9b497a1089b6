#pragma once
// The one place tiles and pictures are decoded from PNG files.

#include <cstdint>
#include <functional>
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

using PngHeaderHandler = std::function<void(const DecodedImage& header)>;
using PngRowHandler = std::function<void(int row, const std::uint8_t* rgba)>;

// Decodes as decodePng does, but hands the pixels over a row at a time
// instead of keeping the whole image, so a reader that converts them needs no
// copy of it: begin gets the size and source format (rgba empty) before the
// first row, then row gets rows 0 .. height - 1 in order, each valid during
// the call only. False on any failure, which may come after rows were handed
// over; an exception thrown by begin or row ends the decode as a failure.
bool decodePngRows(const std::string& path, const PngHeaderHandler& begin, const PngRowHandler& row);

}  // namespace tessarin
