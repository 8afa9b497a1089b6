#pragma once
// Writes a complete working folder for the planner: data and picture tiles
// of a region, overview and globe pictures, logos and buttons, and the sample
// inputs. Existing files are kept unless a rebuild is asked for.

#include "WorldLayout.hpp"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tessarin::worldgen {

using tilekit::CellId;
using tilekit::dataTileName;
using tilekit::globeTileName;
using tilekit::overviewName;
using tilekit::pictureTileName;
using tilekit::startupGlobeTiles;

struct GeneratorOptions {
    std::string outDir;
    std::string dataDir;  // where config.txt and the other sample inputs are copied from
    std::uint32_t seed = 1;
    bool rebuild = false;
    int threads = 2;
    std::vector<CellId> cells;  // the 8-degree cells to write
    bool writeData = true;      // Tile_8png_d
    bool writePictures = true;  // Tile_8png_i
    bool writeOverviews = true; // GlobeTiles/BI72
    bool writeGlobe = true;     // GlobeTiles/BG15
    bool writeArtwork = true;   // Logos
    bool writeSamples = true;   // config, curve, areas, shapefile
};

// The cells of the default world: the north-east Pacific from 172 W to 108 W
// and from the equator to 40 N (cell west edges lie on -180 + 8k), plus the
// two cells east of it that hold the trench off Mexico.
std::vector<CellId> defaultCells();

// Cells of a region given by its edges in degrees (multiples of 8 on the
// planner's grid). False with a message when the edges are not usable.
bool regionCells(int lonWest, int lonEast, int latSouth, int latNorth, std::vector<CellId>& cells,
                 std::string& error);

// Runs the generation; one progress line per tile goes to out, problems to
// err. Returns false when something could not be written.
bool generateWorld(const GeneratorOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tessarin::worldgen
