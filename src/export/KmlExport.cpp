#include "export/KmlExport.hpp"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "export/RouteExport.hpp"
#include "export/SurveyLines.hpp"
#include "plan/ReplacingFile.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

using Piece = std::vector<PlanePoint>;

constexpr const char* kKmlNamespace = "http://www.opengis.net/kml/2.2";
constexpr const char* kLineStyle = "surveyLine";
constexpr const char* kAreaStyle = "surveyArea";

// KML coordinate tuples "lon,lat" separated by blanks; 8 decimals (about a
// millimetre) so that a file read back gives the plan's own positions.
std::string coordinates(const Piece& points, bool closeRing) {
    std::string text;
    char tuple[64];
    auto add = [&](const PlanePoint& p) {
        // The pieces already lie within -180..180 (a cut piece ends on
        // either edge); rounding must not carry them past it.
        const double lon = std::clamp(std::round(p.x * 1.0e8) / 1.0e8, -180.0, 180.0);
        std::snprintf(tuple, sizeof tuple, "%.8f,%.8f", lon, latitudeFromMapY(p.y));
        if (!text.empty()) text += ' ';
        text += tuple;
    };
    for (const PlanePoint& p : points) add(p);
    if (closeRing && !points.empty()) add(points.front());
    return text;
}

// The geometry of one placemark: the element itself when there is one
// piece, a MultiGeometry of them otherwise.
tinyxml2::XMLElement* geometryParent(tinyxml2::XMLElement* placemark, std::size_t pieces) {
    return pieces > 1 ? placemark->InsertNewChildElement("MultiGeometry") : placemark;
}

void addLineString(tinyxml2::XMLElement* parent, const Piece& piece) {
    tinyxml2::XMLElement* line = parent->InsertNewChildElement("LineString");
    line->InsertNewChildElement("coordinates")->SetText(coordinates(piece, false).c_str());
}

void addPolygon(tinyxml2::XMLElement* parent, const Piece& ring) {
    tinyxml2::XMLElement* ringElement = parent->InsertNewChildElement("Polygon")
                                            ->InsertNewChildElement("outerBoundaryIs")
                                            ->InsertNewChildElement("LinearRing");
    ringElement->InsertNewChildElement("coordinates")->SetText(coordinates(counterClockwise(ring), true).c_str());
}

tinyxml2::XMLElement* addPlacemark(tinyxml2::XMLElement* document, const std::string& name, const char* style) {
    tinyxml2::XMLElement* placemark = document->InsertNewChildElement("Placemark");
    placemark->InsertNewChildElement("name")->SetText(name.c_str());
    placemark->InsertNewChildElement("styleUrl")->SetText((std::string("#") + style).c_str());
    return placemark;
}

void addStyle(tinyxml2::XMLElement* document, const char* id, const char* lineColour, const char* fillColour) {
    tinyxml2::XMLElement* style = document->InsertNewChildElement("Style");
    style->SetAttribute("id", id);
    tinyxml2::XMLElement* line = style->InsertNewChildElement("LineStyle");
    line->InsertNewChildElement("color")->SetText(lineColour);  // aabbggrr
    line->InsertNewChildElement("width")->SetText(2);
    if (fillColour) style->InsertNewChildElement("PolyStyle")->InsertNewChildElement("color")->SetText(fillColour);
}

}  // namespace

ExportResult exportKml(const SurveyPlan& plan, const SurveyPolygon* polygon, const std::string& path) {
    const std::vector<SurveyLine> lines = surveyLines(plan);
    if (lines.empty()) return {false, "A line export needs at least two waypoints"};

    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration());
    tinyxml2::XMLElement* kml = doc.NewElement("kml");
    doc.InsertEndChild(kml);
    kml->SetAttribute("xmlns", kKmlNamespace);
    tinyxml2::XMLElement* document = kml->InsertNewChildElement("Document");
    document->InsertNewChildElement("name")->SetText(routeNameOf(path).c_str());
    addStyle(document, kLineStyle, "ff0000ff", nullptr);
    addStyle(document, kAreaStyle, "ff00ffff", "4000ffff");

    for (const SurveyLine& line : lines) {
        const std::vector<Piece> pieces = splitLine({line.from, line.to});
        tinyxml2::XMLElement* parent = geometryParent(addPlacemark(document, line.name, kLineStyle), pieces.size());
        for (const Piece& piece : pieces) addLineString(parent, piece);
    }
    int placemarks = static_cast<int>(lines.size());
    if (polygon) {
        const std::vector<Piece> parts = splitRing(polygonRing(*polygon));
        if (!parts.empty()) {
            tinyxml2::XMLElement* parent = geometryParent(addPlacemark(document, "Survey polygon", kAreaStyle), parts.size());
            for (const Piece& part : parts) addPolygon(parent, part);
            ++placemarks;
        }
    }

    ReplacingFile file(path);
    if (!file.isOpen()) return {false, "Cannot create " + path};
    if (doc.SaveFile(file.get(), false) != tinyxml2::XML_SUCCESS || !file.commit())
        return {false, "Failed to write " + path};
    return {true, "KML (" + std::to_string(placemarks) + " placemarks) written to " + path};
}

}  // namespace tessarin
