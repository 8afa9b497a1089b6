#include "coverage/PlanStatistics.hpp"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {
namespace {

constexpr std::uint8_t kReferenceBit = 0x40;
constexpr std::uint8_t kPlanBit = 0x20;
constexpr std::uint8_t kUnderOneSwath = 10;
constexpr std::uint8_t kUnderTwoSwaths = 150;
constexpr int kPixelsPerUnit = 240;
constexpr int kBlock = 480;
constexpr int kBlockUnits = kBlock / kPixelsPerUnit;
// The on-screen method drew each block this many times before its read.
constexpr int kRepeats = 20;
constexpr double kKmPerDegree = 111.112;
constexpr double kDegreesPerRadian = 57.29577951308232;

// 2 * trunc((v + offset) / 2) - offset, with bounds far off the map (a plan
// file can hold any number) clamped so the conversion is defined and the
// block loops stay bounded.
int evenBelow(double v, double offset) {
    if (!(v == v)) v = 0.0;
    v = std::clamp(v, -1000.0, 1000.0);
    return 2 * static_cast<int>((v + offset) / 2.0) - static_cast<int>(offset);
}

// Longitude brought into -180..180: legs of a transit across the 180-degree
// meridian run on past it, and are counted where they lie.
double wrapped(double lon) {
    if (lon >= 180.0 || lon < -180.0) lon -= 360.0 * std::floor((lon + 180.0) / 360.0);
    return lon;
}

struct Extent {
    double minX, maxX, minY, maxY;
};

struct Block {
    int x, y;
    std::vector<CellIndex> cells;  // the tile cells its pixels fall in
};

// Weighted pixel sums of the blocks, km2.
struct StatsTally {
    double total = 0.0;      // green > 10
    double reference = 0.0;  // green > 10 and reference bit
    double self = 0.0;       // green > 150
    double refSim = 0.0;     // reference bit, swath or not
    double newSim = 0.0;     // plan bit without reference bit, swath or not
    long long greenPixels = 0;

    void addBlock(const std::uint8_t* rgb, int x, int y, const TileStore& tiles) {
        for (int m = 0; m < kBlock; ++m) {
            const double y0 = y + static_cast<double>(m) / kPixelsPerUnit;
            const double y1 = y + static_cast<double>(m + 1) / kPixelsPerUnit;
            const double area = pixelAreaKm2(y0, y1);
            const double lat = latitudeFromMapY(0.5 * (y0 + y1));
            const std::uint8_t* px = rgb + static_cast<std::size_t>(m) * kBlock * 3;
            for (int k = 0; k < kBlock; ++k, px += 3) {
                const double lon = wrapped(x + (k + 0.5) / kPixelsPerUnit);
                std::uint16_t byte = 0;
                if (!tiles.getCoverage(lon, lat, byte)) byte = 0;
                const std::uint8_t g = px[1];
                if (byte & kReferenceBit) {
                    refSim += area;
                } else if (byte & kPlanBit) {
                    newSim += area;
                }
                if (g > kUnderOneSwath) {
                    ++greenPixels;
                    total += area;
                    if (byte & kReferenceBit) reference += area;
                }
                if (g > kUnderTwoSwaths) self += area;
            }
        }
    }
};

bool needsLoad(const TileStore& tiles, const CellIndex& c) {
    const TileRecord& rec = tiles.record(c.latIdx, c.lonIdx);
    return !rec.loaded && !rec.missing;
}

// Makes every cell resident (or known to have no data). The ring evicts in
// load order, so a load can evict one of the cells itself; such a cell is
// loaded again, and is then among the newest. False when that does not
// settle, which only a ring smaller than the cells could cause.
bool makeResident(TileStore& tiles, const std::vector<CellIndex>& cells) {
    for (std::size_t pass = 0; pass <= cells.size(); ++pass) {
        for (const CellIndex& c : cells)
            if (needsLoad(tiles, c)) tiles.ensureTile(c.latIdx, c.lonIdx);
        if (std::none_of(cells.begin(), cells.end(), [&](const CellIndex& c) { return needsLoad(tiles, c); }))
            return true;
    }
    return false;
}

void addCell(std::vector<CellIndex>& cells, double lon, double lat) {
    int la = 0, lo = 0;
    if (!(lat < 66.0) || !TileStore::cellOf(wrapped(lon), lat, la, lo)) return;
    for (const CellIndex& c : cells)
        if (c.latIdx == la && c.lonIdx == lo) return;
    cells.push_back(CellIndex{la, lo});
}

// The blocks of the box that a swath reaches, ordered cell by cell so that a
// group of neighbouring cells serves all the blocks inside it; blocks whose
// cells are all resident come first, before loads evict any of them.
std::vector<Block> blocksUnderSwaths(const SurveyPlan& plan, const TileStore& tiles, int left, int right, int bottom,
                                     int top) {
    std::vector<Extent> extents;
    plan.forEachSwathStrip([&](const SwathStrip& s) {
        Extent e{0, 0, 0, 0};
        bool any = false;
        for (int i = 0; i < s.count; ++i) {
            for (int side = 0; side < 2; ++side) {
                const double vx = side == 0 ? s.rightX[i] : s.leftX[i];
                const double vy = side == 0 ? s.rightY[i] : s.leftY[i];
                if (!std::isfinite(vx) || !std::isfinite(vy)) continue;
                if (!any) e = Extent{vx, vx, vy, vy};
                any = true;
                e.minX = std::min(e.minX, vx);
                e.maxX = std::max(e.maxX, vx);
                e.minY = std::min(e.minY, vy);
                e.maxY = std::max(e.maxY, vy);
            }
        }
        if (any) extents.push_back(e);
    });
    // Two pixels of margin keep the test on the safe side of the
    // rasteriser's pixel-centre rule.
    const double margin = 2.0 / kPixelsPerUnit;
    std::vector<Block> blocks;
    for (int y = bottom; y < top; y += kBlockUnits) {
        for (int x = left; x < right; x += kBlockUnits) {
            const bool reached = std::any_of(extents.begin(), extents.end(), [&](const Extent& e) {
                return !(e.maxX < x - margin || e.minX > x + kBlockUnits + margin || e.maxY < y - margin ||
                         e.minY > y + kBlockUnits + margin);
            });
            if (!reached) continue;
            Block b{x, y, {}};
            const double latLow = latitudeFromMapY(y), latHigh = latitudeFromMapY(y + kBlockUnits - 1e-9);
            for (double lat : {latLow, latHigh})
                for (double lon : {static_cast<double>(x), x + kBlockUnits - 1e-9}) addCell(b.cells, lon, lat);
            blocks.push_back(std::move(b));
        }
    }
    auto key = [&tiles](const Block& b) {
        const bool loads = std::any_of(b.cells.begin(), b.cells.end(),
                                       [&](const CellIndex& c) { return needsLoad(tiles, c); });
        const CellIndex first = b.cells.empty() ? CellIndex{} : b.cells[0];
        return std::make_tuple(loads, first.latIdx, first.lonIdx);
    };
    std::stable_sort(blocks.begin(), blocks.end(), [&](const Block& a, const Block& b) { return key(a) < key(b); });
    return blocks;
}

// Consecutive blocks whose cells together number at most groupCells.
std::vector<std::pair<std::size_t, std::size_t>> groupsOf(const std::vector<Block>& blocks, int groupCells) {
    std::vector<std::pair<std::size_t, std::size_t>> groups;
    std::set<std::pair<int, int>> cells;
    std::size_t start = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        std::set<std::pair<int, int>> with = cells;
        for (const CellIndex& c : blocks[i].cells) with.insert({c.latIdx, c.lonIdx});
        if (i > start && static_cast<int>(with.size()) > groupCells) {
            groups.emplace_back(start, i);
            start = i;
            with.clear();
            for (const CellIndex& c : blocks[i].cells) with.insert({c.latIdx, c.lonIdx});
        }
        cells = std::move(with);
    }
    if (start < blocks.size()) groups.emplace_back(start, blocks.size());
    return groups;
}

}  // namespace

double pixelAreaKm2(double yBottom, double yTop) {
    const double radiusKm = kKmPerDegree * kDegreesPerRadian;
    const double widthRadians = 1.0 / (kPixelsPerUnit * kDegreesPerRadian);
    const double sinTop = std::sin(latitudeFromMapY(yTop) / kDegreesPerRadian);
    const double sinBottom = std::sin(latitudeFromMapY(yBottom) / kDegreesPerRadian);
    return radiusKm * radiusKm * widthRadians * (sinTop - sinBottom);
}

void statsCaptureBox(const SurveyPlan& plan, std::ostream& out, int& left, int& right, int& bottom, int& top) {
    left = right = bottom = top = 0;
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    if (!plan.planBounds(minX, maxX, minY, maxY)) return;
    if (minX < 0.0) minX -= 2.0;
    left = evenBelow(minX, 180.0);
    right = evenBelow(maxX, 180.0) + 2;
    bottom = evenBelow(minY, 88.0);
    top = evenBelow(maxY, 88.0) + 2;
    out << "Deg 2 Bounds Left Right " << left << " " << right << " " << " Bottom Top " << bottom << " " << top
        << "\n";
}

PlanStatistics computePlanStatistics(CaptureTarget* target, const SurveyPlan& plan, TileStore& tiles,
                                     ProgressSink& progress, std::ostream& out, int groupCells) {
    int left = 0, right = 0, bottom = 0, top = 0;
    statsCaptureBox(plan, out, left, right, bottom, top);
    out << "Capture L R " << left << " " << right << "   " << "B T " << bottom << " " << top << "\n";

    std::vector<SwathStrip> strips;
    plan.forEachSwathStrip([&](const SwathStrip& s) { strips.push_back(s); });
    const std::vector<Block> blocks = blocksUnderSwaths(plan, tiles, left, right, bottom, top);
    const auto groups = groupsOf(blocks, std::clamp(groupCells, 4, TileStore::kRingSize));

    StatsTally tally;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kBlock) * kBlock * 3);
    {
        ProgressStage stage(progress, "Plan statistics", static_cast<long>(groups.size()));
        long done = 0;
        for (const auto& [begin, end] : groups) {
            // The group's cells are loaded together; each block then checks
            // its own, which a load of the group may have evicted.
            std::vector<CellIndex> cells;
            for (std::size_t i = begin; i < end; ++i)
                for (const CellIndex& c : blocks[i].cells)
                    if (std::find(cells.begin(), cells.end(), c) == cells.end()) cells.push_back(c);
            makeResident(tiles, cells);
            for (std::size_t i = begin; i < end; ++i) {
                const Block& b = blocks[i];
                if (!makeResident(tiles, b.cells)) {
                    std::cerr << "Plan statistics: the tiles under a block could not all be loaded\n";
                }
                if (!target || strips.empty() ||
                    !target->captureStatsBlock(strips.data(), static_cast<int>(strips.size()), b.x, b.y,
                                               kPixelsPerUnit, kBlock, kRepeats, rgb.data())) {
                    continue;
                }
                tally.addBlock(rgb.data(), b.x, b.y, tiles);
            }
            stage.step(++done);
        }
    }
    out << "GREEN COUNT " << tally.greenPixels << "\n";

    PlanStatistics s;
    s.totalMappedArea = tally.total;
    s.referenceOverlapArea = tally.reference;
    s.selfOverlapArea = tally.self;
    out << "AREA " << s.totalMappedArea << "sq km\n";
    out << "REMAPPED AREA " << s.referenceOverlapArea << "sq km\n";
    out << "MAPPED for first time " << s.newMapping() << "sq km\n";
    out << "AREA Self Overlap " << s.selfOverlapArea << "sq km " << "   " << s.selfOverlapPercent() << "%\n";
    out << "****GEBCO MAPPING SIM  " << tally.refSim << "\n";
    out << "****NEW MAPPING SIM  " << tally.newSim << "\n";
    return s;
}

}  // namespace tessarin
