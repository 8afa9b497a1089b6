#pragma once
// Writes small synthetic tile worlds for tests: data tiles in the planner's
// encoding (code = R * 256 + G, elevation = code / 3 - 12000 metres, blue 3 =
// reference multibeam pixel) and picture tiles.

#include <cstdint>
#include <functional>
#include <string>

namespace tessarin::test {

// Depth code of an elevation in metres (negative below sea level).
std::uint16_t codeOfElevation(double elevationM);

struct DataPixel {
    std::uint16_t code = 36000;  // 0 m
    std::uint8_t blue = 0;       // 3 marks a reference pixel
};

// Writes "<root>Tile_8png_d/BD_8_<lon0>_<lat0>_1920.png" of width x 1920
// pixels; pixel(row, col) gives each pixel (row 0 is the north edge).
void writeDataTile(const std::string& root, int lon0, int lat0,
                   const std::function<DataPixel(int row, int col)>& pixel, int width = 1920);

// A data tile of one elevation everywhere, no reference pixels.
void writeFlatDataTile(const std::string& root, int lon0, int lat0, double elevationM);

// Writes "<root>Tile_8png_i/BI_8_<lon0>_<lat0>_1920.png", width x 1920 of one colour.
void writePictureTile(const std::string& root, int lon0, int lat0, int width,
                      std::uint8_t r = 10, std::uint8_t g = 60, std::uint8_t b = 140);

// Writes an RGBA PNG of any size (used for overview pictures and odd files).
void writePng(const std::string& path, int width, int height,
              const std::function<void(int row, int col, std::uint8_t* rgba)>& pixel);

}  // namespace tessarin::test
