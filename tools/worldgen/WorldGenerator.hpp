#pragma once
// Writes a complete working folder for the planner: data and picture tiles
// of a region, overview and globe pictures, logos and buttons, and the sample
// inputs. Existing files are kept unless a rebuild is asked for.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tessarin::worldgen {

struct CellId {
    int lon0;
    int lat0;
    bool operator==(const CellId& o) const { return lon0 == o.lon0 && lat0 == o.lat0; }
};

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

// Names of the files, relative to the world folder.
std::string dataTileName(int lon0, int lat0);
std::string pictureTileName(int lon0, int lat0);
std::string overviewName(int lon0, int lat0);
std::string globeTileName(int lon0, int lat0);

// The six globe tiles start-up loads (latitude 15, longitude -160), as (lon, band) pairs.
std::vector<CellId> startupGlobeTiles();

// Runs the generation; one progress line per tile goes to out, problems to
// err. Returns false when something could not be written.
bool generateWorld(const GeneratorOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tessarin::worldgen
