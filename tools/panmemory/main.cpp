// tessarin-panmemory: pans across a world folder the way the map does (each
// step a press on the map, which looks up the depth there and so loads the
// cell's tile) and reports the process's resident memory.
//   tessarin-panmemory --world DIR [--steps N] [--fine]
// --fine also makes the fine sub-grid of the one-degree square under every
// step, as coverage marking does, so that resident tiles carry them too.
// Lon and lat are degrees.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "earth/DepthTile.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"

namespace {

// The console lines of thousands of loads would themselves grow memory.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A field of /proc/self/status in kB (VmRSS, VmHWM), -1 when absent.
long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':') return std::atol(line.c_str() + n + 1);
    return -1;
}

void report(const char* when, const tessarin::TileStore& tiles, int fineGrids) {
    std::printf("%-28s VmRSS %8ld kB  VmHWM %8ld kB  resident tiles %2d  fine sub-grids %4d\n", when,
                statusKb("VmRSS"), statusKb("VmHWM"), tiles.residentCount(), fineGrids);
}

int countFineGrids(tessarin::TileStore& tiles) {
    int n = 0;
    for (int la = 0; la < tessarin::TileStore::kLatCells; ++la)
        for (int lo = 0; lo < tessarin::TileStore::kLonCells; ++lo) {
            const tessarin::TileRecord& rec = tiles.record(la, lo);
            if (!rec.loaded || !rec.tile) continue;
            for (const auto& grid : rec.tile->fine) n += grid ? 1 : 0;
        }
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    std::string world;
    int steps = 500;
    bool fine = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--world" && i + 1 < argc) {
            world = argv[++i];
        } else if (arg == "--steps" && i + 1 < argc) {
            steps = std::atoi(argv[++i]);
        } else if (arg == "--fine") {
            fine = true;
        } else {
            std::cerr << "usage: tessarin-panmemory --world DIR [--steps N] [--fine]\n";
            return 2;
        }
    }
    if (world.empty() || steps <= 0) {
        std::cerr << "usage: tessarin-panmemory --world DIR [--steps N] [--fine]\n";
        return 2;
    }
    if (world.back() != '/') world += '/';

    NullBuffer nullBuffer;
    std::ostream console(&nullBuffer);
    tessarin::NullTextureSink sink;
    tessarin::TileStore tiles(console, sink, world);
    report("start", tiles, 0);

    // A serpentine over the sample world (172 W to 100 W, 0 to 40 N), rows
    // and steps 4 degrees apart, again and again: its 45 cells are more than
    // the ring holds, so the ring keeps turning over.
    constexpr double kWest = -171.5, kEast = -100.5, kSouth = 0.5, kNorth = 39.5, kStep = 4.0;
    const int perRow = static_cast<int>((kEast - kWest) / kStep) + 1;
    int loadsWhenFull = -1;
    for (int s = 0; s < steps; ++s) {
        const int row = s / perRow;
        const int k = s % perRow;
        const double lon = (row % 2 == 0) ? kWest + kStep * k : kEast - kStep * k;
        const double lat = kSouth + std::fmod(kStep * row, kNorth - kSouth);
        float elevation = 0.0f;
        tiles.getDepth(lon, lat, elevation);
        if (fine) {
            if (tessarin::DepthTile* tile = tiles.residentTile(lon, lat)) {
                const int square = static_cast<int>(lat - tile->lat0) * 8 + static_cast<int>(lon - tile->lon0);
                auto& grid = tile->fine[square < 0 ? 0 : square % tessarin::DepthTile::kFineGrids];
                if (!grid) {
                    constexpr std::size_t kBytes = static_cast<std::size_t>(tessarin::DepthTile::kFineSize) *
                                                   tessarin::DepthTile::kFineSize;
                    grid = std::make_unique<std::uint8_t[]>(kBytes);
                    std::memset(grid.get(), 1, kBytes);  // touched, as marking touches it
                }
            }
        }
        if (loadsWhenFull < 0 && tiles.residentCount() == tessarin::TileStore::kRingSize) {
            loadsWhenFull = tiles.loadCounter();
            report("ring full", tiles, countFineGrids(tiles));
        }
    }
    std::printf("steps %d, tile loads %d\n", steps, tiles.loadCounter());
    report("after the pan", tiles, countFineGrids(tiles));
    return 0;
}
