#include "export/LnwExport.hpp"

#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "export/SurveyLines.hpp"
#include "plan/ReplacingFile.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

struct TransformDeleter {
    void operator()(OGRCoordinateTransformation* t) const { OGRCoordinateTransformation::DestroyCT(t); }
};

std::string crsLabel(const OGRSpatialReference& crs, int epsg) {
    const char* name = crs.GetName();
    return std::string(name ? name : "unnamed CRS") + " (EPSG:" + std::to_string(epsg) + ")";
}

}  // namespace

int utmEpsgFor(double lon, double lat) {
    const double wrapped = wrapLongitude(lon);
    int zone = static_cast<int>(std::floor((wrapped + 180.0) / 6.0)) + 1;
    zone = std::clamp(zone, 1, 60);
    return (lat >= 0.0 ? 32600 : 32700) + zone;
}

bool planCentre(const SurveyPlan& plan, double& lon, double& lat) {
    const Waypoint* w = plan.first();
    if (!w) return false;
    const double ref = w->lon;
    double west = 1e9, east = -1e9, south = 1e9, north = -1e9;
    for (; w; w = w->next) {
        // Each longitude brought within half a turn of the first one.
        const double x = ref + std::remainder(w->lon - ref, 360.0);
        west = std::min(west, x);
        east = std::max(east, x);
        south = std::min(south, w->lat);
        north = std::max(north, w->lat);
    }
    lon = wrapLongitude(0.5 * (west + east));
    lat = 0.5 * (south + north);
    return true;
}

ExportResult exportLnw(const SurveyPlan& plan, const std::string& path, int epsg) {
    const std::vector<SurveyLine> lines = surveyLines(plan);
    if (lines.empty()) return {false, "A line export needs at least two waypoints"};
    if (epsg == 0) {
        double lon = 0.0, lat = 0.0;
        planCentre(plan, lon, lat);
        epsg = utmEpsgFor(lon, lat);
    }

    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference grid;
    if (grid.importFromEPSG(epsg) != OGRERR_NONE)
        return {false, "Unknown CRS EPSG:" + std::to_string(epsg) + "; nothing written"};
    if (!grid.IsProjected())
        return {false, "EPSG:" + std::to_string(epsg) + " is not a projected CRS; a line file needs grid coordinates"};
    grid.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> toGrid(
        OGRCreateCoordinateTransformation(&wgs84, &grid));
    if (!toGrid) return {false, "No transformation from WGS 84 to EPSG:" + std::to_string(epsg)};

    std::string text = "LNS " + std::to_string(lines.size()) + "\r\n";
    char row[128];
    for (const SurveyLine& l : lines) {
        double x[2] = {l.startLon, l.endLon};
        double y[2] = {l.startLat, l.endLat};
        if (!toGrid->Transform(2, x, y) || !std::isfinite(x[0]) || !std::isfinite(y[0]) || !std::isfinite(x[1]) ||
            !std::isfinite(y[1]))
            return {false, "Line " + l.name + " lies outside " + crsLabel(grid, epsg) + "; nothing written"};
        text += "LIN 2\r\n";
        for (int i = 0; i < 2; ++i) {
            std::snprintf(row, sizeof row, "PTS %.2f %.2f\r\n", x[i], y[i]);
            text += row;
        }
        text += "LNN " + l.name + "\r\nEOL\r\n";
    }

    ReplacingFile file(path);
    if (!file.isOpen()) return {false, "Cannot create " + path};
    std::fwrite(text.data(), 1, text.size(), file.get());
    if (!file.commit()) return {false, "Failed to write " + path};
    return {true, "Line file (" + std::to_string(lines.size()) + " lines, " + crsLabel(grid, epsg) + ") written to " + path};
}

}  // namespace tessarin
