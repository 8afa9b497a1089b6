#pragma once
// The one survey polygon: a closed ring of vertices with a first and a
// current vertex. Map plane: x = longitude in degrees, y = mapY(latitude).

#include <ostream>

#include "area/PolygonVertex.hpp"

namespace tessarin {

class SurveyPolygon {
public:
    SurveyPolygon(std::ostream& out, float depthMultiplier);
    ~SurveyPolygon();
    SurveyPolygon(const SurveyPolygon&) = delete;
    SurveyPolygon& operator=(const SurveyPolygon&) = delete;

    void addVertex(double x, double y, double lat);
    bool pickVertex(float x, float y, float scale);
    bool moveCurrentVertex(double x, double y, double lat);
    void clearPolygon();
    void printPolygon();

    PolygonVertex* first() const { return first_; }
    PolygonVertex* current() const { return current_; }

private:
    std::ostream& out_;
    PolygonVertex* first_ = nullptr;
    PolygonVertex* current_ = nullptr;
    float depthMultiplier_;
};

}  // namespace tessarin
