#pragma once
// The plan for Google Earth, QGIS and ECDIS viewers: a KML 2.2 document with
// one LineString placemark per survey line and the survey polygon, styled by
// shared styles under the Document. Longitudes stay within -180..180; a line
// or ring that crosses the 180-degree meridian is cut there and becomes a
// MultiGeometry of its pieces.

#include <string>

#include "export/ExportResult.hpp"

namespace tessarin {

class SurveyPlan;
class SurveyPolygon;

// Needs one leg at least. polygon may be null; an empty one is left out.
ExportResult exportKml(const SurveyPlan& plan, const SurveyPolygon* polygon, const std::string& path);

}  // namespace tessarin
