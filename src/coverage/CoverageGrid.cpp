#include "coverage/CoverageGrid.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "area/SurveyPolygon.hpp"
#include "coverage/CaptureTarget.hpp"
#include "coverage/PlanReport.hpp"
#include "coverage/StatsFreshness.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {
namespace {

// trunc toward zero of a value already known to be in int range.
int truncInt(double v) { return static_cast<int>(v); }

// trunc(lat + 96) / 8 with far-off and NaN latitudes sent outside the table.
int latIndexOf(double lat) {
    if (!(lat > -96.0 && lat < 200.0)) return -1;
    return truncInt(lat + 96.0) / 8;
}

bool inTable(int latIdx, int lonIdx) {
    return latIdx >= 0 && latIdx < TileStore::kLatCells && lonIdx >= 0 && lonIdx < TileStore::kLonCells;
}

// Capture box corner rounding: down to an even unit for the low side, the
// next even unit above for the high side.
// Bounds far off the map (a plan file can hold any number) are clamped first,
// so the conversion is defined and the block loops stay bounded.
int evenBelow(double v, double offset) {
    if (!(v == v)) v = 0.0;
    v = std::clamp(v, -1000.0, 1000.0);
    return 2 * truncInt((v + offset) / 2.0) - static_cast<int>(offset);
}

// Column of the tile grid of a block's west edge x (whole map units). A leg
// of a transit across the 180-degree meridian runs on past it; its blocks
// fall in the columns where that sea floor is.
int blockLonIndex(int x) {
    if (x < -540 || x > 900) return -1;
    return ((x + 180) % 360 + 360) % 360 / 8;
}

}  // namespace

CoverageGrid::CoverageGrid(TileStore& tiles, SurveyPlan& plan, SurveyPolygon& polygon, std::ostream& out)
    : captureBuffer(static_cast<std::size_t>(kFineBlock) * kFineBlock * 3),
      tiles_(tiles), plan_(plan), polygon_(polygon), out_(out) {}

int CoverageGrid::lonIndexOf(double lon) {
    if (!(lon > -540.0 && lon < 900.0)) return -1;
    int idx = truncInt(lon + 540.0) / 8;
    if (idx > 44) idx -= 45;
    if (idx > 44) idx -= 45;
    return idx;
}

void CoverageGrid::currentSwathBox(int& left, int& right, int& bottom, int& top) {
    left = right = bottom = top = 0;
    float minX = 0.0f, maxX = 0.0f, minY = 0.0f, maxY = 0.0f;
    if (!plan_.cursorLegBounds(minX, maxX, minY, maxY)) return;
    left = evenBelow(minX, 180.0);
    right = evenBelow(maxX, 180.0) + 2;
    bottom = evenBelow(minY, 88.0);
    top = evenBelow(maxY, 88.0) + 2;
    if (left < -180) left += 360;
    if (right < -180) right += 360;
    out_ << "getCurrentSwathBoundingBox Left Right " << left << " " << right << " ";
}

void CoverageGrid::captureSwathFine() {
    int left = 0, right = 0, bottom = 0, top = 0;
    currentSwathBox(left, right, bottom, top);
    out_ << "CAPTURE Hi RES BOUNDING BOX " << left << " " << right << " " << bottom << " " << top << "\n";
    SwathStrip strip;
    if (!target_ || !plan_.cursorSwathStrip(strip)) return;
    std::uint8_t* rgb = captureBuffer.data();
    for (int y = bottom; y < top; ++y) {
        for (int x = left; x < right; ++x) {
            PixelRect part;
            if (!captureBlock(strip, x, y, kFineBlock, kFineBlock, 9, rgb, part)) continue;
            markFineBlock(rgb, x, y, part);
        }
    }
}

bool CoverageGrid::captureBlock(const SwathStrip& strip, int x, int y, int pixelsPerUnit, int size, int repeats,
                                std::uint8_t* rgb, PixelRect& part) {
    if (costs_ == CaptureCosts::Lean) {
        return target_->captureSwathPart(&strip, 1, x, y, pixelsPerUnit, size, repeats, rgb, part);
    }
    part = PixelRect{0, 0, size, size};
    return target_->captureSwathBlock(&strip, 1, x, y, pixelsPerUnit, size, repeats, rgb);
}

void CoverageGrid::markFineBlock(const std::uint8_t* rgb, int x, int y, const PixelRect& part) {
    const int lonIdx = blockLonIndex(x);
    for (int h = part.y0; h < part.y1; ++h) {
        const double lat = latitudeFromMapY(h / 960.0 + y);
        const int latIdx = latIndexOf(lat);
        if (!inTable(latIdx, lonIdx)) continue;
        TileRecord& rec = tiles_.record(latIdx, lonIdx);
        if (!rec.loaded || !rec.tile) continue;
        const std::uint8_t* row = rgb + static_cast<std::size_t>(h) * kFineBlock * 3;
        for (int k = part.x0; k < part.x1; ++k) {
            if (row[3 * k + 1] > kGreenThreshold) rec.tile->markFine(x + k / 960.0, lat);
        }
    }
}

void CoverageGrid::markCoarseBlock(const std::uint8_t* rgb, int x, int y, const PixelRect& part) {
    const int lonIdx = blockLonIndex(x);
    for (int h = part.y0; h < part.y1; ++h) {
        const double lat = latitudeFromMapY(h / 240.0 + y);
        const int latIdx = latIndexOf(lat);
        if (!inTable(latIdx, lonIdx)) continue;
        TileRecord& rec = tiles_.record(latIdx, lonIdx);
        if (!rec.loaded || !rec.tile) continue;
        const std::uint8_t* row = rgb + static_cast<std::size_t>(h) * kCoarseBlock * 3;
        for (int k = part.x0; k < part.x1; ++k) {
            if (row[3 * k + 1] > kGreenThreshold) {
                touchedTiles[latIdx][lonIdx] = 1;
                rec.tile->markCoarse(x + k / 240.0, lat);
            }
        }
    }
}

void CoverageGrid::captureCursorCoarse() {
    int left = 0, right = 0, bottom = 0, top = 0;
    currentSwathBox(left, right, bottom, top);
    SwathStrip strip;
    if (!target_ || !plan_.cursorSwathStrip(strip)) return;
    std::uint8_t* rgb = captureBuffer.data();
    for (int y = bottom; y < top; y += 2) {
        for (int x = left; x < right; x += 2) {
            PixelRect part;
            if (!captureBlock(strip, x, y, kCoarseBlock / 2, kCoarseBlock, 2, rgb, part)) continue;
            markCoarseBlock(rgb, x, y, part);
        }
    }
}

void CoverageGrid::rebuildTouchedTextures() {
    const bool batched = textureBatches_ > 0 && costs_ == CaptureCosts::Lean;
    for (int latIdx = 0; latIdx < TileStore::kLatCells; ++latIdx) {
        for (int lonIdx = 0; lonIdx < TileStore::kLonCells; ++lonIdx) {
            if (!touchedTiles[latIdx][lonIdx]) continue;
            if (batched) {
                batchedTextures_[latIdx][lonIdx] = 1;
            } else {
                tiles_.buildCoverageTexture(latIdx, lonIdx);
            }
        }
    }
}

void CoverageGrid::endTextureBatch() {
    if (textureBatches_ == 0 || --textureBatches_ > 0) return;
    // A tile evicted meanwhile is skipped; the one loaded in its place made
    // its texture when it was read.
    for (int latIdx = 0; latIdx < TileStore::kLatCells; ++latIdx) {
        for (int lonIdx = 0; lonIdx < TileStore::kLonCells; ++lonIdx) {
            if (!batchedTextures_[latIdx][lonIdx]) continue;
            batchedTextures_[latIdx][lonIdx] = 0;
            tiles_.buildCoverageTexture(latIdx, lonIdx);
        }
    }
}

void CoverageGrid::captureSwathCoarse() {
    std::fill(&touchedTiles[0][0], &touchedTiles[0][0] + sizeof touchedTiles, std::uint8_t{0});
    captureCursorCoarse();
    rebuildTouchedTextures();
}

void CoverageGrid::capturePlanCoarse() {
    // All legs belong to one pass, and a mark within a pass only depends on
    // whether the cell is marked at all: so each block is drawn once with
    // every leg whose box holds it, instead of once per leg, and the marks
    // are the same as leg by leg. touchedTiles ends as the union of the legs'
    // tiles; their textures are rebuilt once.
    std::fill(&touchedTiles[0][0], &touchedTiles[0][0] + sizeof touchedTiles, std::uint8_t{0});
    std::map<std::pair<int, int>, std::vector<SwathStrip>> blocks;  // (y, x) -> strips
    plan_.walkFromFirst();
    do {
        int left = 0, right = 0, bottom = 0, top = 0;
        currentSwathBox(left, right, bottom, top);
        SwathStrip strip;
        if (!plan_.cursorSwathStrip(strip)) continue;
        for (int y = bottom; y < top; y += 2) {
            for (int x = left; x < right; x += 2) blocks[{y, x}].push_back(strip);
        }
    } while (plan_.walkNext());
    if (target_) {
        std::uint8_t* rgb = captureBuffer.data();
        for (const auto& [block, strips] : blocks) {
            const int y = block.first, x = block.second;
            if (!target_->captureSwathBlock(strips.data(), static_cast<int>(strips.size()), x, y, kCoarseBlock / 2,
                                            kCoarseBlock, 2, rgb)) {
                continue;
            }
            markCoarseBlock(rgb, x, y, PixelRect{0, 0, kCoarseBlock, kCoarseBlock});
        }
    }
    rebuildTouchedTextures();
}

void CoverageGrid::allocateFineGrids() {
    double west = 0.0, east = 0.0, south = 0.0, north = 0.0;
    if (!polygon_.polygonBounds(west, east, south, north)) return;
    out_ << "ALLOCATE HI RES  LR BT " << west << " " << east << " " << south << " " << north << "\n";
    // Vertices are on the map, so the bounds are far inside int range.
    const int x0 = truncInt(west - 1.5), x1 = truncInt(east + 0.5);
    const int y0 = truncInt(south - 1.5), y1 = truncInt(north + 0.5);
    out_ << "ALLOCATE HI RES INT LR BT " << x0 << " " << x1 << " " << y0 << " " << y1 << "\n";
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const int latIdx = (y + 96) / 8, subRow = (y + 96) % 8;
            const int lonIdx = (x + 540) / 8 - 45, subCol = (x + 540) % 8;
            out_ << "ALLOC R C " << latIdx << " " << lonIdx << " " << y << " " << x << "\n";
            out_ << "RES R C " << subRow << " " << subCol << "\n";
            // Squares south of -96 or far outside the grid have no record.
            if (y + 96 < 0 || x + 540 < 0 || !inTable(latIdx, lonIdx)) continue;
            TileRecord& rec = tiles_.record(latIdx, lonIdx);
            if (rec.loaded && rec.tile) rec.tile->allocateFine(subRow, subCol);
        }
    }
}

void CoverageGrid::clearPassMarks() {
    for (int latIdx = 0; latIdx < TileStore::kLatCells; ++latIdx) {
        for (int lonIdx = 0; lonIdx < TileStore::kLonCells; ++lonIdx) {
            TileRecord& rec = tiles_.record(latIdx, lonIdx);
            if (!rec.loaded || !rec.tile || !rec.tile->hasRows()) continue;
            rec.tile->clearPassBits(costs_ == CaptureCosts::Baseline);
        }
    }
}

void CoverageGrid::clearPolygonCoverage() {
    double west = 0.0, east = 0.0, south = 0.0, north = 0.0;
    if (polygon_.polygonBounds(west, east, south, north)) {
        out_ << "POLY BOUNDS " << west << " " << east << " " << south << " " << north << "\n";
        const int latFrom = std::max(latIndexOf(south), 0);
        const int latTo = std::min(latIndexOf(north), TileStore::kLatCells - 1);
        const int lonFrom = std::max(lonIndexOf(west), 0);
        const int lonTo = std::min(lonIndexOf(east), TileStore::kLonCells - 1);
        for (int latIdx = latFrom; latIdx <= latTo; ++latIdx) {
            for (int lonIdx = lonFrom; lonIdx <= lonTo; ++lonIdx) {
                TileRecord& rec = tiles_.record(latIdx, lonIdx);
                if (!rec.loaded || !rec.tile) continue;
                DepthTile& t = *rec.tile;
                t.keepReferenceBits();
                for (auto& grid : t.fine) {
                    if (grid) std::fill_n(grid.get(), DepthTile::kFineSize * DepthTile::kFineSize, std::uint8_t{0});
                }
                // The coverage view shows the cleared cells at once.
                tiles_.buildCoverageTexture(latIdx, lonIdx);
            }
        }
    }
    polygon_.clearPolygon();
}

bool CoverageGrid::fineCoverageAt(double lon, double lat, std::uint16_t& value) const {
    const int lonIdx = lonIndexOf(lon);
    const int latIdx = latIndexOf(lat);
    if (!inTable(latIdx, lonIdx)) return false;
    const TileRecord& rec = tiles_.record(latIdx, lonIdx);
    if (!rec.loaded || !rec.tile) return false;
    // The record was chosen with the longitude brought into -180..180, so the
    // cell is read there too (a probe east of 180 reads the tile west of it).
    if (lon < -180.0) lon += 360.0;
    if (lon >= 180.0) lon -= 360.0;
    value = rec.tile->fineAt(lon, lat);
    return true;
}

// ---- Statistics, cost and report ----------------------------------------------

void CoverageGrid::computePlanStatistics(ProgressSink& progress) {
    statistics = tessarin::computePlanStatistics(target_, plan_, tiles_, progress, out_);
    statisticsFingerprint = planFingerprint(plan_);
}

PlanTotals CoverageGrid::planTotals(float boatSpeedKnots) const { return tessarin::planTotals(plan_, boatSpeedKnots); }

bool CoverageGrid::writeReport(const std::string& path, float dayRate, float boatSpeedKnots, ProgressSink& progress) {
    // The areas are those of the plan as it is written, not of whatever the
    // statistics last saw.
    computePlanStatistics(progress);
    return tessarin::writeReport(path, statistics, planTotals(boatSpeedKnots), dayRate, out_);
}

}  // namespace tessarin
