#include "plan/PlanFiles.hpp"

#include <cmath>
#include <cstdio>
#include <fstream>

#include "earth/InputPath.hpp"
#include "plan/ReplacingFile.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

// Whole degrees (truncated) and the remaining fraction of |value|, as the
// route listing prints them: the fraction stays in degrees, not minutes.
void splitDegrees(double value, int& whole, float& fraction) {
    const double a = std::fabs(value);
    if (!(a < 1.0e9)) {  // not a position; keep the conversion defined
        whole = 0;
        fraction = 0.0f;
        return;
    }
    whole = static_cast<int>(a);
    fraction = static_cast<float>(a - whole);
}

// The map-plane y of a lat/lon file's latitude, with the constants those
// files were made with.
double mapYOfLatLonFile(double lat) {
    return 60.0 * std::log(std::tan(lat * 3.14159265358979 / 360.0 + 0.7853981633974475));
}

void replaceCommas(std::string& line) {
    for (char& c : line)
        if (c == ',') c = ' ';
}

void stripLineEnd(std::string& line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
}

bool finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// A waypoint the plan can hold: a latitude short of the poles (which have no
// map-plane y) and a longitude at most twice round the globe, so that sums,
// means and the single-precision marker boxes stay finite. Values beyond are
// not positions but damage (a run of digits, an exponent).
bool isPosition(double lon, double lat) {
    return finite(lon, lat) && std::fabs(lat) < 90.0 && std::fabs(lon) <= 720.0;
}

// Map-plane y; mapY of any latitude short of the poles is far inside this.
bool isMapY(double y) { return std::isfinite(y) && std::fabs(y) < 1.0e4; }

constexpr char kDegreeByte = static_cast<char>(0xC3);

}  // namespace

std::string latLonFileName(const std::string& planPath) {
    const std::size_t sep = planPath.find_last_of("/\\");
    if (sep == std::string::npos) return "LL_" + planPath;
    return planPath.substr(0, sep + 1) + "LL_" + planPath.substr(sep + 1);
}

bool savePlan(SurveyPlan& plan, const std::string& path, float boatSpeed) {
    std::ostream& out = plan.out();
    out << "SPEED " << boatSpeed << "\n";

    // Each file is attempted and reported on its own: a plan file that
    // cannot be made must not cost the user the lat/lon file.
    bool planWritten = false;
    {
        ReplacingFile planFile(path);
        if (!planFile.isOpen()) {
            out << "CANNOT CREATE " << path << "\n";
        } else {
            std::FILE* f = planFile.get();
            std::fprintf(f, "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n");
            for (const Waypoint* w = plan.first(); w; w = w->next) {
                std::fprintf(f, "%8.6f, %8.6f, %8.6f, ", w->marker->x, w->lat, w->marker->y);
                std::fprintf(f, "%8.4f, %8.4f, %8.4f\n", static_cast<double>(w->lengthNm),
                             static_cast<double>(w->lengthNm / boatSpeed), static_cast<double>(w->areaKm2));
            }
            planWritten = planFile.commit();
            if (!planWritten) out << "FAILED TO WRITE " << path << "\n";
        }
    }

    const std::string llName = latLonFileName(path);
    out << "F NAME " << llName << "\n";
    ReplacingFile llFile(llName);
    if (!llFile.isOpen()) {
        out << "CANNOT CREATE " << llName << "\n";
        return false;
    }
    for (const Waypoint* w = plan.first(); w; w = w->next) std::fprintf(llFile.get(), "%8.6f, %8.6f\n", w->lat, w->lon);
    if (!llFile.commit()) {
        out << "FAILED TO WRITE " << llName << "\n";
        return false;
    }
    return planWritten;
}

bool writeRouteFile(SurveyPlan& plan, const std::string& path) {
    std::ostream& out = plan.out();
    ReplacingFile route(path);
    if (!route.isOpen()) {
        out << "CANNOT CREATE " << path << "\n";
        return false;
    }
    std::FILE* f = route.get();
    int n = 1;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++n) {
        int whole = 0;
        float fraction = 0.0f;
        std::fprintf(f, "WP %03d\n", n);
        splitDegrees(w->lat, whole, fraction);
        std::fprintf(f, w->lat < 0.0 ? "Lat  %d%c%5.3fS " : "Lat  %d%c%5.3fN ", whole, kDegreeByte,
                     static_cast<double>(fraction));
        splitDegrees(w->lon, whole, fraction);
        std::fprintf(f, w->lon >= 0.0 ? "Lon  %d%c%5.3fE\n" : "Lon  %d%c%5.3fW\n", whole, kDegreeByte,
                     static_cast<double>(fraction));
        std::fprintf(f, "A%d\n", n);
        std::fprintf(f, "XTE=0.10nm\n");
        std::fprintf(f, ";\n");
    }
    if (!route.commit()) {
        out << "FAILED TO WRITE " << path << "\n";
        return false;
    }
    return true;
}

int loadPlan(SurveyPlan& plan, const std::string& path, float& meanLat, float& meanLon) {
    std::ostream& out = plan.out();
    out << "LOAD PLAN " << path << "\n";
    std::ifstream in(path);
    // Only a file name that starts with "LL_" (the name a save gives the
    // lat/lon file) selects that format; "LL_" inside a folder name or later
    // in the file name (SMALL_AREA.csv) is an ordinary plan file.
    const std::size_t nameStart = path.find_last_of("/\\") + 1;  // 0 without a folder
    const std::size_t llPos = path.compare(nameStart, 3, "LL_") == 0 ? nameStart : std::string::npos;
    out << "LLPOS " << (llPos == std::string::npos ? -1L : static_cast<long>(llPos)) << "\n";
    if (!in || isFolder(path)) {
        out << "CANNOT OPEN " << path << "\n";
        return -1;
    }

    const float speed = plan.boatSpeed();
    const float multiplier = plan.halfMultiplier() * 2.0f;
    double latSum = 0.0;
    double lonSum = 0.0;
    int count = 0;
    std::string line;

    if (llPos != std::string::npos) {
        out << "Load Lat Lon File \n";
        while (std::getline(in, line)) {
            replaceCommas(line);
            double lat = 0.0, lon = 0.0;
            if (std::sscanf(line.c_str(), "%lf %lf", &lat, &lon) != 2 || !isPosition(lon, lat)) continue;
            if (!(lat < 63.9)) continue;
            latSum += lat;
            lonSum += lon;
            plan.addWaypoint(lon, mapYOfLatLonFile(lat), lat, speed, multiplier);
            ++count;
        }
    } else {
        std::getline(in, line);  // header
        while (std::getline(in, line)) {
            stripLineEnd(line);
            replaceCommas(line);
            out << "LINE " << line << "\n";
            double lon = 0.0, lat = 0.0, y = 0.0;
            float length = 0.0f, time = 0.0f, area = 0.0f;
            // The leg columns are recomputed by the swath pass; only the
            // three positions are needed.
            if (std::sscanf(line.c_str(), "%lf %lf %lf %f %f %f", &lon, &lat, &y, &length, &time, &area) < 3 ||
                !isPosition(lon, lat) || !isMapY(y)) {
                continue;
            }
            out << "LAT LON " << count << lon << " " << lat << "\n";
            latSum += lat;
            lonSum += lon;
            plan.addWaypoint(lon, y, lat, speed, multiplier);
            ++count;
        }
    }

    if (count > 0) {
        meanLat = static_cast<float>(latSum / count);
        meanLon = static_cast<float>(lonSum / count);
    }
    return count;
}

}  // namespace tessarin
