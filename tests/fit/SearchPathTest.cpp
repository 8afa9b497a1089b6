#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "FitWorld.hpp"
#include "fit/EdgeFit.hpp"
#include "fit/NearbyLatitudes.hpp"
#include "fit/SidewaysSearch.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::FitWorld;

// Everything a run of the window searches leaves behind: the lines and
// scores chosen, the sides, the console text and the depth lookups counted.
struct Record {
    std::vector<double> numbers;
    std::string console;
    std::uint64_t lookups = 0;
};

void addLine(Record& r, const FitLine& l, float score, int side) {
    r.numbers.insert(r.numbers.end(), {l.lonA, l.lonB, l.yA, l.yB, l.latA, l.latB, score, double(side)});
}

struct Call {
    FitLine line;
    float width;        // sideways search width at both ends, map units
    float overlap;      // percent, for the refinements
    bool useFine;
    int towards, away;  // refine window (21, 21: the full one)
};

// The console so far, with each world's own folder written <root>/: tile
// names are compared without it.
std::string consoleWithoutRoot(FitWorld& w) {
    std::string console = w.world.takeOutput();
    const std::string root = w.world.dir.path();
    for (std::size_t at = console.find(root); at != std::string::npos; at = console.find(root, at))
        console.replace(at, root.size(), "<root>/");
    return console;
}

// maxEdge, maxEdgeLateral, then the two refinements the transit runs on the
// maxEdge line, as the planner calls them.
Record run(FitWorld& w, SearchPath path, int threads, const Call& c) {
    Record r;
    w.world.takeOutput();
    SidewaysSearch search(w.world.tiles, *w.gridLookup, *w.world.plan, w.world.out);
    search.setSearchPath(path);
    search.setThreads(threads);
    EdgeFit fit(w.world.tiles, *w.gridLookup, *w.world.plan, w.world.out);
    fit.setSearchPath(path);
    fit.setThreads(threads);
    fit.setRefineWindow(c.towards, c.away);

    FitLine edge, lateral, coarse, fine;
    int side = 0;
    addLine(r, edge, search.maxEdge(c.line, edge, c.width, c.width, side), side);
    addLine(r, lateral, search.maxEdgeLateral(c.line, lateral, c.width, c.width), 0);
    addLine(r, coarse, fit.refineEdgeOverlap(edge, coarse, c.overlap, 0.05f, side, c.useFine), side);
    addLine(r, fine, fit.refineEdgeOverlap(coarse, fine, c.overlap, 0.01f, side, c.useFine), side);
    r.console = consoleWithoutRoot(w);
    r.lookups = fit.depthLookups();
    return r;
}

// refineEdgeOverlap alone, on a side given, at the transit's coarse step.
Record refine(FitWorld& w, SearchPath path, int threads, const FitLine& line, int side) {
    Record r;
    w.world.takeOutput();
    EdgeFit fit(w.world.tiles, *w.gridLookup, *w.world.plan, w.world.out);
    fit.setSearchPath(path);
    fit.setThreads(threads);
    FitLine result;
    addLine(r, result, fit.refineEdgeOverlap(line, result, 10.0f, 0.05f, side, false), side);
    r.console = consoleWithoutRoot(w);
    r.lookups = fit.depthLookups();
    return r;
}

void expectSame(const Record& got, const Record& reference) {
    ASSERT_EQ(got.numbers.size(), reference.numbers.size());
    for (std::size_t i = 0; i < got.numbers.size(); ++i)
        EXPECT_EQ(got.numbers[i], reference.numbers[i]) << "value " << i;  // to the last bit
    EXPECT_EQ(got.console, reference.console);
    EXPECT_EQ(got.lookups, reference.lookups);
}

TEST(SearchPath, NearbyLatitudesAreTheFloatsLatitudeFromMapYGives) {
    // Stations from 70 S to 70 N, probes up to 1.5 map units away at uneven
    // offsets; also a station latitude given 1e-13 degrees off.
    for (double y : {-118.0, -41.3, -0.02, 0.0, 0.7, 33.33, 62.0, 118.0}) {
        SCOPED_TRACE(y);
        const NearbyLatitudes near(y), nudged(y, latitudeFromMapY(y) + 1e-13);
        int mismatches = 0;
        for (double dy = -1.5; dy <= 1.5; dy += 0.000137) {
            const float exact = static_cast<float>(latitudeFromMapY(y + dy));
            if (near.at(y + dy) != exact || nudged.at(y + dy) != exact) ++mismatches;
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(SearchPath, SharedSearchesChooseTheReferenceLines) {
    const double y4 = mapY(4.0);
    struct Case {
        const char* name;
        std::function<bool(double lon, double y)> covered;
        Call call;
    };
    const FitLine east = FitLine::fromDegrees(6.0, 4.05, 8.0, 4.05);
    const FitLine slant = FitLine::fromDegrees(6.0, 3.9, 8.5, 4.3);
    const Case cases[] = {
        {"edge to the south", [&](double, double y) { return y < y4; }, {east, 0.5f, 10.0f, false, 21, 21}},
        {"edge to the north", [&](double, double y) { return y > y4 + 0.1; }, {east, 0.5f, 10.0f, false, 21, 21}},
        {"slanted edge", [&](double lon, double y) { return y < y4 + 0.05 * (lon - 6.0); },
         {slant, 0.6f, 10.0f, false, 21, 21}},
        // Patches give many equal scores: the first one visited must win.
        {"patches", [](double lon, double y) { return (int(lon * 20) + int(y * 20)) % 3 == 0; },
         {east, 0.5f, 10.0f, false, 21, 21}},
        {"nothing covered", [](double, double) { return false; }, {east, 0.5f, 10.0f, false, 21, 21}},
        // The fill's use: fine sub-grids (none here, so unreadable) and a
        // window that lets the line move back only.
        {"fill window", [&](double, double y) { return y < y4; }, {east, 0.5f, 20.0f, false, 3, 10}},
        {"fine cells", [&](double, double y) { return y < y4; }, {east, 0.5f, 10.0f, true, 21, 21}},
    };
    FitWorld w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.paintCoverage(c.covered);
        const Record reference = run(w, SearchPath::Reference, 1, c.call);
        for (int threads : {1, 2, 3}) {
            SCOPED_TRACE(threads);
            expectSame(run(w, SearchPath::Shared, threads, c.call), reference);
        }
    }
}

TEST(SearchPath, ACandidateThatLoadsATileIsScoredInItsTurn) {
    // The east neighbour (12..20 E), deepening eastwards, is on disk but not
    // resident: a line near 12 E loads it part-way through the candidates
    // (those moved east probe past 12 E), and the candidates after that one
    // read it.
    const double hw = test::flatHalfWidth(4.0);
    struct Case {
        const char* name;
        FitLine line;
        std::function<bool(double lon, double y)> covered;
        int side;  // 0: the sideways search and both refinements, as the transit runs them
    };
    const Case cases[] = {
        {"transit's fits, coverage west", FitLine::fromDegrees(11.95, 3.0, 11.95, 5.0),
         [](double lon, double) { return lon < 11.9; }, 0},
        // The first candidate is a perfect fit (its probes 0.745 .. 0.805
        // half-widths out covered, 0.695 not), so later ones that are off
        // the edge near A cannot win long before their last stations, where
        // the first depth probe past 12 E is made: it must still load.
        {"refinement, a loser loads", FitLine::fromDegrees(11.95, 3.0, 11.95, 5.0),
         [&](double lon, double) { return lon > 11.95 - 21 * 0.1 * hw + 0.72 * hw; }, kSideStarboard},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto world = [&] {
            auto w = std::make_unique<FitWorld>();
            test::writeDataTile(w->world.dir.path(), 12, 0, [](int, int col) {
                test::DataPixel p;
                p.code = test::codeOfElevation(-3000.0 - col);
                return p;
            });
            w->paintCoverage(c.covered);
            return w;
        };
        const Call call{c.line, 0.5f, 10.0f, false, 21, 21};
        auto measure = [&](FitWorld& w, SearchPath path, int threads) {
            return c.side == 0 ? run(w, path, threads, call) : refine(w, path, threads, c.line, c.side);
        };
        auto reference = world();
        const Record expected = measure(*reference, SearchPath::Reference, 1);
        ASSERT_NE(expected.console.find("READ DATA MAP FILE NAME"), std::string::npos) << expected.console;
        for (int threads : {1, 2}) {
            SCOPED_TRACE(threads);
            auto shared = world();
            expectSame(measure(*shared, SearchPath::Shared, threads), expected);
            EXPECT_EQ(shared->world.tiles.loadCounter(), reference->world.tiles.loadCounter());
        }
    }
}

}  // namespace
}  // namespace tessarin
