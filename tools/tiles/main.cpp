// tessarin-tiles: converts an elevation grid (GEBCO or alike) and its
// source-type grid into the planner's data tiles, picture tiles, overview
// pictures and globe tiles.

#include "CommandLine.hpp"
#include "TileBuilder.hpp"
#include "earth/ConsoleProgress.hpp"

#include <chrono>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <string>

namespace {

void usage(std::ostream& os) {
    os << "usage: tessarin-tiles --elevation DATASET [--tid DATASET] --out FOLDER\n"
          "                      [--window WEST SOUTH EAST NORTH] [--threads N] [--no-overviews]\n"
          "  --elevation DATASET  elevation grid in metres, any format GDAL opens: a GeoTIFF, a VRT of\n"
          "                       GeoTIFF tiles, or a NetCDF variable as NETCDF:\"file.nc\":elevation\n"
          "  --tid DATASET        source-type grid of the same area; type 11 (multibeam) marks the\n"
          "                       pixel as surveyed\n"
          "  --out FOLDER         world folder to write (created if missing; tiles are replaced)\n"
          "  --window W S E N     cells to write, in whole degrees on the 8-degree grid: longitudes\n"
          "                       -180 + 8k, latitudes multiples of 8 (default: every cell the grid reaches)\n"
          "  --threads N          worker threads (default 2)\n"
          "  --no-overviews       skip the 72-degree overview pictures and the globe tiles\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessarin::tiles;
    using tessarin::parseInt;
    TileBuildOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto need = [&](int count) {
            if (i + count >= argc) {
                std::cerr << "tessarin-tiles: " << arg << " needs " << count << " value(s)\n";
                usage(std::cerr);
                std::exit(2);
            }
        };
        long v = 0;
        if (arg == "--elevation") {
            need(1);
            options.elevation = argv[++i];
        } else if (arg == "--tid") {
            need(1);
            options.types = argv[++i];
        } else if (arg == "--out") {
            need(1);
            options.outDir = argv[++i];
        } else if (arg == "--window") {
            need(4);
            long e[4];
            for (int k = 0; k < 4; ++k) {
                if (!parseInt(argv[i + 1 + k], -1000, 1000, e[k])) {
                    std::cerr << "tessarin-tiles: --window needs four whole numbers: WEST SOUTH EAST NORTH\n";
                    return 2;
                }
            }
            i += 4;
            options.haveWindow = true;
            options.west = static_cast<int>(e[0]);
            options.south = static_cast<int>(e[1]);
            options.east = static_cast<int>(e[2]);
            options.north = static_cast<int>(e[3]);
            std::vector<CellId> cells;
            std::string error;
            if (!windowCells(options.west, options.south, options.east, options.north, cells, error)) {
                std::cerr << "tessarin-tiles: " << error << "\n";
                return 2;
            }
        } else if (arg == "--threads") {
            need(1);
            if (!parseInt(argv[++i], 1, 64, v)) {
                std::cerr << "tessarin-tiles: --threads needs a number from 1 to 64\n";
                return 2;
            }
            options.threads = static_cast<int>(v);
        } else if (arg == "--no-overviews") {
            options.pictures = false;
        } else if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            return 0;
        } else {
            std::cerr << "tessarin-tiles: unknown option " << arg << "\n";
            usage(std::cerr);
            return 2;
        }
    }
    if (options.elevation.empty() || options.outDir.empty()) {
        std::cerr << "tessarin-tiles: --elevation DATASET and --out FOLDER are required\n";
        usage(std::cerr);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    tessarin::ConsoleProgress progress(std::cerr);
    TileBuildSummary summary;
    std::string error;
    if (!buildTiles(options, progress, summary, error)) {
        std::cerr << "tessarin-tiles: " << error << "\n";
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "world written to " << options.outDir << ": " << summary.cells << " cells ("
              << summary.multibeamPixels << " multibeam pixels), " << summary.overviews << " overview pictures, "
              << summary.globeTiles << " globe tiles";
    if (summary.emptyCells > 0) std::cout << "; cells outside the grid, not written: " << summary.emptyCells;
    std::cout << "; " << std::fixed << std::setprecision(1) << seconds << " s\n";
    return 0;
}
