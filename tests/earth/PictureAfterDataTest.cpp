// Cells installed as soon as their data tile is read, their pictures decoded
// and uploaded afterwards: against loads that wait for each picture.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "earth/RecordingSink.hpp"
#include "earth/TileStore.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::RecordingSink;
using test::TempDir;

std::string pictureName(const std::string& root, int lon0) {
    return TilePicture::fileName(root, 0.0f, static_cast<float>(lon0));
}
int lonOf(int k) { return -180 + 8 * k; }
std::uint8_t redOf(int k) { return static_cast<std::uint8_t>(10 + 8 * k); }

// cells narrow data tiles along 0..8 N from 180 W, each picture of its own
// red; the given cells have no picture, or one of 100 x 100 pixels.
void writeBand(const std::string& root, int cells, const std::vector<int>& noPicture, const std::vector<int>& small) {
    for (int k = 0; k < cells; ++k) {
        test::writeDataTile(root, lonOf(k), 0, [k](int r, int c) {
            return test::DataPixel{test::codeOfElevation(-50.0 * (k + 1)), static_cast<std::uint8_t>(c == r % 8 ? 3 : 0)};
        }, 8);
        if (std::find(noPicture.begin(), noPicture.end(), k) != noPicture.end()) continue;
        if (std::find(small.begin(), small.end(), k) != small.end()) {
            test::writePng(pictureName(root, lonOf(k)), 100, 100, [](int, int, std::uint8_t* px) {
                px[0] = px[1] = px[2] = 9, px[3] = 255;
            });
            continue;
        }
        test::writePictureTile(root, lonOf(k), 0, 1920, redOf(k), 20, 30);
    }
}

struct Loaded {
    std::string console;
    std::vector<test::RecordedUpload> coverage;            // in upload order
    std::map<unsigned, std::vector<std::uint8_t>> picture;  // texture name: texels
    std::map<unsigned, int> pictureUploads;
    std::vector<bool> shown;  // pictureLoaded by slot
    int uploadsBeforeFrames = 0;
    int pendingAfterLoads = 0;
    int resident = 0;
};

Loaded loadBand(const std::string& root, int cells, PictureLoad mode, int workers) {
    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, root);
    tiles.setPictureLoad(mode);
    tiles.setDecodeWorkers(workers);
    // A preload along the band, or (past half the globe, which the preload
    // would take the short way round) one cell after the other.
    if (8 * cells < 180) {
        tiles.loadTilesAlongLine(4.0f, -179.5f, 4.0f, -180.0f + 8.0f * static_cast<float>(cells) - 0.5f);
    } else {
        for (int k = 0; k < cells; ++k) tiles.ensureTile(12, k);
    }
    Loaded l;
    for (const auto& u : sink.uploads) l.uploadsBeforeFrames += u.channels == 3;
    l.pendingAfterLoads = tiles.picturesPending();
    l.resident = tiles.residentCount();
    tiles.uploadAllPictures();
    l.console = out.str();
    for (auto& u : sink.uploads) {
        if (u.channels == 1) {
            l.coverage.push_back(u);
        } else if (u.channels == 3) {
            l.picture[u.name] = u.pixels;
            ++l.pictureUploads[u.name];
        }
    }
    for (int s = 0; s < TileStore::kRingSize; ++s) l.shown.push_back(tiles.pictureLoaded(s));
    return l;
}

// Whatever the decode timing, the loads print, upload and show what loads
// waiting for each picture do; the pictures wait for the frame loop.
TEST(PictureAfterData, LoadsGiveTheLinesTexturesAndPicturesOfLoadsThatWait) {
    TempDir dir;
    writeBand(dir.path(), 6, {2}, {4});
    const Loaded base = loadBand(dir.path(), 6, PictureLoad::WithData, 0);
    ASSERT_EQ(base.pictureUploads.size(), 4u);
    ASSERT_NE(base.console.find("Picture tile " + pictureName(dir.path(), lonOf(4)) + " is 100 x 100"), std::string::npos);
    const struct {
        PictureLoad mode;
        int workers;
    } cases[] = {{PictureLoad::WithData, 2}, {PictureLoad::AfterData, 0}, {PictureLoad::AfterData, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode == PictureLoad::AfterData ? "after" : "with") + " the data, " +
                     std::to_string(c.workers) + " workers");
        const Loaded got = loadBand(dir.path(), 6, c.mode, c.workers);
        EXPECT_EQ(got.console, base.console);
        ASSERT_EQ(got.coverage.size(), base.coverage.size());
        for (std::size_t i = 0; i < got.coverage.size(); ++i) {
            EXPECT_EQ(got.coverage[i].name, base.coverage[i].name);
            EXPECT_TRUE(got.coverage[i].pixels == base.coverage[i].pixels);
        }
        EXPECT_TRUE(got.picture == base.picture);
        for (const auto& [name, count] : got.pictureUploads) EXPECT_EQ(count, 1) << "texture " << name;
        EXPECT_EQ(got.shown, base.shown);
        EXPECT_EQ(got.uploadsBeforeFrames, c.mode == PictureLoad::AfterData ? 0 : 4);
    }
}

// A cell that leaves the ring before its picture is uploaded never has it
// uploaded: its slot shows the picture of the cell that took it, once.
TEST(PictureAfterData, CellEvictedBeforeItsPictureCameGetsNoUpload) {
    TempDir dir;
    constexpr int kCells = TileStore::kRingSize + 2;
    writeBand(dir.path(), kCells, {}, {});
    for (int workers : {0, 2}) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        const Loaded got = loadBand(dir.path(), kCells, PictureLoad::AfterData, workers);
        EXPECT_EQ(got.resident, TileStore::kRingSize);
        EXPECT_EQ(got.pendingAfterLoads, TileStore::kRingSize);
        EXPECT_EQ(got.pictureUploads.size(), static_cast<std::size_t>(TileStore::kRingSize));
        for (const auto& [name, count] : got.pictureUploads) EXPECT_EQ(count, 1) << "texture " << name;
        // Slots 0 and 1 went to the last two cells; the first texel of each
        // picture is its cell's red.
        std::vector<std::uint8_t> reds;
        for (const auto& [name, texels] : got.picture) reds.push_back(texels[0]);
        EXPECT_EQ(reds[0], redOf(kCells - 2));
        EXPECT_EQ(reds[1], redOf(kCells - 1));
        EXPECT_EQ(reds[2], redOf(2));
    }
}

// A picture that fails only past its header prints today's failure lines
// when the decode finds it out, and is not shown; released first, it is
// dropped unread.
TEST(PictureAfterData, PictureFailingPastItsHeaderPrintsItsLinesWhenFound) {
    TempDir dir;
    writeBand(dir.path(), 2, {}, {});
    const std::string name = pictureName(dir.path(), lonOf(1));
    std::filesystem::resize_file(name, std::filesystem::file_size(name) / 2);
    const std::string lines = "Fail to open " + name + "\nPicture tile " + name + " is not a readable PNG image\n";
    for (bool releaseFirst : {false, true}) {
        SCOPED_TRACE(releaseFirst ? "released first" : "kept");
        std::ostringstream out;
        RecordingSink sink;
        TileStore tiles(out, sink, dir.path());
        tiles.loadTilesAlongLine(4.0f, -179.5f, 4.0f, -164.5f);
        EXPECT_EQ(out.str().find(lines), std::string::npos);
        EXPECT_EQ(tiles.picturesPending(), 2);
        if (releaseFirst) tiles.releaseAllTiles();
        tiles.uploadAllPictures();
        EXPECT_EQ(tiles.picturesPending(), 0);
        const std::string console = out.str();
        int pictures = 0;
        for (const auto& u : sink.uploads) pictures += u.channels == 3;
        if (releaseFirst) {
            EXPECT_EQ(console.find(lines), std::string::npos);
            EXPECT_EQ(pictures, 0);
        } else {
            EXPECT_EQ(console.size() - console.find(lines), lines.size());  // the last lines
            EXPECT_EQ(pictures, 1);
            EXPECT_TRUE(tiles.pictureLoaded(0));
            EXPECT_FALSE(tiles.pictureLoaded(1));
        }
    }
}

}  // namespace
}  // namespace tessarin
