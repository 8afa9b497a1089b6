#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "earth/MapProjection.hpp"
#include "export/IsoTime.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/PlanWorld.hpp"
#include "export/RouteExport.hpp"

using tessarin::exportRouteGpx;
using tessarin::exportRouteRtz;
using tessarin::formatIsoUtc;
using tessarin::mapY;
using tessarin::parseIsoUtc;
using tessarin::SurveyPlan;
using tessarin::Waypoint;
using tessarin::test::PlanWorld;
using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

namespace {

// A plan waypoint with its leg figures set by hand (no swath pass): the
// exports must take them as they are.
struct Row {
    double lat;
    double lon;        // as stored in the plan (may be beyond 180)
    double wrapped;    // expected exported longitude
    float speed;       // knots, of the leg leaving the waypoint
    float legNm;
};

const std::vector<Row> kRoute = {
    {-12.345678, 130.5, 130.5, 6.0f, 12.0f},
    {-12.5, 131.25, 131.25, 9.5f, 19.0f},
    {10.1234565, 179.75, 179.75, 4.0f, 2.5f},
    {10.25, 180.5, -179.5, 8.0f, 3.0f},  // past the meridian in the plan
    {60.123456, -3.75, -3.75, 9.0f, 0.0f},
};

void buildRoute(SurveyPlan& plan, const std::vector<Row>& rows) {
    for (const Row& r : rows) plan.addWaypoint(r.lon, mapY(r.lat), r.lat, r.speed, 4.0f);
    std::size_t i = 0;
    for (Waypoint* w = plan.first(); w; w = w->next, ++i) w->lengthNm = rows[i].legNm;
}

// Arrival times in seconds after departure, from the table alone.
std::vector<double> expectedEtaSeconds(const std::vector<Row>& rows) {
    std::vector<double> eta{0.0};
    for (std::size_t i = 0; i + 1 < rows.size(); ++i)
        eta.push_back(eta.back() + 3600.0 * rows[i].legNm / rows[i].speed);
    return eta;
}

double attr(const XMLElement* e, const char* name) {
    const char* v = e->Attribute(name);
    return v ? std::stod(v) : NAN;
}

std::vector<const XMLElement*> children(const XMLElement* parent, const char* name) {
    std::vector<const XMLElement*> out;
    for (const XMLElement* e = parent->FirstChildElement(name); e; e = e->NextSiblingElement(name)) out.push_back(e);
    return out;
}

// The waypoint names of the route listing, from its "WP nnn" lines.
std::vector<std::string> listingNames(const std::string& listing) {
    std::vector<std::string> names;
    std::size_t pos = 0;
    while ((pos = listing.find("WP ", pos)) != std::string::npos) {
        names.push_back(listing.substr(pos, listing.find('\n', pos) - pos));
        pos += 3;
    }
    return names;
}

// What the RTZ 1.0 schema allows for the elements this planner writes: the
// child elements in their sequence order with their occurrence bounds, the
// attributes, and those that are required.
struct ChildRule {
    const char* name;
    int minOccurs;
    int maxOccurs;  // -1 unbounded
};
struct ElementRule {
    std::vector<ChildRule> sequence;
    std::set<std::string> attributes;
    std::set<std::string> required;
};

const std::map<std::string, ElementRule>& rtz10Rules() {
    static const std::map<std::string, ElementRule> rules = {
        {"route",
         {{{"routeInfo", 1, 1}, {"waypoints", 1, 1}, {"schedules", 0, 1}, {"extensions", 0, 1}},
          {"xmlns", "version"},
          {"version"}}},
        {"routeInfo",
         {{{"extensions", 0, 1}},
          {"routeName", "routeAuthor", "routeStatus", "validityPeriodStart", "validityPeriodStop", "vesselName",
           "vesselMMSI", "vesselIMO", "vesselVoyage", "vesselDisplacement", "vesselCargo", "vesselGM",
           "optimizationMethod", "vesselMaxRoll", "vesselMaxWave", "vesselMaxWind", "vesselSpeedMax",
           "vesselServiceMin", "vesselServiceMax", "routeChangesHistory"},
          {"routeName"}}},
        {"waypoints", {{{"defaultWaypoint", 0, 1}, {"waypoint", 2, -1}, {"extensions", 0, 1}}, {}, {}}},
        {"waypoint",
         {{{"position", 1, 1}, {"leg", 0, 1}, {"extensions", 0, 1}}, {"id", "revision", "name", "radius"}, {"id"}}},
        {"position", {{}, {"lat", "lon"}, {"lat", "lon"}}},
        {"leg",
         {{},
          {"starboardXTD", "portsideXTD", "safetyContour", "safetyDepth", "geometryType", "speedMin", "speedMax",
           "draughtForward", "draughtAft", "staticUKC", "dynamicUKC", "masthead", "legReport", "legInfo", "legNote1",
           "legNote2"},
          {}}},
        {"schedules", {{{"schedule", 0, -1}, {"extensions", 0, 1}}, {}, {}}},
        {"schedule", {{{"manual", 0, 1}, {"calculated", 0, 1}, {"extensions", 0, 1}}, {"id", "name"}, {"id"}}},
        {"calculated", {{{"sheduleElement", 0, -1}, {"extensions", 0, 1}}, {}, {}}},
        {"sheduleElement",
         {{{"extensions", 0, 1}},
          {"waypointId", "etd", "etdWindowBefore", "etdWindowAfter", "eta", "etaWindowBefore", "etaWindowAfter", "stay",
           "speed", "speedWindow", "windSpeed", "windDirection", "currentSpeed", "currentDirection", "windLoss",
           "waveLoss", "totalLoss", "rpm", "pitch", "fuel", "relFuelSave", "absFuelSace", "Note"},
          {"waypointId"}}},
    };
    return rules;
}

bool isDecimal(const char* v) {
    char* end = nullptr;
    std::strtod(v, &end);
    return end != v && *end == '\0' && std::strpbrk(v, "eEnNiI") == nullptr;
}

// Checks e and its descendants against the rules; every failure is reported.
void checkAgainstRtz10(const XMLElement* e, const std::string& where) {
    const auto& rules = rtz10Rules();
    const auto rule = rules.find(e->Name());
    ASSERT_NE(rule, rules.end()) << where << ": element " << e->Name() << " is not one the schema has here";
    std::set<std::string> seen;
    for (const tinyxml2::XMLAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
        EXPECT_TRUE(rule->second.attributes.count(a->Name())) << where << ": attribute " << a->Name();
        seen.insert(a->Name());
    }
    for (const std::string& r : rule->second.required) EXPECT_TRUE(seen.count(r)) << where << ": missing " << r;

    // Children must follow the sequence, each within its bounds.
    const XMLElement* c = e->FirstChildElement();
    for (const ChildRule& cr : rule->second.sequence) {
        int n = 0;
        for (; c && std::strcmp(c->Name(), cr.name) == 0; c = c->NextSiblingElement(), ++n)
            checkAgainstRtz10(c, where + "/" + cr.name + "[" + std::to_string(n + 1) + "]");
        EXPECT_GE(n, cr.minOccurs) << where << ": too few " << cr.name;
        if (cr.maxOccurs >= 0) {
            EXPECT_LE(n, cr.maxOccurs) << where << ": too many " << cr.name;
        }
    }
    EXPECT_EQ(c, nullptr) << where << ": unexpected or misplaced " << (c ? c->Name() : "");

    // Value types of the attributes written.
    if (std::strcmp(e->Name(), "position") == 0) {
        EXPECT_TRUE(isDecimal(e->Attribute("lat")) && isDecimal(e->Attribute("lon"))) << where;
        EXPECT_TRUE(attr(e, "lat") >= -90.0 && attr(e, "lat") <= 90.0) << where;
        EXPECT_TRUE(attr(e, "lon") >= -180.0 && attr(e, "lon") < 180.0) << where;
    }
    for (const char* speed : {"speedMax", "speedMin", "speed"})
        if (const char* v = e->Attribute(speed)) {
            EXPECT_TRUE(isDecimal(v) && std::stod(v) >= 0.0) << where;
        }
    if (const char* g = e->Attribute("geometryType")) {
        EXPECT_TRUE(std::strcmp(g, "Loxodrome") == 0 || std::strcmp(g, "Orthodrome") == 0) << where;
    }
    for (const char* t : {"eta", "etd"}) {
        std::time_t parsed = 0;
        if (const char* v = e->Attribute(t)) {
            EXPECT_TRUE(parseIsoUtc(v, parsed)) << where << ": " << v;
        }
    }
}

}  // namespace

TEST(RouteExport, RtzParsesBackFieldByField) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    buildRoute(plan, kRoute);
    std::time_t depart = 0;
    ASSERT_TRUE(parseIsoUtc("2026-12-08T06:00:00Z", depart));
    const std::string path = world.dir.file("leg7.rtz");
    const tessarin::ExportResult result = exportRouteRtz(plan, path, depart);
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_TRUE(writeRouteFile(plan, world.dir.file("leg7.cvt")));
    const std::vector<std::string> names = listingNames(world.dir.read("leg7.cvt"));

    XMLDocument doc;
    ASSERT_EQ(doc.LoadFile(path.c_str()), tinyxml2::XML_SUCCESS);
    const XMLElement* route = doc.RootElement();
    EXPECT_STREQ(route->Attribute("xmlns"), "http://www.cirm.org/RTZ/1/0");
    EXPECT_STREQ(route->Attribute("version"), "1.0");
    EXPECT_STREQ(route->FirstChildElement("routeInfo")->Attribute("routeName"), "leg7");

    const auto waypoints = children(route->FirstChildElement("waypoints"), "waypoint");
    ASSERT_EQ(waypoints.size(), kRoute.size());
    ASSERT_EQ(names.size(), kRoute.size());
    for (std::size_t i = 0; i < kRoute.size(); ++i) {
        SCOPED_TRACE("waypoint " + std::to_string(i + 1));
        const XMLElement* w = waypoints[i];
        EXPECT_EQ(w->IntAttribute("id"), static_cast<int>(i + 1));
        EXPECT_EQ(w->Attribute("name"), names[i]);
        const XMLElement* pos = w->FirstChildElement("position");
        EXPECT_NEAR(attr(pos, "lat"), kRoute[i].lat, 1e-6);
        EXPECT_NEAR(attr(pos, "lon"), kRoute[i].wrapped, 1e-6);
        const XMLElement* leg = w->FirstChildElement("leg");
        if (i == 0) {
            EXPECT_EQ(leg, nullptr);  // nothing arrives at the first waypoint
        } else {
            ASSERT_NE(leg, nullptr);
            EXPECT_NEAR(attr(leg, "speedMax"), kRoute[i - 1].speed, 1e-3);
        }
    }

    const XMLElement* calculated =
        route->FirstChildElement("schedules")->FirstChildElement("schedule")->FirstChildElement("calculated");
    const auto elements = children(calculated, "sheduleElement");
    const std::vector<double> eta = expectedEtaSeconds(kRoute);
    ASSERT_EQ(elements.size(), kRoute.size());
    for (std::size_t i = 0; i < elements.size(); ++i) {
        SCOPED_TRACE("schedule element " + std::to_string(i + 1));
        EXPECT_EQ(elements[i]->IntAttribute("waypointId"), static_cast<int>(i + 1));
        std::time_t t = 0;
        ASSERT_TRUE(parseIsoUtc(elements[i]->Attribute("eta"), t));
        EXPECT_NEAR(static_cast<double>(t - depart), eta[i], 1.0);
        if (i + 1 < elements.size()) {
            EXPECT_NEAR(attr(elements[i], "speed"), kRoute[i].speed, 1e-3);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(RouteExport, RtzFollowsTheVersion10Structure) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    buildRoute(plan, kRoute);
    // A name that needs escaping must stay an attribute value.
    const std::string path = world.dir.file("A&B <north>.rtz");
    ASSERT_TRUE(exportRouteRtz(plan, path, 1765000000).ok);
    XMLDocument doc;
    ASSERT_EQ(doc.LoadFile(path.c_str()), tinyxml2::XML_SUCCESS);
    EXPECT_STREQ(doc.RootElement()->Name(), "route");
    EXPECT_STREQ(doc.RootElement()->FirstChildElement("routeInfo")->Attribute("routeName"), "A&B <north>");
    checkAgainstRtz10(doc.RootElement(), "route");
}

TEST(RouteExport, GpxParsesBack) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    buildRoute(plan, kRoute);
    const std::string path = world.dir.file("leg7.gpx");
    ASSERT_TRUE(exportRouteGpx(plan, path).ok);
    XMLDocument doc;
    ASSERT_EQ(doc.LoadFile(path.c_str()), tinyxml2::XML_SUCCESS);
    const XMLElement* gpx = doc.RootElement();
    EXPECT_STREQ(gpx->Name(), "gpx");
    EXPECT_STREQ(gpx->Attribute("version"), "1.1");
    EXPECT_STREQ(gpx->Attribute("xmlns"), "http://www.topografix.com/GPX/1/1");
    ASSERT_EQ(children(gpx, "rte").size(), 1u);
    const XMLElement* rte = gpx->FirstChildElement("rte");
    EXPECT_STREQ(rte->FirstChildElement("name")->GetText(), "leg7");
    const auto points = children(rte, "rtept");
    ASSERT_EQ(points.size(), kRoute.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(attr(points[i], "lat"), kRoute[i].lat, 1e-6) << i;
        EXPECT_NEAR(attr(points[i], "lon"), kRoute[i].wrapped, 1e-6) << i;
        EXPECT_EQ(points[i]->FirstChildElement("name")->GetText(), tessarin::routeWaypointName(static_cast<int>(i + 1)));
    }
}

// An export that cannot be made says why and leaves an earlier file whole.
TEST(RouteExport, RefusalsKeepTheEarlierFile) {
    struct Case {
        const char* what;
        std::vector<Row> rows;
        const char* file;  // inside the temporary folder
        bool rtz;
        const char* messageStart;
    };
    const std::vector<Case> cases = {
        {"one waypoint, rtz", {kRoute[0]}, "r.rtz", true, "A route needs at least two"},
        {"one waypoint, gpx", {kRoute[0]}, "r.gpx", false, "A route needs at least two"},
        {"leg without speed", {{1.0, 1.0, 1.0, 0.0f, 3.0f}, {1.1, 1.0, 1.0, 5.0f, 0.0f}}, "r.rtz", true, "Leg 1 has no"},
        {"missing folder", kRoute, "no/such/folder/r.rtz", true, "Cannot create"},
        {"missing folder, gpx", kRoute, "no/such/folder/r.gpx", false, "Cannot create"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlanWorld world;
        SurveyPlan& plan = world.build();
        buildRoute(plan, c.rows);
        const std::string path = world.dir.file(c.file);
        const bool folderExists = std::filesystem::exists(std::filesystem::path(path).parent_path());
        if (folderExists) world.dir.write(c.file, "earlier");
        const tessarin::ExportResult r = c.rtz ? exportRouteRtz(plan, path, 0) : exportRouteGpx(plan, path);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message.rfind(c.messageStart, 0), 0u) << r.message;
        if (folderExists) {
            EXPECT_EQ(world.dir.read(c.file), "earlier");
        }
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    }
}

TEST(IsoTime, ParseAndFormat) {
    struct Case {
        const char* text;
        bool ok;
        long long epoch;  // seconds since 1970 when ok
    };
    const std::vector<Case> cases = {
        {"1970-01-01T00:00:00Z", true, 0},
        {"2026-12-08T18:20:05Z", true, 1796754005},
        {"2026-12-08T18:20Z", true, 1796754000},
        {"2026-12-08T18:20:05", true, 1796754005},
        {"2026-12-08T20:20:05+02:00", true, 1796754005},
        {"2026-12-08T17:50:05-00:30", true, 1796754005},
        {"2024-02-29T12:00:00Z", true, 1709208000},
        {"2023-02-29T12:00:00Z", false, 0},
        {"2026-13-01T00:00:00Z", false, 0},
        {"2026-12-08T24:00:00Z", false, 0},
        {"2026-12-08T18:60:00Z", false, 0},
        {"2026-12-08 18:20:05Z", false, 0},
        {"2026-12-08T18:20:05Zjunk", false, 0},
        {"2026-12-08", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        std::time_t t = 42;
        EXPECT_EQ(parseIsoUtc(c.text, t), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(static_cast<long long>(t), c.epoch) << c.text;
            std::time_t back = 0;
            EXPECT_TRUE(parseIsoUtc(formatIsoUtc(t), back));
            EXPECT_EQ(back, t) << formatIsoUtc(t);
        } else {
            EXPECT_EQ(t, 42) << c.text;
        }
    }
    EXPECT_EQ(formatIsoUtc(1796754005), "2026-12-08T18:20:05Z");
}
