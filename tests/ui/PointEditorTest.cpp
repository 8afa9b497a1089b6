// The point editor's fields without a window: number reading and writing,
// degrees and minutes, the refresh caches, the field dependencies with the
// 59.9-minute rule, and "Enter" into a real planner.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "ui/PointEditor.hpp"

namespace tessarin {
namespace {

std::string text(const PointEditor::Text& t) { return t.data(); }

void type(PointEditor::Text& t, const std::string& s) {
    ASSERT_LT(s.size(), t.size());
    std::snprintf(t.data(), t.size(), "%s", s.c_str());
}

TEST(DegreeText, SplitAndJoin) {
    struct Case {
        double value;
        const char* degrees;
        const char* minutes;
    };
    const Case cases[] = {
        {-32.125, "-32", "7.500000"},
        // The whole part is zero: the sign must stay with the degrees.
        {-0.5, "-0", "30.000000"},
        {0.25, "0", "15.000000"},
        {12.0, "12", "0.000000"},
        {-179.75, "-179", "45.000000"},
        // Rounded to six decimals before splitting.
        {45.99999999, "46", "0.000000"},
    };
    for (const Case& c : cases) {
        std::string d, m;
        splitDegrees(c.value, d, m);
        EXPECT_EQ(d, c.degrees) << c.value;
        EXPECT_EQ(m, c.minutes) << c.value;
        double dv = 0.0, mv = 0.0;
        ASSERT_TRUE(readNumber(d, dv));
        ASSERT_TRUE(readNumber(m, mv));
        EXPECT_NEAR(joinDegrees(dv, mv), std::round(c.value * 1e6) / 1e6, 1e-9) << c.value;
    }
    EXPECT_DOUBLE_EQ(joinDegrees(-32.0, 30.0), -32.5);
    EXPECT_DOUBLE_EQ(joinDegrees(0.0, 30.0), 0.5);
    EXPECT_DOUBLE_EQ(joinDegrees(-0.0, 30.0), -0.5);
    EXPECT_EQ(formatNumber(-32.125), "-32.125000");
}

TEST(DegreeText, ReadsTheLongestLeadingNumber) {
    struct Case {
        const char* text;
        bool number;
        double value;
    };
    const Case cases[] = {
        {"12.5abc", true, 12.5}, {"  -3", true, -3.0},  {"1e2x", true, 100.0}, {"1e", true, 1.0},
        {".5", true, 0.5},       {"+7.", true, 7.0},    {"0x10", true, 0.0},   {"", false, 0.0},
        {"-", false, 0.0},       {".", false, 0.0},     {"abc", false, 0.0},   {" +.e5", false, 0.0},
        {"inf", false, 0.0},     {"nan", false, 0.0},
    };
    for (const Case& c : cases) {
        double v = 99.0;
        EXPECT_EQ(readNumber(c.text, v), c.number) << c.text;
        EXPECT_DOUBLE_EQ(v, c.number ? c.value : 99.0) << c.text;
    }
    float f = 0.0f;
    ASSERT_TRUE(readNumber("9.1", f));
    EXPECT_EQ(f, 9.1f);  // single precision read directly, not via double
}

TEST(PointEditorFields, EditsFollowThroughTheOtherFields) {
    PointEditor e;
    e.refresh(-32.125, 150.0, 9.0f, 4.0f);
    EXPECT_EQ(text(e.lat.decimal), "-32.125000");
    EXPECT_EQ(text(e.lat.degrees), "-32");
    EXPECT_EQ(text(e.lat.minutes), "7.500000");

    // Minutes typed: the decimal and degree fields follow.
    type(e.lat.minutes, "30");
    e.lat.minutesEdited();
    EXPECT_EQ(text(e.lat.decimal), "-32.500000");
    EXPECT_EQ(text(e.lat.degrees), "-32");
    EXPECT_EQ(text(e.lat.minutes), "30");  // its own text is not reformatted

    // Degrees typed: only the decimal field follows.
    type(e.lat.degrees, "-33");
    e.lat.degreesEdited();
    EXPECT_EQ(text(e.lat.decimal), "-33.500000");

    // 60 minutes or more: the minutes become 59.9 and nothing else changes.
    type(e.lat.minutes, "75");
    e.lat.minutesEdited();
    EXPECT_EQ(text(e.lat.minutes), "59.900000");
    EXPECT_EQ(text(e.lat.decimal), "-33.500000");
    type(e.lat.minutes, "60");
    e.lat.minutesEdited();
    EXPECT_EQ(text(e.lat.minutes), "59.900000");

    // The decimal field typed: degrees and minutes follow.
    type(e.lon.decimal, "-120.75");
    e.lon.decimalEdited();
    EXPECT_EQ(text(e.lon.degrees), "-120");
    EXPECT_EQ(text(e.lon.minutes), "45.000000");
}

TEST(PointEditorFields, SmallNegativeValuesKeepTheirSign) {
    PointEditor e;
    e.refresh(-0.5, 10.0, 9.0f, 4.0f);
    EXPECT_EQ(text(e.lat.degrees), "-0");
    EXPECT_EQ(text(e.lat.minutes), "30.000000");
    type(e.lat.minutes, "15");
    e.lat.minutesEdited();
    EXPECT_EQ(text(e.lat.decimal), "-0.250000");
    EXPECT_EQ(text(e.lat.degrees), "-0");
}

TEST(PointEditorFields, TextThatIsNotANumberChangesNothing) {
    PointEditor e;
    e.refresh(10.25, 20.5, 9.0f, 4.0f);
    const char* junk[] = {"", "-", "abc", "."};
    for (const char* j : junk) {
        type(e.lat.decimal, j);
        e.lat.decimalEdited();
        EXPECT_EQ(text(e.lat.degrees), "10") << j;
        EXPECT_EQ(text(e.lat.minutes), "15.000000") << j;

        type(e.lon.minutes, j);
        e.lon.minutesEdited();
        EXPECT_EQ(text(e.lon.decimal), "20.500000") << j;
        type(e.lon.minutes, "30.000000");

        type(e.lon.degrees, j);
        e.lon.degreesEdited();
        EXPECT_EQ(text(e.lon.decimal), "20.500000") << j;
        e.lon.minutesEdited();  // minutes fine, degrees not a number
        EXPECT_EQ(text(e.lon.decimal), "20.500000") << j;
        type(e.lon.degrees, "20");

        type(e.speedText, j);
        e.speedEdited();
        EXPECT_EQ(text(e.speedText), j);
    }
    type(e.speedText, "12.5kn");
    e.speedEdited();
    EXPECT_EQ(text(e.speedText), "12.500000");
}

TEST(PointEditorFields, RefreshOnlyWhenTheShownValuesChange) {
    struct Case {
        double lat, lon;
        float speed, mult;
        const char *latText, *speedText, *multText;
    };
    // The caches start at (0, 0), 9.5 and 3.0: values equal to them on the
    // first show leave their fields empty.
    const Case cases[] = {
        {0.0, 0.0, 9.5f, 3.0f, "", "", ""},
        {0.0, 0.0, 9.0f, 3.0f, "", "9.000000", ""},
        {12.0, 0.0, 9.5f, 4.0f, "12.000000", "", "4.000000"},
    };
    for (const Case& c : cases) {
        PointEditor e;
        e.refresh(c.lat, c.lon, c.speed, c.mult);
        EXPECT_EQ(text(e.lat.decimal), c.latText);
        EXPECT_EQ(text(e.speedText), c.speedText);
        EXPECT_EQ(text(e.multText), c.multText);
    }
    // What the user types survives frames showing the same point, and is
    // replaced when the point changes.
    PointEditor e;
    e.refresh(12.0, 5.0, 9.0f, 4.0f);
    type(e.lat.decimal, "13");
    type(e.speedText, "7");
    e.refresh(12.0, 5.0, 9.0f, 4.0f);
    EXPECT_EQ(text(e.lat.decimal), "13");
    EXPECT_EQ(text(e.speedText), "7");
    e.refresh(12.0, 5.5, 9.0f, 4.0f);
    EXPECT_EQ(text(e.lat.decimal), "12.000000");
    EXPECT_EQ(text(e.lon.decimal), "5.500000");
    EXPECT_EQ(text(e.speedText), "7");
}

struct EditorWorld {
    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner{out, sink, dir.path()};
    AppState app;
    PointEditor editor;

    void showCurrentWaypoint() {
        double lat = 0.0, lon = 0.0;
        float speed = 5.0f, mult = 5.0f;
        ASSERT_TRUE(planner.plan->getCurrent(lat, lon, speed, mult));
        editor.refresh(lat, lon, speed, mult);
    }
};

TEST(PointEditorEnter, WritesTheCurrentWaypoint) {
    EditorWorld w;
    w.app.editMode = PickWaypoint;
    w.planner.plan->addWaypoint(-140.0, PlannerState::mapY(20.0), 20.0, 9.0f, 4.0f);
    w.showCurrentWaypoint();

    type(w.editor.lat.decimal, "20.5");
    type(w.editor.speedText, "11");
    type(w.editor.multText, "3.5");
    w.editor.enter(w.app, w.planner);
    double lat = 0.0, lon = 0.0;
    float speed = 0.0f, mult = 0.0f;
    ASSERT_TRUE(w.planner.plan->getCurrent(lat, lon, speed, mult));
    EXPECT_DOUBLE_EQ(lat, 20.5);
    EXPECT_DOUBLE_EQ(lon, -140.0);
    EXPECT_EQ(speed, 11.0f);
    EXPECT_EQ(mult, 3.5f);
    w.showCurrentWaypoint();
    EXPECT_EQ(text(w.editor.lat.decimal), "20.500000");

    // Empty or non-numeric fields never become a position: the values last
    // shown stand.
    type(w.editor.lat.decimal, "");
    type(w.editor.lon.decimal, "west");
    type(w.editor.speedText, "-");
    type(w.editor.multText, "");
    w.editor.enter(w.app, w.planner);
    ASSERT_TRUE(w.planner.plan->getCurrent(lat, lon, speed, mult));
    EXPECT_DOUBLE_EQ(lat, 20.5);
    EXPECT_DOUBLE_EQ(lon, -140.0);
    EXPECT_EQ(speed, 11.0f);
    EXPECT_EQ(mult, 3.5f);
}

TEST(PointEditorEnter, MovesThePolygonVertexInPolygonMode) {
    EditorWorld w;
    w.app.editMode = PickPolygonPoint;
    w.planner.polygon->addVertex(-140.0, PlannerState::mapY(20.0), 20.0);
    w.planner.polygon->addVertex(-139.0, PlannerState::mapY(21.0), 21.0);
    w.editor.refresh(21.0, -139.0, 5.0f, 5.0f);
    type(w.editor.lon.decimal, "-138.25");
    w.editor.enter(w.app, w.planner);
    double lat = 0.0, lon = 0.0;
    ASSERT_TRUE(w.planner.polygon->currentVertex(lat, lon));
    EXPECT_DOUBLE_EQ(lat, 21.0);
    EXPECT_DOUBLE_EQ(lon, -138.25);
    EXPECT_EQ(w.planner.polygon->vertexCount(), 2);
    EXPECT_EQ(w.planner.plan->waypointCount(), 0);
}

TEST(PointEditorEnter, RefusesLatitudesTheMapRefuses) {
    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner(out, sink, dir.path());
    AppState app;
    planner.plan->addWaypoint(-30.0, PlannerState::mapY(20.0), 20.0, 9.0f, 4.0f);
    planner.polygon->addVertex(-30.0, PlannerState::mapY(20.0), 20.0);
    PointEditor editor;
    editor.refresh(20.0, -30.0, 9.0f, 4.0f);
    struct Case {
        EditMode mode;
        const char* lat;
        bool taken;
    };
    const Case cases[] = {{PickWaypoint, "64.0", false},   {PickWaypoint, "63.999", true},
                          {PickWaypoint, "-90", false},    {PickWaypoint, "1e400", false},
                          {PickPolygonPoint, "70", false}, {PickPolygonPoint, "-60.5", true}};
    for (const Case& c : cases) {
        app.editMode = c.mode;
        type(editor.lat.decimal, c.lat);
        EXPECT_EQ(editor.enter(app, planner), c.taken) << c.lat;
        double lat = 0.0, lon = 0.0;
        float speed = 0.0f, mult = 0.0f;
        if (c.mode == PickWaypoint) {
            planner.plan->getCurrent(lat, lon, speed, mult);
        } else {
            planner.polygon->currentVertex(lat, lon);
        }
        if (c.taken) {
            EXPECT_NEAR(lat, std::strtod(c.lat, nullptr), 1e-9) << c.lat;
        } else {
            EXPECT_LT(lat, 64.0) << c.lat;
            EXPECT_GT(lat, -90.0) << c.lat;
        }
    }
}

}  // namespace
}  // namespace tessarin
