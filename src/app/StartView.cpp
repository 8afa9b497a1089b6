#include "app/StartView.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/AppState.hpp"
#include "earth/MapProjection.hpp"

namespace tessarin {

namespace {

// The map plane grows without bound towards the poles; the planner's tiles
// and tables stop well before this.
constexpr double kMaxLat = 85.0;
constexpr double kMaxLon = 540.0;
constexpr double kMaxZoom = 100000.0;

bool readValue(const char* text, double& value) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

}  // namespace

bool takeStartView(int& argc, char** argv, StartView& view, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--view") != 0) continue;
        const char* usage = "--view needs LON LAT ZOOM: longitude and latitude in degrees and a zoom above 0";
        if (i + 3 >= argc) {
            error = usage;
            return false;
        }
        double lon = 0.0, lat = 0.0, zoom = 0.0;
        if (!readValue(argv[i + 1], lon) || !readValue(argv[i + 2], lat) || !readValue(argv[i + 3], zoom)) {
            error = usage;
            return false;
        }
        if (std::fabs(lon) > kMaxLon || std::fabs(lat) >= kMaxLat || zoom <= 0.0 || zoom > kMaxZoom) {
            error = "--view out of range: longitude within +-540, latitude within +-85, zoom above 0 and up to "
                    "100000";
            return false;
        }
        view.given = true;
        view.lon = static_cast<float>(lon);
        view.lat = static_cast<float>(lat);
        view.zoom = static_cast<float>(zoom);
        for (int j = i; j + 4 <= argc; ++j) argv[j] = argv[j + 4];
        argc -= 4;
        --i;
    }
    return true;
}

void applyStartView(const StartView& view, AppState& app) {
    if (!view.given) return;
    app.viewCentreLon = view.lon;
    app.viewCentreY = static_cast<float>(mapY(view.lat));
    app.zoom = view.zoom;
    app.panStartLon = app.viewCentreLon;
    app.panStartY = app.viewCentreY;
}

}  // namespace tessarin
