#include "area/SurveyPolygon.hpp"

#include <algorithm>

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

}  // namespace tessarin
