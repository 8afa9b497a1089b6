// Shapefile sets with a part missing or pointing past their end, and polygon
// or shapefile paths that are folders or unreadable: each is named, nothing
// is added, and the polygon keeps the vertices it had.

#include <gtest/gtest.h>
#include <shapefil.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "area/PolygonFile.hpp"
#include "area/ShapefileImport.hpp"
#include "area/SurveyPolygon.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

using test::TempDir;

// A polygon set: shape 0 a triangle, shape 1 a ring of four vertices at
// lon 1..4 degrees, lat 10 degrees; with a .dbf of one integer field.
void writePolygonSet(const std::string& base) {
    SHPHandle shp = SHPCreate((base + ".shp").c_str(), SHPT_POLYGON);
    ASSERT_NE(shp, nullptr);
    const std::vector<std::vector<double>> xs = {{0, 100000, 0}, {100000, 200000, 300000, 400000}};
    const std::vector<std::vector<double>> ys = {{0, 0, 100000}, {1000000, 1000000, 1000000, 1000000}};
    for (std::size_t i = 0; i < xs.size(); ++i) {
        SHPObject* o = SHPCreateSimpleObject(SHPT_POLYGON, static_cast<int>(xs[i].size()), xs[i].data(),
                                             ys[i].data(), nullptr);
        ASSERT_GE(SHPWriteObject(shp, -1, o), 0);
        SHPDestroyObject(o);
    }
    SHPClose(shp);
    DBFHandle dbf = DBFCreate((base + ".dbf").c_str());
    ASSERT_NE(dbf, nullptr);
    ASSERT_GE(DBFAddField(dbf, "ID", FTInteger, 5, 0), 0);
    for (int i = 0; i < 2; ++i) DBFWriteIntegerAttribute(dbf, i, 0, i);
    DBFClose(dbf);
}

// Sets the .shx record offset of shape k (in 16-bit words, big-endian).
void setIndexOffset(const std::string& shx, int k, std::uint32_t words) {
    std::fstream f(shx, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(100 + 8 * k);
    const char bytes[4] = {static_cast<char>(words >> 24), static_cast<char>(words >> 16),
                           static_cast<char>(words >> 8), static_cast<char>(words)};
    f.write(bytes, 4);
}

int ringSize(const SurveyPolygon& polygon) {
    const PolygonVertex* first = polygon.first();
    if (!first) return 0;
    int n = 0;
    const PolygonVertex* v = first;
    do {
        ++n;
        v = v->next;
    } while (v != first);
    return n;
}

TEST(HostileAreaFiles, ShapefileSetWithAPartMissingOrDamaged) {
    struct Case {
        const char* what;
        std::function<void(const std::string& base)> damage;
        bool imported;
        std::function<std::string(const std::string& base)> message;  // a console line it must hold
    };
    const std::vector<Case> cases = {
        {"no .shx", [](const std::string& b) { std::filesystem::remove(b + ".shx"); }, false,
         [](const std::string& b) { return "Shapefile " + b + ".shp has no index file " + b + ".shx\n"; }},
        // The import reads no attributes: the shapes alone make the ring.
        {"no .dbf", [](const std::string& b) { std::filesystem::remove(b + ".dbf"); }, true,
         [](const std::string&) { return std::string("SHAPEFILE Num verts 4\n"); }},
        {"offset of shape 1 past the end", [](const std::string& b) { setIndexOffset(b + ".shx", 1, 0x00ffffffu); },
         false, [](const std::string& b) { return "Shapefile " + b + ".shp is damaged: shape 1 cannot be read\n"; }},
        {"offset of shape 0 past the end", [](const std::string& b) { setIndexOffset(b + ".shx", 0, 0x7fffff00u); },
         false, [](const std::string& b) { return "Shapefile " + b + ".shp is damaged: shape 0 cannot be read\n"; }},
        {".shp is a folder",
         [](const std::string& b) {
             std::filesystem::remove(b + ".shp");
             std::filesystem::create_directories(b + ".shp");
         },
         false, [](const std::string& b) { return "Cannot open shapefile " + b + ".shp\n"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string base = dir.file("area");
        writePolygonSet(base);
        c.damage(base);
        std::ostringstream out;
        SurveyPolygon polygon(out, 4.0f);
        polygon.addVertex(50.0, 0.0, 0.0);
        EXPECT_EQ(importShapefile(base + ".shp", polygon, out), c.imported);
        EXPECT_NE(out.str().find(c.message(base)), std::string::npos) << out.str();
        EXPECT_EQ(ringSize(polygon), c.imported ? 5 : 1);
        EXPECT_EQ(polygon.first()->x, 50.0);
    }
}

TEST(HostileAreaFiles, PolygonPathThatCannotBeReadAddsNothing) {
    struct Case {
        const char* what;
        const char* name;
        bool folder;  // else: a file without read permission
        const char* message;
    };
    const std::vector<Case> cases = {
        {"polygon file that is a folder", "area.csv", true, "Cannot open polygon file "},
        {"unreadable polygon file", "area.csv", false, "Cannot open polygon file "},
        {"unreadable shapefile", "area.shp", false, "Cannot open shapefile "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file(c.name);
        if (c.folder) {
            std::filesystem::create_directories(path);
        } else {
            if (std::string(c.name).find(".shp") != std::string::npos)
                writePolygonSet(dir.file("area"));
            else
                dir.write(c.name, "Lon, Lat\n1, 2\n3, 4\n");
            std::filesystem::permissions(path, std::filesystem::perms::none);
            if (::geteuid() == 0) continue;  // root reads it anyway
        }
        std::ostringstream out;
        SurveyPolygon polygon(out, 4.0f);
        polygon.addVertex(50.0, 0.0, 0.0);
        EXPECT_FALSE(loadPolygonFile(path, polygon, out));
        EXPECT_NE(out.str().find(c.message + path + "\n"), std::string::npos) << out.str();
        EXPECT_EQ(ringSize(polygon), 1);
    }
}

}  // namespace
}  // namespace tessarin
