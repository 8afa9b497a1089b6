#include <gtest/gtest.h>

#include <shapefil.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "area/PolygonFile.hpp"
#include "area/ShapefileImport.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

using test::TempDir;
using Coords = std::vector<double>;

struct Shape {
    Coords x;
    Coords y;
};

// Writes a shapefile (.shp and .shx) of one type with the given shapes.
void writeShapefile(const std::string& path, int type, const std::vector<Shape>& shapes) {
    SHPHandle h = SHPCreate(path.c_str(), type);
    ASSERT_NE(h, nullptr);
    for (const Shape& s : shapes) {
        SHPObject* o = SHPCreateSimpleObject(type, static_cast<int>(s.x.size()), s.x.data(), s.y.data(), nullptr);
        ASSERT_GE(SHPWriteObject(h, -1, o), 0);
        SHPDestroyObject(o);
    }
    SHPClose(h);
}

class ShapefileImportTest : public ::testing::Test {
protected:
    TempDir dir;
    std::ostringstream out;
    SurveyPolygon polygon{out, 4.0f};

    std::vector<std::pair<double, double>> ring() const {
        std::vector<std::pair<double, double>> r;
        const PolygonVertex* v = polygon.first();
        if (!v) return r;
        do {
            r.emplace_back(v->x, v->lat);
            EXPECT_DOUBLE_EQ(v->y, mapY(v->lat));
            v = v->next;
        } while (v != polygon.first());
        return r;
    }

    // Shapes of 4, 7 and 3 vertices; the second is a closed ring of six
    // distinct points at lon 1..6 and lat 10..15 (in 1e-5 degree units).
    std::vector<Shape> threeShapes() const {
        return {
            {{0, 900000, 900000, 0}, {0, 0, 900000, 0}},
            {{100000, 200000, 300000, 400000, 500000, 600000, 100000},
             {1000000, 1100000, 1200000, 1300000, 1400000, 1500000, 1000000}},
            {{-500000, -400000, -500000}, {-500000, -500000, -500000}},
        };
    }
};

TEST_F(ShapefileImportTest, OnlyTheSecondPolygonShapeBecomesVertices) {
    const std::string path = dir.file("three.shp");
    writeShapefile(path, SHPT_POLYGON, threeShapes());
    EXPECT_TRUE(importShapefile(path, polygon, out));
    EXPECT_EQ(out.str(),
              "Num shapes 3\nPolygon\n"
              "SHAPEFILE Num verts 4\n"
              "SHAPEFILE Num verts 7\nLat Lon 10 1\nLat Lon 15 6\n"
              "SHAPEFILE Num verts 3\n");
    const auto r = ring();
    ASSERT_EQ(r.size(), 7u);  // the closing vertex is added like any other
    for (int j = 0; j < 6; ++j) {
        EXPECT_DOUBLE_EQ(r[j].first, 1.0 + j) << j;
        EXPECT_DOUBLE_EQ(r[j].second, 10.0 + j) << j;
    }
    EXPECT_EQ(r[6], r[0]);
}

TEST_F(ShapefileImportTest, ImportSplicesAfterTheCurrentVertex) {
    const std::string path = dir.file("three.shp");
    writeShapefile(path, SHPT_POLYGON, threeShapes());
    polygon.addVertex(-50, mapY(-5), -5);
    polygon.addVertex(-60, mapY(-6), -6);
    ASSERT_TRUE(polygon.pickVertex(-50.0f, static_cast<float>(mapY(-5)), 1.0f));
    ASSERT_TRUE(importShapefile(path, polygon, out));
    const auto r = ring();
    ASSERT_EQ(r.size(), 9u);
    EXPECT_EQ(r[0].first, -50);
    EXPECT_DOUBLE_EQ(r[1].first, 1.0);
    EXPECT_EQ(r[8].first, -60);
}

TEST_F(ShapefileImportTest, CoordinatesAreHundredThousandthsOfADegree) {
    const std::string path = dir.file("scale.shp");
    writeShapefile(path, SHPT_POLYGON, {{{0}, {0}}, {{-1234567, 0, -1234567}, {2345678, 0, 2345678}}});
    ASSERT_TRUE(importShapefile(path, polygon, out));
    const auto r = ring();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_NEAR(r[0].first, -12.34567, 1e-12);
    EXPECT_NEAR(r[0].second, 23.45678, 1e-12);
}

TEST_F(ShapefileImportTest, ArcFileOnlyPrints) {
    const std::string path = dir.file("arcs.shp");
    writeShapefile(path, SHPT_ARC, {{{1.5, 2.5}, {-3.25, 4}}, {{100000, 7, 8}, {9, 10, 11}}});
    polygon.addVertex(1, 1, 1);
    ASSERT_TRUE(importShapefile(path, polygon, out));
    EXPECT_EQ(out.str(),
              "Num shapes 2\nSHPT_ARC\n"
              "SHAPEFILE Num verts 2\n1.5 -3.25\n2.5 4\n"
              "SHAPEFILE Num verts 3\n100000 9\n7 10\n8 11\n");
    EXPECT_EQ(polygon.vertexCount(), 1);
}

TEST_F(ShapefileImportTest, PointFileAndSingleShapeFileAddNothing) {
    writeShapefile(dir.file("pts.shp"), SHPT_POINT, {{{1}, {2}}, {{3}, {4}}});
    ASSERT_TRUE(importShapefile(dir.file("pts.shp"), polygon, out));
    EXPECT_EQ(out.str(), "Num shapes 2\n");

    out.str("");
    writeShapefile(dir.file("one.shp"), SHPT_POLYGON, {threeShapes()[1]});
    ASSERT_TRUE(importShapefile(dir.file("one.shp"), polygon, out));
    EXPECT_EQ(out.str(), "Num shapes 1\nPolygon\nSHAPEFILE Num verts 7\n");
    EXPECT_EQ(polygon.first(), nullptr);
}

TEST_F(ShapefileImportTest, LoadPolygonFileHandsShpPathsToTheImport) {
    const std::string path = dir.file("area.shp");
    writeShapefile(path, SHPT_POLYGON, threeShapes());
    ASSERT_TRUE(loadPolygonFile(path, polygon, out));
    EXPECT_EQ(out.str().rfind("Shapefile!!\nNum shapes 3\n", 0), 0u);
    EXPECT_EQ(polygon.vertexCount(), 7);
}

TEST_F(ShapefileImportTest, MissingFileIsReportedAndAddsNothing) {
    EXPECT_FALSE(importShapefile(dir.file("none.shp"), polygon, out));
    EXPECT_EQ(out.str(), "Cannot open shapefile " + dir.file("none.shp") + "\n");
    dir.write("junk.shp", "this is not a shapefile at all");
    dir.write("junk.shx", "nor is this");
    out.str("");
    EXPECT_FALSE(importShapefile(dir.file("junk.shp"), polygon, out));
    EXPECT_EQ(out.str(), "Cannot open shapefile " + dir.file("junk.shp") + "\n");
    EXPECT_EQ(polygon.first(), nullptr);
}

TEST_F(ShapefileImportTest, TruncatedFileIsReportedAndAddsNothing) {
    // Every cut of the .shp between its header and its end, and a cut .shx.
    const std::string path = dir.file("cut.shp");
    writeShapefile(path, SHPT_POLYGON, threeShapes());
    const auto fullSize = std::filesystem::file_size(path);
    for (std::uintmax_t size = 0; size < fullSize; size += 8) {
        writeShapefile(path, SHPT_POLYGON, threeShapes());
        std::filesystem::resize_file(path, size);
        out.str("");
        EXPECT_FALSE(importShapefile(path, polygon, out)) << size;
        EXPECT_EQ(polygon.first(), nullptr) << size;
        const std::string text = out.str();
        EXPECT_TRUE(text.find("Cannot open shapefile") != std::string::npos ||
                    text.find("is damaged") != std::string::npos)
            << size << "\n" << text;
    }
    writeShapefile(path, SHPT_POLYGON, threeShapes());
    const std::string index = dir.file("cut.shx");
    std::filesystem::resize_file(index, std::filesystem::file_size(index) - 4);
    EXPECT_FALSE(importShapefile(path, polygon, out));
    EXPECT_EQ(polygon.first(), nullptr);
}

TEST_F(ShapefileImportTest, VertexOffTheGlobeRejectsTheShape) {
    const std::string path = dir.file("far.shp");
    writeShapefile(path, SHPT_POLYGON, {{{0}, {0}}, {{0, 100000, 0}, {0, 9500000, 0}}});
    EXPECT_FALSE(importShapefile(path, polygon, out));
    EXPECT_NE(out.str().find("vertex 1 of shape 1 is not a position"), std::string::npos);
    EXPECT_EQ(polygon.first(), nullptr);
}

}  // namespace
}  // namespace tessarin
