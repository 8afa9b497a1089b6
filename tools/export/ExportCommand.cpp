#include "ExportCommand.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdlib>
#include <fstream>

#include "plan/Configuration.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "export/IsoTime.hpp"
#include "export/KmlExport.hpp"
#include "export/LayerExport.hpp"
#include "export/LineListExport.hpp"
#include "export/LnwExport.hpp"
#include "plan/PlanFiles.hpp"
#include "export/RouteExport.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

const char* const kExportUsage =
    "usage: tessarin-export PLAN --format rtz|gpx|geojson|kml|lines-csv|lnw|asciiplan --out FILE\n"
    "                       [--speed KNOTS] [--depart ISO8601] [--crs EPSG]";

bool parseExportArgs(const std::vector<std::string>& args, ExportOptions& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--format" || a == "--out" || a == "--speed" || a == "--depart" ||
                                a == "--crs";
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        if (a == "--format") {
            options.format = args[++i];
            static const char* const known[] = {"rtz", "gpx", "geojson", "kml", "lines-csv", "lnw", "asciiplan"};
            if (std::find(std::begin(known), std::end(known), options.format) == std::end(known)) {
                error = "unknown format " + options.format;
                return false;
            }
        } else if (a == "--out") {
            options.outPath = args[++i];
        } else if (a == "--speed") {
            const std::string& v = args[++i];
            char* end = nullptr;
            const double knots = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end != '\0' || !(knots > 0.0) || !(knots < 100.0)) {
                error = "speed must be a number of knots between 0 and 100: " + v;
                return false;
            }
            options.speedKnots = static_cast<float>(knots);
        } else if (a == "--crs") {
            std::string v = args[++i];
            if (v.size() > 5 && (v.compare(0, 5, "EPSG:") == 0 || v.compare(0, 5, "epsg:") == 0)) v.erase(0, 5);
            char* end = nullptr;
            const long code = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || code <= 0 || code > 999999) {
                error = "--crs takes an EPSG code (32611 or EPSG:32611): " + args[i];
                return false;
            }
            options.epsg = static_cast<int>(code);
        } else if (a == "--depart") {
            if (!parseIsoUtc(args[++i], options.departUtc)) {
                error = "departure is not an ISO 8601 time (2026-12-08T18:00:00Z): " + args[i];
                return false;
            }
            options.departGiven = true;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else if (options.planPath.empty()) {
            options.planPath = a;
        } else {
            error = "more than one plan file: " + a;
            return false;
        }
    }
    if (options.planPath.empty() || options.format.empty() || options.outPath.empty()) {
        error = "a plan file, --format and --out are needed";
        return false;
    }
    if (options.epsg != 0 && options.format != "lnw") {
        error = "--crs is for --format lnw only";
        return false;
    }
    return true;
}

int runExport(const ExportOptions& options, std::ostream& report) {
    // The planner's console lines (tile loads, swath passes) are not this
    // tool's output.
    std::ostream quiet(nullptr);
    Configuration config;
    {
        std::ifstream probe("config.txt");
        if (probe) readConfiguration(probe, quiet, config);
    }
    const float speed = options.speedKnots > 0.0f ? options.speedKnots : config.boatSpeed;
    NullTextureSink sink;
    TileStore tiles(quiet, sink);
    SurveyPlan plan(tiles, quiet, config.depthMultiplier, config.turnRadiusMetres(), speed, config.extinctionTable);

    float meanLat = 0.0f, meanLon = 0.0f;
    const int added = loadPlan(plan, options.planPath, meanLat, meanLon);
    if (added < 0) {
        report << "cannot open plan file " << options.planPath << "\n";
        return 1;
    }
    if (added == 0) {
        report << "no waypoints in " << options.planPath << "\n";
        return 1;
    }
    plan.generateSwaths(true);

    ExportResult result;
    if (options.format == "rtz")
        result = exportRouteRtz(plan, options.outPath, options.departGiven ? options.departUtc : std::time(nullptr));
    else if (options.format == "gpx")
        result = exportRouteGpx(plan, options.outPath);
    else if (options.format == "kml")
        result = exportKml(plan, nullptr, options.outPath);
    else if (options.format == "lines-csv")
        result = exportLinesCsv(plan, options.outPath);
    else if (options.format == "lnw")
        result = exportLnw(plan, options.outPath, options.epsg);
    else if (options.format == "asciiplan")
        result = exportAsciiPlan(plan, options.outPath, std::time(nullptr));
    else
        result = exportLayersGeoJson(plan, nullptr, options.outPath);
    report << result.message << "\n";
    return result.ok ? 0 : 1;
}

}  // namespace tessarin
