#pragma once
// The sample inputs a fresh world folder starts with: the configuration,
// the extinction curve and the three area files (copied from the project's
// data folder) and the nodule-area shapefile (written here, since shapefiles
// are binary).

#include <string>
#include <vector>

namespace tessarin::worldgen {

// Files copied from the data folder into a world folder.
const std::vector<std::string>& sampleFileNames();

// Base name (without extension) of the shapefile.
extern const char* const kShapefileBase;

// A named polygon in degrees, written as one shape.
struct ShapeRing {
    std::string name;
    std::vector<std::pair<double, double>> lonLat;  // open ring (first point not repeated)
};
const std::vector<ShapeRing>& shapefileRings();

// Writes <base>.shp, .shx and .dbf: a polygon shapefile whose coordinates are
// hundred-thousandths of a degree, one shape per ring, outer rings clockwise
// and closed, as the planner's import expects. False with a message in error
// on failure.
bool writeShapefile(const std::string& basePath, std::string& error);

}  // namespace tessarin::worldgen
