// A cell of the sample world, turned into a GEBCO-like NetCDF grid and back
// into tiles by the converter, gives the same data tile and a picture that
// looks the same: both tools write through one encoder and one renderer.

#include "TileBuilder.hpp"
#include "TilesGridWriters.hpp"
#include "WorldGenerator.hpp"
#include "earth/PngDecoder.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace tessarin::tiles {
namespace {

TEST(TilesSampleWorld, ACellRoundTripsThroughANetcdfGrid) {
    constexpr int kLon0 = -164, kLat0 = 16, kCell = 1920;
    test::TempDir dir;
    worldgen::GeneratorOptions sample;
    sample.outDir = dir.file("sample");
    sample.dataDir = TESSARIN_WORLDGEN_DATA_DIR;
    sample.cells = {{kLon0, kLat0}};
    sample.writeOverviews = sample.writeGlobe = sample.writeArtwork = sample.writeSamples = false;
    std::ostringstream log;
    ASSERT_TRUE(worldgen::generateWorld(sample, log, log)) << log.str();
    const DecodedImage data = decodePng(dir.file("sample/" + tilekit::dataTileName(kLon0, kLat0)));
    const DecodedImage picture = decodePng(dir.file("sample/" + tilekit::pictureTileName(kLon0, kLat0)));
    ASSERT_EQ(data.width, kCell);
    ASSERT_EQ(picture.width, kCell);

    // Codes stored as 16-bit integers less 32768, with a scale and offset
    // that give back the elevation in metres.
    auto pixel = [&](int r, int c) { return &data.rgba[(static_cast<std::size_t>(r) * kCell + c) * 4]; };
    const test::GridShape elevation{kLon0, kLat0 + 8.0, 1.0 / 240.0, kCell, kCell,
                                    [&](int r, int c) { return pixel(r, c)[0] * 256 + pixel(r, c)[1] - 32768; }};
    const test::GridShape types{kLon0, kLat0 + 8.0, 1.0 / 240.0, kCell, kCell,
                                [&](int r, int c) { return pixel(r, c)[2] == 3 ? 11 : 40; }};
    ASSERT_TRUE(test::writeNetcdf(dir.file("grid.nc"), "elevation", elevation, false, 1.0 / 3.0, 32768.0 / 3.0 - 12000.0));
    ASSERT_TRUE(test::writeNetcdf(dir.file("tid.nc"), "tid", types, true));

    TileBuildOptions options;
    options.elevation = "NETCDF:\"" + dir.file("grid.nc") + "\":elevation";
    options.types = "NETCDF:\"" + dir.file("tid.nc") + "\":tid";
    options.outDir = dir.file("converted");
    options.pictures = false;
    NullProgress progress;
    TileBuildSummary summary;
    std::string error;
    ASSERT_TRUE(buildTiles(options, progress, summary, error)) << error;
    EXPECT_EQ(summary.cells, 1);

    const DecodedImage data2 = decodePng(dir.file("converted/" + tilekit::dataTileName(kLon0, kLat0)));
    const DecodedImage picture2 = decodePng(dir.file("converted/" + tilekit::pictureTileName(kLon0, kLat0)));
    EXPECT_TRUE(data2.rgba == data.rgba);
    ASSERT_EQ(picture2.width, kCell);
    // Inside the edge the converter shades thirds of metres where the
    // generator shaded its exact surface: colours may differ by a step or
    // two, except on the coast, where a pixel a fraction of a metre above
    // the sea is stored at sea level and takes the sea's colour.
    long differ = 0, coast = 0;
    for (int r = 1; r < kCell - 1; ++r)
        for (int c = 1; c < kCell - 1; ++c) {
            int worst = 0;
            for (int k = 0; k < 3; ++k) {
                const std::size_t i = (static_cast<std::size_t>(r) * kCell + c) * 4 + k;
                worst = std::max(worst, std::abs(picture.rgba[i] - picture2.rgba[i]));
            }
            if (worst <= 3) continue;
            const int code = pixel(r, c)[0] * 256 + pixel(r, c)[1];
            (std::abs(code - 36000) <= 1 ? coast : differ)++;
        }
    EXPECT_EQ(differ, 0);
    EXPECT_LT(coast, kCell * 4);
}

}  // namespace
}  // namespace tessarin::tiles
