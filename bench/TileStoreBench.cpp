// Costs of the tile store: the depth lookup on resident tiles against a plain
// array read, loading a data tile against a bare decode of the same file, the
// two PNG decoders (lodepng, libpng) on the same file, one cell's load (data
// and picture) against the longer of its two bare decodes, and a preload of
// 12 cells along a line with the decode workers against the same preload on
// the calling thread alone. The ratios are printed at the end of the run.

#include <benchmark/benchmark.h>
#include <lodepng.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "earth/DepthTile.hpp"
#include "earth/PngDecoder.hpp"
#include "earth/TileStore.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace {

using tessarin::DepthTile;
using tessarin::TileStore;

// The four cells of the lookup benchmark: west edges -4 and 4, south edges -8
// and 0 (one data file copied to each).
constexpr int kCells[4][2] = {{-4, -8}, {4, -8}, {-4, 0}, {4, 0}};

// The preload line runs along 20 N from 43.5 W to 51.5 E: 12 cells of the
// band 16..24 N (west edges -44 .. 44), each with a data and a picture tile.
// Every other cell it touches (the bands either side) has no files.
constexpr int kLineCells = 12;
constexpr int kLineWest = -44;
constexpr int kLineSouth = 16;
constexpr int kSingleCell[2] = {-4, kLineSouth};  // the cell of the one-load benchmark

struct World {
    tessarin::test::TempDir dir;
    std::string dataFile;     // the full-size tile at (-4, -8)
    std::string pictureFile;  // the picture of the cell at (-4, 16)
};

// A 1920 x 1920 RGB picture shaded like the map's relief pictures: depth
// colours lit from the north-west over the same kind of sea floor as the
// data tile, with grain, so that its decode costs what a real one does.
std::vector<unsigned char> hillShadedPicture() {
    constexpr int kSide = 1920;
    std::vector<double> elevationM(static_cast<std::size_t>(kSide) * kSide);
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> grain(-25.0, 25.0);
    for (int r = 0; r < kSide; ++r)
        for (int c = 0; c < kSide; ++c)
            elevationM[static_cast<std::size_t>(r) * kSide + c] =
                -3800.0 + 1600.0 * std::sin(r / 131.0 + std::cos(c / 97.0)) * std::cos(c / 211.0) +
                900.0 * std::sin((r + 2 * c) / 37.0) + grain(rng);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kSide) * kSide * 3);
    for (int r = 0; r < kSide; ++r) {
        for (int c = 0; c < kSide; ++c) {
            const auto at = [&](int rr, int cc) {
                rr = std::clamp(rr, 0, kSide - 1);
                cc = std::clamp(cc, 0, kSide - 1);
                return elevationM[static_cast<std::size_t>(rr) * kSide + cc];
            };
            const double dx = at(r, c + 1) - at(r, c - 1);
            const double dy = at(r + 1, c) - at(r - 1, c);
            const double light = std::clamp(0.6 + (dy - dx) / 400.0, 0.0, 1.0);
            const double depth = std::clamp(-at(r, c) / 6000.0, 0.0, 1.0);
            unsigned char* px = &rgb[(static_cast<std::size_t>(r) * kSide + c) * 3];
            px[0] = static_cast<unsigned char>(light * (60.0 + 120.0 * (1.0 - depth)));
            px[1] = static_cast<unsigned char>(light * (110.0 + 110.0 * (1.0 - depth)));
            px[2] = static_cast<unsigned char>(light * (170.0 + 80.0 * (1.0 - depth)));
        }
    }
    return rgb;
}

std::string pictureFileName(const std::string& root, int lon0, int lat0) {
    return root + "Tile_8png_i/BI_8_" + std::to_string(lon0) + "_" + std::to_string(lat0) + "_1920.png";
}

// A full 1920 x 1920 data tile with a varied sea floor: long swells, a ridge,
// small noise, and reference coverage in survey-line stripes, written the way
// production tiles are (Up filter, normal deflate).
World& world() {
    static std::unique_ptr<World> w = [] {
        auto made = std::make_unique<World>();
        std::vector<unsigned char> image(1920u * 1920u * 4u);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> noise(-30, 30);
        for (int r = 0; r < 1920; ++r) {
            for (int c = 0; c < 1920; ++c) {
                const double elevationM = -4200.0 + 1400.0 * std::sin(r / 157.0) * std::cos(c / 233.0) +
                                          2500.0 * std::exp(-std::pow((c - 0.4 * r - 700.0) / 60.0, 2)) +
                                          noise(rng) / 3.0;
                const std::uint16_t code = tessarin::test::codeOfElevation(elevationM);
                unsigned char* px = &image[(static_cast<std::size_t>(r) * 1920 + c) * 4];
                px[0] = static_cast<unsigned char>(code >> 8);
                px[1] = static_cast<unsigned char>(code & 0xff);
                px[2] = ((r + c / 3) / 45) % 4 == 0 ? 3 : (c % 300 < 40 ? 10 : 0);
                px[3] = 255;
            }
        }
        lodepng::State state;
        state.encoder.filter_strategy = LFS_TWO;  // Up
        state.encoder.auto_convert = 0;
        state.info_raw.colortype = LCT_RGBA;
        state.info_png.color.colortype = LCT_RGBA;
        std::vector<unsigned char> png;
        if (lodepng::encode(png, image, 1920, 1920, state) != 0) std::abort();
        made->dataFile = DepthTile::dataFileName(made->dir.path(), kCells[0][0], kCells[0][1]);
        std::filesystem::create_directories(std::filesystem::path(made->dataFile).parent_path());
        if (lodepng::save_file(png, made->dataFile) != 0) std::abort();
        for (int k = 1; k < 4; ++k)
            std::filesystem::copy_file(made->dataFile, DepthTile::dataFileName(made->dir.path(), kCells[k][0], kCells[k][1]));
        std::printf("data tile: %zu bytes compressed\n", png.size());

        lodepng::State pictureState;
        pictureState.encoder.filter_strategy = LFS_TWO;
        pictureState.encoder.auto_convert = 0;
        pictureState.info_raw.colortype = LCT_RGB;
        pictureState.info_png.color.colortype = LCT_RGB;
        std::vector<unsigned char> picturePng;
        if (lodepng::encode(picturePng, hillShadedPicture(), 1920, 1920, pictureState) != 0) std::abort();
        made->pictureFile = pictureFileName(made->dir.path(), kSingleCell[0], kSingleCell[1]);
        std::filesystem::create_directories(std::filesystem::path(made->pictureFile).parent_path());
        if (lodepng::save_file(picturePng, made->pictureFile) != 0) std::abort();
        std::printf("picture tile: %zu bytes compressed\n", picturePng.size());
        const auto overwrite = std::filesystem::copy_options::overwrite_existing;
        for (int k = 0; k < kLineCells; ++k) {
            const int lon0 = kLineWest + 8 * k;
            const std::string data = DepthTile::dataFileName(made->dir.path(), lon0, kLineSouth);
            const std::string picture = pictureFileName(made->dir.path(), lon0, kLineSouth);
            std::filesystem::copy_file(made->dataFile, data, overwrite);
            if (picture != made->pictureFile) std::filesystem::copy_file(made->pictureFile, picture, overwrite);
        }
        return made;
    }();
    return *w;
}

struct Point {
    double lon, lat;
};

std::vector<Point> randomPoints(int n) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> lon(-4.0, 12.0), lat(-8.0, 8.0);
    std::vector<Point> pts(n);
    for (auto& p : pts) p = {lon(rng), lat(rng)};
    return pts;
}

// Points the way swath generation asks for them: samples every 1/240 degree
// along slanted tracks, each followed by six probes out to 0.1 degree on
// either side, so neighbouring lookups share cache lines and rows.
std::vector<Point> trackPoints(int n) {
    std::vector<Point> pts;
    pts.reserve(n);
    double lon = -3.5, lat = -7.5;
    while (static_cast<int>(pts.size()) < n) {
        pts.push_back({lon, lat});
        for (int k = 1; k <= 6 && static_cast<int>(pts.size()) < n; ++k) {
            pts.push_back({lon + 0.02 * k * 0.1, lat + 0.1 * k / 6.0});
            if (static_cast<int>(pts.size()) < n) pts.push_back({lon - 0.02 * k * 0.1, lat - 0.1 * k / 6.0});
        }
        lon += 1.0 / 240.0;
        lat += 0.2 / 240.0;
        if (lon > 11.5) lon -= 15.0;
        if (lat > 7.5) lat -= 15.0;
    }
    return pts;
}

// Keeps the four tiles resident for the lookup benchmarks.
struct ResidentStore {
    std::ostringstream out;
    tessarin::NullTextureSink sink;
    TileStore tiles{out, sink, world().dir.path()};
    ResidentStore() {
        float e = 0.0f;
        for (const auto& cell : kCells) tiles.getDepth(cell[0] + 1.0, cell[1] + 1.0, e);
        if (tiles.residentCount() != 4) std::abort();
    }
};

ResidentStore& store() {
    static ResidentStore s;
    return s;
}

constexpr int kPoints = 1 << 14;

// Arg 0: random points over the four tiles; arg 1: points along tracks.
std::vector<Point> benchPoints(const benchmark::State& state) {
    return state.range(0) == 0 ? randomPoints(kPoints) : trackPoints(kPoints);
}

void BM_GetDepthResident(benchmark::State& state) {
    TileStore& tiles = store().tiles;
    const std::vector<Point> pts = benchPoints(state);
    std::size_t i = 0;
    float e = 0.0f;
    for (auto _ : state) {
        const Point& p = pts[i++ & (kPoints - 1)];
        benchmark::DoNotOptimize(tiles.getDepth(p.lon, p.lat, e));
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(BM_GetDepthResident)->Arg(0)->Arg(1);

void BM_GetCoverageResident(benchmark::State& state) {
    TileStore& tiles = store().tiles;
    const std::vector<Point> pts = benchPoints(state);
    std::size_t i = 0;
    std::uint16_t v = 0;
    for (auto _ : state) {
        const Point& p = pts[i++ & (kPoints - 1)];
        benchmark::DoNotOptimize(tiles.getCoverage(p.lon, p.lat, v));
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_GetCoverageResident)->Arg(0)->Arg(1);

// The floor: the same codes read from the tiles' own arrays at indices worked
// out beforehand.
void BM_PlainArrayRead(benchmark::State& state) {
    TileStore& tiles = store().tiles;
    const std::vector<Point> pts = benchPoints(state);
    std::vector<const std::uint16_t*> where(kPoints);
    for (int k = 0; k < kPoints; ++k) {
        DepthTile* t = tiles.residentTile(pts[k].lon, pts[k].lat);
        where[k] = t->codeRow(t->rowOf(pts[k].lat)) + t->colOf(pts[k].lon);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const float e = static_cast<float>(*where[i++ & (kPoints - 1)]) / 3.0f - 12000.0f;
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(BM_PlainArrayRead)->Arg(0)->Arg(1);

void BM_LoadDataTile(benchmark::State& state) {
    const std::string root = world().dir.path();
    std::ostream quiet(nullptr);
    for (auto _ : state) {
        DepthTile tile(kCells[0][0], kCells[0][1], 8.0, 0);
        if (!tile.loadData(root, quiet)) std::abort();
        benchmark::DoNotOptimize(tile.codeRow(0));
    }
}
BENCHMARK(BM_LoadDataTile)->Unit(benchmark::kMillisecond);

// The decoder the store uses (libpng, classic interface).
void BM_DecodePng(benchmark::State& state) {
    const std::string file = world().dataFile;
    for (auto _ : state) {
        const tessarin::DecodedImage image = tessarin::decodePng(file);
        if (image.empty()) std::abort();
        benchmark::DoNotOptimize(image.rgba.data());
    }
}
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);

void BM_DecodeLodepng(benchmark::State& state) {
    const std::string file = world().dataFile;
    for (auto _ : state) {
        std::vector<unsigned char> rgba;
        unsigned w = 0, h = 0;
        if (lodepng::decode(rgba, w, h, file) != 0) std::abort();
        benchmark::DoNotOptimize(rgba.data());
    }
}
BENCHMARK(BM_DecodeLodepng)->Unit(benchmark::kMillisecond);

void BM_DecodeLibpngSimplified(benchmark::State& state) {
    const std::string file = world().dataFile;
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, file.c_str())) std::abort();
        image.format = PNG_FORMAT_RGBA;
        std::vector<unsigned char> rgba(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) std::abort();
        benchmark::DoNotOptimize(rgba.data());
    }
}
BENCHMARK(BM_DecodeLibpngSimplified)->Unit(benchmark::kMillisecond);

void BM_DecodePicturePng(benchmark::State& state) {
    const std::string file = world().pictureFile;
    for (auto _ : state) {
        const tessarin::DecodedImage image = tessarin::decodePng(file);
        if (image.empty()) std::abort();
        benchmark::DoNotOptimize(image.rgba.data());
    }
}
BENCHMARK(BM_DecodePicturePng)->Unit(benchmark::kMillisecond);

// The floor of a load that reads both files at once on this machine: the two
// bare decodes on two threads, sharing the cores' caches and memory.
void BM_DecodeBothAtOnce(benchmark::State& state) {
    const std::string data = world().dataFile, picture = world().pictureFile;
    for (auto _ : state) {
        tessarin::DecodedImage pictureImage;
        std::thread worker([&] { pictureImage = tessarin::decodePng(picture); });
        const tessarin::DecodedImage dataImage = tessarin::decodePng(data);
        worker.join();
        if (dataImage.empty() || pictureImage.empty()) std::abort();
        benchmark::DoNotOptimize(dataImage.rgba.data());
        benchmark::DoNotOptimize(pictureImage.rgba.data());
    }
}
BENCHMARK(BM_DecodeBothAtOnce)->Unit(benchmark::kMillisecond)->UseRealTime();

// Sets how many decode workers the store uses (0: none, everything on the
// calling thread); a negative count leaves the store's default.
void useDecodeWorkers(TileStore& tiles, int workers) {
    if (workers >= 0) tiles.setDecodeWorkers(workers);
}

// One cell made resident through the store: data and picture read, the
// picture and coverage textures built and handed to the sink.
void BM_LoadCellThroughStore(benchmark::State& state) {
    std::ostringstream out;
    tessarin::NullTextureSink sink;
    TileStore tiles(out, sink, world().dir.path());
    // Both files of the cell, as a load read them before pictures came after
    // the data.
    tiles.setPictureLoad(tessarin::PictureLoad::WithData);
    const int latIdx = (kSingleCell[1] + 96) / 8, lonIdx = (kSingleCell[0] + 180) / 8;
    for (auto _ : state) {
        tiles.releaseAllTiles();
        tiles.ensureTile(latIdx, lonIdx);
        if (!tiles.record(latIdx, lonIdx).loaded || !tiles.pictureLoaded(0)) std::abort();
        out.str("");
    }
}
BENCHMARK(BM_LoadCellThroughStore)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 12 cells of the line preloaded from scratch; range(0) is the number of
// decode workers (-1: the store's default, 0: the calling thread alone).
void BM_PreloadLine12(benchmark::State& state) {
    std::ostringstream out;
    tessarin::NullTextureSink sink;
    TileStore tiles(out, sink, world().dir.path());
    tiles.setPictureLoad(tessarin::PictureLoad::WithData);
    useDecodeWorkers(tiles, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        tiles.releaseAllTiles();
        tiles.loadTilesAlongLine(kLineSouth + 4.0f, kLineWest + 0.5f, kLineSouth + 4.0f, kLineWest + 8.0f * kLineCells - 0.5f);
        if (tiles.residentCount() != kLineCells) std::abort();
        out.str("");
    }
}
BENCHMARK(BM_PreloadLine12)->Arg(-1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// Console output as usual, plus the real time per iteration of each
// benchmark for the summary: with repetitions, the fastest, which is the
// least disturbed by whatever else the machine runs.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // The fastest of repeated runs: slower ones measure the neighbours.
            if (run.iterations > 0 && run.run_type == Run::RT_Iteration) {
                const double ns = run.GetAdjustedRealTime() * ratioToNs(run.time_unit);
                const auto [it, fresh] = nsPerIteration.emplace(run.benchmark_name(), ns);
                if (!fresh && ns < it->second) it->second = ns;
            }
        }
    }
    std::map<std::string, double> nsPerIteration;

private:
    static double ratioToNs(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kSecond: return 1e9;
            case benchmark::kMillisecond: return 1e6;
            case benchmark::kMicrosecond: return 1e3;
            default: return 1.0;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    world();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto& t = reporter.nsPerIteration;
    const auto ratio = [&](const char* a, const char* b) {
        const auto ia = t.find(a), ib = t.find(b);
        if (ia == t.end() || ib == t.end() || ib->second <= 0.0) return;
        const auto shown = [](double ns) {
            char text[32];
            if (ns >= 1e5) std::snprintf(text, sizeof text, "%.1f ms", ns / 1e6);
            else std::snprintf(text, sizeof text, "%.1f ns", ns);
            return std::string(text);
        };
        std::printf("  %-26s / %-26s = %6.2f  (%s vs %s)\n", a, b, ia->second / ib->second,
                    shown(ia->second).c_str(), shown(ib->second).c_str());
    };
    std::printf("\nRatios (same run, same file):\n");
    ratio("BM_GetDepthResident/0", "BM_PlainArrayRead/0");
    ratio("BM_GetDepthResident/1", "BM_PlainArrayRead/1");
    ratio("BM_GetCoverageResident/0", "BM_PlainArrayRead/0");
    ratio("BM_GetCoverageResident/1", "BM_PlainArrayRead/1");
    ratio("BM_LoadDataTile", "BM_DecodePng");
    ratio("BM_DecodeLodepng", "BM_DecodeLibpngSimplified");
    ratio("BM_DecodeLodepng", "BM_DecodePng");
    ratio("BM_DecodePng", "BM_DecodeLibpngSimplified");
    // The longer of the two decodes of one cell is the floor of a load that
    // reads both files at once.
    const auto data = t.find("BM_DecodePng"), picture = t.find("BM_DecodePicturePng");
    if (data != t.end() && picture != t.end())
        ratio("BM_LoadCellThroughStore/real_time",
              data->second >= picture->second ? "BM_DecodePng" : "BM_DecodePicturePng");
    // What the store adds to that floor, and what running two decodes at once
    // costs each of them.
    ratio("BM_LoadCellThroughStore/real_time", "BM_DecodeBothAtOnce/real_time");
    if (data != t.end() && picture != t.end())
        ratio("BM_DecodeBothAtOnce/real_time", data->second >= picture->second ? "BM_DecodePng" : "BM_DecodePicturePng");
    ratio("BM_PreloadLine12/-1/real_time", "BM_PreloadLine12/0/real_time");
    benchmark::Shutdown();
    return 0;
}
