#include "TileBuilder.hpp"

#include "DataTile.hpp"
#include "GridAverage.hpp"
#include "GridSource.hpp"
#include "PngFile.hpp"
#include "ReliefRenderer.hpp"
#include "SampledWindow.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace tessarin::tiles {

namespace {

using tilekit::ElevationGrid;
using tilekit::kCellDegrees;
using tilekit::kCellPixels;

constexpr double kPixelDeg = 1.0 / tilekit::kPixelsPerDegree;
constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();
// Cells read together: up to 72 degrees of longitude, so a band of the
// global 15 arc-second grid holds at most 17,282 x 1,922 values.
constexpr int kCellsPerBand = 9;

// Consecutive cells of one cell row, read as one band.
struct Band {
    int lat0;
    int lon0;  // west edge of the first cell
    int count;
};

struct LoadedBand {
    Band band{};
    SampledWindow<float> elevation;
    SampledWindow<std::uint8_t> types;
    bool ok = false;
    std::string error;
};

int floorTo8(double v) { return static_cast<int>(std::floor(v / 8.0)) * 8; }
int ceilTo8(double v) { return static_cast<int>(std::ceil(v / 8.0)) * 8; }

// Whether any pixel centre of the cell lies in the grid.
bool cellTouchesGrid(const GridSource& grid, const CellId& cell) {
    bool row = false, col = false;
    for (int k = 0; k < kCellPixels && !row; ++k) row = grid.rowOf(cell.lat0 + (k + 0.5) * kPixelDeg) >= 0;
    for (int k = 0; k < kCellPixels && !col; ++k) col = grid.columnOf(cell.lon0 + (k + 0.5) * kPixelDeg) >= 0;
    return row && col;
}

// The window of cells a grid reaches when none is given.
void gridWindow(const GridSource& grid, int& west, int& south, int& east, int& north) {
    // Edges read from NetCDF coordinates are off by rounding: half a pixel
    // inwards keeps a grid ending at 8 N from reaching into the cell above.
    const double w = grid.west() + 0.5 * grid.dx(), e = grid.east() - 0.5 * grid.dx();
    if (grid.global() || w < -180.0 || e > 180.0) {
        west = -180, east = 180;  // wraps or runs 0..360: every longitude
    } else {
        west = std::max(-180, floorTo8(w + 180.0) - 180);
        east = std::min(180, ceilTo8(e + 180.0) - 180);
    }
    south = std::clamp(floorTo8(grid.south() + 0.5 * grid.dy()), -96, 88);
    north = std::clamp(ceilTo8(grid.north() - 0.5 * grid.dy()), south + 8, 96);
}

LoadedBand loadBand(GridSource& elevation, GridSource* types, const Band& band) {
    LoadedBand loaded;
    loaded.band = band;
    const double west = band.lon0 - kPixelDeg, north = band.lat0 + kCellDegrees + kPixelDeg;
    const int cols = band.count * kCellPixels + 2, rows = kCellPixels + 2;
    loaded.ok = loaded.elevation.load(elevation, west, north, kPixelDeg, cols, rows, loaded.error) &&
                (!types || loaded.types.load(*types, west, north, kPixelDeg, cols, rows, loaded.error));
    return loaded;
}

// Grid of cell k of a loaded band with its margin; multibeam flags of its area.
void cellGrid(const LoadedBand& loaded, bool haveTypes, int k, ElevationGrid& grid, std::vector<std::uint8_t>& flags) {
    grid.reset(kCellPixels, kCellPixels, loaded.band.lat0 + kCellDegrees, kPixelDeg, kPixelDeg, kNoValue);
    flags.assign(static_cast<std::size_t>(kCellPixels) * kCellPixels, 0);
    const int base = k * kCellPixels;  // window column of the cell's west margin
    for (int r = -1; r <= kCellPixels; ++r) {
        float* row = &grid.at(r, -1);
        for (int c = -1; c <= kCellPixels; ++c) {
            const int wr = r + 1, wc = base + c + 1;
            if (loaded.elevation.has(wr, wc)) row[c + 1] = loaded.elevation.at(wr, wc);
        }
        if (!haveTypes || r < 0 || r >= kCellPixels) continue;
        std::uint8_t* flagRow = &flags[static_cast<std::size_t>(r) * kCellPixels];
        for (int c = 0; c < kCellPixels; ++c) {
            const int wr = r + 1, wc = base + c + 1;
            flagRow[c] = loaded.types.has(wr, wc) && loaded.types.at(wr, wc) == kMultibeamType;
        }
    }
}

bool prepareFolder(const std::string& root, std::string& error) {
    std::error_code ec;
    for (const std::string& sub : tilekit::tileFolders()) {
        fs::create_directories(fs::path(root) / sub, ec);
        if (ec) {
            error = "cannot create folder " + (fs::path(root) / sub).string() + ": " + ec.message();
            return false;
        }
    }
    // Folders can exist and still refuse files.
    const fs::path probe = fs::path(root) / "Tile_8png_d" / ".tiles-probe";
    {
        std::ofstream test(probe);
        if (!test) {
            error = "cannot write into " + (fs::path(root) / "Tile_8png_d").string();
            return false;
        }
    }
    fs::remove(probe, ec);
    return true;
}

// Runs work(index, worker) for indices 0..count-1 on up to `threads`
// threads (worker 0..threads-1 names the thread) and stops handing out work
// once one call fails.
template <typename Work>
bool runParallel(int threads, int count, Work work) {
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    auto worker = [&](int self) {
        for (;;) {
            const int i = next++;
            if (i >= count || failed) return;
            if (!work(i, self)) failed = true;
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < std::min(threads, count); ++t) pool.emplace_back(worker, t);
    worker(0);
    for (auto& t : pool) t.join();
    return !failed;
}

}  // namespace

bool windowCells(int west, int south, int east, int north, std::vector<CellId>& cells, std::string& error) {
    if ((west + 180) % 8 != 0 || (east + 180) % 8 != 0 || south % 8 != 0 || north % 8 != 0) {
        error = "window edges must lie on the 8-degree cell grid (longitudes -180 + 8k, latitudes multiples of 8), "
                "e.g. -172 0 -140 32";
        return false;
    }
    if (west < -180 || east > 180 || west >= east) {
        error = "window longitudes must satisfy -180 <= west < east <= 180";
        return false;
    }
    if (south < -96 || north > 96 || south >= north) {
        error = "window latitudes must satisfy -96 <= south < north <= 96";
        return false;
    }
    cells.clear();
    for (int lat0 = north - 8; lat0 >= south; lat0 -= 8)
        for (int lon0 = west; lon0 < east; lon0 += 8) cells.push_back({lon0, lat0});
    return true;
}

bool buildTiles(const TileBuildOptions& options, ProgressSink& progress, TileBuildSummary& summary,
                std::string& error) {
    summary = TileBuildSummary{};
    std::unique_ptr<GridSource> elevation = GridSource::open(options.elevation, error);
    if (!elevation) return false;
    std::unique_ptr<GridSource> types;
    if (!options.types.empty()) {
        types = GridSource::open(options.types, error);
        if (!types) return false;
    }
    int west = options.west, south = options.south, east = options.east, north = options.north;
    if (!options.haveWindow) gridWindow(*elevation, west, south, east, north);
    std::vector<CellId> cells;
    if (!windowCells(west, south, east, north, cells, error)) return false;
    const std::string root = options.outDir.empty() ? std::string(".") : options.outDir;
    if (!prepareFolder(root, error)) return false;
    auto at = [&](const std::string& name) { return (fs::path(root) / name).string(); };

    // Bands of consecutive cells the grid reaches, north to south.
    std::vector<Band> bands;
    for (const CellId& cell : cells) {
        if (!cellTouchesGrid(*elevation, cell)) {
            ++summary.emptyCells;
            continue;
        }
        if (!bands.empty()) {
            Band& last = bands.back();
            if (last.lat0 == cell.lat0 && last.lon0 + last.count * kCellDegrees == cell.lon0 &&
                last.count < kCellsPerBand) {
                ++last.count;
                continue;
            }
        }
        bands.push_back({cell.lat0, cell.lon0, 1});
    }
    const int cellCount = static_cast<int>(cells.size()) - summary.emptyCells;
    const std::vector<CellId> blocks = options.pictures ? tilekit::overviewBlocks() : std::vector<CellId>{};
    const std::vector<CellId> globe = options.pictures ? tilekit::startupGlobeTiles() : std::vector<CellId>{};
    const int threads = std::max(1, options.threads);

    ProgressStage stage(progress, "Tiles", cellCount + static_cast<long>(blocks.size() + globe.size()));
    std::mutex lock;
    long done = 0;
    std::string firstError;
    auto finished = [&](long multibeam) {
        std::lock_guard<std::mutex> guard(lock);
        summary.multibeamPixels += multibeam;
        stage.step(++done);
    };
    auto failWith = [&](const std::string& message) {
        std::lock_guard<std::mutex> guard(lock);
        if (firstError.empty()) firstError = message;
        return false;
    };

    // Cells: one band is read while the cells of the one before are drawn,
    // so at most two bands are held at a time.
    std::future<LoadedBand> pending;
    if (!bands.empty())
        pending = std::async(std::launch::async, loadBand, std::ref(*elevation), types.get(), bands[0]);
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const LoadedBand loaded = pending.get();
        if (b + 1 < bands.size())
            pending = std::async(std::launch::async, loadBand, std::ref(*elevation), types.get(), bands[b + 1]);
        if (!loaded.ok) {
            if (pending.valid()) pending.wait();
            error = loaded.error;
            return false;
        }
        const bool ok = runParallel(threads, loaded.band.count, [&](int k, int) {
            const int lon0 = loaded.band.lon0 + k * kCellDegrees, lat0 = loaded.band.lat0;
            ElevationGrid grid;
            std::vector<std::uint8_t> flags, pixels;
            cellGrid(loaded, types != nullptr, k, grid, flags);
            std::string message;
            const long multibeam = tilekit::encodeDataTile(grid, types ? flags.data() : nullptr, pixels);
            if (!tilekit::writePng(at(tilekit::dataTileName(lon0, lat0)), kCellPixels, kCellPixels, 4, pixels, message))
                return failWith(message);
            const int width = tilekit::pictureWidthFor(lat0);
            tilekit::renderRelief(grid, width, pixels);
            if (!tilekit::writeRgbPng(at(tilekit::pictureTileName(lon0, lat0)), width, kCellPixels, pixels, message))
                return failWith(message);
            finished(multibeam);
            return true;
        });
        if (!ok) {
            if (pending.valid()) pending.wait();
            error = firstError;
            return false;
        }
        summary.cells += loaded.band.count;
    }

    // Overview pictures and globe tiles: averages of the grid, each worker
    // reading through a dataset of its own.
    struct Picture {
        CellId corner;
        bool overview;
    };
    std::vector<Picture> pictures;
    for (const CellId& c : blocks) pictures.push_back({c, true});
    for (const CellId& c : globe) pictures.push_back({c, false});
    const int pictureThreads = std::min(threads, static_cast<int>(pictures.size()));
    std::vector<std::unique_ptr<GridSource>> readers(static_cast<std::size_t>(std::max(pictureThreads, 0)));
    const bool ok = runParallel(pictureThreads, static_cast<int>(pictures.size()), [&](int i, int self) {
        std::string message;
        auto& reader = readers[static_cast<std::size_t>(self)];
        if (!reader) reader = GridSource::open(options.elevation, message);
        if (!reader) return failWith(message);
        const Picture& p = pictures[static_cast<std::size_t>(i)];
        ElevationGrid grid;
        std::vector<std::uint8_t> rgb;
        std::string name;
        if (p.overview) {
            const double deg = static_cast<double>(tilekit::kOverviewDegrees) / tilekit::kOverviewPixels;
            if (!averagedGrid(*reader, p.corner.lon0, p.corner.lat0 + tilekit::kOverviewDegrees, deg, deg,
                              tilekit::kOverviewPixels, tilekit::kOverviewPixels, grid, message))
                return failWith(message);
            name = tilekit::overviewName(p.corner.lon0, p.corner.lat0);
        } else {
            if (!averagedGrid(*reader, p.corner.lon0, p.corner.lat0 + tilekit::kGlobeTileDegreesLat,
                              static_cast<double>(tilekit::kGlobeTileDegreesLon) / tilekit::kGlobeTileWidth,
                              static_cast<double>(tilekit::kGlobeTileDegreesLat) / tilekit::kGlobeTileHeight,
                              tilekit::kGlobeTileWidth, tilekit::kGlobeTileHeight, grid, message))
                return failWith(message);
            name = tilekit::globeTileName(p.corner.lon0, p.corner.lat0);
        }
        tilekit::renderRelief(grid, grid.width, rgb);
        if (!tilekit::writeRgbPng(at(name), grid.width, grid.height, rgb, message)) return failWith(message);
        finished(0);
        return true;
    });
    if (!ok) {
        error = firstError;
        return false;
    }
    summary.overviews = static_cast<int>(blocks.size());
    summary.globeTiles = static_cast<int>(globe.size());
    return true;
}

}  // namespace tessarin::tiles
