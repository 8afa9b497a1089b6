// A one-cell sample world (the cell holding Kauai and open ocean south of it),
// generated once and read back the way the planner reads it.

#include "SampleInputs.hpp"
#include "WorldGenerator.hpp"
#include "WorldModel.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <lodepng.h>
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace tessarin::worldgen {
namespace {

constexpr int kLon0 = -164;
constexpr int kLat0 = 16;

struct Image {
    unsigned width = 0, height = 0;
    std::vector<unsigned char> rgba;
    const unsigned char* px(int row, int col) const { return &rgba[(static_cast<std::size_t>(row) * width + col) * 4]; }
};

Image decode(const std::string& path) {
    Image image;
    lodepng::decode(image.rgba, image.width, image.height, path);
    return image;
}

std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

GeneratorOptions oneCell(const std::string& out) {
    GeneratorOptions o;
    o.outDir = out;
    o.dataDir = TESSARIN_WORLDGEN_DATA_DIR;
    o.cells = {{kLon0, kLat0}};
    o.writeOverviews = false;
    o.writeGlobe = false;
    return o;
}

class WorldgenWorld : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir();
        std::ostringstream out, err;
        ok_ = generateWorld(oneCell(dir_->path()), out, err);
        log_ = new std::string(out.str() + err.str());
        data_ = new Image(decode(dir_->file(dataTileName(kLon0, kLat0))));
        picture_ = new Image(decode(dir_->file(pictureTileName(kLon0, kLat0))));
    }
    static void TearDownTestSuite() {
        delete data_;
        delete picture_;
        delete log_;
        delete dir_;
    }

    // Elevation the planner would read at a point of the cell (its row and
    // column arithmetic: row 1919 - trunc(dlat * 240), col trunc(dlon * 240)).
    static double elevationAt(double lon, double lat) {
        const int row = 1919 - static_cast<int>((lat - kLat0) * 240.0);
        const int col = static_cast<int>((lon - kLon0) * 240.0);
        const unsigned char* p = data_->px(row, col);
        return (p[0] * 256 + p[1]) / 3.0 - 12000.0;
    }

    static test::TempDir* dir_;
    static bool ok_;
    static std::string* log_;
    static Image* data_;
    static Image* picture_;
};

test::TempDir* WorldgenWorld::dir_ = nullptr;
bool WorldgenWorld::ok_ = false;
std::string* WorldgenWorld::log_ = nullptr;
Image* WorldgenWorld::data_ = nullptr;
Image* WorldgenWorld::picture_ = nullptr;

TEST_F(WorldgenWorld, WritesACompleteWorkingFolder) {
    ASSERT_TRUE(ok_) << *log_;
    for (const std::string& name : sampleFileNames()) EXPECT_TRUE(std::filesystem::exists(dir_->file(name))) << name;
    for (const char* ext : {".shp", ".shx", ".dbf"})
        EXPECT_TRUE(std::filesystem::exists(dir_->file(std::string(kShapefileBase) + ext))) << ext;
    const std::pair<const char*, std::uintmax_t> logos[] = {
        {"Logos/Ostra_Logo.raw", 607500},          {"Logos/Kelvex_Logo_bg.raw", 607500},
        {"Logos/GEBCO_3.raw", 607500},             {"Logos/Menu_Planner_Zoom_2.raw", 512 * 256 * 3},
        {"Logos/Scale512x128.raw", 512 * 128 * 3}, {"Logos/DataLoading.raw", 512 * 256 * 3}};
    for (const auto& [name, size] : logos) EXPECT_EQ(std::filesystem::file_size(dir_->file(name)), size) << name;
    // One progress line per tile, naming both files.
    EXPECT_NE(log_->find("[ 1/1] " + dataTileName(kLon0, kLat0) + ", " + pictureTileName(kLon0, kLat0)), std::string::npos)
        << *log_;
    // No half-written leftovers.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_->path()))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

TEST_F(WorldgenWorld, TilesDecodeAtTheirSizes) {
    EXPECT_EQ(data_->width, 1920u);
    EXPECT_EQ(data_->height, 1920u);
    EXPECT_EQ(picture_->width, 1920u);
    EXPECT_EQ(picture_->height, 1920u);
}

TEST_F(WorldgenWorld, DataTileEncodesTheWorldsElevationAtPixelCentres) {
    ASSERT_EQ(data_->width, 1920u);
    WorldModel world(1);
    const GeoBox box{kLon0 - 0.5, kLon0 + 8.5, kLat0 - 0.5, kLat0 + 8.5};
    world.prepare(&box, false, 2);
    for (int row = 3; row < 1920; row += 211) {
        for (int col = 5; col < 1920; col += 197) {
            const double lat = kLat0 + 8.0 - (row + 0.5) / 240.0;
            const double lon = kLon0 + (col + 0.5) / 240.0;
            const unsigned char* p = data_->px(row, col);
            const double decoded = (p[0] * 256 + p[1]) / 3.0 - 12000.0;
            EXPECT_NEAR(decoded, world.elevationM(lon, lat, Detail{}), 1.0 / 6.0 + 1e-3) << row << " " << col;
        }
    }
}

TEST_F(WorldgenWorld, IslandStandsAboveTheSeaNextToTheTransitStart) {
    ASSERT_EQ(data_->width, 1920u);
    // The transit start lies on the real shore of Hanalei Bay, Kauai (the
    // coastline puts it about a kilometre inland): sea within two kilometres...
    double deepest = 1e9;
    for (double dlat = -0.02; dlat <= 0.02; dlat += 0.005)
        for (double dlon = -0.02; dlon <= 0.02; dlon += 0.005) deepest = std::min(deepest, elevationAt(-159.5 + dlon, 22.2 + dlat));
    EXPECT_LT(deepest, 0.0);
    EXPECT_GT(deepest, -1500.0);
    // ...with land within 10 km, standing well above the sea.
    double highest = -1e9;
    for (double dlat = -0.09; dlat <= 0.09; dlat += 0.01)
        for (double dlon = -0.09; dlon <= 0.09; dlon += 0.01) highest = std::max(highest, elevationAt(-159.5 + dlon, 22.2 + dlat));
    EXPECT_GT(highest, 100.0);
    // Oahu too, and the summits stay below 4500 m.
    EXPECT_GT(elevationAt(-157.98, 21.47), 300.0);
    EXPECT_LT(elevationAt(-157.98, 21.47), 4500.0);
}

TEST_F(WorldgenWorld, OpenOceanIsAbyssalPlainWithHills) {
    ASSERT_EQ(data_->width, 1920u);
    // Blocks of half a degree south of the chain: median depth 4000 to 6000
    // m, with relief of tens to hundreds of metres.
    for (const auto& [lon, lat] : {std::pair{-163.5, 16.5}, std::pair{-160.0, 17.0}, std::pair{-157.0, 16.4}}) {
        std::vector<double> e;
        for (double dlat = 0.0; dlat < 0.5; dlat += 0.01)
            for (double dlon = 0.0; dlon < 0.5; dlon += 0.01) e.push_back(elevationAt(lon + dlon, lat + dlat));
        std::sort(e.begin(), e.end());
        const double median = e[e.size() / 2];
        EXPECT_LT(median, -4000.0) << lon << " " << lat;
        EXPECT_GT(median, -6000.0) << lon << " " << lat;
        const double spread = e[e.size() * 9 / 10] - e[e.size() / 10];
        EXPECT_GT(spread, 20.0) << lon << " " << lat;
    }
}

TEST_F(WorldgenWorld, ReferenceCoverageIsPresentButPartial) {
    ASSERT_EQ(data_->width, 1920u);
    long reference = 0, other = 0, onLand = 0;
    for (std::size_t i = 0; i < data_->rgba.size(); i += 4) {
        const unsigned char blue = data_->rgba[i + 2];
        EXPECT_TRUE(blue == 0 || blue == 3);
        if (blue == 3) {
            ++reference;
            if ((data_->rgba[i] * 256 + data_->rgba[i + 1]) / 3.0 - 12000.0 > 0.0) ++onLand;
        } else {
            ++other;
        }
    }
    EXPECT_GT(reference, 20000);          // tracks and surveys around the islands
    EXPECT_GT(other, 2 * reference);      // but most of the sea floor is unmapped
    EXPECT_EQ(onLand, 0);                 // multibeam maps only the sea
}

TEST_F(WorldgenWorld, PictureShowsLandAndSeaColours) {
    ASSERT_EQ(picture_->width, 1920u);
    auto pixelAt = [&](double lon, double lat) {
        const int row = 1919 - static_cast<int>((lat - kLat0) * 240.0);
        const int col = static_cast<int>((lon - kLon0) * 240.0);
        return picture_->px(row, col);
    };
    const unsigned char* deep = pixelAt(-162.0, 17.0);
    EXPECT_GT(deep[2], deep[0] + 40);  // blue sea
    const unsigned char* land = pixelAt(-157.98, 21.47);
    EXPECT_GT(land[1], land[2]);       // green or brown land, not blue
}

TEST_F(WorldgenWorld, ShapefileReadsBackWithItsShapes) {
    SHPHandle shp = SHPOpen(dir_->file(std::string(kShapefileBase) + ".shp").c_str(), "rb");
    ASSERT_NE(shp, nullptr);
    int count = 0, type = 0;
    SHPGetInfo(shp, &count, &type, nullptr, nullptr);
    EXPECT_EQ(type, SHPT_POLYGON);
    EXPECT_EQ(count, static_cast<int>(shapefileRings().size()));
    ASSERT_GE(count, 2);
    SHPObject* second = SHPReadObject(shp, 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->nSHPType, SHPT_POLYGON);
    ASSERT_GE(second->nVertices, 4);
    // Hundred-thousandths of a degree; the ring is closed; it lies in the
    // generated north-east Pacific.
    EXPECT_DOUBLE_EQ(second->padfX[0], second->padfX[second->nVertices - 1]);
    EXPECT_DOUBLE_EQ(second->padfY[0], second->padfY[second->nVertices - 1]);
    for (int j = 0; j < second->nVertices; ++j) {
        const double lon = second->padfX[j] * 1e-5, lat = second->padfY[j] * 1e-5;
        EXPECT_GE(lon, -172.0);
        EXPECT_LE(lon, -108.0);
        EXPECT_GE(lat, 0.0);
        EXPECT_LE(lat, 40.0);
    }
    SHPDestroyObject(second);
    SHPClose(shp);
}

TEST_F(WorldgenWorld, SecondRunSkipsAndTheSameSeedGivesTheSameBytes) {
    ASSERT_TRUE(ok_);
    const std::string dataPath = dir_->file(dataTileName(kLon0, kLat0));
    const auto stamp = std::filesystem::last_write_time(dataPath);
    std::ostringstream out, err;
    ASSERT_TRUE(generateWorld(oneCell(dir_->path()), out, err)) << err.str();
    EXPECT_NE(out.str().find("exists, skipped"), std::string::npos) << out.str();
    EXPECT_EQ(std::filesystem::last_write_time(dataPath), stamp);

    // A fresh folder, same seed: byte-identical data tile.
    test::TempDir again;
    GeneratorOptions o = oneCell(again.path());
    o.writePictures = false;
    o.writeArtwork = false;
    o.writeSamples = false;
    std::ostringstream out2, err2;
    ASSERT_TRUE(generateWorld(o, out2, err2)) << err2.str();
    EXPECT_TRUE(bytesOf(again.file(dataTileName(kLon0, kLat0))) == bytesOf(dataPath));
    EXPECT_FALSE(std::filesystem::exists(again.file(pictureTileName(kLon0, kLat0))));
}

TEST(WorldgenFailures, UnwritableFolderIsReportedNotCrashed) {
    test::TempDir dir;
    dir.write("plainfile", "x");
    GeneratorOptions o = oneCell(dir.file("plainfile/world"));
    std::ostringstream out, err;
    EXPECT_FALSE(generateWorld(o, out, err));
    EXPECT_NE(err.str().find("cannot create folder"), std::string::npos) << err.str();
}

TEST(WorldgenFailures, MissingSampleInputsAreReported) {
    test::TempDir dir;
    GeneratorOptions o = oneCell(dir.path());
    o.cells.clear();
    o.writeOverviews = false;
    o.writeGlobe = false;
    o.dataDir = dir.file("no-such-folder");
    std::ostringstream out, err;
    EXPECT_FALSE(generateWorld(o, out, err));
    EXPECT_NE(err.str().find("cannot copy"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace tessarin::worldgen
