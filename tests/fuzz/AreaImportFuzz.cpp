// Area import from GIS vector files. The first byte picks the format the
// rest is read as (GeoJSON, KML or GML, by the file name OGR sees); every
// polygon listed is read, and an imported ring must be a usable survey
// polygon.

#include <cmath>
#include <string>

#include "FuzzFiles.hpp"
#include "area/AreaImport.hpp"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const names[] = {"area.geojson", "area.kml", "area.gml"};
    const std::string name = names[data[0] % 3];
    const std::string path = fuzz::writeFile(name, data + 1, size - 1);
    const AreaListing listing = listAreas(path);
    fuzz::require(listing.ok || !listing.error.empty(), "a refused file says why");
    for (std::size_t n = 1; listing.ok && n <= listing.choices.size() && n <= 4; ++n) {
        const ImportedArea area = readArea(path, static_cast<int>(n));
        fuzz::require(area.ok || !area.error.empty(), "a refused polygon says why");
        if (!area.ok) continue;
        fuzz::require(area.lon.size() == area.lat.size() && area.lon.size() >= 3, "a ring of three vertices or more");
        for (std::size_t i = 0; i < area.lon.size(); ++i) {
            fuzz::require(std::isfinite(area.lon[i]) && std::fabs(area.lat[i]) <= 90.0, "vertex is a position");
            if (i > 0) fuzz::require(std::fabs(area.lon[i] - area.lon[i - 1]) <= 180.0, "ring unwrapped");
        }
    }
    fuzz::removeFile(name);
    return 0;
}
