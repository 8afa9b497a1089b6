#include "TileBuilder.hpp"

#include "DataTile.hpp"
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

// A width x height picture area (plus margin) from the grid's averages, for
// the overview pictures and globe tiles: each output pixel is the mean of the
// grid pixels whose centres lie in it (a grid coarser than the picture gives
// the pixel under its centre). The grid is read in strips of rows, so a
// 72-degree block of a 15 arc-second grid never sits in memory whole.
bool averagedGrid(GridSource& source, double west, double north, double degPerCol, double degPerRow, int width,
                  int height, ElevationGrid& grid, std::string& error) {
    grid.reset(width, height, north, degPerCol, degPerRow, kNoValue);
    // Grid pixel spans [first, last] of each output column and row; index
    // o is column (or row) o - 1 of the area, so 0 is the margin.
    const int outCols = width + 2, outRows = height + 2;
    std::vector<int> colFirst(outCols, -1), colLast(outCols, -1), rowFirst(outRows, -1), rowLast(outRows, -1);
    auto span = [](double from, double to, int count, int nearest, int& first, int& last) {
        // Pixel k's centre lies at k + 0.5 in grid units: from <= k + 0.5 < to.
        first = std::max(0, static_cast<int>(std::ceil(from - 0.5)));
        last = std::min(count - 1, static_cast<int>(std::ceil(to - 0.5)) - 1);
        if (first > last) first = last = nearest;
    };
    for (int o = 0; o < outCols; ++o) {
        const double left = west + (o - 1) * degPerCol;
        const double shift = source.shiftFor(left + 0.5 * degPerCol);
        if (std::isnan(shift)) continue;
        span((left + shift - source.west()) / source.dx(), (left + degPerCol + shift - source.west()) / source.dx(),
             source.cols(), source.columnOf(left + 0.5 * degPerCol), colFirst[o], colLast[o]);
    }
    for (int o = 0; o < outRows; ++o) {
        const double top = north - (o - 1) * degPerRow;
        if (top - 0.5 * degPerRow > 90.0 || top - 0.5 * degPerRow < -90.0) continue;
        span((source.north() - top) / source.dy(), (source.north() - top + degPerRow) / source.dy(), source.rows(),
             source.rowOf(top - 0.5 * degPerRow), rowFirst[o], rowLast[o]);
    }
    // Runs of output columns whose grid columns climb without a break (a
    // global grid's seam starts a new run).
    struct Run {
        int o0, o1;  // output columns [o0, o1)
        int col0, col1;  // grid columns [col0, col1]
    };
    std::vector<Run> runs;
    for (int o = 0; o < outCols; ++o) {
        if (colFirst[o] < 0) continue;
        if (!runs.empty() && runs.back().o1 == o && colFirst[o] >= colFirst[o - 1] &&
            colFirst[o] - runs.back().col1 <= 16) {
            runs.back().o1 = o + 1;
            runs.back().col1 = std::max(runs.back().col1, colLast[o]);
        } else {
            runs.push_back({o, o + 1, colFirst[o], colLast[o]});
        }
    }
    constexpr int kStripRows = 512;  // grid rows read at a time
    std::vector<float> strip;
    int o = 0;
    while (o < outRows) {
        if (rowFirst[o] < 0) {
            ++o;
            continue;
        }
        // Output rows [o, end) whose grid rows fit one strip.
        int low = rowFirst[o], high = rowLast[o], end = o + 1;
        while (end < outRows && rowFirst[end] >= 0 &&
               std::max(high, rowLast[end]) - std::min(low, rowFirst[end]) < kStripRows) {
            low = std::min(low, rowFirst[end]);
            high = std::max(high, rowLast[end]);
            ++end;
        }
        for (const Run& run : runs) {
            const std::size_t stride = static_cast<std::size_t>(run.col1 - run.col0 + 1);
            strip.resize(stride * static_cast<std::size_t>(high - low + 1));
            if (!source.readValues(run.col0, low, static_cast<int>(stride), high - low + 1, strip.data(), stride, error))
                return false;
            for (int orow = o; orow < end; ++orow) {
                for (int ocol = run.o0; ocol < run.o1; ++ocol) {
                    double sum = 0.0;
                    int count = 0;
                    for (int r = rowFirst[orow]; r <= rowLast[orow]; ++r) {
                        const float* row = &strip[static_cast<std::size_t>(r - low) * stride];
                        for (int c = colFirst[ocol]; c <= colLast[ocol]; ++c) {
                            const float v = row[c - run.col0];
                            if (std::isnan(v)) continue;
                            sum += v;
                            ++count;
                        }
                    }
                    if (count > 0) grid.at(orow - 1, ocol - 1) = static_cast<float>(sum / count);
                }
            }
        }
        o = end;
    }
    return true;
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
