#pragma once
// Turns an elevation grid (and, when given, the grid of source types that
// marks multibeam-surveyed pixels) into a world folder the planner opens:
// data and picture tiles of 8-degree cells, the ten 72-degree overview
// pictures and the globe tiles start-up loads.

#include "WorldLayout.hpp"
#include "earth/ProgressSink.hpp"

#include <string>
#include <vector>

namespace tessarin::tiles {

using tilekit::CellId;

// Source-type code of a multibeam-surveyed pixel in the type grid.
constexpr int kMultibeamType = 11;

struct TileBuildOptions {
    std::string elevation;  // GDAL dataset of elevations in metres, sea floor negative
    std::string types;      // GDAL dataset of source-type codes; empty: no multibeam flags
    std::string outDir;
    bool haveWindow = false;  // otherwise every cell the grid touches
    int west = -180, south = -96, east = 180, north = 96;
    int threads = 2;
    bool pictures = true;   // overview pictures and globe tiles
};

struct TileBuildSummary {
    int cells = 0;           // cells written (a data and a picture tile each)
    int emptyCells = 0;      // cells of the window the grid does not reach (no files)
    int overviews = 0;
    int globeTiles = 0;
    long multibeamPixels = 0;
};

// The cells of a window given by its edges in whole degrees on the planner's
// 8-degree grid (west and east on -180 + 8k, south and north on multiples of
// 8, from -96 to 96). False with a message when the edges do not fit.
bool windowCells(int west, int south, int east, int north, std::vector<CellId>& cells, std::string& error);

// Runs the conversion. Progress goes to progress (one step per file
// written); false with a message in error when a grid cannot be read or a
// file cannot be written. Files are replaced whole or not at all.
bool buildTiles(const TileBuildOptions& options, ProgressSink& progress, TileBuildSummary& summary,
                std::string& error);

}  // namespace tessarin::tiles
