#pragma once
// Where the planner looks for its images in a world folder and what size
// they must be: 8-degree cells of 1920 x 1920 data pixels (15 arc-seconds),
// picture tiles of the same cells, ten 72-degree overview pictures and the
// globe tiles start-up loads.

#include <string>
#include <vector>

namespace tessarin::tilekit {

constexpr int kCellDegrees = 8;
constexpr int kCellPixels = 1920;
constexpr int kPixelsPerDegree = kCellPixels / kCellDegrees;
constexpr int kOverviewDegrees = 72;
constexpr int kOverviewPixels = 1920;
constexpr int kGlobeTileDegreesLon = 15;
constexpr int kGlobeTileDegreesLat = 8;
constexpr int kGlobeTileWidth = 1800;
constexpr int kGlobeTileHeight = 960;

// A cell, block or globe tile by its south-west corner in whole degrees.
struct CellId {
    int lon0;
    int lat0;
    bool operator==(const CellId& o) const { return lon0 == o.lon0 && lat0 == o.lat0; }
};

// Names relative to the world folder.
std::string dataTileName(int lon0, int lat0);
std::string pictureTileName(int lon0, int lat0);
std::string overviewName(int lon0, int lat0);
std::string globeTileName(int lon0, int lat0);
// The folders those names live in.
std::vector<std::string> tileFolders();

// Picture tiles of cells at 56 degrees north or more, or -64 or less, are
// half as wide (the map stretches them back).
int pictureWidthFor(int lat0);

// The ten overview blocks in the order start-up loads them.
std::vector<CellId> overviewBlocks();

// The six globe tiles start-up loads (latitude 15, longitude -160), as
// (lon, band) pairs.
std::vector<CellId> startupGlobeTiles();

}  // namespace tessarin::tilekit
