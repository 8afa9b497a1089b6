#include "area/PolygonFile.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "area/ShapefileImport.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/InputPath.hpp"
#include "earth/MapProjection.hpp"
#include "plan/ReplacingFile.hpp"

namespace tessarin {

namespace {

// Splits a line on blanks and tabs.
std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        if (j > i) fields.push_back(line.substr(i, j - i));
        i = j;
    }
    return fields;
}

// A whole field as a finite number. from_chars ignores the process locale, so
// a GUI that changes the decimal separator cannot change what a file means.
bool parseNumber(const std::string& field, double& value) {
    const char* begin = field.data();
    const char* end = field.data() + field.size();
    if (begin != end && *begin == '+') ++begin;
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

// "%8.6f" without the process locale: six decimals, at least eight
// characters (which six decimals always fill, so no padding arises).
std::string fixedSix(double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

}  // namespace

bool loadPolygonFile(const std::string& path, SurveyPolygon& polygon, std::ostream& out) {
    // The extension decides, in any case: "shp" elsewhere in a path (a
    // folder called fishponds, Area_shp.csv) is an ordinary polygon file.
    const bool shapefile = path.size() >= 4 && path[path.size() - 4] == '.' &&
                           std::tolower(static_cast<unsigned char>(path[path.size() - 3])) == 's' &&
                           std::tolower(static_cast<unsigned char>(path[path.size() - 2])) == 'h' &&
                           std::tolower(static_cast<unsigned char>(path[path.size() - 1])) == 'p';
    if (shapefile) {
        out << "Shapefile!!\n";
        return importShapefile(path, polygon, out);
    }
    return readPolygonFile(path, polygon, out);
}

bool readPolygonFile(const std::string& path, SurveyPolygon& polygon, std::ostream& out) {
    out << "LOAD POLYGON " << path << "\n";
    std::ifstream in(path);
    if (!in || isFolder(path)) {
        out << "Cannot open polygon file " << path << "\n";
        return false;
    }
    std::string line;
    std::getline(in, line);  // the header, whatever it holds
    int lineNumber = 1;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (char& c : line) {
            if (c == ',') c = ' ';
        }
        out << line << "\n";
        const std::vector<std::string> fields = splitFields(line);
        if (fields.empty()) continue;  // blank lines, such as a last one
        double lon = 0.0, lat = 0.0;
        // Only a longitude and a latitude make a vertex: a line with a third
        // value or a word is more likely a different file than a vertex, and
        // |lat| >= 90 has no map-plane y.
        if (fields.size() != 2 || !parseNumber(fields[0], lon) || !parseNumber(fields[1], lat) ||
            !(std::fabs(lat) < 90.0)) {
            out << "Skipped line " << lineNumber << " of " << path
                << ": not a longitude and a latitude\n";
            continue;
        }
        out << "LAT LON " << lon << " " << lat << "\n";
        polygon.addVertex(lon, mapY(lat), lat);
    }
    return true;
}

bool savePolygonFile(const std::string& path, const SurveyPolygon& polygon, std::ostream& out) {
    // Written beside the target and renamed over it at the end, so a failed
    // write (full disk, lost folder) never leaves a half polygon in place of
    // the old file.
    ReplacingFile file(path);
    if (!file.isOpen()) {
        out << "Cannot write polygon file " << path << "\n";
        return false;
    }
    std::fputs("Lon, Lat  \n", file.get());
    if (const PolygonVertex* first = polygon.first()) {
        const PolygonVertex* v = first;
        do {
            const std::string row = fixedSix(v->x) + ", " + fixedSix(v->lat) + " \n";
            std::fputs(row.c_str(), file.get());
            v = v->next;
        } while (v != first);
    }
    if (!file.commit()) {
        out << "Cannot write polygon file " << path << "\n";
        return false;
    }
    return true;
}

}  // namespace tessarin
