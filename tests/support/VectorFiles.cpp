#include "support/VectorFiles.hpp"

#include <gdal_utils.h>
#include <ogrsf_frmts.h>

#include <cstdio>
#include <fstream>

namespace tessarin::test {

std::string ringJson(const std::vector<LonLat>& ring) {
    std::string s = "[";
    char xy[64];
    for (std::size_t i = 0; i <= ring.size() && !ring.empty(); ++i) {
        const LonLat& p = ring[i % ring.size()];
        std::snprintf(xy, sizeof xy, "%s[%.9f, %.9f]", i ? ", " : "", p.lon, p.lat);
        s += xy;
    }
    return s + "]";
}

std::string polygonJson(const std::vector<std::vector<LonLat>>& rings) {
    std::string s = R"({"type": "Polygon", "coordinates": [)";
    for (std::size_t i = 0; i < rings.size(); ++i) s += (i ? ", " : "") + ringJson(rings[i]);
    return s + "]}";
}

std::string featureJson(const std::string& name, const std::string& geometry) {
    return R"({"type": "Feature", "properties": {"name": ")" + name + R"("}, "geometry": )" + geometry + "}";
}

std::string collectionJson(const std::vector<std::string>& features) {
    std::string s = R"({"type": "FeatureCollection", "features": [)";
    for (std::size_t i = 0; i < features.size(); ++i) s += (i ? ", " : "") + features[i];
    return s + "]}";
}

bool translateVectors(const std::string& source, const std::string& dest, std::vector<std::string> args) {
    GDALAllRegister();
    GDALDatasetH src = GDALOpenEx(source.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    if (!src) return false;
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(argv.data(), nullptr);
    int usageError = 0;
    GDALDatasetH out = GDALVectorTranslate(dest.c_str(), nullptr, 1, &src, options, &usageError);
    GDALVectorTranslateOptionsFree(options);
    GDALClose(src);
    if (!out) return false;
    GDALClose(out);
    return true;
}

std::vector<LonLat> readPolygonCsv(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    std::vector<LonLat> v;
    double lon = 0.0, lat = 0.0;
    char comma = 0;
    while (in >> lon >> comma >> lat) v.push_back({lon, lat});
    return v;
}

}  // namespace tessarin::test
