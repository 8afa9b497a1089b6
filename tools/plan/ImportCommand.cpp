#include "ImportCommand.hpp"

#include <cstdlib>
#include <sstream>
#include <string>

#include "area/AreaImport.hpp"
#include "area/PolygonFile.hpp"
#include "area/SurveyPolygon.hpp"

namespace tessarin {

namespace {

const char* const kUsage = "usage: tessarin-plan import AREA --out NAME.csv [--feature N]";

int usage(std::ostream& err, const std::string& why) {
    err << "tessarin-plan import: " << why << "\n" << kUsage << "\n";
    return 2;
}

}  // namespace

int runImport(int argc, char** argv, std::ostream& out, std::ostream& err) {
    std::string area, outPath;
    int feature = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--out" || a == "--feature") && i + 1 >= argc) return usage(err, a + " needs a value");
        if (a == "--out") {
            outPath = argv[++i];
        } else if (a == "--feature") {
            const std::string v = argv[++i];
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || n < 1 || n > 1000000) return usage(err, "--feature takes a number from 1: " + v);
            feature = static_cast<int>(n);
        } else if (a.size() > 1 && a[0] == '-') {
            return usage(err, "unknown option " + a);
        } else if (area.empty()) {
            area = a;
        } else {
            return usage(err, "more than one area file: " + a);
        }
    }
    if (area.empty() || outPath.empty()) return usage(err, "an area file and --out are needed");

    const AreaListing listing = listAreas(area);
    if (!listing.ok) {
        err << listing.error << "\n";
        return 1;
    }
    if (feature == 0) {
        if (listing.choices.size() > 1) {
            out << listing.choices.size() << " polygons in " << area << ":\n";
            for (const AreaChoice& c : listing.choices)
                out << "  " << c.number << "  " << c.label << ", " << c.vertices << " vertices"
                    << (c.parts > 1 ? ", " + std::to_string(c.parts) + " parts" : "")
                    << (c.holes > 0 ? ", " + std::to_string(c.holes) + " holes" : "") << "\n";
            err << "Choose one with --feature N\n";
            return 1;
        }
        feature = 1;
    }
    const ImportedArea imported = readArea(area, feature);
    if (!imported.ok) {
        err << imported.error << "\n";
        return 1;
    }
    std::ostringstream quiet;  // the polygon's own console lines
    SurveyPolygon polygon(quiet, 4.0f);
    replacePolygon(polygon, imported);
    if (!savePolygonFile(outPath, polygon, quiet)) {
        err << "Cannot write " << outPath << "\n";
        return 1;
    }
    err << "Polygon " << imported.choice.label << ": " << imported.lon.size() << " vertices written to " << outPath
        << "\n";
    for (const std::string& note : imported.notes) err << note << "\n";
    return 0;
}

}  // namespace tessarin
