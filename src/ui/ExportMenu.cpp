#include "ui/ExportMenu.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "export/IsoTime.hpp"
#include "export/KmlExport.hpp"
#include "export/LayerExport.hpp"
#include "export/LineListExport.hpp"
#include "export/LnwExport.hpp"
#include "export/RouteExport.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

const FileFilter& exportFilter(ExportFormat format) {
    static const FileFilter rtz{"RTZ route files (*.rtz)", "*.rtz"};
    static const FileFilter gpx{"GPX files (*.gpx)", "*.gpx"};
    static const FileFilter geojson{"GeoJSON files (*.geojson)", "*.geojson"};
    static const FileFilter kml{"KML files (*.kml)", "*.kml"};
    static const FileFilter csv{"Comma-separated values files (*.csv)", "*.csv"};
    static const FileFilter lnw{"Line files (*.lnw)", "*.lnw"};
    static const FileFilter asciiplan{"Survey-line plans (*.asciiplan)", "*.asciiplan"};
    switch (format) {
        case ExportFormat::Rtz: return rtz;
        case ExportFormat::Gpx: return gpx;
        case ExportFormat::GeoJson: break;
        case ExportFormat::Kml: return kml;
        case ExportFormat::LinesCsv: return csv;
        case ExportFormat::Lnw: return lnw;
        case ExportFormat::AsciiPlan: return asciiplan;
    }
    return geojson;
}

std::string withExportExtension(const std::string& path, ExportFormat format) {
    const std::string extension = exportFilter(format).pattern.substr(1);  // ".rtz"
    if (path.size() > extension.size()) {
        std::string tail = path.substr(path.size() - extension.size());
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (tail == extension) return path;
    }
    return path + extension;
}

ExportResult exportFromMenu(ExportFormat format, PlannerState& planner, FileChooser& chooser,
                            const std::string& departureText, std::time_t nowUtc, std::ostream& report) {
    std::time_t depart = nowUtc;
    // A departure that cannot be read is refused before the dialog, so the
    // route is not written with a time the user did not ask for.
    if (format == ExportFormat::Rtz && !departureText.empty() && !parseIsoUtc(departureText, depart)) {
        ExportResult r{false, "Departure is not an ISO 8601 time (2026-12-08T18:00:00Z): " + departureText};
        report << r.message << "\n";
        return r;
    }
    chooser.setTitle("Export as " + exportFilter(format).name);
    const std::string chosen = chooser.saveFile(exportFilter(format));
    if (chosen.empty()) return {};
    const std::string path = withExportExtension(chosen, format);
    // An export replaces a file only when the user says so: a plan's own
    // .csv is one click away in the same folder.
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !chooser.confirmReplace({path})) {
        ExportResult r{false, "Not exported: " + path + " was kept"};
        report << r.message << "\n";
        return r;
    }
    ExportResult r;
    switch (format) {
        case ExportFormat::Rtz: r = exportRouteRtz(*planner.plan, path, depart); break;
        case ExportFormat::Gpx: r = exportRouteGpx(*planner.plan, path); break;
        case ExportFormat::GeoJson: r = exportLayersGeoJson(*planner.plan, planner.polygon.get(), path); break;
        case ExportFormat::Kml: r = exportKml(*planner.plan, planner.polygon.get(), path); break;
        case ExportFormat::LinesCsv: r = exportLinesCsv(*planner.plan, path); break;
        case ExportFormat::Lnw: r = exportLnw(*planner.plan, path, 0); break;
        case ExportFormat::AsciiPlan: r = exportAsciiPlan(*planner.plan, path, nowUtc); break;
    }
    report << r.message << "\n";
    return r;
}

}  // namespace tessarin
