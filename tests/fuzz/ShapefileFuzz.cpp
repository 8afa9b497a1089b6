// Shapefile import from a .shp/.shx/.dbf set cut from one input:
//   <shp bytes> [SHX_SEPARATOR <shx bytes> [DBF_SEPARATOR <dbf bytes>]]
// A part the input does not hold is a missing file of the set.

#include <cmath>
#include <sstream>

#include "FuzzFiles.hpp"
#include "area/ShapefileImport.hpp"
#include "area/SurveyPolygon.hpp"

using namespace tessarin;

namespace {

constexpr std::string_view kShxSeparator = "\n--shx--\n";
constexpr std::string_view kDbfSeparator = "\n--dbf--\n";

void writeOrRemove(const std::string& name, bool present, std::string_view bytes) {
    if (present)
        fuzz::writeFile(name, bytes);
    else
        fuzz::removeFile(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view shp, rest, shx, dbf;
    const bool haveShx = fuzz::splitAt(input, kShxSeparator, shp, rest);
    const bool haveDbf = haveShx && fuzz::splitAt(rest, kDbfSeparator, shx, dbf);
    if (haveShx && !haveDbf) shx = rest;
    const std::string path = fuzz::writeFile("area.shp", shp);
    writeOrRemove("area.shx", haveShx, shx);
    writeOrRemove("area.dbf", haveDbf, dbf);

    std::ostringstream out;
    SurveyPolygon polygon(out, 4.0f);
    const bool imported = importShapefile(path, polygon, out);
    if (!imported) fuzz::require(polygon.first() == nullptr, "a refused file adds nothing");
    if (const PolygonVertex* first = polygon.first()) {
        const PolygonVertex* v = first;
        do {
            fuzz::require(std::isfinite(v->x) && std::isfinite(v->y) && std::fabs(v->lat) < 90.0,
                          "vertex is a position");
            v = v->next;
        } while (v != first);
    }
    return 0;
}
