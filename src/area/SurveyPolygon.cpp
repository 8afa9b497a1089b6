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
    // A new first edge means a new fill: continuing the old pattern from the
    // stored line would lay lines parallel to the old edge.
    lineCount = 0;
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

// Parameters t (0 at (x1, y1), 1 at (x2, y2)) at which the line through the
// two points crosses the ring's edges. A vertex exactly on the line counts
// as lying on its left side, so a line through a vertex crosses once (or
// not at all where the ring only touches it) and an edge along the line is
// not crossed; the count is always even.
std::vector<double> crossingsAlong(const PolygonVertex* first, double x1, double y1, double x2, double y2) {
    std::vector<double> ts;
    const double dx = x2 - x1, dy = y2 - y1;
    const double len2 = dx * dx + dy * dy;
    if (!first || len2 <= 0.0) return ts;
    auto sideOf = [&](const PolygonVertex& v) { return dx * (v.y - y1) - dy * (v.x - x1); };
    const PolygonVertex* u = first;
    do {
        const PolygonVertex& w = *u->next;
        const double du = sideOf(*u), dw = sideOf(w);
        if ((du >= 0.0) != (dw >= 0.0)) {
            const double f = du / (du - dw);
            const double cx = u->x + f * (w.x - u->x);
            const double cy = u->y + f * (w.y - u->y);
            ts.push_back(((cx - x1) * dx + (cy - y1) * dy) / len2);
        }
        u = u->next;
    } while (u != first);
    std::sort(ts.begin(), ts.end());
    return ts;
}

}  // namespace

bool SurveyPolygon::contains(double x, double y) const {
    if (!first_) return false;
    bool inside = false;
    const PolygonVertex* u = first_;
    do {
        const PolygonVertex& w = *u->next;
        if ((u->y > y) != (w.y > y)) {
            const double cx = u->x + (y - u->y) * (w.x - u->x) / (w.y - u->y);
            if (x < cx) inside = !inside;
        }
        u = u->next;
    } while (u != first_);
    return inside;
}

std::vector<InsidePiece> SurveyPolygon::insidePieces(double x1, double y1, double x2, double y2) const {
    std::vector<InsidePiece> pieces;
    if (!first_ || first_->next == first_) return pieces;
    const std::vector<double> ts = crossingsAlong(first_, x1, y1, x2, y2);
    const double dx = x2 - x1, dy = y2 - y1;
    for (std::size_t i = 0; i + 1 < ts.size(); i += 2) {
        // A piece that is a point (the line grazing a vertex) is no line.
        if (ts[i + 1] - ts[i] <= 1e-12) continue;
        pieces.push_back({x1 + ts[i] * dx, y1 + ts[i] * dy, x1 + ts[i + 1] * dx, y1 + ts[i + 1] * dy});
    }
    return pieces;
}

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
    fillLineEnd = FillLineEnd::None;
    if (distanceFromFirstEdge(x1, y1) > farReach || distanceFromFirstEdge(x2, y2) > farReach) {
        fillLineEnd = FillLineEnd::FarSide;
        return false;
    }
    const double l2 = (y2 - y1) * (y2 - y1) + (x2 - x1) * (x2 - x1);
    if (l2 < 0.04) {
        out_ << "****************      WARNING       ******************\n";
        out_ << "************* TESSARIN HAS LIMITED *****************\n";
        out_ << "********* FUNCTIONALITY IN SHALLOW WATER *************\n";
        if (l2 < 0.01) {
            out_ << "****************      WARNING       ********************\n";
            out_ << "*********** TESSARIN DOES NOT OPERATE ****************\n";
            out_ << "****************** AT THIS SCALE ***********************\n";
            fillLineEnd = FillLineEnd::TooShort;
            return false;
        }
    }
    ++lineCount;
    return true;
}

bool SurveyPolygon::clipLineToPolygon(double x1, double x2, double y1, double y2, double& px, double& qx,
                                      double& py, double& qy) {
    const std::vector<InsidePiece> pieces = insidePieces(x1, y1, x2, y2);
    if (pieces.empty()) return false;
    double sx = pieces.front().ax, sy = pieces.front().ay;
    double ex = pieces.back().bx, ey = pieces.back().by;
    // p is the end towards the first vertex, measured along the first edge.
    const double fx = first_->next->x - first_->x, fy = first_->next->y - first_->y;
    if ((ex - sx) * fx + (ey - sy) * fy < 0.0) {
        std::swap(sx, ex);
        std::swap(sy, ey);
    }
    px = sx, py = sy, qx = ex, qy = ey;
    return true;
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
