// tessarin-worldgen: writes the sample world the planner starts in.
//   tessarin-worldgen --out DIR [--seed N] [--rebuild] [--region lonW lonE latS latN]
//                     [--data DIR] [--threads N] [--inputs-only]

#include "CommandLine.hpp"
#include "WorldGenerator.hpp"

#include <cstdlib>
#include <iostream>
#include <string>

#ifndef TESSARIN_WORLDGEN_DATA_DIR
#define TESSARIN_WORLDGEN_DATA_DIR "data"
#endif

namespace {

void usage(std::ostream& os) {
    os << "usage: tessarin-worldgen --out DIR [--seed N] [--rebuild] [--region lonW lonE latS latN]\n"
          "                         [--data DIR] [--threads N] [--inputs-only]\n"
          "  --out DIR      world folder to write (created if missing)\n"
          "  --seed N       noise seed (default 1); the same seed gives the same files\n"
          "  --rebuild      rewrite files that already exist (default: keep them)\n"
          "  --region W E S N  cell edges in degrees on the 8-degree grid: longitudes -180 + 8k,\n"
          "                 latitudes multiples of 8 (default: 172 W to 108 W, 0 to 40 N,\n"
          "                 plus the trench cells 108 W to 100 W, 8 N to 24 N)\n"
          "  --data DIR     folder holding config.txt, EMdefault.txt and Area_*.csv\n"
          "                 (default " TESSARIN_WORLDGEN_DATA_DIR ")\n"
          "  --threads N    worker threads (default 2)\n"
          "  --inputs-only  write only the logos, buttons and sample inputs, no tiles or pictures\n"
          "                 (for a world whose tiles come from tessarin-tiles)\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessarin::worldgen;
    using tessarin::parseInt;
    GeneratorOptions options;
    options.dataDir = TESSARIN_WORLDGEN_DATA_DIR;
    options.cells = defaultCells();
    bool haveOut = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto need = [&](int count) {
            if (i + count >= argc) {
                std::cerr << "tessarin-worldgen: " << arg << " needs " << count << " value(s)\n";
                usage(std::cerr);
                std::exit(2);
            }
        };
        long v = 0;
        if (arg == "--out") {
            need(1);
            options.outDir = argv[++i];
            haveOut = true;
        } else if (arg == "--seed") {
            need(1);
            if (!parseInt(argv[++i], 0, 4294967295L, v)) {
                std::cerr << "tessarin-worldgen: --seed needs a whole number from 0 to 4294967295\n";
                return 2;
            }
            options.seed = static_cast<std::uint32_t>(v);
        } else if (arg == "--rebuild") {
            options.rebuild = true;
        } else if (arg == "--region") {
            need(4);
            long e[4];
            for (int k = 0; k < 4; ++k) {
                if (!parseInt(argv[i + 1 + k], -1000, 1000, e[k])) {
                    std::cerr << "tessarin-worldgen: --region needs four whole numbers: lonW lonE latS latN\n";
                    return 2;
                }
            }
            i += 4;
            std::string error;
            if (!regionCells(static_cast<int>(e[0]), static_cast<int>(e[1]), static_cast<int>(e[2]),
                             static_cast<int>(e[3]), options.cells, error)) {
                std::cerr << "tessarin-worldgen: " << error << "\n";
                return 2;
            }
        } else if (arg == "--data") {
            need(1);
            options.dataDir = argv[++i];
        } else if (arg == "--threads") {
            need(1);
            if (!parseInt(argv[++i], 1, 64, v)) {
                std::cerr << "tessarin-worldgen: --threads needs a number from 1 to 64\n";
                return 2;
            }
            options.threads = static_cast<int>(v);
        } else if (arg == "--inputs-only") {
            options.cells.clear();
            options.writeData = options.writePictures = options.writeOverviews = options.writeGlobe = false;
        } else if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            return 0;
        } else {
            std::cerr << "tessarin-worldgen: unknown option " << arg << "\n";
            usage(std::cerr);
            return 2;
        }
    }
    if (!haveOut || options.outDir.empty()) {
        std::cerr << "tessarin-worldgen: --out DIR is required\n";
        usage(std::cerr);
        return 2;
    }
    return generateWorld(options, std::cout, std::cerr) ? 0 : 1;
}
