#include "area/SurveyPolygon.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin {

SurveyPolygon::SurveyPolygon(std::ostream& out, float depthMultiplier)
    : out_(out), depthMultiplier_(depthMultiplier) {}

SurveyPolygon::~SurveyPolygon() { clearPolygon(); }

void SurveyPolygon::addVertex(double x, double y, double lat) {
    auto* v = new PolygonVertex;
    v->marker = MapPoint(x, y);
    v->x = x;
    v->y = y;
    v->lat = lat;
    if (current_) {
        current_->marker.unhighlight();
        v->prev = current_;
        v->next = current_->next;
        current_->next->prev = v;
        current_->next = v;
        current_ = v;
        v->marker.highlight();
    } else {
        first_ = v;
        current_ = v;
    }
}

bool SurveyPolygon::pickVertex(float x, float y, float scale) {
    if (!first_) return false;
    lineCount = 0;
    if (current_) current_->marker.unhighlight();
    const float tol = 7.0f / scale;
    PolygonVertex* v = first_;
    do {
        if (v->marker.hitTest(x, y, tol)) {
            current_ = v;
            editState = kEditPicked;
            return true;
        }
        v = v->next;
    } while (v != first_);
    return false;
}

bool SurveyPolygon::moveCurrentVertex(double x, double y, double lat) {
    if (!current_) return false;
    current_->marker.setPosition(x, y);
    current_->x = x;
    current_->y = y;
    current_->lat = lat;
    lineCount = 0;
    return true;
}

void SurveyPolygon::clearPolygon() {
    if (first_) {
        PolygonVertex* v = first_->next;
        while (v != first_) {
            PolygonVertex* next = v->next;
            delete v;
            v = next;
        }
        delete first_;
    }
    first_ = nullptr;
    current_ = nullptr;
    editState = kEditCleared;
    lineCount = 0;
}

bool SurveyPolygon::polygonBounds(double& west, double& east, double& south, double& north) const {
    if (!first_) return false;
    double w = 1000.0, e = -1000.0, s = 1000.0, n = -1000.0;
    const PolygonVertex* v = first_;
    do {
        w = std::min(w, v->x);
        e = std::max(e, v->x);
        s = std::min(s, v->lat);
        n = std::max(n, v->lat);
        v = v->next;
    } while (v != first_);
    west = w - 0.2;
    east = e + 0.2;
    south = s - 0.2;
    north = n + 0.2;
    return true;
}

bool SurveyPolygon::firstVertex(double& lat, double& lon) const {
    if (!first_) return false;
    lat = first_->lat;
    lon = first_->x;
    return true;
}

bool SurveyPolygon::currentVertex(double& lat, double& lon) const {
    if (!current_) return false;
    lat = current_->lat;
    lon = current_->x;
    return true;
}

void SurveyPolygon::printPolygon() {
    out_ << "Polygon\n";
    if (!first_) return;
    const PolygonVertex* v = first_;
    do {
        out_ << v->x << " " << v->lat << "\n";
        v = v->next;
    } while (v != first_);
}

void SurveyPolygon::rotateFirstVertex() {
    if (first_) first_ = first_->next;
}

bool SurveyPolygon::deleteCurrentVertex() {
    PolygonVertex* gone = current_;
    if (!gone) return false;
    if (gone->next == gone) {
        first_ = current_ = nullptr;
    } else {
        gone->prev->next = gone->next;
        gone->next->prev = gone->prev;
        if (first_ == gone) first_ = gone->next;
        current_ = gone->prev;
        current_->marker.highlight();
    }
    delete gone;
    // The fill starts again from the first edge of the changed ring.
    lineCount = 0;
    return true;
}

void SurveyPolygon::adoptVertices(const std::vector<PolygonVertex*>& ring, int current) {
    const int keptState = editState;
    const int keptLines = lineCount;
    clearPolygon();
    editState = keptState;
    lineCount = keptLines;
    const std::size_t n = ring.size();
    for (std::size_t i = 0; i < n; ++i) {
        ring[i]->next = ring[(i + 1) % n];
        ring[i]->prev = ring[(i + n - 1) % n];
    }
    first_ = n > 0 ? ring[0] : nullptr;
    current_ = current >= 0 && static_cast<std::size_t>(current) < n ? ring[static_cast<std::size_t>(current)] : nullptr;
    if (!current_) current_ = first_;
}

int SurveyPolygon::vertexCount() const {
    if (!first_) return 0;
    int n = 0;
    const PolygonVertex* v = first_;
    do {
        ++n;
        v = v->next;
    } while (v != first_);
    return n;
}

// ---- Fill geometry ---------------------------------------------------------------
// Map plane throughout: x = longitude (degrees), y = mapY(latitude); the fill
// line and all distances are in map units.

namespace {

// Edges and lines closer than this to vertical (or horizontal) are taken as
// exactly so: their slope would divide by (nearly) zero.
constexpr double kFlat = 1e-8;

bool within(double v, double a, double b) { return std::min(a, b) <= v && v <= std::max(a, b); }

// Whether the fill line (slope s and intercept g, or the vertical line
// x = x1) crosses the edge u -> w, and where.
bool crossesEdge(const PolygonVertex& u, const PolygonVertex& w, bool vertical, double s, double g, double x1,
                 double& cx, double& cy) {
    const double t = w.x - u.x;
    const bool verticalEdge = std::fabs(t) < kFlat;
    // Along an edge with equal end y the y-range test below cannot bound the
    // crossing (it holds only where the crossing lands exactly on the edge's
    // y); such an edge is crossed where the crossing's x lies on it.
    const bool horizontalEdge = std::fabs(w.y - u.y) < kFlat;
    if (vertical) {
        if (verticalEdge) return false;  // parallel
        const double e = (w.y - u.y) / t;
        cx = x1;
        cy = u.y - u.x * e + e * x1;
        if (horizontalEdge) return within(cx, u.x, w.x);
        return (cy - w.y) * (cy - u.y) < 0.0;
    }
    if (verticalEdge) {
        // Bounded by the edge's own y range: bounding it by the line's end
        // points never finds the side of a rectangle for a level fill line.
        cx = u.x;
        cy = g + s * u.x;
        return within(cy, u.y, w.y);
    }
    const double e = (w.y - u.y) / t;
    if (s == e) return false;  // parallel: no single crossing, and s - e would divide by zero
    cx = (u.y - u.x * e - g) / (s - e);
    cy = s * cx + g;
    if (horizontalEdge) return within(cx, u.x, w.x);
    return (cy - u.y) * (cy - w.y) <= 0.0;
}

}  // namespace

float SurveyPolygon::distanceFromFirstEdge(double px, double py) {
    if (!first_) return -1.0f;
    const PolygonVertex& a = *first_;
    const PolygonVertex& b = *first_->next;
    const double norm = std::sqrt((b.y - a.y) * (b.y - a.y) + (b.x - a.x) * (b.x - a.x));
    // Two equal first vertices give no line to measure from; 0 keeps the
    // fill's comparisons away from NaN (the fill then lays no line).
    const double d =
        norm > 0.0 ? std::fabs((b.y - a.y) * px - (b.x - a.x) * py + a.y * b.x - b.y * a.x) / norm : 0.0;
    out_ << "DIST FROM FIRST " << d << "\n";
    return static_cast<float>(d);
}

void SurveyPolygon::prepareFill() {
    fillSign = -1.0;
    if (!first_) {
        farReach = 0.0f;
        return;
    }
    farReach = -1.0f;
    for (PolygonVertex* v = first_->next; v != first_; v = v->next) {
        farReach = std::max(farReach, distanceFromFirstEdge(v->x, v->y));
    }
    PolygonVertex* v = first_;
    do {
        const double dx = v->next->x - v->x;
        const double dy = v->next->marker.y - v->marker.y;
        const double len = std::sqrt(dx * dx + dy * dy);
        // A zero-length edge has no direction; zeros keep NaN out of the fill.
        v->directionX = len > 0.0 ? dx / len : 0.0;
        v->directionY = len > 0.0 ? dy / len : 0.0;
        v->normalX = len > 0.0 ? dy / len : 0.0;
        v->normalY = len > 0.0 ? -dx / len : 0.0;
        v->edgeLength = static_cast<float>(len);
        if (v != first_) ++edgeCount;
        v = v->next;
    } while (v != first_);
    const PolygonVertex& second = *first_->next;
    const double s = second.directionX * first_->normalX + second.directionY * first_->normalY;
    fillSign = s < 0.0 ? -1.0 : 1.0;
}

bool SurveyPolygon::nextFillLine(float spacing, double& x1, double& y1, double& x2, double& y2) {
    if (!first_) return false;
    if (lineCount == 0) {
        fillAx = first_->x;
        fillAy = first_->marker.y;
        fillBx = first_->next->x;
        fillBy = first_->next->marker.y;
    }
    const double m = fillSign * spacing;
    fillAx += m * first_->normalX;
    fillAy += m * first_->normalY;
    fillBx += m * first_->normalX;
    fillBy += m * first_->normalY;
    if (lineCount % 2 == 0) {
        x1 = fillAx, y1 = fillAy, x2 = fillBx, y2 = fillBy;
    } else {
        x1 = fillBx, y1 = fillBy, x2 = fillAx, y2 = fillAy;
    }
    if (distanceFromFirstEdge(x1, y1) > farReach || distanceFromFirstEdge(x2, y2) > farReach) return false;
    const double l2 = (y2 - y1) * (y2 - y1) + (x2 - x1) * (x2 - x1);
    if (l2 < 0.04) {
        out_ << "****************      WARNING       ******************\n";
        out_ << "************* TESSARIN HAS LIMITED *****************\n";
        out_ << "********* FUNCTIONALITY IN SHALLOW WATER *************\n";
        if (l2 < 0.01) {
            out_ << "****************      WARNING       ********************\n";
            out_ << "*********** TESSARIN DOES NOT OPERATE ****************\n";
            out_ << "****************** AT THIS SCALE ***********************\n";
            return false;
        }
    }
    ++lineCount;
    return true;
}

bool SurveyPolygon::clipLineToPolygon(double x1, double x2, double y1, double y2, double& px, double& qx,
                                      double& py, double& qy) {
    if (!first_ || first_->next == first_) return false;
    const bool vertical = std::fabs(x2 - x1) < kFlat;
    const double s = vertical ? 0.0 : (y2 - y1) / (x2 - x1);
    const double g = vertical ? 0.0 : y1 - s * x1;
    bool foundQ = false, foundP = false;
    double cx = 0.0, cy = 0.0;
    for (const PolygonVertex* u = first_->next; u != first_; u = u->next) {
        if (crossesEdge(*u, *u->next, vertical, s, g, x1, cx, cy)) {
            qx = cx;
            qy = cy;
            foundQ = true;
            break;
        }
    }
    for (const PolygonVertex* u = first_->prev; u != first_; u = u->prev) {
        if (crossesEdge(*u, *u->next, vertical, s, g, x1, cx, cy)) {
            px = cx;
            py = cy;
            foundP = true;
            break;
        }
    }
    return foundP && foundQ;
}

bool SurveyPolygon::setFillLine(double ax, double bx, double ay, double by, bool& stop) {
    fillAx = ax;
    fillBx = bx;
    fillAy = ay;
    fillBy = by;
    if (distanceFromFirstEdge(ax, ay) > farReach || distanceFromFirstEdge(bx, by) > farReach) {
        stop = true;
        return true;
    }
    return false;
}

}  // namespace tessarin
