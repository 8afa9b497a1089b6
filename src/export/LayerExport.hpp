#pragma once
// The plan's layers for a GIS: a GeoJSON FeatureCollection (RFC 7946) with
// one line per leg, one polygon per leg swath and the survey polygon.
// Coordinates are [longitude, latitude] in degrees, longitudes within
// -180..180; geometries that cross the 180-degree meridian are cut there and
// become MultiLineString / MultiPolygon. Latitudes of swath and polygon
// vertices come from their map-plane y.

#include <nlohmann/json_fwd.hpp>
#include <string>

#include "export/ExportResult.hpp"

namespace tessarin {

class SurveyPlan;
class SurveyPolygon;

// The FeatureCollection. Leg features carry "kind": "leg", "leg" (1-based),
// "lengthKm", "lengthNm", "speedKnots", "hours" (null without a speed) and
// "swathAreaKm2"; swath features "kind": "swath" and "leg"; the survey
// polygon "kind": "survey polygon". A swath ring runs along the starboard
// edge and back along the port edge, counter-clockwise, closed. Legs with
// fewer than two swath samples and a polygon with fewer than three vertices
// give no polygon. polygon may be null.
nlohmann::json planLayers(const SurveyPlan& plan, const SurveyPolygon* polygon);

// Writes planLayers to path (replacing an existing file only when complete).
ExportResult exportLayersGeoJson(const SurveyPlan& plan, const SurveyPolygon* polygon, const std::string& path);

}  // namespace tessarin
