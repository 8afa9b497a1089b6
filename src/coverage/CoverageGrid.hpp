#pragma once
// Plan coverage on the raster grids of the resident tiles: swaths captured
// into the coverage bytes (plan, pass and overlap bits, 240 cells a degree)
// and into the fine sub-grids (960 cells a degree) that fills and line fits
// read where coverage edges must be found finely.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).
// Capture boxes are whole map-plane units: left/right in x, bottom/top in y.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "coverage/CaptureTarget.hpp"
#include "coverage/PlanCost.hpp"
#include "coverage/PlanStatistics.hpp"
#include "earth/TileStore.hpp"

namespace tessarin {

class SurveyPlan;
class SurveyPolygon;

class CoverageGrid {
public:
    static constexpr int kFineBlock = 960;    // pixels a map unit, fine capture
    static constexpr int kCoarseBlock = 480;  // 2-unit blocks of 240 pixels a unit
    static constexpr std::uint8_t kGreenThreshold = 20;

    CoverageGrid(TileStore& tiles, SurveyPlan& plan, SurveyPolygon& polygon, std::ostream& out);

    // What captures and pass clears cost. Lean draws, reads and scans only
    // the pixels near a swath, clears pass bits only in the rows marked since
    // the last clear, and inside a texture batch rebuilds coverage textures
    // once at its end. Baseline does what the captures always did: every
    // block whole, every row of every resident tile, every texture after
    // every coarse capture. Both leave the same marks; Baseline is kept as
    // the measured baseline of the fill's benchmark and as the reference the
    // lean path is checked against.
    enum class CaptureCosts { Lean, Baseline };
    void setCaptureCosts(CaptureCosts costs) { costs_ = costs; }
    CaptureCosts captureCosts() const { return costs_; }

    // Between begin and end (nested: the outermost end counts) the coverage
    // textures of the tiles that coarse captures mark are rebuilt once, at
    // the end, instead of after every capture. For work that captures many
    // swaths before anything is drawn, like a fill inside one callback.
    void beginTextureBatch() { ++textureBatches_; }
    void endTextureBatch();
    // A batch that ends at end() or, at the latest, when it goes out of scope.
    class TextureBatch {
    public:
        explicit TextureBatch(CoverageGrid& grid) : grid_(grid) { grid_.beginTextureBatch(); }
        ~TextureBatch() { end(); }
        TextureBatch(const TextureBatch&) = delete;
        TextureBatch& operator=(const TextureBatch&) = delete;
        void end() {
            if (open_) grid_.endTextureBatch();
            open_ = false;
        }

    private:
        CoverageGrid& grid_;
        bool open_ = true;
    };

    // Captures draw through target; without one they mark nothing.
    void setCaptureTarget(CaptureTarget* target) { target_ = target; }
    CaptureTarget* captureTarget() const { return target_; }

    // Capture box of the walk cursor's leg; all zero without a leg.
    void currentSwathBox(int& left, int& right, int& bottom, int& top);
    // Fine capture of the walk cursor's leg into the fine sub-grids.
    void captureSwathFine();
    // Coarse capture of the walk cursor's leg into the coverage bytes, then
    // the coverage textures of the tiles it touched.
    void captureSwathCoarse();
    // Coarse capture of every leg, all in one pass. Leaves the plan's current
    // waypoint on the first and the walk cursor on the last; touchedTiles
    // holds every tile a leg marked.
    void capturePlanCoarse();
    // Zero-filled fine sub-grids under the polygon's neighbourhood for the
    // resident tiles.
    void allocateFineGrids();
    // Clears the pass bit in every resident tile.
    void clearPassMarks();
    // Clears plan marks and fine sub-grids under the polygon (reference bits
    // stay), then deletes the polygon's points.
    void clearPolygonCoverage();
    // Fine cell value at (lon, lat) degrees; false when the cell's tile is
    // not resident. Never loads a tile.
    bool fineCoverageAt(double lon, double lat, std::uint16_t& value) const;

    // ---- Statistics, cost and report ----
    // Captures the whole plan and replaces statistics with its areas; tiles
    // under the swaths are loaded as needed.
    void computePlanStatistics(ProgressSink& progress);
    PlanTotals planTotals(float boatSpeedKnots) const;
    // Computes the statistics afresh and writes them with the plan's time
    // and cost; false (with a line on the console) when the file cannot be
    // written.
    bool writeReport(const std::string& path, float dayRate, float boatSpeedKnots, ProgressSink& progress);

    // What the last computePlanStatistics found (zero until then), and the
    // planFingerprint of the plan it was computed for.
    PlanStatistics statistics;
    std::uint64_t statisticsFingerprint = 0;

    // Tile cell index of a longitude as the coverage lookups take it.
    static int lonIndexOf(double lon);

    // 1 where the last coarse capture marked at least one pixel.
    std::uint8_t touchedTiles[TileStore::kLatCells][TileStore::kLonCells] = {};
    // RGB read-back of one capture block (960 x 960 x 3).
    std::vector<std::uint8_t> captureBuffer;

private:
    // The coarse capture of the cursor's leg without clearing touchedTiles.
    void captureCursorCoarse();
    // Marks of one read-back block whose lower-left corner is (x, y), from
    // its pixels inside part.
    void markFineBlock(const std::uint8_t* rgb, int x, int y, const PixelRect& part);
    void markCoarseBlock(const std::uint8_t* rgb, int x, int y, const PixelRect& part);
    // Captures one block of one strip the way costs_ says; part tells which
    // pixels of rgb were read.
    bool captureBlock(const SwathStrip& strip, int x, int y, int pixelsPerUnit, int size, int repeats,
                      std::uint8_t* rgb, PixelRect& part);
    void rebuildTouchedTextures();

    TileStore& tiles_;
    SurveyPlan& plan_;
    SurveyPolygon& polygon_;
    std::ostream& out_;
    CaptureTarget* target_ = nullptr;
    CaptureCosts costs_ = CaptureCosts::Lean;
    int textureBatches_ = 0;
    // Tiles whose texture the open batch still owes.
    std::uint8_t batchedTextures_[TileStore::kLatCells][TileStore::kLonCells] = {};
};

}  // namespace tessarin
