#include "FillCommand.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "area/PolygonFile.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/GlCaptureTarget.hpp"
#include "coverage/GlOffscreenContext.hpp"
#include "coverage/PlanCost.hpp"
#include "coverage/PlanReport.hpp"
#include "coverage/PlanStatistics.hpp"
#include "design/DesignFit.hpp"
#include "earth/ConsoleProgress.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/Configuration.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

const char* const kFillUsage =
    "usage: tessarin-plan fill AREA --out NAME [--heading DEG|--along-first-edge|--fastest] [--start NE|NW|SE|SW]\n"
    "                          [--spacing depth|METRES] [--overlap PERCENT] [--runout METRES|swath]\n"
    "                          [--order backforth|interleave] [--crosslines METRES] [--fit]";

namespace {

// A whole number text from lo to hi; false for anything else.
bool number(const std::string& v, double lo, double hi, double& out) {
    char* end = nullptr;
    const double x = std::strtod(v.c_str(), &end);
    if (v.empty() || end == v.c_str() || *end != '\0' || !std::isfinite(x) || x < lo || x > hi) return false;
    out = x;
    return true;
}

}  // namespace

bool parseFillArgs(const std::vector<std::string>& args, FillArgs& a, std::string& error) {
    static const char* const kValued[] = {"--out",     "--heading",  "--start",      "--spacing",
                                          "--overlap", "--runout", "--order", "--crosslines"};
    int directions = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& s = args[i];
        for (const char* v : kValued) {
            if (s == v && i + 1 >= args.size()) {
                error = s + " needs a value";
                return false;
            }
        }
        double x = 0.0;
        if (s == "--out") {
            a.out = args[++i];
            if (a.out.empty()) {
                error = "--out needs a name";
                return false;
            }
        } else if (s == "--heading") {
            if (!number(args[++i], 0.0, 360.0, x)) {
                error = "the heading must be degrees from 0 to 360: " + args[i];
                return false;
            }
            a.design.direction = DesignDirection::Heading;
            a.design.headingDeg = x;
            ++directions;
        } else if (s == "--along-first-edge") {
            a.design.direction = DesignDirection::FirstEdge;
            ++directions;
        } else if (s == "--fastest") {
            a.design.direction = DesignDirection::Fastest;
            ++directions;
        } else if (s == "--start") {
            const std::string& v = args[++i];
            if (v == "NE") {
                a.design.start = StartCorner::NE;
            } else if (v == "NW") {
                a.design.start = StartCorner::NW;
            } else if (v == "SE") {
                a.design.start = StartCorner::SE;
            } else if (v == "SW") {
                a.design.start = StartCorner::SW;
            } else {
                error = "the start corner is one of NE, NW, SE, SW: " + v;
                return false;
            }
        } else if (s == "--spacing") {
            const std::string& v = args[++i];
            if (v == "depth") {
                a.design.spacing = SpacingRule::Depth;
            } else if (number(v, 1.0, 1.0e6, x)) {
                a.design.spacing = SpacingRule::Fixed;
                a.design.fixedSpacingM = x;
            } else {
                error = "the spacing is depth or metres from 1 to 1000000: " + v;
                return false;
            }
        } else if (s == "--overlap") {
            // At 100 % neighbours would lie on top of each other.
            if (!number(args[++i], 0.0, 95.0, x)) {
                error = "the overlap must be a percentage from 0 to 95: " + args[i];
                return false;
            }
            a.design.overlapPercent = static_cast<float>(x);
            a.overlapGiven = true;
        } else if (s == "--runout") {
            const std::string& v = args[++i];
            if (v == "swath") {
                a.design.runOut = RunOutRule::SwathEdge;
            } else if (number(v, 0.0, 1.0e5, x)) {
                a.design.runOut = RunOutRule::Metres;
                a.design.runOutM = x;
            } else {
                error = "the run-out is swath or metres from 0 to 100000: " + v;
                return false;
            }
        } else if (s == "--order") {
            const std::string& v = args[++i];
            if (v == "backforth") {
                a.design.order = LineOrderRule::BackAndForth;
            } else if (v == "interleave") {
                a.design.order = LineOrderRule::Interleave;
            } else {
                error = "the order is backforth or interleave: " + v;
                return false;
            }
        } else if (s == "--crosslines") {
            if (!number(args[++i], 1.0, 1.0e7, x)) {
                error = "the crossline spacing must be metres from 1 to 10000000: " + args[i];
                return false;
            }
            a.design.crosslineSpacingM = x;
        } else if (s == "--fit") {
            a.fit = true;
        } else if (s.size() > 1 && s[0] == '-') {
            error = "unknown option " + s;
            return false;
        } else if (a.area.empty()) {
            a.area = s;
        } else {
            error = "more than one area file: " + s;
            return false;
        }
    }
    if (directions > 1) {
        error = "give one of --heading, --along-first-edge and --fastest";
        return false;
    }
    if (a.area.empty() || a.out.empty()) {
        error = "an area file and --out are needed";
        return false;
    }
    return true;
}

int runFill(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    FillArgs a;
    std::string error;
    if (!parseFillArgs(args, a, error)) {
        err << "tessarin-plan fill: " << error << "\n" << kFillUsage << "\n";
        return 2;
    }
    std::ostream quiet(nullptr);  // the planner's console lines
    Configuration config;
    std::ifstream configFile("config.txt");
    if (configFile) readConfiguration(configFile, quiet, config);
    if (!a.overlapGiven) a.design.overlapPercent = config.fillOverlap;

    SurveyPolygon area(quiet, config.depthMultiplier);
    if (!loadPolygonFile(a.area, area, quiet) || area.vertexCount() < 3) {
        err << "tessarin-plan fill: cannot read a polygon of three or more vertices from " << a.area << "\n";
        return 2;
    }
    NullTextureSink sink;
    TileStore tiles(quiet, sink);
    SurveyPlan plan(tiles, quiet, config.depthMultiplier, config.turnRadiusMetres(), config.boatSpeed,
                    config.extinctionTable);
    ConsoleProgress progress(err);

    const DesignInputs inputs{area, tiles, plan.extinctionCurve(), 2.0 * config.turnRadiusMetres(), config.boatSpeed};
    err << "Laying the design over " << a.area << "\n";
    const DesignLayout layout = layOutDesign(a.design, inputs);
    if (layout.lines.empty()) {
        err << "tessarin-plan fill: no line laid: " << layout.problem << "; nothing written\n";
        return 1;
    }
    if (!layout.problem.empty()) err << "Note: " << layout.problem << "\n";
    if (layout.narrowTurns > 0)
        err << "Note: " << layout.narrowTurns << " turns are narrower than the turning diameter ("
            << 2.0 * config.turnRadiusMetres() << " m): too few lines to keep them apart\n";
    err << layout.mainLines << " lines at heading " << layout.headingDeg << ", " << layout.crosslines
        << " crosslines\n";

    // The statistics capture, and a fit, draw off screen.
    std::unique_ptr<GlOffscreenContext> gl;
    std::unique_ptr<GlCaptureTarget> target;
    gl = std::make_unique<GlOffscreenContext>(64, 64);
    if (gl->ok()) {
        target = std::make_unique<GlCaptureTarget>(nullptr);
    } else if (a.fit) {
        err << "tessarin-plan fill: --fit needs an off-screen OpenGL context: " << gl->error() << "\n";
        return 1;
    } else {
        err << "Note: no off-screen OpenGL context (" << gl->error() << "); the report's areas are 0\n";
    }
    CoverageGrid coverage(tiles, plan, area, quiet);
    coverage.setCaptureTarget(target.get());
    if (a.fit) {
        err << "Fitting each line against the coverage of the lines before it\n";
        fitDesignIntoPlan(layout, plan, area, tiles, coverage, config.boatSpeed, config.depthMultiplier,
                          a.design.overlapPercent, progress);
    } else {
        appendDesignToPlan(layout, plan, config.boatSpeed, config.depthMultiplier);
    }
    plan.generateSwaths(false);

    const DesignTotals t = designTotals(layout, plan, area, config.boatSpeed, config.dayRate);
    // As "Save plan as...": the report (with fresh statistics), then the
    // plan files.
    bool written = coverage.writeReport(a.out + "_Report.txt", config.dayRate, config.boatSpeed, progress);
    written = savePlan(plan, a.out + ".csv", config.boatSpeed) && written;
    written = writeRouteFile(plan, a.out + ".cvt") && written;
    if (!written) {
        err << "tessarin-plan fill: cannot write every file of " << a.out << "\n";
        return 1;
    }

    char text[512];
    std::snprintf(text, sizeof text,
                  "lines: %d\nline_km: %.3f\ntotal_km: %.3f\nhours: %.3f\ndays: %.3f\ncost: %.2f\n"
                  "covered_percent: %.2f\nuncovered_km2: %.3f\n",
                  t.lines, t.lineKm, t.totalKm, t.hours, t.days, t.cost, t.coveredPercent, t.uncoveredKm2);
    out << text;
    err << "wrote " << a.out << ".csv, " << latLonFileName(a.out + ".csv") << ", " << a.out << ".cvt and " << a.out
        << "_Report.txt\n";
    return 0;
}

}  // namespace tessarin
