#include "SampleInputs.hpp"

#include <shapefil.h>

#include <cstdio>

namespace tessarin::worldgen {

const char* const kShapefileBase = "USGS_abyssal_nodule_ROI_26AUG22";

const std::vector<std::string>& sampleFileNames() {
    static const std::vector<std::string> names = {"config.txt", "EMdefault.txt", "Area_1.csv", "Area_2.csv",
                                                   "Area_3.csv"};
    return names;
}

const std::vector<ShapeRing>& shapefileRings() {
    // The second shape is the one the planner turns into its polygon: the
    // nodule province between the Clarion and Clipperton fracture zones.
    static const std::vector<ShapeRing> rings = {
        {"Reserve west", {{-150.0, 18.0}, {-147.0, 18.0}, {-147.0, 21.0}, {-150.0, 21.0}}},
        {"Nodule province",
         {{-157.5, 8.5}, {-153.0, 5.0}, {-117.0, 10.5}, {-114.5, 15.0}, {-117.0, 18.5}, {-154.0, 12.5}}},
        {"Reserve east", {{-121.0, 20.0}, {-118.5, 20.0}, {-118.5, 22.5}, {-121.0, 22.5}}},
    };
    return rings;
}

bool writeShapefile(const std::string& basePath, std::string& error) {
    SHPHandle shp = SHPCreate(basePath.c_str(), SHPT_POLYGON);
    if (!shp) {
        error = "cannot create " + basePath + ".shp";
        return false;
    }
    DBFHandle dbf = DBFCreate(basePath.c_str());
    if (!dbf) {
        SHPClose(shp);
        error = "cannot create " + basePath + ".dbf";
        return false;
    }
    const int nameField = DBFAddField(dbf, "NAME", FTString, 40, 0);
    const int idField = DBFAddField(dbf, "ID", FTInteger, 6, 0);
    bool ok = nameField >= 0 && idField >= 0;
    int id = 0;
    for (const ShapeRing& ring : shapefileRings()) {
        if (!ok) break;
        std::vector<double> x, y;
        double area2 = 0.0;
        for (std::size_t i = 0; i < ring.lonLat.size(); ++i) {
            const auto& a = ring.lonLat[i];
            const auto& b = ring.lonLat[(i + 1) % ring.lonLat.size()];
            area2 += a.first * b.second - b.first * a.second;
        }
        // Outer rings run clockwise in a shapefile: reverse counter-clockwise ones.
        std::vector<std::pair<double, double>> points = ring.lonLat;
        if (area2 > 0.0) points.assign(ring.lonLat.rbegin(), ring.lonLat.rend());
        points.push_back(points.front());
        for (const auto& p : points) {
            x.push_back(p.first * 100000.0);
            y.push_back(p.second * 100000.0);
        }
        SHPObject* object = SHPCreateSimpleObject(SHPT_POLYGON, static_cast<int>(x.size()), x.data(), y.data(), nullptr);
        ok = object && SHPWriteObject(shp, -1, object) >= 0;
        if (object) SHPDestroyObject(object);
        ok = ok && DBFWriteStringAttribute(dbf, id, nameField, ring.name.c_str()) &&
             DBFWriteIntegerAttribute(dbf, id, idField, id + 1);
        ++id;
    }
    SHPClose(shp);
    DBFClose(dbf);
    if (!ok) error = "cannot write the shapes of " + basePath + ".shp";
    return ok;
}

}  // namespace tessarin::worldgen
