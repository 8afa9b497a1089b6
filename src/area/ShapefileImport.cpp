#include "area/ShapefileImport.hpp"

#include <shapefil.h>

#include <cmath>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "earth/InputPath.hpp"
#include "earth/MapProjection.hpp"

namespace tessarin {

namespace {

constexpr double kUnitsToDegrees = 1e-5;
constexpr int kImportedShape = 1;

struct ShapeCloser {
    SHPHandle handle;
    ~ShapeCloser() { SHPClose(handle); }
};

struct ObjectDestroyer {
    SHPObject* object;
    ~ObjectDestroyer() { SHPDestroyObject(object); }
};

// The path of a sibling file of the set (".shx", ".dbf"), named the way
// shapelib names it: the extension after the last dot of the file name is
// replaced.
std::string siblingPath(const std::string& path, const char* extension) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}

struct Position {
    double lon;
    double lat;
};

}  // namespace

bool importShapefile(const std::string& path, SurveyPolygon& polygon, std::ostream& out) {
    SHPHandle handle = isFolder(path) ? nullptr : SHPOpen(path.c_str(), "rb");
    if (!handle) {
        out << "Cannot open shapefile " << path << "\n";
        // The shapes cannot be found without the index: say which file of
        // the set is missing, as the user copied only some of them.
        const std::string shx = siblingPath(path, ".shx");
        if (pathExists(path) && !pathExists(shx) && !pathExists(siblingPath(path, ".SHX")))
            out << "Shapefile " << path << " has no index file " << shx << "\n";
        return false;
    }
    ShapeCloser closer{handle};
    int count = 0;
    int fileType = 0;
    SHPGetInfo(handle, &count, &fileType, nullptr, nullptr);
    out << "Num shapes " << count << "\n";

    // The vertices are collected first and added only when the whole file
    // read cleanly, so a damaged file never leaves part of a ring behind.
    std::vector<Position> ring;
    if (fileType == SHPT_POLYGON) out << "Polygon\n";
    if (fileType == SHPT_ARC) out << "SHPT_ARC\n";
    if (fileType == SHPT_POLYGON || fileType == SHPT_ARC || fileType == SHPT_POINT) {
        for (int i = 0; i < count; ++i) {
            SHPObject* shape = SHPReadObject(handle, i);
            if (!shape) {
                out << "Shapefile " << path << " is damaged: shape " << i << " cannot be read\n";
                return false;
            }
            ObjectDestroyer destroyer{shape};
            if (fileType == SHPT_POLYGON && shape->nSHPType == SHPT_POLYGON) {
                out << "SHAPEFILE Num verts " << shape->nVertices << "\n";
                for (int j = 0; j < shape->nVertices; ++j) {
                    const double lat = shape->padfY[j] * kUnitsToDegrees;
                    const double lon = shape->padfX[j] * kUnitsToDegrees;
                    if (i != kImportedShape) continue;
                    if (j % 5 == 0) out << "Lat Lon " << lat << " " << lon << "\n";
                    // |lat| >= 90 has no map-plane y; such a file is not in
                    // the units this import reads.
                    if (!(std::fabs(lat) < 90.0) || !std::isfinite(lon)) {
                        out << "Shapefile " << path << ": vertex " << j << " of shape " << i
                            << " is not a position\n";
                        return false;
                    }
                    ring.push_back({lon, lat});
                }
            } else if (fileType == SHPT_ARC && shape->nSHPType == SHPT_ARC) {
                out << "SHAPEFILE Num verts " << shape->nVertices << "\n";
                for (int j = 0; j < shape->nVertices; ++j) {
                    out << shape->padfX[j] << " " << shape->padfY[j] << "\n";
                }
            }
        }
    }
    for (const Position& p : ring) polygon.addVertex(p.lon, mapY(p.lat), p.lat);
    return true;
}

}  // namespace tessarin
