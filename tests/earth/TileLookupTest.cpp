// The depth and coverage lookups on resident tiles answer through an inlined
// path. These tests hold it to the arithmetic the lookups have always used,
// written out here once more in its original long form: same cell, same
// pixel, same float answer, bit for bit, over millions of points.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "earth/TileStore.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

// ---- The lookup as it was first written --------------------------------------

bool referenceCell(double lon, double lat, int& la, int& lo) {
    if (!(lat >= -96.0) || !(std::fabs(lon) < 1.0e6) || lat >= 1.0e6) return false;
    la = static_cast<int>(lat + 96.0) / 8;
    lo = static_cast<int>(lon + 180.0 + 360.0) / 8;
    if (lo >= 45) lo -= 45;
    if (lo > 44) lo -= 45;
    return lo >= 0 && lo <= 44 && la >= 0 && la <= 23;
}

int referencePixelOffset(double degrees, int pixels, double span) {
    if (!(degrees == degrees)) degrees = 0.0;
    degrees = std::clamp(degrees, -1.0e5, 1.0e5);
    const float product = static_cast<float>(degrees) * static_cast<float>(pixels);
    return static_cast<int>(static_cast<double>(product) / span);
}

// Index of the pixel of a resident tile, or -1 when no resident tile answers.
long referenceIndex(TileStore& store, double lon, double lat, bool depth) {
    if (depth && lat >= 66.0) return -1;
    int la = 0, lo = 0;
    if (!referenceCell(lon, lat, la, lo)) return -1;
    const TileRecord& rec = store.record(la, lo);
    if (!rec.loaded || !rec.tile || !rec.tile->hasRows()) return -1;
    const DepthTile& t = *rec.tile;
    const int row = std::clamp(1919 - referencePixelOffset(lat - t.lat0, t.height, t.span), 0, t.height - 1);
    double l = lon;
    if (l < -180.0) l += 360.0;
    if (l >= 180.0) l -= 360.0;
    const int col = std::clamp(referencePixelOffset(l - t.lon0, t.width, t.span), 0, t.width - 1);
    return static_cast<long>(row) * t.width + col;
}

std::uint32_t bitsOf(float f) {
    std::uint32_t b = 0;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// Tiles whose every pixel has its own code, so that a neighbouring pixel or
// cell reads as a different answer; every seventh pixel is reference
// coverage. Two cells either side of the 180-degree meridian, a half-width
// tile across latitude 66, one at the south pole and a block of four;
// cells around them have no file.
struct TileWorld {
    struct Cell {
        int lon0, lat0, width;
    };
    static constexpr Cell kCells[] = {{-180, 0, 1920}, {172, 0, 1920}, {-180, 64, 960}, {-4, -96, 1920},
                                      {-4, -8, 1920},  {4, -8, 1920},  {-4, 0, 1920},   {4, 0, 1920}};
    static constexpr Cell kMissing[] = {{-172, 0, 0}, {164, 0, 0}, {12, 0, 0}, {-4, 8, 0}, {-172, 64, 0}};

    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    TileStore store{out, sink, dir.path()};

    TileWorld() {
        for (const Cell& c : kCells) {
            const int salt = c.lon0 * 131 + c.lat0 * 17;
            test::writeDataTile(
                dir.path(), c.lon0, c.lat0,
                [salt](int row, int col) {
                    test::DataPixel p;
                    p.code = static_cast<std::uint16_t>(row * 1931 + col * 7 + salt);
                    p.blue = (row + col) % 7 == 0 ? 3 : 0;
                    return p;
                },
                c.width);
        }
        float e = 0.0f;
        for (const Cell& c : kCells) store.getDepth(c.lon0 + 4.0, c.lat0 + 1.0, e);
        for (const Cell& c : kMissing) store.getDepth(c.lon0 + 4.0, c.lat0 + 1.0, e);
    }
};

// Compares one point through both lookups; returns a description of the
// first difference, or "" when they agree.
std::string compare(TileWorld& w, double lon, double lat) {
    float e = -1.0f;
    const bool found = w.store.getDepth(lon, lat, e);
    const long i = referenceIndex(w.store, lon, lat, true);
    std::ostringstream why;
    why.precision(17);
    if (found != (i >= 0)) {
        why << "getDepth(" << lon << ", " << lat << ") found " << found;
        return why.str();
    }
    float expected = 5.0f;
    if (i >= 0) {
        int la = 0, lo = 0;
        referenceCell(lon, lat, la, lo);
        DepthTile& t = *w.store.record(la, lo).tile;
        expected = static_cast<float>(t.codeRow(0)[i]) / 3.0f - 12000.0f;
    }
    if (bitsOf(e) != bitsOf(expected)) {
        why << "getDepth(" << lon << ", " << lat << ") = " << e << ", expected " << expected;
        return why.str();
    }

    std::uint16_t v = 999;
    const bool covered = w.store.getCoverage(lon, lat, v);
    const long j = referenceIndex(w.store, lon, lat, false);
    if (covered != (j >= 0)) {
        why << "getCoverage(" << lon << ", " << lat << ") found " << covered;
        return why.str();
    }
    if (j >= 0) {
        int la = 0, lo = 0;
        referenceCell(lon, lat, la, lo);
        DepthTile& t = *w.store.record(la, lo).tile;
        if (v != t.coverageRow(0)[j]) {
            why << "getCoverage(" << lon << ", " << lat << ") = " << v << ", expected " << int(t.coverageRow(0)[j]);
            return why.str();
        }
    } else if (v != 999) {
        why << "getCoverage(" << lon << ", " << lat << ") wrote " << v << " without a tile";
        return why.str();
    }
    return "";
}

// A value and the few doubles on either side of it.
void withNeighbours(double x, const std::function<void(double)>& visit) {
    double below = x, above = x;
    visit(x);
    for (int k = 0; k < 3; ++k) {
        below = std::nextafter(below, -INFINITY);
        above = std::nextafter(above, INFINITY);
        visit(below);
        visit(above);
    }
}

TEST(TileLookup, AgreesWithTheLongFormEverywhere) {
    TileWorld w;
    ASSERT_EQ(w.store.residentCount(), 8) << w.out.str();
    const int loadsBefore = w.store.loadCounter();

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::mt19937_64 rng(20261208);
    std::vector<std::pair<std::string, std::function<void(const std::function<void(double, double)>&)>>> families;

    // Anywhere in and around each tile, a margin of half a degree beyond.
    families.push_back({"inside and around tiles", [&](const auto& at) {
                            for (const auto& c : TileWorld::kCells) {
                                std::uniform_real_distribution<double> lon(c.lon0 - 0.5, c.lon0 + 8.5);
                                std::uniform_real_distribution<double> lat(c.lat0 - 0.5, c.lat0 + 8.5);
                                for (int n = 0; n < 250000; ++n) at(lon(rng), lat(rng));
                            }
                        }});
    // Cell edges and pixel edges, hit exactly and a few doubles off.
    families.push_back({"cell and pixel edges", [&](const auto& at) {
                            for (const auto& c : TileWorld::kCells) {
                                std::uniform_real_distribution<double> along(0.0, 8.0);
                                for (int k = 0; k <= 1920; k += (k < 8 || k > 1910 ? 1 : 37)) {
                                    const double edge = 8.0 * k / 1920.0;
                                    withNeighbours(c.lat0 + edge, [&](double lat) { at(c.lon0 + along(rng), lat); });
                                    withNeighbours(c.lon0 + edge, [&](double lon) { at(lon, c.lat0 + along(rng)); });
                                }
                            }
                        }});
    // The 180-degree meridian from both sides and longitudes given a turn
    // of the globe away.
    families.push_back({"antimeridian", [&](const auto& at) {
                            std::uniform_real_distribution<double> lat(-0.5, 8.5);
                            for (double m : {-540.0, -180.0, 180.0, 540.0}) {
                                for (int n = 0; n < 2000; ++n) {
                                    const double y = lat(rng);
                                    withNeighbours(m, [&](double lon) { at(lon, y); });
                                    at(m + 0.01 * n / 2000.0, y);
                                    at(m - 0.01 * n / 2000.0, y);
                                }
                            }
                            std::uniform_real_distribution<double> turned(-548.0, 540.0);
                            for (int n = 0; n < 200000; ++n) at(turned(rng), lat(rng));
                        }});
    // Latitude 66, where depths stop and coverage does not, and the poles.
    families.push_back({"latitude 66 and the poles", [&](const auto& at) {
                            std::uniform_real_distribution<double> lon(-180.0, -172.0);
                            for (int n = 0; n < 3000; ++n) {
                                const double x = lon(rng);
                                withNeighbours(66.0, [&](double lat) { at(x, lat); });
                                withNeighbours(-90.0, [&](double lat) { at(x + 177.0, lat); });
                                withNeighbours(90.0, [&](double lat) { at(x, lat); });
                                withNeighbours(-96.0, [&](double lat) { at(x + 177.0, lat); });
                            }
                        }});
    families.push_back({"not numbers and far away", [&](const auto& at) {
                            const double odd[] = {nan, -nan, inf, -inf, 1.0e6, -1.0e6, 1.0e300, -1.0e300,
                                                  std::numeric_limits<double>::denorm_min(), -0.0, 0.0, 4.0};
                            for (double a : odd)
                                for (double b : odd) at(a, b);
                        }});

    for (auto& [name, family] : families) {
        long points = 0;
        std::string first;
        family([&](double lon, double lat) {
            ++points;
            if (first.empty()) first = compare(w, lon, lat);
        });
        EXPECT_EQ(first, "") << name << " (" << points << " points)";
        EXPECT_GT(points, 10) << name;
    }
    // Nothing was loaded or evicted on the way.
    EXPECT_EQ(w.store.loadCounter(), loadsBefore);
    EXPECT_EQ(w.store.residentCount(), 8);
}

// The long form must answer from the same pixels as the lookup used before
// its answers were inlined: a few pinned pixels of the tile at (4, 0).
TEST(TileLookup, LongFormPicksTheExpectedPixels) {
    TileWorld w;
    struct Case {
        double lon, lat;
        int row, col;
    };
    const Case cases[] = {
        {4.0, 0.0, 1919, 0},              // south-west corner
        {11.9999999, 7.9999999, 0, 1919}, // north-east corner
        {8.0, 4.0, 959, 960},             // centre: row 1919 - 960
        {4.0 + 1.5 * 8.0 / 1920.0, 1.5 * 8.0 / 1920.0, 1918, 1},
    };
    for (const Case& c : cases) {
        const long i = referenceIndex(w.store, c.lon, c.lat, true);
        EXPECT_EQ(i, static_cast<long>(c.row) * 1920 + c.col) << c.lon << " " << c.lat;
        float e = 0.0f;
        ASSERT_TRUE(w.store.getDepth(c.lon, c.lat, e));
        const std::uint16_t code = static_cast<std::uint16_t>(c.row * 1931 + c.col * 7 + 4 * 131);
        EXPECT_EQ(bitsOf(e), bitsOf(static_cast<float>(code) / 3.0f - 12000.0f)) << c.lon << " " << c.lat;
    }
}

}  // namespace
}  // namespace tessarin
