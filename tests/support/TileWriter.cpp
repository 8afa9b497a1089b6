#include "support/TileWriter.hpp"

#include <lodepng.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace tessarin::test {

std::uint16_t codeOfElevation(double elevationM) {
    return static_cast<std::uint16_t>(std::lround((elevationM + 12000.0) * 3.0));
}

void writePng(const std::string& path, int width, int height,
              const std::function<void(int row, int col, std::uint8_t* rgba)>& pixel) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::vector<unsigned char> image(static_cast<std::size_t>(width) * height * 4);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) pixel(r, c, &image[(static_cast<std::size_t>(r) * width + c) * 4]);
    // Stored blocks and no filter search: test tiles are written often and
    // read once, so speed beats size here.
    lodepng::State state;
    state.encoder.zlibsettings.btype = 0;
    state.encoder.filter_strategy = LFS_ZERO;
    state.encoder.auto_convert = 0;
    state.info_raw.colortype = LCT_RGBA;
    state.info_png.color.colortype = LCT_RGBA;
    std::vector<unsigned char> png;
    if (lodepng::encode(png, image, static_cast<unsigned>(width), static_cast<unsigned>(height), state) != 0 ||
        lodepng::save_file(png, path) != 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

void writeDataTile(const std::string& root, int lon0, int lat0,
                   const std::function<DataPixel(int row, int col)>& pixel, int width) {
    const std::string path = root + "Tile_8png_d/BD_8_" + std::to_string(lon0) + "_" + std::to_string(lat0) + "_1920.png";
    writePng(path, width, 1920, [&](int r, int c, std::uint8_t* px) {
        const DataPixel p = pixel(r, c);
        px[0] = static_cast<std::uint8_t>(p.code >> 8);
        px[1] = static_cast<std::uint8_t>(p.code & 0xff);
        px[2] = p.blue;
        px[3] = 255;
    });
}

void writeFlatDataTile(const std::string& root, int lon0, int lat0, double elevationM) {
    const DataPixel p{codeOfElevation(elevationM), 0};
    writeDataTile(root, lon0, lat0, [p](int, int) { return p; });
}

void writePictureTile(const std::string& root, int lon0, int lat0, int width,
                      std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const std::string path = root + "Tile_8png_i/BI_8_" + std::to_string(lon0) + "_" + std::to_string(lat0) + "_1920.png";
    writePng(path, width, 1920, [&](int, int, std::uint8_t* px) {
        px[0] = r;
        px[1] = g;
        px[2] = b;
        px[3] = 255;
    });
}

}  // namespace tessarin::test
