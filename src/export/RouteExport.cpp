#include "export/RouteExport.hpp"

#include <tinyxml2.h>

#include <cmath>
#include <cstdio>

#include "export/AntimeridianSplit.hpp"
#include "export/IsoTime.hpp"
#include "plan/ReplacingFile.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

constexpr const char* kRtzNamespace = "http://www.cirm.org/RTZ/1/0";
constexpr const char* kGpxNamespace = "http://www.topografix.com/GPX/1/1";

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Six decimals is about 0.1 m: finer than any position the plan holds.
std::string degrees(double value) { return fixed(value, 6); }

ExportResult failure(const std::string& message) { return {false, message}; }

ExportResult saveDocument(tinyxml2::XMLDocument& doc, const std::string& path, const std::string& what) {
    ReplacingFile file(path);
    if (!file.isOpen()) return failure("Cannot create " + path);
    if (doc.SaveFile(file.get(), false) != tinyxml2::XML_SUCCESS || !file.commit())
        return failure("Failed to write " + path);
    return {true, what + " written to " + path};
}

}  // namespace

std::string routeWaypointName(int number) {
    char text[24];
    std::snprintf(text, sizeof text, "WP %03d", number);
    return text;
}

std::string routeNameOf(const std::string& path) {
    const std::size_t sep = path.find_last_of("/\\");
    std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::vector<RouteStop> routeStops(const SurveyPlan& plan) {
    std::vector<RouteStop> stops;
    double eta = 0.0;
    int n = 1;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++n) {
        RouteStop s;
        s.number = n;
        s.name = routeWaypointName(n);
        s.lat = w->lat;
        // Rounded before wrapping, so that 179.9999999 cannot be printed as
        // 180.000000, outside the formats' longitude range.
        s.lon = wrapLongitude(std::round(w->lon * 1.0e6) / 1.0e6);
        s.etaHours = eta;
        if (w->next) {
            s.legSpeedKnots = w->speed;
            s.legNm = w->lengthNm;
            eta += w->speed > 0.0f ? s.legNm / static_cast<double>(w->speed) : INFINITY;
        }
        stops.push_back(std::move(s));
    }
    return stops;
}

ExportResult exportRouteRtz(const SurveyPlan& plan, const std::string& path, std::time_t departUtc) {
    const std::vector<RouteStop> stops = routeStops(plan);
    // The route exchange format wants two waypoints at least.
    if (stops.size() < 2) return failure("A route needs at least two waypoints");
    for (std::size_t i = 0; i + 1 < stops.size(); ++i)
        if (!(stops[i].legSpeedKnots > 0.0f))
            return failure("Leg " + std::to_string(i + 1) + " has no speed: no arrival time can be given");

    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration());
    tinyxml2::XMLElement* route = doc.NewElement("route");
    doc.InsertEndChild(route);
    route->SetAttribute("xmlns", kRtzNamespace);
    route->SetAttribute("version", "1.0");

    tinyxml2::XMLElement* info = route->InsertNewChildElement("routeInfo");
    info->SetAttribute("routeName", routeNameOf(path).c_str());

    tinyxml2::XMLElement* waypoints = route->InsertNewChildElement("waypoints");
    for (std::size_t i = 0; i < stops.size(); ++i) {
        const RouteStop& s = stops[i];
        tinyxml2::XMLElement* wp = waypoints->InsertNewChildElement("waypoint");
        wp->SetAttribute("id", s.number);
        wp->SetAttribute("name", s.name.c_str());
        tinyxml2::XMLElement* pos = wp->InsertNewChildElement("position");
        pos->SetAttribute("lat", degrees(s.lat).c_str());
        pos->SetAttribute("lon", degrees(s.lon).c_str());
        if (i > 0) {
            // Plan legs are straight lines on the Mercator map: rhumb lines.
            tinyxml2::XMLElement* leg = wp->InsertNewChildElement("leg");
            leg->SetAttribute("geometryType", "Loxodrome");
            leg->SetAttribute("speedMax", fixed(stops[i - 1].legSpeedKnots, 2).c_str());
        }
    }

    tinyxml2::XMLElement* schedule = route->InsertNewChildElement("schedules")->InsertNewChildElement("schedule");
    schedule->SetAttribute("id", 1);
    schedule->SetAttribute("name", "Planned");
    tinyxml2::XMLElement* calculated = schedule->InsertNewChildElement("calculated");
    for (const RouteStop& s : stops) {
        // The 1.0 schema spells this element without the 'c' (corrected in
        // 1.1); readers of 1.0 files validate against that spelling.
        tinyxml2::XMLElement* e = calculated->InsertNewChildElement("sheduleElement");
        e->SetAttribute("waypointId", s.number);
        const std::string eta = formatIsoUtc(departUtc + static_cast<std::time_t>(std::llround(s.etaHours * 3600.0)));
        e->SetAttribute("eta", eta.c_str());
        if (s.number < static_cast<int>(stops.size())) {
            e->SetAttribute("etd", eta.c_str());
            e->SetAttribute("speed", fixed(s.legSpeedKnots, 2).c_str());
        }
    }
    return saveDocument(doc, path, "RTZ route");
}

ExportResult exportRouteGpx(const SurveyPlan& plan, const std::string& path) {
    const std::vector<RouteStop> stops = routeStops(plan);
    if (stops.size() < 2) return failure("A route needs at least two waypoints");

    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration());
    tinyxml2::XMLElement* gpx = doc.NewElement("gpx");
    doc.InsertEndChild(gpx);
    gpx->SetAttribute("version", "1.1");
    gpx->SetAttribute("creator", "Tessarin");
    gpx->SetAttribute("xmlns", kGpxNamespace);
    tinyxml2::XMLElement* rte = gpx->InsertNewChildElement("rte");
    rte->InsertNewChildElement("name")->SetText(routeNameOf(path).c_str());
    for (const RouteStop& s : stops) {
        tinyxml2::XMLElement* pt = rte->InsertNewChildElement("rtept");
        pt->SetAttribute("lat", degrees(s.lat).c_str());
        pt->SetAttribute("lon", degrees(s.lon).c_str());
        pt->InsertNewChildElement("name")->SetText(s.name.c_str());
    }
    return saveDocument(doc, path, "GPX route");
}

}  // namespace tessarin
