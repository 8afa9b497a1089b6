#pragma once
// tessarin-plan import AREA --out NAME.csv [--feature N]: the polygon of a
// GIS vector file (GeoJSON, KML, GeoPackage, shapefile with .prj, GML ...)
// as a polygon file the planner loads, in WGS 84 degrees. A file with
// several polygons is listed and needs --feature (counting from 1 in the
// order the file holds them).

#include <ostream>

namespace tessarin {

// argv[0] is "import". Writes the outcome to err, the listing of a file with
// several polygons to out. Returns 0 written, 1 nothing imported, 2 wrong
// arguments.
int runImport(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace tessarin
