#include "area/AreaImport.hpp"

#include <cpl_error.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <memory>
#include <mutex>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"

namespace tessarin {

namespace {

struct DatasetCloser {
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

struct TransformDeleter {
    void operator()(OGRCoordinateTransformation* t) const { OGRCoordinateTransformation::DestroyCT(t); }
};
using Transform = std::unique_ptr<OGRCoordinateTransformation, TransformDeleter>;

// GDAL prints its own errors on standard error; the import says what went
// wrong in its own words instead.
class QuietGdal {
public:
    QuietGdal() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

Dataset openVectors(const std::string& path, std::string& error) {
    registerDrivers();
    Dataset ds(static_cast<GDALDataset*>(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!ds) error = "Cannot read " + path + " as a GIS vector file";
    return ds;
}

bool isPolygonal(const OGRGeometry* g) {
    if (!g) return false;
    const OGRwkbGeometryType t = wkbFlatten(g->getGeometryType());
    return t == wkbPolygon || t == wkbMultiPolygon || t == wkbCurvePolygon || t == wkbMultiSurface;
}

// The polygon parts of a polygonal geometry, curves made linear.
std::vector<std::unique_ptr<OGRPolygon>> polygonParts(const OGRGeometry& g) {
    std::vector<std::unique_ptr<OGRPolygon>> parts;
    std::unique_ptr<OGRGeometry> linear(g.getLinearGeometry());
    if (!linear) return parts;
    const OGRwkbGeometryType t = wkbFlatten(linear->getGeometryType());
    if (t == wkbPolygon) {
        parts.emplace_back(linear.release()->toPolygon());
    } else if (t == wkbMultiPolygon) {
        for (const OGRPolygon* p : *linear->toMultiPolygon()) parts.emplace_back(p->clone());
    }
    return parts;
}

std::size_t largestPart(const std::vector<std::unique_ptr<OGRPolygon>>& parts) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (parts[i]->get_Area() > parts[best]->get_Area()) best = i;
    return best;
}

int outerVertexCount(const OGRPolygon& p) {
    const OGRLinearRing* ring = p.getExteriorRing();
    if (!ring) return 0;
    int n = ring->getNumPoints();
    if (n > 1 && ring->getX(0) == ring->getX(n - 1) && ring->getY(0) == ring->getY(n - 1)) --n;
    return n;
}

std::string labelOf(OGRFeature& f, const std::string& layer) {
    std::string label;
    for (const char* key : {"name", "Name", "NAME"}) {
        const int i = f.GetFieldIndex(key);
        if (i >= 0 && f.IsFieldSetAndNotNull(i) && *f.GetFieldAsString(i)) {
            label = f.GetFieldAsString(i);
            break;
        }
    }
    // Without a name, the first two attributes as an attribute table shows them.
    const OGRFeatureDefn* defn = f.GetDefnRef();
    const bool named = !label.empty();
    for (int i = 0, shown = 0; !named && i < defn->GetFieldCount() && shown < 2; ++i) {
        if (!f.IsFieldSetAndNotNull(i)) continue;
        if (shown++ > 0) label += ", ";
        label += std::string(defn->GetFieldDefn(i)->GetNameRef()) + "=" + f.GetFieldAsString(i);
    }
    if (label.empty()) label = "feature " + std::to_string(f.GetFID());
    if (label.size() > 60) label = label.substr(0, 57) + "...";
    return label + " (" + layer + ")";
}

struct CrsReleaser {
    void operator()(OGRSpatialReference* s) const { s->Release(); }
};

struct Found {
    AreaChoice choice;
    std::unique_ptr<OGRPolygon> part;  // the part to use, in the file's CRS
    std::unique_ptr<OGRSpatialReference, CrsReleaser> crs;
};

// Walks the file's polygons in order; stops at `want` (0: walks them all)
// and fills found with it.
bool walkPolygons(GDALDataset& ds, int want, std::vector<AreaChoice>& choices, Found& found, std::string& error) {
    int number = 0;
    for (OGRLayer* layer : ds.GetLayers()) {
        layer->ResetReading();
        for (auto& feature : *layer) {
            const OGRGeometry* g = feature->GetGeometryRef();
            if (!isPolygonal(g)) continue;
            std::vector<std::unique_ptr<OGRPolygon>> parts = polygonParts(*g);
            if (parts.empty()) continue;
            ++number;
            const std::size_t best = largestPart(parts);
            AreaChoice c;
            c.number = number;
            c.label = labelOf(*feature, layer->GetName());
            c.parts = static_cast<int>(parts.size());
            c.holes = parts[best]->getNumInteriorRings();
            c.vertices = outerVertexCount(*parts[best]);
            choices.push_back(c);
            if (number == want) {
                found.choice = c;
                found.part = std::move(parts[best]);
                const OGRSpatialReference* crs = g->getSpatialReference() ? g->getSpatialReference() : layer->GetSpatialRef();
                if (crs) found.crs.reset(crs->Clone());
                return true;
            }
        }
    }
    if (number == 0) error = std::string("No polygon in ") + ds.GetDescription();
    return false;
}

}  // namespace

AreaListing listAreas(const std::string& path) {
    QuietGdal quiet;
    AreaListing listing;
    Dataset ds = openVectors(path, listing.error);
    if (!ds) return listing;
    Found unused;
    walkPolygons(*ds, 0, listing.choices, unused, listing.error);
    listing.ok = !listing.choices.empty();
    return listing;
}

ImportedArea readArea(const std::string& path, int number) {
    QuietGdal quiet;
    ImportedArea area;
    Dataset ds = openVectors(path, area.error);
    if (!ds) return area;
    std::vector<AreaChoice> choices;
    Found found;
    if (!walkPolygons(*ds, number, choices, found, area.error)) {
        if (area.error.empty())
            area.error = "There is no polygon " + std::to_string(number) + " in " + path + " (it holds " +
                         std::to_string(choices.size()) + ")";
        return area;
    }
    area.choice = found.choice;
    if (!found.crs) {
        area.error = "The coordinate reference system of " + path + " is unknown (a shapefile needs its .prj)";
        return area;
    }
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference source(*found.crs);
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    Transform toWgs84(OGRCreateCoordinateTransformation(&source, &wgs84));
    if (!toWgs84) {
        const char* name = source.GetName();
        area.error = std::string("No transformation from the file's coordinate reference system (") +
                     (name ? name : "unnamed") + ") to WGS 84";
        return area;
    }

    const OGRLinearRing* ring = found.part->getExteriorRing();
    const int n = area.choice.vertices;
    std::vector<double> x(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        x[static_cast<std::size_t>(i)] = ring->getX(i);
        y[static_cast<std::size_t>(i)] = ring->getY(i);
    }
    if (n > 0 && !toWgs84->Transform(n, x.data(), y.data())) {
        area.error = "The polygon's coordinates do not transform to WGS 84";
        return area;
    }
    for (int i = 0; i < n; ++i) {
        const double lon = x[static_cast<std::size_t>(i)], lat = y[static_cast<std::size_t>(i)];
        if (!std::isfinite(lon) || !std::isfinite(lat) || std::fabs(lat) > 90.0 || std::fabs(lon) > 540.0) {
            area.error = "Vertex " + std::to_string(i + 1) + " lies off the globe; is the file's CRS right?";
            return area;
        }
        // Each step takes the shorter way round, so a ring across 180 stays
        // one continuous ring.
        double unwrapped = lon;
        if (!area.lon.empty()) unwrapped = area.lon.back() + std::remainder(lon - area.lon.back(), 360.0);
        else unwrapped = lon - 360.0 * std::floor((lon + 180.0) / 360.0);
        if (!area.lon.empty() && unwrapped == area.lon.back() && lat == area.lat.back()) continue;
        area.lon.push_back(unwrapped);
        area.lat.push_back(lat);
    }
    if (area.lon.size() > 1 && area.lon.back() == area.lon.front() && area.lat.back() == area.lat.front()) {
        area.lon.pop_back();
        area.lat.pop_back();
    }
    double twiceArea = 0.0;
    for (std::size_t i = 0; i < area.lon.size(); ++i) {
        const std::size_t j = (i + 1) % area.lon.size();
        twiceArea += area.lon[i] * area.lat[j] - area.lon[j] * area.lat[i];
    }
    const char* fault = area.lon.size() < 3 ? " has fewer than three vertices"
                        : !(std::fabs(twiceArea) > 1e-12) ? " encloses no area"
                                                          : nullptr;
    if (fault) {
        area.error = "Polygon " + std::to_string(number) + " of " + path + fault;
        area.lon.clear();
        area.lat.clear();
        return area;
    }
    if (area.choice.parts > 1)
        area.notes.push_back("Multipolygon: the largest of its " + std::to_string(area.choice.parts) +
                             " parts is used");
    if (area.choice.holes > 0)
        area.notes.push_back(std::to_string(area.choice.holes) + (area.choice.holes == 1 ? " hole" : " holes") +
                             " ignored: the survey polygon has no holes");
    area.ok = true;
    return area;
}

void replacePolygon(SurveyPolygon& polygon, const ImportedArea& area) {
    polygon.clearPolygon();
    for (std::size_t i = 0; i < area.lon.size(); ++i) polygon.addVertex(area.lon[i], mapY(area.lat[i]), area.lat[i]);
}

}  // namespace tessarin
