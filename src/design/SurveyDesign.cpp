#include "design/SurveyDesign.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

#include "area/LineSpacing.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/PlanCost.hpp"
#include "design/AreaCoverage.hpp"
#include "design/LineOrder.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"
#include "plan/ExtinctionCurve.hpp"
#include "plan/SurveyPlan.hpp"

// Each line is placed in a frame of the heading: a point is c P + s A, with
// A = (sin h, k cos h) along the heading and P = (cos h, -k sin h) across it
// to starboard, k = 60 pi / 180 the stretch of map y against the ground. One
// unit of c or s is 111111 metres times the cosine of the latitude on the
// ground, so c is in the spacing rule's offset units.

namespace tessarin {
namespace {

constexpr double kDesignPi = 3.14159265358979323846;
constexpr double kNorthStretch = 60.0 * kDesignPi / 180.0;
constexpr double kMetresPerUnit = 111111.0;
// More lines than this no survey of one polygon needs; a spacing gone wrong
// (a floor of 1 m) must not lay millions.
constexpr int kMaxLines = 2000;
// Each side of a swath over a flat floor reaches this share of m * depth.
constexpr double kFlatReach = 0.515625;
// A run-out to the swath edge never goes further than this many half-swaths
// (a boundary nearly parallel to the lines would otherwise draw it far out).
constexpr double kMaxSwathRunOut = 4.0;
constexpr double kFastestStepDeg = 5.0;
constexpr float kNmPerKm = 0.53996f;

double secant(double latDeg) { return 1.0 / std::cos(latDeg * kDesignPi / 180.0); }

struct Frame {
    double ax, ay, px, py, det;
    explicit Frame(double headingDeg) {
        headingToMap(headingDeg, ax, ay);
        const double h = headingDeg * kDesignPi / 180.0;
        px = std::cos(h);
        py = -kNorthStretch * std::sin(h);
        det = ax * py - ay * px;
    }
    double c(double x, double y) const { return (ax * y - ay * x) / det; }
    double s(double x, double y) const { return (x * py - y * px) / det; }
    double x(double c_, double s_) const { return c_ * px + s_ * ax; }
    double y(double c_, double s_) const { return c_ * py + s_ * ay; }
};

struct Extent {
    double cMin = 1e300, cMax = -1e300, sMin = 1e300, sMax = -1e300;
};

Extent extentOf(const SurveyPolygon& area, const Frame& f) {
    Extent e;
    const PolygonVertex* v = area.first();
    do {
        const double c = f.c(v->x, v->y), s = f.s(v->x, v->y);
        e.cMin = std::min(e.cMin, c), e.cMax = std::max(e.cMax, c);
        e.sMin = std::min(e.sMin, s), e.sMax = std::max(e.sMax, s);
        v = v->next;
    } while (v != area.first());
    return e;
}

// The stretches of the line at offset c inside the area, as s ranges.
struct Piece {
    double s0, s1;
};

class Lines {
public:
    Lines(const DesignInputs& in, const Frame& f, const Extent& e) : in_(in), f_(f) {
        const double pad = 0.01 * (e.sMax - e.sMin) + 1e-6;
        sLo_ = e.sMin - pad;
        sHi_ = e.sMax + pad;
    }
    std::vector<Piece> pieces(double c) const {
        std::vector<Piece> out;
        for (const InsidePiece& p : in_.area.insidePieces(f_.x(c, sLo_), f_.y(c, sLo_), f_.x(c, sHi_), f_.y(c, sHi_)))
            out.push_back({f_.s(p.ax, p.ay), f_.s(p.bx, p.by)});
        return out;
    }
    // Latitude of the point (c, s).
    double lat(double c, double s) const { return latitudeFromMapY(f_.y(c, s)); }
    double midLat(double c) const { return lat(c, 0.5 * (sLo_ + sHi_)); }
    double sLo() const { return sLo_; }
    double sHi() const { return sHi_; }

private:
    const DesignInputs& in_;
    const Frame& f_;
    double sLo_, sHi_;
};

DesignLine lineOf(const Frame& f, double c, double sFrom, double sTo, bool cross, int index) {
    return {f.x(c, sFrom), f.y(c, sFrom), f.x(c, sTo), f.y(c, sTo), cross, index};
}

// Half the swath at (c, s) in offset units, from the depth there; 0 on land.
double halfSwathAt(const DesignInputs& in, const Lines& lines, const Frame& f, double c, double s) {
    const double lat = lines.lat(c, s);
    float elevation = 5.0f;
    in.tiles.getDepth(f.x(c, s), lat, elevation);
    if (!(elevation < 0.0f)) return 0.0;
    const double m = in.curve.swathMultiplierAt(elevation);
    return kFlatReach * m * -elevation * secant(lat) / kMetresPerUnit;
}

// How far past s1 (forward) or before s0 the area still lies beside the
// piece at offset c within its swath (half-width h either side): the ends
// of the stretches inside the ring at the swath's sides and halfway to
// them, and the ring's vertices inside the swath's band (its corners, where
// a side of the band leaves the ring). Only stretches that overlap the
// piece count, so a concave ring's other lobes do not draw it out.
double swathRunOut(const DesignInputs& in, const Lines& lines, const Frame& f, double c, const Piece& p, bool forward) {
    const double h = halfSwathAt(in, lines, f, c, forward ? p.s1 : p.s0);
    if (!(h > 0.0)) return 0.0;
    const double cap = kMaxSwathRunOut * h;
    double out = 0.0;
    for (double share : {-1.0, -0.5, 0.5, 1.0}) {
        for (const Piece& q : lines.pieces(c + share * h)) {
            if (q.s1 < p.s0 || q.s0 > p.s1) continue;
            out = std::max(out, forward ? q.s1 - p.s1 : p.s0 - q.s0);
        }
    }
    const PolygonVertex* v = in.area.first();
    do {
        if (std::fabs(f.c(v->x, v->y) - c) <= h) {
            const double beyond = forward ? f.s(v->x, v->y) - p.s1 : p.s0 - f.s(v->x, v->y);
            if (beyond > 0.0 && beyond <= cap) out = std::max(out, beyond);
        }
        v = v->next;
    } while (v != in.area.first());
    return std::min(out, cap);
}

Piece runOut(const SurveyDesign& d, const DesignInputs& in, const Lines& lines, const Frame& f, double c, Piece p,
             bool swath) {
    if (swath) {
        const double back = swathRunOut(in, lines, f, c, p, false);
        const double on = swathRunOut(in, lines, f, c, p, true);
        p.s0 -= back, p.s1 += on;
    } else if (d.runOutM > 0.0) {
        p.s0 -= d.runOutM * secant(lines.lat(c, p.s0)) / kMetresPerUnit;
        p.s1 += d.runOutM * secant(lines.lat(c, p.s1)) / kMetresPerUnit;
    }
    return p;
}


// Ground east and north of a corner.
void cornerVector(StartCorner corner, const SurveyPolygon& area, double& east, double& north) {
    switch (corner) {
        case StartCorner::NE: east = 1, north = 1; return;
        case StartCorner::NW: east = -1, north = 1; return;
        case StartCorner::SE: east = 1, north = -1; return;
        case StartCorner::SW: east = -1, north = -1; return;
        case StartCorner::Auto: break;
    }
    double mx = 0.0, my = 0.0;
    int n = 0;
    const PolygonVertex* v = area.first();
    do {
        mx += v->x, my += v->y, ++n;
        v = v->next;
    } while (v != area.first());
    east = area.first()->x > mx / n ? 1 : -1;
    north = area.first()->y > my / n ? 1 : -1;
}

struct MainLine {
    double c;
    std::vector<Piece> pieces;
};

void addCrosslines(const SurveyDesign& d, const DesignInputs& in, double headingDeg, DesignLayout& layout) {
    const Frame f(headingDeg + 90.0);
    const Extent e = extentOf(in.area, f);
    const Lines lines(in, f, e);
    const double midC = 0.5 * (e.cMin + e.cMax);
    const double step = d.crosslineSpacingM * secant(lines.midLat(midC)) / kMetresPerUnit;
    if (!(step > 0.0)) return;
    const int count = std::clamp(static_cast<int>(std::floor((e.cMax - e.cMin) / step + 0.5)), 1, kMaxLines);
    std::vector<double> offsets;
    for (int i = 0; i < count; ++i) offsets.push_back(midC + (i - 0.5 * (count - 1)) * step);
    // Begin with the crossline nearest to where the main lines end, from its
    // nearer end.
    double ex = 0.0, ey = 0.0;
    if (!layout.lines.empty()) ex = layout.lines.back().bx, ey = layout.lines.back().by;
    if (!layout.lines.empty() && std::fabs(f.c(ex, ey) - offsets.back()) < std::fabs(f.c(ex, ey) - offsets.front()))
        std::reverse(offsets.begin(), offsets.end());
    const double sEnd = layout.lines.empty() ? e.sMin : f.s(ex, ey);
    int dir = std::fabs(sEnd - e.sMin) <= std::fabs(sEnd - e.sMax) ? 1 : -1;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        std::vector<Piece> pieces = lines.pieces(offsets[i]);
        if (pieces.empty()) continue;
        if (dir < 0) std::reverse(pieces.begin(), pieces.end());
        for (Piece p : pieces) {
            p = runOut(d, in, lines, f, offsets[i], p, false);
            layout.lines.push_back(dir > 0 ? lineOf(f, offsets[i], p.s0, p.s1, true, static_cast<int>(i))
                                           : lineOf(f, offsets[i], p.s1, p.s0, true, static_cast<int>(i)));
        }
        ++layout.crosslines;
        dir = -dir;
    }
}

}  // namespace

bool SurveyDesign::operator==(const SurveyDesign& o) const {
    return direction == o.direction && headingDeg == o.headingDeg && start == o.start && spacing == o.spacing &&
           fixedSpacingM == o.fixedSpacingM && overlapPercent == o.overlapPercent && runOut == o.runOut &&
           runOutM == o.runOutM && order == o.order && crosslineSpacingM == o.crosslineSpacingM;
}

void headingToMap(double headingDeg, double& dx, double& dy) {
    const double h = headingDeg * kDesignPi / 180.0;
    dx = std::sin(h);
    dy = kNorthStretch * std::cos(h);
}

double mapToHeading(double dx, double dy) {
    double h = std::atan2(dx, dy / kNorthStretch) * 180.0 / kDesignPi;
    if (h < 0.0) h += 360.0;
    return h >= 360.0 ? 0.0 : h;
}

DesignLayout layOutAtHeading(const SurveyDesign& d, const DesignInputs& in, double headingDeg) {
    DesignLayout layout;
    layout.headingDeg = headingDeg;
    const PolygonVertex* first = in.area.first();
    if (!first || first->next == first || first->next->next == first) {
        layout.problem = "the area needs at least three vertices";
        return layout;
    }
    const Frame f(headingDeg);
    const Extent e = extentOf(in.area, f);
    const Lines lines(in, f, e);
    if (!(e.cMax - e.cMin > 0.0)) {
        layout.problem = "the area has no width across the lines";
        return layout;
    }

    // Which side the lines start from and which way the first one runs.
    int advance = 1, run = 1;
    if (d.direction == DesignDirection::FirstEdge && d.start == StartCorner::Auto) {
        const double c = f.c(first->x, first->y);
        advance = c - e.cMin <= e.cMax - c ? 1 : -1;
    } else {
        double east = 0.0, north = 0.0;
        cornerVector(d.start, in.area, east, north);
        const double h = headingDeg * kDesignPi / 180.0;
        const double acrossDot = east * std::cos(h) - north * std::sin(h);
        const double alongDot = east * std::sin(h) + north * std::cos(h);
        advance = acrossDot > 1e-9 ? -1 : 1;
        run = alongDot > 1e-9 ? -1 : 1;
    }
    const double cStart = advance > 0 ? e.cMin : e.cMax;
    const double cEnd = advance > 0 ? e.cMax : e.cMin;

    const SpacingContext spacing{in.area, in.tiles, in.curve, d.overlapPercent};
    const double overlapShare = std::max(0.05, 1.0 - d.overlapPercent * 0.01);
    auto spacingAt = [&](double c) -> double {
        if (d.spacing == SpacingRule::Fixed) return d.fixedSpacingM * secant(lines.midLat(c)) / kMetresPerUnit;
        return spacingToNextLine(spacing, f.x(c, lines.sLo()), f.y(c, lines.sLo()), f.x(c, lines.sHi()),
                                 f.y(c, lines.sHi()), advance * f.px, advance * f.py);
    };
    auto halfReach = [&](double t) { return d.spacing == SpacingRule::Fixed ? 0.5 * t : 0.5 * t / overlapShare; };

    // Half a spacing in from the start side, then a spacing at a time; the
    // last line half a spacing in from the far side.
    std::vector<MainLine> mains;
    const double t0 = spacingAt(cStart + advance * 1e-7 * (e.cMax - e.cMin));
    if (!(t0 > 0.0)) {
        layout.problem = "no spacing at the start side (land or no depth data)";
        return layout;
    }
    double c = cStart + advance * std::min(0.5 * t0, 0.5 * (e.cMax - e.cMin));
    for (;;) {
        std::vector<Piece> pieces = lines.pieces(c);
        const double t = spacingAt(c);
        if (!pieces.empty()) mains.push_back({c, std::move(pieces)});
        if (!(t > 0.0)) {
            layout.problem = "the spacing is not positive (land or no depth data): the lines end early";
            break;
        }
        const double left = (cEnd - c) * advance;
        // The last line may already stand half a spacing from the far side.
        if (left <= halfReach(t) * (1.0 + 1e-9) + 1e-12) break;
        if (static_cast<int>(mains.size()) >= kMaxLines) {
            layout.problem = "more than " + std::to_string(kMaxLines) + " lines: the lines end early";
            break;
        }
        c += advance * std::min(t, std::max(left - 0.5 * t, 1e-9));
    }
    if (mains.empty()) {
        if (layout.problem.empty()) layout.problem = "no line crosses the area";
        return layout;
    }

    const double metresPerUnit = kMetresPerUnit / secant(lines.midLat(0.5 * (e.cMin + e.cMax)));
    std::vector<double> offsets;
    for (const MainLine& m : mains) offsets.push_back(std::fabs(m.c - mains.front().c) * metresPerUnit);
    layout.offsetSpanM = offsets.back();
    std::vector<int> order = backAndForthOrder(static_cast<int>(mains.size()));
    if (d.order == LineOrderRule::Interleave) {
        LineOrderResult r = interleavedOrder(offsets, in.turnDiameterM);
        order = std::move(r.order);
        layout.narrowTurns = r.narrowTurns;
    }
    for (std::size_t j = 0; j < order.size(); ++j) {
        const MainLine& m = mains[static_cast<std::size_t>(order[j])];
        const int dir = j % 2 == 0 ? run : -run;
        std::vector<Piece> pieces = m.pieces;
        if (dir < 0) std::reverse(pieces.begin(), pieces.end());
        for (Piece p : pieces) {
            p = runOut(d, in, lines, f, m.c, p, d.runOut == RunOutRule::SwathEdge);
            layout.lines.push_back(dir > 0 ? lineOf(f, m.c, p.s0, p.s1, false, order[j])
                                           : lineOf(f, m.c, p.s1, p.s0, false, order[j]));
        }
    }
    layout.mainLines = static_cast<int>(mains.size());
    if (d.crosslineSpacingM > 0.0) addCrosslines(d, in, headingDeg, layout);
    return layout;
}

DesignLayout layOutDesign(const SurveyDesign& d, const DesignInputs& in) {
    if (d.direction == DesignDirection::Heading) return layOutAtHeading(d, in, d.headingDeg);
    const PolygonVertex* first = in.area.first();
    if (d.direction == DesignDirection::FirstEdge || !first) {
        const double heading =
            first && first->next != first ? mapToHeading(first->next->x - first->x, first->next->y - first->y) : 0.0;
        return layOutAtHeading(d, in, heading);
    }
    DesignLayout best;
    double bestHours = 0.0;
    for (double h = 0.0; h < 180.0 - 1e-9; h += kFastestStepDeg) {
        DesignLayout l = layOutAtHeading(d, in, h);
        if (l.lines.empty()) {
            if (best.lines.empty()) best = std::move(l);
            continue;
        }
        const double hours = layoutHours(l, in.boatSpeedKnots);
        if (best.lines.empty() || hours < bestHours) {
            best = std::move(l);
            bestHours = hours;
        }
    }
    return best;
}

double layoutHours(const DesignLayout& layout, float speedKnots) {
    if (!(speedKnots > 0.0f) || layout.lines.empty()) return 0.0;
    // Leg lengths as the plan measures them.
    auto a = std::make_unique<Waypoint>();
    auto b = std::make_unique<Waypoint>();
    a->next = b.get();
    double hours = 0.0;
    auto leg = [&](double x1, double y1, double x2, double y2) {
        a->lon = x1, a->y = y1, b->lon = x2, b->y = y2;
        hours += static_cast<double>(SurveyPlan::legLengthKm(*a) * kNmPerKm / speedKnots);
    };
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const DesignLine& l = layout.lines[i];
        leg(l.ax, l.ay, l.bx, l.by);
        if (i + 1 < layout.lines.size()) leg(l.bx, l.by, layout.lines[i + 1].ax, layout.lines[i + 1].ay);
    }
    return hours;
}

void appendDesignToPlan(const DesignLayout& layout, SurveyPlan& plan, float speedKnots, float depthMultiplier) {
    plan.setCurrentWaypoint(plan.last());
    for (const DesignLine& l : layout.lines) {
        plan.addWaypoint(l.ax, l.ay, latitudeFromMapY(l.ay), speedKnots, depthMultiplier);
        plan.addWaypoint(l.bx, l.by, latitudeFromMapY(l.by), speedKnots, depthMultiplier);
    }
}

DesignTotals designTotals(const DesignLayout& layout, const SurveyPlan& plan, const SurveyPolygon& area,
                          float boatSpeedKnots, float dayRate) {
    DesignTotals t;
    t.lines = static_cast<int>(layout.lines.size());
    int leg = 0;
    for (const Waypoint* w = plan.first(); w && w->next; w = w->next, ++leg) {
        (leg % 2 == 0 ? t.lineKm : t.connectKm) += w->lengthKm;
        t.totalKm += w->lengthKm;
    }
    t.hours = planTotals(plan, boatSpeedKnots).hours;
    t.days = t.hours / 24.0;
    t.cost = mappingTime(static_cast<float>(t.hours), dayRate).cost;
    const AreaCoverage cover = coverageOfArea(area, plan);
    t.polygonKm2 = polygonAreaKm2(area);
    t.coveredPercent = cover.coveredPercent();
    t.uncoveredKm2 = t.polygonKm2 * (1.0 - t.coveredPercent / 100.0);
    return t;
}

}  // namespace tessarin
