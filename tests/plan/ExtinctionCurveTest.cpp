#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "plan/ExtinctionCurve.hpp"
#include "plan/PlanWorld.hpp"
#include "support/TempDir.hpp"

using tessarin::ExtinctionCurve;
using tessarin::loadExtinctionCurve;
using tessarin::test::PlanWorld;
using tessarin::test::TempDir;

namespace {

struct Loaded {
    ExtinctionCurve curve;
    std::string console;
    bool opened = false;
};

Loaded loadText(const std::string& text, float depthMultiplier = 4.0f) {
    TempDir dir;
    dir.write("curve.txt", text);
    Loaded r;
    std::ostringstream out;
    r.opened = loadExtinctionCurve(r.curve, dir.file("curve.txt"), depthMultiplier, out);
    r.console = out.str();
    // The file name is the temporary path; keep only what follows it.
    r.console = r.console.substr(r.console.find('\n') + 1);
    return r;
}

}  // namespace

// Rows (0, 5), (1000, 4), (4000, 3): interpolation by 10 m cells, with the
// last row's own depth and everything outside the rows left at 0.5.
TEST(ExtinctionCurve, WorkedExampleTable) {
    const Loaded r = loadText("0 5\n1000 4\n4000 3\n");
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.console, "ROW Count 3\n0\n1000\n4000\n");
    const float* t = r.curve.table;
    const struct {
        int cell;
        float value;
    } expected[] = {{0, 0.5f}, {399, 0.5f}, {400, 5.0f}, {450, 4.5f}, {500, 4.0f},
                    {650, 3.5f}, {799, 3.0f + 1.0f / 300.0f}, {800, 0.5f}, {801, 0.5f}, {1499, 0.5f}};
    for (const auto& e : expected) EXPECT_NEAR(t[e.cell], e.value, 1e-5f) << "cell " << e.cell;

    EXPECT_NEAR(r.curve.swathMultiplierAt(-2500.0f), 3.5f, 1e-6f);
    // No interpolation between cells: -1205 and -1209.9 read the 1200 m cell.
    EXPECT_EQ(r.curve.swathMultiplierAt(-1205.0f), t[520]);
    EXPECT_EQ(r.curve.swathMultiplierAt(-1209.9f), t[520]);
    EXPECT_EQ(r.curve.swathMultiplierAt(-1210.0f), t[521]);
    EXPECT_NE(t[520], t[521]);
    // Above sea level (negative depth) the table was never written.
    EXPECT_EQ(r.curve.swathMultiplierAt(50.0f), 0.5f);
}

TEST(ExtinctionCurve, OddEmptyAndBrokenFiles) {
    // An odd last number is ignored: two rows, the last one's cell stays 0.5.
    const Loaded odd = loadText("0 5 1000 4 4000");
    EXPECT_EQ(odd.console, "ROW Count 2\n0\n1000\n");
    EXPECT_NEAR(odd.curve.table[450], 4.5f, 1e-6f);
    EXPECT_EQ(odd.curve.table[500], 0.5f);

    const Loaded empty = loadText("");
    EXPECT_TRUE(empty.opened);
    EXPECT_EQ(empty.console, "ROW Count 0\n");
    for (float v : empty.curve.table) ASSERT_EQ(v, 0.5f);

    const Loaded one = loadText("100 3\n");
    for (float v : one.curve.table) ASSERT_EQ(v, 0.5f);

    // A stray word ends the table; the rows before it are used.
    const Loaded word = loadText("0 5\n1000 4\nmetres\n2000 3\n");
    EXPECT_EQ(word.console, "ROW Count 2\n0\n1000\n");
    EXPECT_NEAR(word.curve.table[450], 4.5f, 1e-6f);
    EXPECT_EQ(word.curve.table[600], 0.5f);

    // Depths that do not increase write nothing for their pair: the first
    // pair's cells keep their values and the range after it stays 0.5.
    for (const char* text : {"0 5\n1000 4\n600 2\n", "0 5\n1000 4\n1000 2\n"}) {
        const Loaded back = loadText(text);
        EXPECT_NEAR(back.curve.table[460], 4.4f, 1e-6f) << text;
        EXPECT_EQ(back.curve.table[500], 0.5f) << text;
        EXPECT_EQ(back.curve.table[600], 0.5f) << text;
    }
}

TEST(ExtinctionCurve, AtMostThirtyRowsAreUsed) {
    std::string text;
    for (int i = 0; i < 35; ++i) text += std::to_string(i * 100) + " 4\n";
    const Loaded r = loadText(text);
    EXPECT_EQ(r.console.substr(0, 13), "ROW Count 30\n");
    EXPECT_EQ(r.curve.table[400 + 280], 4.0f);  // between rows 28 and 29
    EXPECT_EQ(r.curve.table[400 + 290], 0.5f);  // row 29 is the last one held
    EXPECT_EQ(r.curve.table[400 + 320], 0.5f);
}

// Lookups beyond the table (getDepth answers -12000 m .. +9845 m) read the
// nearest end cell; rows beyond the table write only the cells inside it.
TEST(ExtinctionCurve, LookupsOutsideTheTableClampToTheEnds) {
    const Loaded r = loadText("-4000 7\n0 5\n10990 1\n11000 0.9\n30000 0.1\n");
    EXPECT_EQ(r.curve.table[0], 7.0f);
    EXPECT_EQ(r.curve.table[1499], 1.0f);
    EXPECT_EQ(r.curve.swathMultiplierAt(9845.0f), 7.0f);
    EXPECT_EQ(r.curve.swathMultiplierAt(4005.0f), 7.0f);
    EXPECT_EQ(r.curve.swathMultiplierAt(-10995.0f), 1.0f);
    EXPECT_EQ(r.curve.swathMultiplierAt(-11000.0f), 1.0f);
    EXPECT_EQ(r.curve.swathMultiplierAt(-12000.0f), 1.0f);
}

// A pair with a row beyond either end of the table interpolates over its
// whole span; only the cells inside the table are written. Expected values
// are (1 - t) m0 + t m1 with t = (cell - s) / (e - s) from the rows' cells.
TEST(ExtinctionCurve, RowsBeyondTheTableKeepTheirSpan) {
    const struct {
        const char* text;
        int cell;
        float value;
    } cases[] = {
        // 0 m and 12000 m: cells 400 and 1600.
        {"0 5\n12000 1\n", 400, 5.0f},
        {"0 5\n12000 1\n", 1000, 3.0f},                        // t = 600 / 1200
        {"0 5\n12000 1\n", 1499, 5.0f - 4.0f * 1099.0f / 1200.0f},
        // 10000 m and 12000 m: cells 1400 and 1600.
        {"10000 2\n12000 1\n", 1400, 2.0f},
        {"10000 2\n12000 1\n", 1499, 2.0f - 99.0f / 200.0f},  // 1.505
        // 5005 m above sea level and 0 m: cells -100 (rounded toward zero)
        // and 400.
        {"-5005 8\n0 5\n", 0, 8.0f - 3.0f * 100.0f / 500.0f},  // 7.4
        {"-5005 8\n0 5\n", 150, 8.0f - 3.0f * 250.0f / 500.0f},
        {"-5005 8\n0 5\n", 400, 0.5f},                         // the last row's own cell
        // Both rows beyond the same end: nothing inside the table is written.
        {"12000 3\n13000 2\n", 1499, 0.5f},
        {"-9000 3\n-6000 2\n", 0, 0.5f},
    };
    for (const auto& c : cases) {
        const Loaded r = loadText(c.text);
        EXPECT_NEAR(r.curve.table[c.cell], c.value, 1e-5f) << c.text << " cell " << c.cell;
    }
}

TEST(ExtinctionCurve, MissingFileGivesTheFlatDefaultAndPlanProbes) {
    PlanWorld world;
    world.build(4.0f);
    const std::string name = world.dir.file("none.txt");
    EXPECT_EQ(world.takeOutput(), "LOAD Extinction Curve " + name + "\nFAILED TO OPEN " + name +
                                      "\n USE default 4\n TEST 1200 4\nTEST 3000 4\nTEST 2100 4\n");
    for (float e : {-12000.0f, -3000.0f, 0.0f, 9845.0f}) EXPECT_EQ(world.plan->swathMultiplierAt(e), 4.0f);
}

TEST(ExtinctionCurve, PlanPrintsTheThreeProbes) {
    PlanWorld world;
    world.dir.write("EM.txt", "0 5\n1000 4\n4000 3\n");
    world.build(4.0f, 4.42f, 9.0f, "EM.txt");
    const std::string console = world.takeOutput();
    // 1200 m: cell 520, 20/300 of the way from 4 to 3; 3000 m: 200/300;
    // 2100 m: 110/300.
    EXPECT_NE(console.find("TEST 1200 3.93333\nTEST 3000 3.33333\nTEST 2100 3.63333\n"), std::string::npos)
        << console;
}
