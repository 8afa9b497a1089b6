#include "area/PolygonFill.hpp"

#include <chrono>
#include <cmath>

#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "earth/MapProjection.hpp"
#include "earth/ProgressSink.hpp"
#include "earth/TileStore.hpp"
#include "fit/EdgeFit.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {
namespace {

constexpr double kMetresPerUnit = 111111.0;
constexpr double kFillPi = 3.141592;
// The capture switches to the fine sub-grids when a line's highest sample is
// above this elevation and back to the coverage bytes below the other.
constexpr float kFineAbove = 1100.0f;
constexpr float kCoarseBelow = -1500.0f;

using Clock = std::chrono::steady_clock;

// Adds the time since start to *sum when profiling.
class Timed {
public:
    explicit Timed(double* sum) : sum_(sum), start_(sum ? Clock::now() : Clock::time_point{}) {}
    ~Timed() {
        if (sum_) *sum_ += std::chrono::duration<double>(Clock::now() - start_).count();
    }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

private:
    double* sum_;
    Clock::time_point start_;
};

}  // namespace

PolygonFill::PolygonFill(SurveyPolygon& polygon, SurveyPlan& plan, TileStore& tiles, CoverageGrid& coverage,
                         const CoverageLookup& lookup, ProgressSink& progress, std::ostream& out)
    : polygon_(polygon), plan_(plan), tiles_(tiles), coverage_(coverage), lookup_(lookup), progress_(progress),
      out_(out) {}

int PolygonFill::run(bool extra, const FillSettings& settings) {
    const PolygonVertex* first = polygon_.first();
    if (!first) return 0;
    Timed total(profile ? &profile->totalSeconds : nullptr);
    const std::uint64_t planLookupsBefore = plan_.depthLookupCount();
    std::uint64_t ownLookups = 0;
    EdgeFit fit(tiles_, lookup_, plan_, out_);

    coverage_.allocateFineGrids();
    const float k = static_cast<float>(1.0 / std::cos(first->lat * kFillPi / 180.0));
    bool fine = false;
    bool stop = false;
    float scratch = 0.0f;
    tiles_.getDepth(first->x, first->lat, scratch);  // makes the first vertex's tile resident
    ++ownLookups;
    float spacing = 0.0f;
    bool spacingFailed = false;

    out_ << "\n\n POLYFILL 2\n";
    polygon_.prepareFill();

    ProgressStage stage(progress_, "Fill", kMaxLines);
    int laid = 0;
    for (int i = 0; i < kMaxLines; ++i) {
        out_ << "\n\nLINE " << i << "   " << "SPACING " << spacing << "\n";
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        if (!polygon_.nextFillLine(spacing, x1, y1, x2, y2)) break;
        out_ << "After get line 2 \n";

        const double lat1 = latitudeFromMapY(y1);
        const double lat2 = latitudeFromMapY(y2);
        plan_.addWaypoint(x1, y1, lat1, settings.boatSpeed, settings.depthMultiplier);
        plan_.addWaypoint(x2, y2, lat2, settings.boatSpeed, settings.depthMultiplier);
        plan_.refreshLegDirections();
        ++laid;

        float e1 = 5.0f, e2 = 5.0f;
        tiles_.getDepth(x1, lat1, e1);
        tiles_.getDepth(x2, lat2, e2);
        ownLookups += 2;
        const float elevation = (e1 + e2) * 0.5f;
        const float m = plan_.swathMultiplierAt(elevation);
        spacing = static_cast<float>((1.0f - settings.fillOverlap * 0.01f) * -(m * elevation) * k / kMetresPerUnit);
        // No data under the line (5 m) or land gives a spacing that is not
        // positive; the next line would go backwards over this one, so the
        // fill ends once this line is finished.
        if (!(spacing > 0.0f)) {
            spacingFailed = true;
            out_ << "FILL STOPPED: spacing " << spacing << " after line " << i
                 << " is not positive (no depth data or land under the line)\n";
        }

        if (i > 0) {
            if (extra) {
                Timed t(profile ? &profile->fitSeconds : nullptr);
                int side = kSideUndecided;
                fit.refineCurrentOverlap(side, 0.05f, fine, settings.fillOverlap);
                fit.refineCurrentOverlap(side, 0.01f, fine, settings.fillOverlap);
            }
            double lat = 0.0;
            plan_.getCurrentLeg(true, lat, y1, x1, lat, y2, x2);
            double px = 0.0, qx = 0.0, py = 0.0, qy = 0.0;
            if (!polygon_.clipLineToPolygon(x1, x2, y1, y2, px, qx, py, qy)) {
                stop = true;
                break;
            }
            if (i % 2 == 0) {
                x1 = px, y1 = py, x2 = qx, y2 = qy;
            } else {
                x1 = qx, y1 = qy, x2 = px, y2 = py;
            }
            plan_.setCurrentLeg(x1, y1, x2, y2);
            polygon_.setFillLine(px, qx, py, qy, stop);
        }
        stage.step(laid);

        if (!stop) {
            float highest = 0.0f;
            {
                Timed t(profile ? &profile->swathSeconds : nullptr);
                highest = plan_.recomputeCursorLeg();
            }
            if (highest < kCoarseBelow) fine = false;
            if (highest > kFineAbove) fine = true;
            Timed t(profile ? &profile->captureSeconds : nullptr);
            if (extra) {
                if (fine) {
                    coverage_.captureSwathFine();
                } else {
                    coverage_.captureSwathCoarse();
                }
            }
            coverage_.clearPassMarks();
        }
        if (spacingFailed) break;
    }
    {
        Timed t(profile ? &profile->swathSeconds : nullptr);
        plan_.generateSwaths(false);
    }
    if (profile) {
        profile->lines += laid;
        profile->depthLookups += ownLookups + fit.depthLookups() + (plan_.depthLookupCount() - planLookupsBefore);
    }
    return laid;
}

}  // namespace tessarin
