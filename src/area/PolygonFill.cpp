#include "area/PolygonFill.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "area/LineSpacing.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "earth/MapProjection.hpp"
#include "earth/ProgressSink.hpp"
#include "earth/TileStore.hpp"
#include "fit/EdgeFit.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {
namespace {

// The capture switches to the fine sub-grids when a line's highest sample is
// shallower than 1100 m and back to the coverage bytes when it is deeper
// than 1500 m (elevations, negative below sea level).
constexpr float kFineAbove = -1100.0f;
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
    // Coverage outside the area (a neighbouring survey) must not pull a line
    // out of it.
    fit.setVoteArea([this](double lon, double y) { return polygon_.contains(lon, y); });

    const SpacingContext spacingContext{polygon_, tiles_, plan_.extinctionCurve(), settings.fillOverlap,
                                        &ownLookups};

    coverage_.allocateFineGrids();
    // Nothing is drawn until the fill returns: the coverage textures of the
    // tiles its captures mark are rebuilt once, at its end.
    CoverageGrid::TextureBatch textures(coverage_);
    bool fine = false;
    bool stop = false;
    float scratch = 0.0f;
    tiles_.getDepth(first->x, first->lat, scratch);  // makes the first vertex's tile resident
    ++ownLookups;
    float spacing = 0.0f;
    bool spacingFailed = false;
    bool farSideLaid = false;

    out_ << "\n\n POLYFILL 2\n";
    polygon_.prepareFill();
    // The fill's lines follow the plan's last waypoint, wherever the current
    // one stands: inserting them before a later waypoint would make the fits
    // and clips below work on the leg to it, moving a waypoint the user laid.
    plan_.setCurrentWaypoint(plan_.last());
    // Unit map-plane direction in which the lines advance.
    const double advanceX = polygon_.fillSign * first->normalX;
    const double advanceY = polygon_.fillSign * first->normalY;

    // Fits (when fitted) the line from (x1, y1) to (x2, y2), lays it as one
    // line per stretch inside the area and captures each; false when none
    // lies inside.
    auto layLine = [&](int i, double x1, double y1, double x2, double y2, bool fitted) {
        plan_.addWaypoint(x1, y1, latitudeFromMapY(y1), settings.boatSpeed, settings.depthMultiplier);
        plan_.addWaypoint(x2, y2, latitudeFromMapY(y2), settings.boatSpeed, settings.depthMultiplier);
        plan_.refreshLegDirections();
        std::vector<InsidePiece> pieces{{x1, y1, x2, y2}};
        if (i > 0) {
            if (fitted) {
                Timed t(profile ? &profile->fitSeconds : nullptr);
                // The lines laid so far lie behind this one: that side holds
                // the coverage to fit against.
                const StarboardNormal n(x2 - x1, y2 - y1);
                int side = n.x * advanceX + n.y * advanceY < 0.0 ? kSideStarboard : kSidePort;
                // Each line is laid at the spacing its shallowest water
                // allows; a fit that pushed it farther would open gaps where
                // the floor rises (a seamount between deep ends), so it may
                // only pull the line back: up to half a swath in steps of
                // 5 %, then a step either way in steps of 1 %.
                fit.setRefineWindow(10, 0);
                fit.refineCurrentOverlap(side, 0.05f, fine, settings.fillOverlap);
                fit.setRefineWindow(5, 5);
                fit.refineCurrentOverlap(side, 0.01f, fine, settings.fillOverlap);
            }
            const double planned[4] = {x1, y1, x2, y2};
            double lat = 0.0;
            plan_.getCurrentLeg(true, lat, y1, x1, lat, y2, x2);
            if (fitted) {
                // Coverage behind the line before (a neighbouring survey
                // outside the area) can draw an end back past it: an end
                // gives up at most half the spacing, and never moves on.
                auto limitPullBack = [&](double px, double py, double& x, double& y) {
                    const double moved = (x - px) * advanceX + (y - py) * advanceY;
                    const double kept = std::clamp(moved, -0.5 * spacing, 0.0);
                    x -= (moved - kept) * advanceX;
                    y -= (moved - kept) * advanceY;
                };
                limitPullBack(planned[0], planned[1], x1, y1);
                limitPullBack(planned[2], planned[3], x2, y2);
            }
            pieces = polygon_.insidePieces(x1, y1, x2, y2);
            if (pieces.empty()) {
                // The line lies wholly outside the area: it must not stay.
                plan_.removeLastWaypoint();
                plan_.removeLastWaypoint();
                return false;
            }
            plan_.setCurrentLeg(pieces.front().ax, pieces.front().ay, pieces.front().bx, pieces.front().by);
            // The stored fill line spans all the stretches, A towards the
            // first vertex as on the even lines.
            const InsidePiece& s = pieces.front();
            const InsidePiece& e = pieces.back();
            if (i % 2 == 0) {
                polygon_.setFillLine(s.ax, e.bx, s.ay, e.by, stop);
            } else {
                polygon_.setFillLine(e.bx, s.ax, e.by, s.ay, stop);
            }
        }
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            const InsidePiece& p = pieces[k];
            if (k > 0) {
                plan_.addWaypoint(p.ax, p.ay, latitudeFromMapY(p.ay), settings.boatSpeed, settings.depthMultiplier);
                plan_.addWaypoint(p.bx, p.by, latitudeFromMapY(p.by), settings.boatSpeed, settings.depthMultiplier);
                plan_.refreshLegDirections();
            }
            float highest = 0.0f;
            {
                Timed t(profile ? &profile->swathSeconds : nullptr);
                highest = plan_.recomputeCursorLeg();
            }
            if (highest < kCoarseBelow) fine = false;
            if (highest > kFineAbove) fine = true;
            // Only a capture sets pass marks; the plain fill clears them
            // once at its end (clearing every resident tile costs about 10 ms).
            if (extra) {
                Timed t(profile ? &profile->captureSeconds : nullptr);
                if (fine) {
                    coverage_.captureSwathFine();
                } else {
                    coverage_.captureSwathCoarse();
                }
                coverage_.clearPassMarks();
            }
        }
        return true;
    };

    ProgressStage stage(progress_, "Fill", kMaxLines);
    int laid = 0;
    int i = 0;
    for (; i < kMaxLines && !stop; ++i) {
        out_ << "\n\nLINE " << i << "   " << "SPACING " << spacing << "\n";
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        if (!polygon_.nextFillLine(spacing, x1, y1, x2, y2)) {
            if (polygon_.fillLineEnd != FillLineEnd::FarSide || farSideLaid || i == 0) break;
            // The next line would pass the far side, but the last swath may
            // end short of it: one more line where its swath reaches it.
            const float reach = polygon_.farReach;
            const float overlapShare = 1.0f - settings.fillOverlap * 0.01f;
            const double halfSwath = overlapShare > 0.0f ? spacing / (2.0 * overlapShare) : 0.0;
            const double lastDistance =
                std::min(polygon_.distanceFromFirstEdge(polygon_.fillAx - spacing * advanceX,
                                                        polygon_.fillAy - spacing * advanceY),
                         polygon_.distanceFromFirstEdge(polygon_.fillBx - spacing * advanceX,
                                                        polygon_.fillBy - spacing * advanceY));
            const double atDistance = reach - 0.5 * spacing;
            if (!(lastDistance + halfSwath < reach) || !(atDistance > lastDistance)) break;
            const double ax = first->x + atDistance * advanceX, ay = first->y + atDistance * advanceY;
            const double bx = first->next->x + atDistance * advanceX, by = first->next->y + atDistance * advanceY;
            if (polygon_.lineCount % 2 == 0) {
                x1 = ax, y1 = ay, x2 = bx, y2 = by;
            } else {
                x1 = bx, y1 = by, x2 = ax, y2 = ay;
            }
            ++polygon_.lineCount;
            farSideLaid = true;
            // This is the last line, wherever its clip leaves it.
            stop = true;
        }
        out_ << "After get line 2 \n";
        // The far-side line stays where it was put: fitted to the swath
        // before it, it would move out by a whole spacing again.
        if (!layLine(i, x1, y1, x2, y2, extra && !farSideLaid)) {
            out_ << "FILL STOPPED: line " << i << " does not cross the area\n";
            break;
        }
        ++laid;
        stage.step(laid);
        if (stop) break;

        spacing = spacingToNextLine(spacingContext, polygon_.fillAx, polygon_.fillAy, polygon_.fillBx,
                                    polygon_.fillBy, advanceX, advanceY);
        // No data under the line (5 m) or land gives a spacing that is not
        // positive; the next line would go backwards over this one, so the
        // fill ends once this line is finished.
        if (!(spacing > 0.0f)) {
            spacingFailed = true;
            out_ << "FILL STOPPED: spacing " << spacing << " after line " << i
                 << " is not positive (no depth data or land under the line)\n";
            break;
        }
    }
    if (i == kMaxLines && !stop && !spacingFailed) out_ << "FILL STOPPED: " << kMaxLines << " lines\n";
    {
        Timed t(profile ? &profile->captureSeconds : nullptr);
        if (!extra && laid > 0) coverage_.clearPassMarks();
        textures.end();
    }
    // A finished fill leaves nothing to continue: the next one starts again
    // on the first edge instead of laying the last line over itself.
    polygon_.lineCount = 0;
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
