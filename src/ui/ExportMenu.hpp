#pragma once
// The "Export" submenu of "File": the plan as an RTZ or GPX route for the
// bridge, its legs, swaths and survey polygon as GeoJSON for a GIS, or its
// survey lines as KML, a CSV line list, a grid line file (UTM zone of the
// plan's centre) or a survey-line plan for acquisition software, each to a
// file the user chooses. Runs without a window given a FileChooser.

#include <ctime>
#include <ostream>
#include <string>

#include "export/ExportResult.hpp"
#include "ui/FileChooser.hpp"

namespace tessarin {

class PlannerState;

enum class ExportFormat { Rtz, Gpx, GeoJson, Kml, LinesCsv, Lnw, AsciiPlan };

// "*.rtz", "*.gpx", "*.geojson", "*.kml", "*.csv", "*.lnw", "*.asciiplan"
// with their names.
const FileFilter& exportFilter(ExportFormat format);

// path with the format's extension appended unless it already ends with it
// (in any case: "ROUTE.RTZ" is kept).
std::string withExportExtension(const std::string& path, ExportFormat format);

// Asks for a file name and writes the export there. departureText is the
// route's departure in ISO 8601 (UTC unless it says otherwise); empty means
// nowUtc. The outcome line goes to report; a cancelled dialog writes nothing
// and reports nothing (ok false, empty message).
ExportResult exportFromMenu(ExportFormat format, PlannerState& planner, FileChooser& chooser,
                            const std::string& departureText, std::time_t nowUtc, std::ostream& report);

}  // namespace tessarin
