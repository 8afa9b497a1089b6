#pragma once
// tessarin-export: converts a plan file (".csv" or "LL_" file) to an RTZ or
// GPX route, GeoJSON layers, or survey lines (KML, CSV, LNW, ASCII plan)
// without the window. Swaths are recomputed
// over the tiles found under the working folder, as the planner does after
// loading a plan.

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

namespace tessarin {

struct ExportOptions {
    std::string planPath;
    std::string format;        // "rtz", "gpx", "geojson", "kml", "lines-csv", "lnw", "asciiplan"
    std::string outPath;
    float speedKnots = 0.0f;   // 0: the configured boat speed
    std::time_t departUtc = 0;
    bool departGiven = false;  // otherwise the time of the run
    int epsg = 0;              // lnw grid; 0: the UTM zone of the plan's centre
};

// Reads "PLAN --format F --out FILE [--speed KNOTS] [--depart ISO8601]
// [--crs EPSG]"
// (args without the program name). False with a one-line reason in error.
bool parseExportArgs(const std::vector<std::string>& args, ExportOptions& options, std::string& error);

// Loads the plan, recomputes its swaths and writes the file. Returns the
// process exit status (0 written, 1 failed); the outcome line goes to
// report, the planner's own console lines nowhere.
int runExport(const ExportOptions& options, std::ostream& report);

extern const char* const kExportUsage;

}  // namespace tessarin
