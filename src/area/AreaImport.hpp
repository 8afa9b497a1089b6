#pragma once
// Survey areas from GIS files: anything OGR opens as vectors (GeoJSON, KML,
// GeoPackage, a shapefile with its .prj, GML ...). Polygons are counted from
// 1 across the file's layers in the order the file holds them; features that
// are not polygons are passed over. Coordinates are reprojected from the
// file's own CRS to WGS 84 longitude and latitude. Of a multipolygon the
// largest part is taken, holes are dropped, and a ring that crosses the
// 180-degree meridian comes back with its longitudes unwrapped (continuous,
// possibly beyond 180), as the polygon model keeps them.
//
// Nothing here touches the survey polygon: the caller decides what to do
// with a ring that was read whole.

#include <string>
#include <vector>

namespace tessarin {

class SurveyPolygon;

// One polygon feature of a file, for the user to choose from.
struct AreaChoice {
    int number = 0;      // 1-based, the --feature of the command line
    std::string label;   // the feature's name, or its first attributes, and its layer
    int parts = 1;       // polygons of a multipolygon
    int holes = 0;       // interior rings of the part that would be used
    int vertices = 0;    // of that part's outer ring, closing repeat dropped
};

struct AreaListing {
    bool ok = false;
    std::string error;   // why nothing can be imported from the file
    std::vector<AreaChoice> choices;
};

// The file's polygons. ok false (with a one-line reason) for a file OGR does
// not open as vectors, a file without polygons, or a layer without a CRS.
AreaListing listAreas(const std::string& path);

struct ImportedArea {
    bool ok = false;
    std::string error;
    AreaChoice choice;
    std::vector<double> lon;  // degrees, unwrapped along the ring
    std::vector<double> lat;  // degrees
    // What the user should know about the import ("largest of 3 parts
    // used", "2 holes ignored"), one line each.
    std::vector<std::string> notes;
};

// Reads polygon `number` (1-based) of the file.
ImportedArea readArea(const std::string& path, int number);

// Replaces every vertex of polygon with the ring (an ok ImportedArea).
void replacePolygon(SurveyPolygon& polygon, const ImportedArea& area);

}  // namespace tessarin
