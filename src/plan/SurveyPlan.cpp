#include "plan/SurveyPlan.hpp"

#include <algorithm>
#include <cmath>

#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"

// Notation: x is longitude in degrees, y the map-plane ordinate mapY(lat),
// lat latitude in degrees. A "normal" is the unit starboard normal (dy, -dx)
// of a leg in the map plane. Elevations are metres, negative below sea level.

namespace tessarin {
namespace {

// Bounds padding, single precision also where the result is double.
constexpr float kBoundsPad = 0.2f;

}  // namespace

SurveyPlan::SurveyPlan(TileStore& tiles, std::ostream& out, float depthMultiplier, float turnRadiusMetres,
                       float boatSpeed, const std::string& extinctionFile)
    : tiles_(tiles),
      out_(out),
      boatSpeed_(boatSpeed),
      depthMultiplier_(depthMultiplier),
      halfMultiplier_(depthMultiplier * 0.5f),
      turnRadius_(turnRadiusMetres) {
    loadExtinctionCurve(curve_, extinctionFile, depthMultiplier, out_);
    out_ << "TEST 1200 " << swathMultiplierAt(-1200.0f) << "\n";
    out_ << "TEST 3000 " << swathMultiplierAt(-3000.0f) << "\n";
    out_ << "TEST 2100 " << swathMultiplierAt(-2100.0f) << "\n";
}

SurveyPlan::~SurveyPlan() { clearPlan(); }

float SurveyPlan::depthAt(double lon, double lat) {
    ++depthLookups_;
    float elevation = 5.0f;
    tiles_.getDepth(lon, lat, elevation);  // no data answers 5.0, used as is
    return elevation;
}

// ---- List editing -------------------------------------------------------

Waypoint* SurveyPlan::makeWaypoint(double lon, double y, double lat, float speed, float depthMultiplier) {
    auto* w = new Waypoint;
    w->lat = lat;
    w->lon = lon;
    w->y = y;
    w->speed = speed;
    w->depthMultiplier = depthMultiplier;
    w->marker = std::make_unique<MapPoint>(lon, y);
    depthAt(lon, lat);  // only to make the tile resident
    return w;
}

void SurveyPlan::addWaypoint(double lon, double y, double lat, float speed, float depthMultiplier) {
    Waypoint* w = makeWaypoint(lon, y, lat, speed, depthMultiplier);
    if (!first_) {
        first_ = current_ = cursor_ = w;
        return;
    }
    current_->marker->unhighlight();
    w->next = current_->next;
    current_->next = w;
    w->prev = current_;
    if (w->next) w->next->prev = w;
    current_ = cursor_ = w;
    w->marker->highlight();
}

void SurveyPlan::addStartWaypoint(bool atStart, double lon, double y, double lat, float speed,
                                  float depthMultiplier) {
    if (!first_) return;
    out_ << "START ADD " << lon << " " << lat << "\n";
    Waypoint* w = makeWaypoint(lon, y, lat, speed, depthMultiplier);
    if (current_) current_->marker->unhighlight();
    // Without an anchor there is nothing to insert before; the head is the
    // only place that keeps the list whole.
    Waypoint* anchor = atStart ? first_ : (anchor_ ? anchor_ : first_);
    w->next = anchor;
    w->prev = anchor->prev;
    if (anchor->prev)
        anchor->prev->next = w;
    else
        first_ = w;
    anchor->prev = w;
    current_ = w;
    if (!atStart) anchor_ = w;
    cursor_ = current_;
    w->marker->highlight();
}

bool SurveyPlan::pickWaypoint(float x, float y, float scale, float& latOut, float& yOut, float& lonOut) {
    const float tol = 7.0f / scale;
    if (current_) current_->marker->unhighlight();
    Waypoint* hit = nullptr;
    for (Waypoint* w = first_; w; w = w->next) {
        if (w->marker->hitTest(x, y, tol)) {
            hit = w;
            break;
        }
    }
    if (!hit) return false;
    current_ = hit;
    latOut = static_cast<float>(hit->lat);
    yOut = static_cast<float>(hit->y);
    lonOut = static_cast<float>(hit->lon);
    out_ << "Pick2D Lat " << latOut << " " << hit->lat << "\n";
    return true;
}

void SurveyPlan::deleteCurrent() {
    out_ << "DELETE \n";
    Waypoint* gone = current_;
    if (!gone) return;
    if (gone == first_) {
        first_ = gone->next;
        current_ = first_;
        if (first_) first_->prev = nullptr;
    } else {
        Waypoint* p = first_;
        while (p && p->next != gone) p = p->next;
        if (!p) return;  // not in the list: nothing to unlink
        p->next = gone->next;
        if (gone->next) gone->next->prev = p;
        current_ = p;
    }
    // A walk cursor or insertion anchor on the deleted waypoint would dangle;
    // drop them so a later walkNext or insertion cannot touch freed memory.
    if (cursor_ == gone) cursor_ = nullptr;
    if (anchor_ == gone) anchor_ = nullptr;
    delete gone;
}

Waypoint* SurveyPlan::last() const {
    Waypoint* w = first_;
    while (w && w->next) w = w->next;
    return w;
}

bool SurveyPlan::removeLastWaypoint() {
    Waypoint* gone = last();
    if (!gone) return false;
    Waypoint* p = first_ == gone ? nullptr : first_;
    while (p && p->next != gone) p = p->next;
    if (p) {
        p->next = nullptr;
    } else {
        first_ = nullptr;
    }
    current_ = cursor_ = p;
    if (anchor_ == gone) anchor_ = nullptr;
    delete gone;
    return true;
}

void SurveyPlan::clearPlan() {
    Waypoint* w = first_;
    while (w) {
        Waypoint* next = w->next;
        delete w;
        w = next;
    }
    first_ = current_ = anchor_ = nullptr;
    cursor_ = nullptr;  // it pointed into the freed list
}

void SurveyPlan::adoptWaypoints(const std::vector<Waypoint*>& list, int current, int cursor, int anchor) {
    clearPlan();
    auto at = [&list](int i) -> Waypoint* {
        return i >= 0 && static_cast<std::size_t>(i) < list.size() ? list[static_cast<std::size_t>(i)] : nullptr;
    };
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i]->prev = i > 0 ? list[i - 1] : nullptr;
        list[i]->next = i + 1 < list.size() ? list[i + 1] : nullptr;
    }
    first_ = at(0);
    current_ = at(current);
    if (!current_) current_ = first_;
    cursor_ = at(cursor);
    anchor_ = at(anchor);
}

bool SurveyPlan::moveCurrent(double lon, double y, double lat) {
    if (!current_) return false;
    current_->marker->setPosition(lon, y);
    current_->lon = lon;
    current_->lat = lat;
    current_->y = y;
    return true;
}

bool SurveyPlan::setCurrent(double lon, double y, double lat, float speed, float depthMultiplier) {
    if (!moveCurrent(lon, y, lat)) return false;
    current_->speed = speed;
    current_->depthMultiplier = depthMultiplier;
    out_ << "LEG Spd  " << speed << "\n";
    return true;
}

bool SurveyPlan::setCurrentLeg(double lon1, double y1, double lon2, double y2) {
    if (!current_ || !current_->prev) return false;
    Waypoint* a = current_->prev;
    a->marker->setPosition(lon1, y1);
    a->lon = lon1;
    a->y = y1;
    a->lat = latitudeFromMapY(y1);
    current_->marker->setPosition(lon2, y2);
    current_->lon = lon2;
    current_->y = y2;
    current_->lat = latitudeFromMapY(y2);
    return true;
}

// ---- Queries ------------------------------------------------------------

bool SurveyPlan::getCurrent(double& lat, double& lon, float& speed, float& depthMultiplier) const {
    if (!current_) return false;
    lat = current_->lat;
    lon = current_->lon;
    speed = current_->speed;
    depthMultiplier = current_->depthMultiplier;
    return true;
}

bool SurveyPlan::getCurrentLeg(bool allowLast, double& lat1, double& y1, double& lon1, double& lat2, double& y2,
                               double& lon2) const {
    if (!current_) return false;
    const Waypoint* a = current_;
    const Waypoint* b = current_->next;
    if (!b) {
        if (!allowLast || !current_->prev) return false;
        a = current_->prev;
        b = current_;
    }
    lat1 = a->lat;
    y1 = a->y;
    lon1 = a->lon;
    lat2 = b->lat;
    y2 = b->y;
    lon2 = b->lon;
    return true;
}

bool SurveyPlan::getCursorPoint(double& lat, double& y, double& lon) const {
    if (!cursor_) return false;
    lat = cursor_->lat;
    y = cursor_->y;
    lon = cursor_->lon;
    return true;
}

bool SurveyPlan::planBounds(double& xmin, double& xmax, double& ymin, double& ymax) const {
    if (!first_) return false;
    xmin = ymin = 1000.0;
    xmax = ymax = -1000.0;
    for (const Waypoint* w = first_; w; w = w->next) {
        xmin = std::min(xmin, w->marker->x);
        xmax = std::max(xmax, w->marker->x);
        ymin = std::min(ymin, w->marker->y);
        ymax = std::max(ymax, w->marker->y);
    }
    xmin -= kBoundsPad;
    xmax += kBoundsPad;
    ymin -= kBoundsPad;
    ymax += kBoundsPad;
    return true;
}

bool SurveyPlan::cursorLegBounds(float& xmin, float& xmax, float& ymin, float& ymax) const {
    if (!cursor_ || !cursor_->next) return false;
    xmin = ymin = 1000.0f;
    xmax = ymax = -1000.0f;
    for (const Waypoint* w : {cursor_, cursor_->next}) {
        const float x = static_cast<float>(w->marker->x);
        const float y = static_cast<float>(w->marker->y);
        xmin = std::min(xmin, x);
        xmax = std::max(xmax, x);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
    }
    xmin -= kBoundsPad;
    xmax += kBoundsPad;
    ymin -= kBoundsPad;
    ymax += kBoundsPad;
    return true;
}

float SurveyPlan::planLegTotals(float& nm, float& hours) const {
    nm = 0.0f;
    hours = 0.0f;
    float km = 0.0f;
    for (const Waypoint* w = first_; w && w->next; w = w->next) {
        nm += w->lengthNm;
        hours += w->lengthNm / w->speed;
        km += w->lengthKm;
    }
    return km;
}

int SurveyPlan::waypointCount() const {
    int n = 0;
    for (const Waypoint* w = first_; w; w = w->next) ++n;
    return n;
}

// ---- Walks --------------------------------------------------------------

bool SurveyPlan::walkFromFirst() {
    current_ = cursor_ = first_;
    return first_ != nullptr;
}

bool SurveyPlan::walkFromCurrentLeg() {
    if (current_ && current_->next) {
        cursor_ = current_;
        return true;
    }
    cursor_ = nullptr;
    return false;
}

bool SurveyPlan::walkFromLastLeg() {
    if (!first_) return false;
    if (current_ && !current_->next && current_->prev) current_ = current_->prev;
    cursor_ = current_;
    return true;
}

bool SurveyPlan::walkNext() {
    if (!cursor_ || !cursor_->next) return false;
    cursor_ = cursor_->next;
    return true;
}

void SurveyPlan::refreshLegDirections() {
    for (Waypoint* w = first_; w && w->next; w = w->next) {
        const double dx = w->next->lon - w->lon;
        const double dy = w->next->y - w->y;
        const double length = std::sqrt(dx * dx + dy * dy);
        // Capped like every swath recompute: drawing reads sampleCount
        // entries of the 400-entry arrays.
        const double samples = length * 240.0;
        w->sampleCount = samples >= kMaxStraightSamples ? kMaxStraightSamples
                         : samples >= 0.0                ? static_cast<int>(samples)
                                                         : 0;
        // A zero-length leg has no direction: a zero normal, as the swath
        // recompute gives it, not the one of the leg's previous position.
        w->normalX = length > 0.0 ? dy / length : 0.0;
        w->normalY = length > 0.0 ? -dx / length : 0.0;
    }
}

// ---- Swath strips ---------------------------------------------------------

SwathStrip SurveyPlan::stripOf(const Waypoint& w) {
    SwathStrip s;
    s.rightX = w.rightX;
    s.rightY = w.rightY;
    s.leftX = w.leftX;
    s.leftY = w.leftY;
    s.count = std::clamp(w.sampleCount, 0, Waypoint::kMaxSamples);
    return s;
}

bool SurveyPlan::cursorSwathStrip(SwathStrip& strip) const {
    if (!cursor_ || !cursor_->next) return false;
    strip = stripOf(*cursor_);
    return true;
}

}  // namespace tessarin
