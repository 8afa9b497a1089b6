#include "export/LineListExport.hpp"

#include <cstdio>
#include <vector>

#include "export/SurveyLines.hpp"
#include "plan/ReplacingFile.hpp"

namespace tessarin {

namespace {

ExportResult writeLines(const std::string& path, const std::string& text, std::size_t count, const std::string& what) {
    ReplacingFile file(path);
    if (!file.isOpen()) return {false, "Cannot create " + path};
    std::fwrite(text.data(), 1, text.size(), file.get());
    if (!file.commit()) return {false, "Failed to write " + path};
    return {true, what + " (" + std::to_string(count) + " lines) written to " + path};
}

ExportResult noLines() { return {false, "A line export needs at least two waypoints"}; }

}  // namespace

ExportResult exportLinesCsv(const SurveyPlan& plan, const std::string& path) {
    const std::vector<SurveyLine> lines = surveyLines(plan);
    if (lines.empty()) return noLines();
    std::string text = "name,start_lat,start_lon,end_lat,end_lon\n";
    char row[160];
    for (const SurveyLine& l : lines) {
        std::snprintf(row, sizeof row, "%s,%.8f,%.8f,%.8f,%.8f\n", l.name.c_str(), l.startLat,
                      printableLongitude(l.startLon, 8), l.endLat, printableLongitude(l.endLon, 8));
        text += row;
    }
    return writeLines(path, text, lines.size(), "Line list");
}

ExportResult exportAsciiPlan(const SurveyPlan& plan, const std::string& path, std::time_t madeUtc) {
    const std::vector<SurveyLine> lines = surveyLines(plan);
    if (lines.empty()) return noLines();
    std::tm utc{};
    gmtime_r(&madeUtc, &utc);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                  utc.tm_hour, utc.tm_min, utc.tm_sec);
    std::string text = "DEG\r\n\r\n0 0 0 0\r\n";
    char record[200];
    for (const SurveyLine& l : lines) {
        std::snprintf(record, sizeof record, "_LINE %s %d %s 0 %.8f %.8f %.8f %.8f \"\r\n", l.name.c_str(), l.number,
                      stamp, l.startLat, printableLongitude(l.startLon, 8), l.endLat, printableLongitude(l.endLon, 8));
        text += record;
    }
    return writeLines(path, text, lines.size(), "Survey-line plan");
}

}  // namespace tessarin
