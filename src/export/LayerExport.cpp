#include "export/LayerExport.hpp"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "export/AntimeridianSplit.hpp"
#include "export/SurveyLines.hpp"
#include "plan/ReplacingFile.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

using nlohmann::json;
using Piece = std::vector<PlanePoint>;

// Seven decimals (about 1 cm) keep the file short without losing anything
// the plan can resolve.
double rounded(double degrees) { return std::round(degrees * 1.0e7) / 1.0e7; }

// Leg figures are single precision; six decimals print them as the user
// sees them instead of their binary expansion (12.300000190734863).
double figure(double value) { return std::round(value * 1.0e6) / 1.0e6; }

json position(double lon, double lat) { return json::array({rounded(lon), rounded(lat)}); }

json positionOf(const PlanePoint& p) { return position(p.x, latitudeFromMapY(p.y)); }

json lineGeometry(const std::vector<Piece>& pieces) {
    json lines = json::array();
    for (const Piece& piece : pieces) {
        json line = json::array();
        for (const PlanePoint& p : piece) line.push_back(positionOf(p));
        lines.push_back(std::move(line));
    }
    if (lines.size() == 1) return {{"type", "LineString"}, {"coordinates", lines[0]}};
    return {{"type", "MultiLineString"}, {"coordinates", std::move(lines)}};
}

// Exterior rings counter-clockwise, as RFC 7946 asks; latitude grows with
// map-plane y, so the orientation is the same in both.
json ringCoordinates(const Piece& ring) {
    json out = json::array();
    for (const PlanePoint& p : counterClockwise(ring)) out.push_back(positionOf(p));
    out.push_back(out.front());
    return out;
}

// Null when the ring has no part with three vertices.
json polygonGeometry(const Piece& ring) {
    const std::vector<Piece> parts = splitRing(ring);
    if (parts.empty()) return nullptr;
    if (parts.size() == 1) return {{"type", "Polygon"}, {"coordinates", json::array({ringCoordinates(parts[0])})}};
    json polygons = json::array();
    for (const Piece& part : parts) polygons.push_back(json::array({ringCoordinates(part)}));
    return {{"type", "MultiPolygon"}, {"coordinates", std::move(polygons)}};
}

json feature(json geometry, json properties) {
    return {{"type", "Feature"}, {"geometry", std::move(geometry)}, {"properties", std::move(properties)}};
}

Piece swathRing(const Waypoint& w) {
    const SwathStrip strip = SurveyPlan::stripOf(w);
    Piece ring;
    if (strip.count < 2) return ring;
    for (int i = 0; i < strip.count; ++i) ring.push_back({strip.rightX[i], strip.rightY[i]});
    for (int i = strip.count - 1; i >= 0; --i) ring.push_back({strip.leftX[i], strip.leftY[i]});
    return ring;
}

}  // namespace

json planLayers(const SurveyPlan& plan, const SurveyPolygon* polygon) {
    json features = json::array();
    int n = 1;
    for (const Waypoint* w = plan.first(); w && w->next; w = w->next, ++n) {
        const Waypoint& b = *w->next;
        const double speed = w->speed;
        json properties = {{"kind", "leg"},
                           {"leg", n},
                           {"lengthKm", figure(w->lengthKm)},
                           {"lengthNm", figure(w->lengthNm)},
                           {"speedKnots", figure(speed)},
                           {"hours", speed > 0.0 ? json(figure(w->lengthNm / speed)) : json(nullptr)},
                           {"swathAreaKm2", figure(w->areaKm2)}};
        json line = lineGeometry(splitLine({{w->lon, w->y}, {b.lon, b.y}}));
        features.push_back(feature(std::move(line), std::move(properties)));

        json swath = polygonGeometry(swathRing(*w));
        if (!swath.is_null()) features.push_back(feature(std::move(swath), {{"kind", "swath"}, {"leg", n}}));
    }
    if (polygon && polygon->first()) {
        json area = polygonGeometry(polygonRing(*polygon));
        if (!area.is_null()) features.push_back(feature(std::move(area), {{"kind", "survey polygon"}}));
    }
    return {{"type", "FeatureCollection"}, {"features", std::move(features)}};
}

ExportResult exportLayersGeoJson(const SurveyPlan& plan, const SurveyPolygon* polygon, const std::string& path) {
    const json layers = planLayers(plan, polygon);
    ReplacingFile file(path);
    if (!file.isOpen()) return {false, "Cannot create " + path};
    const std::string text = layers.dump(1) + "\n";
    std::fwrite(text.data(), 1, text.size(), file.get());
    if (!file.commit()) return {false, "Failed to write " + path};
    return {true, "GeoJSON layers (" + std::to_string(layers["features"].size()) + " features) written to " + path};
}

}  // namespace tessarin
