#include "ExportCommand.hpp"

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "plan/Configuration.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "export/IsoTime.hpp"
#include "export/LayerExport.hpp"
#include "plan/PlanFiles.hpp"
#include "export/RouteExport.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

const char* const kExportUsage =
    "usage: tessarin-export PLAN --format rtz|gpx|geojson --out FILE [--speed KNOTS] [--depart ISO8601]";

bool parseExportArgs(const std::vector<std::string>& args, ExportOptions& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--format" || a == "--out" || a == "--speed" || a == "--depart";
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        if (a == "--format") {
            options.format = args[++i];
            if (options.format != "rtz" && options.format != "gpx" && options.format != "geojson") {
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
    else
        result = exportLayersGeoJson(plan, nullptr, options.outPath);
    report << result.message << "\n";
    return result.ok ? 0 : 1;
}

}  // namespace tessarin
