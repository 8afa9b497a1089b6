// Preloads with decode workers against the same preloads decoded on the
// loading thread alone: the same console text, progress, ring, resident tiles
// and textures, whatever files are missing or damaged; and the worker pool
// under it: every job runs once, cancelled ones never, and nothing a job
// throws leaves its thread.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "earth/DecodePool.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"
#include "support/RecordingProgress.hpp"
#include "support/TempDir.hpp"
#include "support/TextCount.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::countOf;
using test::RecordingProgress;

using test::DataPixel;
using test::TempDir;

std::string dataName(const std::string& root, int lon0, int lat0) { return DepthTile::dataFileName(root, lon0, lat0); }
std::string pictureName(const std::string& root, int lon0, int lat0) {
    return TilePicture::fileName(root, static_cast<float>(lat0), static_cast<float>(lon0));
}

void truncateToHalf(const std::string& path) {
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
}

// Two bands of 15 cells, 0..8 N and 8..16 N from 180 W to 60 W, with narrow
// data tiles (8 columns), so that a line along them loads 30 tiles and the
// ring turns over in the middle of the preload. Band 0..8 N holds the
// trouble: cell 3 has no data tile, cell 5 a truncated one, cell 7 one of
// 100 rows, cell 9 a folder in its place; pictures are good at cells 1 and 6
// (and 0 of the northern band), missing data under a good picture at cell 3,
// truncated at cell 2, 100 x 100 at cell 4, missing elsewhere.
class PreloadWorkers : public ::testing::Test {
protected:
    static constexpr int kCellsPerBand = 15;

    static void SetUpTestSuite() {
        world_ = std::make_unique<TempDir>();
        const std::string& root = world_->path();
        for (int lat0 : {0, 8}) {
            for (int k = 0; k < kCellsPerBand; ++k) {
                const int lon0 = -180 + 8 * k;
                const DataPixel p{test::codeOfElevation(-100.0 * (k + 1) - lat0), 0};
                test::writeDataTile(root, lon0, lat0, [p](int r, int c) {
                    DataPixel q = p;
                    q.code = static_cast<std::uint16_t>(q.code + r % 7);
                    if (c == (r / 100) % 8) q.blue = 3;
                    return q;
                }, 8);
            }
        }
        std::filesystem::remove(dataName(root, -180 + 8 * 3, 0));
        truncateToHalf(dataName(root, -180 + 8 * 5, 0));
        test::writePng(dataName(root, -180 + 8 * 7, 0), 8, 100, [](int, int, std::uint8_t* px) {
            px[0] = 140, px[1] = 0, px[2] = 0, px[3] = 255;
        });
        std::filesystem::remove(dataName(root, -180 + 8 * 9, 0));
        std::filesystem::create_directories(dataName(root, -180 + 8 * 9, 0));

        test::writePictureTile(root, -180, 8, 1920, 20, 40, 60);
        test::writePictureTile(root, -180 + 8 * 1, 0, 1920, 90, 30, 10);
        test::writePictureTile(root, -180 + 8 * 3, 0, 1920, 5, 5, 200);
        test::writePictureTile(root, -180 + 8 * 6, 0, 1920, 200, 100, 0);
        test::writePictureTile(root, -180 + 8 * 2, 0, 1920, 1, 2, 3);
        truncateToHalf(pictureName(root, -180 + 8 * 2, 0));
        test::writePng(pictureName(root, -180 + 8 * 4, 0), 100, 100, [](int, int, std::uint8_t* px) {
            px[0] = px[1] = px[2] = px[3] = 255;
        });
    }
    static void TearDownTestSuite() { world_.reset(); }

    static std::unique_ptr<TempDir> world_;
};

std::unique_ptr<TempDir> PreloadWorkers::world_;

// Every upload's shape and a hash of its texels, in order.
class HashingSink : public TextureSink {
public:
    void generateNames(unsigned* names, int count) override {
        for (int i = 0; i < count; ++i) names[i] = ++lastName_;
    }
    void upload(unsigned name, int width, int height, int channels, const std::uint8_t* pixels,
                TextureEnv env) override {
        const std::size_t n = static_cast<std::size_t>(width) * height * channels;
        const std::size_t h = std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(pixels), n));
        std::ostringstream line;
        line << name << " " << width << "x" << height << "x" << channels << " "
             << (env == TextureEnv::Replace ? "replace" : "modulate") << " " << h;
        uploads.push_back(line.str());
    }
    std::vector<std::string> uploads;

private:
    unsigned lastName_ = 0;
};

// Everything a preload leaves behind that anyone can see.
struct Outcome {
    std::string console;
    std::vector<std::string> progress;
    std::vector<std::string> uploads;
    std::vector<std::string> ring;   // slot: cell and whether its picture is shown
    std::vector<std::string> cells;  // every cell tried: state, slot, rows and depths
    int loadCounter = 0;
    int loadLines = 0;    // "LOAD 8 deg Tile" lines: one per load attempt
    int cellDecodes = 0;  // decodes the store made
};

using Steps = std::function<void(TileStore&, ProgressSink&)>;

Outcome run(const std::string& root, int workers, const Steps& steps) {
    std::ostringstream out;
    HashingSink sink;
    RecordingProgress progress;
    Outcome o;
    {
        TileStore tiles(out, sink, root);
        tiles.setDecodeWorkers(workers);
        steps(tiles, progress);
        o.loadCounter = tiles.loadCounter();
        for (int s = 0; s < TileStore::kRingSize; ++s)
            o.ring.push_back(std::to_string(tiles.ringEntry(s).latIdx) + "," + std::to_string(tiles.ringEntry(s).lonIdx) +
                             (tiles.pictureLoaded(s) ? " picture" : ""));
        for (int la = 0; la < TileStore::kLatCells; ++la) {
            for (int lo = 0; lo < TileStore::kLonCells; ++lo) {
                const TileRecord& rec = tiles.record(la, lo);
                if (!rec.loaded && !rec.missing && rec.slot == 0) continue;
                std::ostringstream cell;
                cell << la << "," << lo << (rec.loaded ? " loaded" : "") << (rec.missing ? " missing" : "") << " slot "
                     << rec.slot;
                if (rec.tile) {
                    cell << " " << rec.tile->width << "x" << rec.tile->height << " ref " << rec.tile->referencePixels
                         << " " << rec.tile->elevationAt(rec.lon0 + 0.01, rec.lat0 + 7.99) << " "
                         << rec.tile->elevationAt(rec.lon0 + 7.99, rec.lat0 + 0.01) << " "
                         << static_cast<int>(rec.tile->coverageAt(rec.lon0 + 0.5, rec.lat0 + 4.0));
                }
                o.cells.push_back(cell.str());
            }
        }
        o.cellDecodes = tiles.cellDecodes();
    }
    o.console = out.str();
    o.progress = progress.calls;
    o.uploads = sink.uploads;
    o.loadLines = countOf(o.console, "LOAD 8 deg Tile");
    return o;
}

void arcThrough(TileStore& tiles, ProgressSink& progress, double latDeg, double lonFrom, double lonTo) {
    constexpr int kPoints = 40;
    std::vector<double> lon(kPoints), y(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        lon[i] = lonFrom + (lonTo - lonFrom) * i / (kPoints - 1);
        y[i] = mapY(latDeg + 0.05 * i);
    }
    tiles.loadTilesOnArc(lon.data(), y.data(), kPoints, true, &progress);
}

TEST_F(PreloadWorkers, WorkersChangeNothingButTheTime) {
    struct Case {
        const char* what;
        Steps steps;
        // The planned cells are exactly the cells tried: no damaged data
        // tile is followed by a reload the plan would have placed elsewhere.
        bool exactPlan;
        int minLoads;  // ring loads the case must make, to know it tested something
    };
    const Case cases[] = {
        {"line along both bands: 30 tries, the ring turns over mid-preload",
         [](TileStore& t, ProgressSink&) { t.loadTilesAlongLine(4.0f, -179.5f, 4.0f, -60.5f); }, true, 26},
        {"diagonal line, revisiting cells after the ring has turned",
         [](TileStore& t, ProgressSink&) {
             t.loadTilesAlongLine(1.0f, -179.0f, 15.0f, -61.0f);
             t.loadTilesAlongLine(15.0f, -62.0f, 1.0f, -178.0f);
         },
         false, 30},
        {"arc over the northern band, then one that stops at the missing cell",
         [](TileStore& t, ProgressSink& p) {
             arcThrough(t, p, 11.0, -176.0, -66.0);
             arcThrough(t, p, 3.5, -176.0, -66.0);
         },
         true, 15},
        {"single lookups between preloads",
         [](TileStore& t, ProgressSink& p) {
             float e = 0.0f;
             t.getDepth(-171.0, 5.0, e);
             t.loadTilesAlongLine(4.0f, -179.5f, 4.0f, -100.0f);
             t.getDepth(-131.0, 5.0, e);
             arcThrough(t, p, 11.0, -170.0, -90.0);
             t.getDepth(-179.0, 13.0, e);
         },
         true, 10},
    };
    const std::string& root = world_->path();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome one = run(root, 0, c.steps);
        EXPECT_GE(one.loadCounter, c.minLoads);
        EXPECT_EQ(one.cellDecodes, one.loadLines);
        for (int workers : {1, 2, 3}) {
            SCOPED_TRACE("workers " + std::to_string(workers));
            const Outcome many = run(root, workers, c.steps);
            EXPECT_EQ(many.console, one.console);
            EXPECT_EQ(many.progress, one.progress);
            EXPECT_EQ(many.ring, one.ring);
            EXPECT_EQ(many.cells, one.cells);
            EXPECT_EQ(many.loadCounter, one.loadCounter);
            EXPECT_EQ(many.uploads, one.uploads);
            if (c.exactPlan) {
                EXPECT_EQ(many.cellDecodes, many.loadLines);
            } else {
                EXPECT_GE(many.cellDecodes, many.loadLines);
            }
        }
    }
}

// A preload on workers prints what loading its cells one by one prints: the
// workers' failures reach the console only through the installs, in order.
TEST_F(PreloadWorkers, FailuresOnWorkersAreReportedAsSingleLoadsReportThem) {
    const std::string& root = world_->path();
    std::string expected;
    {
        // The line below visits 8..16 N, then 0..8 N, then -8..0 N (no files),
        // each band west to east.
        std::ostringstream out;
        NullTextureSink sink;
        TileStore tiles(out, sink, root);
        tiles.setDecodeWorkers(0);
        for (int latIdx : {13, 12, 11})
            for (int k = 0; k < kCellsPerBand; ++k) tiles.ensureTile(latIdx, k);
        tiles.uploadAllPictures();
        expected = out.str();
    }
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, root);
    tiles.setDecodeWorkers(2);
    tiles.loadTilesAlongLine(4.0f, -179.5f, 4.0f, -60.5f);
    tiles.uploadAllPictures();
    const std::string console = out.str();
    std::size_t afterHeader = 0;
    for (int line = 0; line < 3; ++line) afterHeader = console.find('\n', afterHeader) + 1;
    EXPECT_EQ(console.substr(afterHeader), expected);
    // The world's damage is all there to report: three data tiles, two pictures.
    EXPECT_EQ(countOf(expected, "\nUnreadable data tile "), 3);
    EXPECT_EQ(countOf(expected, "\nPicture tile "), 2);
}

// A preload that goes another way than planned (a damaged tile shifts the
// ring) still gets the decode of the cell it asks for, each decoded once.
TEST_F(PreloadWorkers, TakesOffThePlanGetTheirOwnCells) {
    const std::vector<CellIndex> plan = {{12, 0}, {12, 1}, {13, 0}, {12, 6}, {12, 7}};
    const std::vector<std::vector<CellIndex>> takes = {
        {{12, 0}, {12, 1}, {13, 0}, {12, 6}, {12, 7}},  // as planned
        {{13, 0}, {12, 0}, {12, 7}, {12, 6}},           // skipping ahead, then back
        {{12, 4}, {12, 1}, {12, 1}},                    // unplanned first, then twice
    };
    for (int workers : {0, 2}) {
        for (const std::vector<CellIndex>& order : takes) {
            TilePrefetch prefetch(world_->path(), workers);
            prefetch.plan(plan);
            for (const CellIndex& c : order) {
                SCOPED_TRACE(std::to_string(workers) + " workers, cell " + std::to_string(c.lonIdx));
                const CellDecode got = prefetch.take(c.latIdx, c.lonIdx);
                const float lat0 = static_cast<float>(8 * c.latIdx - 96), lon0 = static_cast<float>(8 * c.lonIdx - 180);
                const DepthTile::Decoded data = DepthTile::decode(world_->path(), static_cast<int>(lon0), static_cast<int>(lat0));
                const TilePicture picture = TilePicture::decode(world_->path(), lat0, lon0);
                EXPECT_EQ(got.data.name, data.name);
                EXPECT_EQ(got.data.status, data.status);
                EXPECT_EQ(got.data.codes, data.codes);
                EXPECT_EQ(got.picture.name, picture.name);
                EXPECT_EQ(got.picture.status, picture.status);
                EXPECT_EQ(got.picture.texels, picture.texels);
            }
            EXPECT_LE(prefetch.decodesStarted(), static_cast<int>(plan.size() + order.size()));
            if (&order == &takes[0]) {
                EXPECT_EQ(prefetch.decodesStarted(), static_cast<int>(order.size()));
            }
        }
    }
}

TEST(DecodePool, EveryJobRunsOnceAndCancelledJobsNever) {
    for (int workers : {0, 1, 2, 4}) {
        SCOPED_TRACE("workers " + std::to_string(workers));
        constexpr int kJobs = 60;
        auto runs = std::make_shared<std::vector<int>>(kJobs, 0);
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::vector<DecodePool::JobHandle> jobs;
        {
            DecodePool pool(workers);
            EXPECT_EQ(pool.workers(), workers);
            // Each worker is held by one blocker, so the jobs after them stay
            // queued until released: the cancels below always come first.
            std::vector<DecodePool::JobHandle> blockers;
            for (int w = 0; w < workers; ++w) blockers.push_back(pool.submit([released] { released.wait(); }));
            for (int i = 0; i < kJobs; ++i) {
                jobs.push_back(pool.submit([runs, i] {
                    ++(*runs)[static_cast<std::size_t>(i)];
                    if (i % 5 == 1) throw std::runtime_error("damaged file");
                    if (i % 5 == 2) throw std::bad_alloc();
                }));
            }
            for (int i = 0; i < kJobs; i += 3) pool.cancel(jobs[static_cast<std::size_t>(i)]);
            release.set_value();
            for (int i = kJobs - 1; i >= kJobs / 2; --i) pool.wait(jobs[static_cast<std::size_t>(i)]);
            // The pool goes with the first half still unwaited: they run or
            // are dropped, and no thread is left behind.
        }
        for (int i = kJobs / 2; i < kJobs; ++i) EXPECT_EQ((*runs)[static_cast<std::size_t>(i)], i % 3 == 0 ? 0 : 1) << i;
        for (int i = 0; i < kJobs / 2; ++i) {
            EXPECT_LE((*runs)[static_cast<std::size_t>(i)], 1) << i;
            if (i % 3 == 0) {
                EXPECT_EQ((*runs)[static_cast<std::size_t>(i)], 0) << i;
            }
        }
    }
}

}  // namespace
}  // namespace tessarin
