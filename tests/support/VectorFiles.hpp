#pragma once
// GIS vector files for import tests: GeoJSON text for polygons, and GDAL's
// ogr2ogr (as the library call) to turn it into any other format.

#include <string>
#include <vector>

namespace tessarin::test {

struct LonLat {
    double lon;
    double lat;
};

// A closed GeoJSON ring "[[lon, lat], ...]" (first vertex repeated).
std::string ringJson(const std::vector<LonLat>& ring);
// A Polygon geometry from its outer ring and holes.
std::string polygonJson(const std::vector<std::vector<LonLat>>& rings);
// A Feature with a "name" property.
std::string featureJson(const std::string& name, const std::string& geometry);
std::string collectionJson(const std::vector<std::string>& features);

// ogr2ogr args... dest source: false when GDAL refuses.
bool translateVectors(const std::string& source, const std::string& dest, std::vector<std::string> args);

// The vertices of a polygon file (header skipped).
std::vector<LonLat> readPolygonCsv(const std::string& path);

}  // namespace tessarin::test
