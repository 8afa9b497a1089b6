// The text polygon file (header line, then longitude, latitude per line).

#include <cmath>
#include <sstream>

#include "FuzzFiles.hpp"
#include "area/PolygonFile.hpp"
#include "area/SurveyPolygon.hpp"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeFile("area.csv", data, size);
    std::ostringstream out;
    SurveyPolygon polygon(out, 4.0f);
    fuzz::require(readPolygonFile(path, polygon, out), "an existing polygon file opens");
    if (const PolygonVertex* first = polygon.first()) {
        const PolygonVertex* v = first;
        do {
            fuzz::require(std::isfinite(v->x) && std::isfinite(v->y) && std::fabs(v->lat) < 90.0,
                          "vertex is a position");
            fuzz::require(v->next->prev == v, "ring linked both ways");
            v = v->next;
        } while (v != first);
    }
    return 0;
}
