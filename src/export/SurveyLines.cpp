#include "export/SurveyLines.hpp"

#include <cmath>
#include <cstdio>

#include "area/SurveyPolygon.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

std::string surveyLineName(int number) {
    char text[24];
    std::snprintf(text, sizeof text, "L%03d", number);
    return text;
}

double printableLongitude(double lon, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return wrapLongitude(std::round(lon * scale) / scale);
}

std::vector<SurveyLine> surveyLines(const SurveyPlan& plan) {
    std::vector<SurveyLine> lines;
    int n = 1;
    for (const Waypoint* w = plan.first(); w && w->next; w = w->next, ++n) {
        const Waypoint& b = *w->next;
        SurveyLine line;
        line.number = n;
        line.name = surveyLineName(n);
        line.from = {w->lon, w->y};
        line.to = {b.lon, b.y};
        line.startLat = w->lat;
        line.startLon = wrapLongitude(w->lon);
        line.endLat = b.lat;
        line.endLon = wrapLongitude(b.lon);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<PlanePoint> polygonRing(const SurveyPolygon& polygon) {
    std::vector<PlanePoint> ring;
    const PolygonVertex* v = polygon.first();
    if (!v) return ring;
    do {
        ring.push_back({v->x, v->y});
        v = v->next;
    } while (v != polygon.first());
    return ring;
}

}  // namespace tessarin
