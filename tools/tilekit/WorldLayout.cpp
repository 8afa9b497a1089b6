#include "WorldLayout.hpp"

namespace tessarin::tilekit {

namespace {

std::string named(const char* prefix, int lon0, int lat0, const char* suffix) {
    return prefix + std::to_string(lon0) + "_" + std::to_string(lat0) + suffix;
}

}  // namespace

std::string dataTileName(int lon0, int lat0) { return named("Tile_8png_d/BD_8_", lon0, lat0, "_1920.png"); }
std::string pictureTileName(int lon0, int lat0) { return named("Tile_8png_i/BI_8_", lon0, lat0, "_1920.png"); }
std::string overviewName(int lon0, int lat0) { return named("GlobeTiles/BI72_", lon0, lat0, "_1920.png"); }
std::string globeTileName(int lon0, int lat0) { return named("GlobeTiles/BG15_", lon0, lat0, "_1800.png"); }

std::vector<std::string> tileFolders() { return {"Tile_8png_d", "Tile_8png_i", "GlobeTiles"}; }

int pictureWidthFor(int lat0) { return (lat0 >= 56 || lat0 <= -64) ? kCellPixels / 2 : kCellPixels; }

std::vector<CellId> overviewBlocks() {
    return {{-180, 0}, {-108, 0}, {-36, 0}, {36, 0}, {108, 0}, {-180, -72}, {-108, -72}, {-36, -72}, {36, -72}, {108, -72}};
}

std::vector<CellId> startupGlobeTiles() {
    // Start-up looks at latitude 15, longitude -160: bands 8 and 16, three
    // 15-degree tiles each from one step west of the tile holding -160.
    std::vector<CellId> tiles;
    for (int band : {8, 16})
        for (int lon : {-180, -165, -150}) tiles.push_back({lon, band});
    return tiles;
}

}  // namespace tessarin::tilekit
