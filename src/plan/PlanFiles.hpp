#pragma once
// The plan's three text files: the plan file (one line per waypoint with
// position, map-plane y and the leg's length, time and area), the lat/lon
// file beside it ("LL_" before the file name), and the route listing for
// navigation equipment. Positions are degrees; map-plane y is mapY(lat).

#include <string>

namespace tessarin {

class SurveyPlan;

// The lat/lon file's name: "LL_" put in front of the file-name part of
// planPath, after the last '/' or '\'; a bare name gets the prefix.
std::string latLonFileName(const std::string& planPath);

// Writes the plan file at path and the lat/lon file beside it; times are
// lengthNm / boatSpeed. Each file replaces an existing one only once it is
// complete. False (with a console line) when either could not be written.
bool savePlan(SurveyPlan& plan, const std::string& path, float boatSpeed);

// Writes the route listing at path (same replacement rule).
bool writeRouteFile(SurveyPlan& plan, const std::string& path);

// Adds the waypoints of a plan file, or of a lat/lon file when the file name
// (after the last '/' or '\') starts with "LL_", after the current waypoint,
// in file order, with the plan's speed and depth multiplier. Lines that do
// not start with the expected numbers are skipped. Returns the number added,
// or -1 when the file cannot be opened; the means of their latitudes and
// longitudes are written only when some were added.
int loadPlan(SurveyPlan& plan, const std::string& path, float& meanLat, float& meanLon);

}  // namespace tessarin
