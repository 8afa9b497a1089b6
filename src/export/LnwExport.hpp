#pragma once
// Survey lines as a line file of the kind hydrographic acquisition packages
// read (".lnw"): "LNS n", then for each line "LIN k", k rows of
// "PTS easting northing", "LNN name" and "EOL", CRLF line ends and one blank
// between values. Coordinates are grid coordinates in metres with two
// decimals, projected with GDAL/PROJ from WGS 84.

#include <string>

#include "export/ExportResult.hpp"

namespace tessarin {

class SurveyPlan;

// EPSG code of the WGS 84 UTM zone holding (lon, lat): 326zz north of the
// equator, 327zz south (the regular 6-degree zones, without the Norway and
// Svalbard exceptions).
int utmEpsgFor(double lon, double lat);

// The plan's centre: the middle of the waypoints' box, longitudes taken
// unwrapped from the first waypoint so that a plan across 180 degrees has
// its centre there. False for an empty plan.
bool planCentre(const SurveyPlan& plan, double& lon, double& lat);

// epsg 0: the UTM zone of the plan's centre. A code PROJ does not know, or a
// geographic CRS (degrees are no grid), is refused before anything is
// written. The message names the CRS used.
ExportResult exportLnw(const SurveyPlan& plan, const std::string& path, int epsg);

}  // namespace tessarin
