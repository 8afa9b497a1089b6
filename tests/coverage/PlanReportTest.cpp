// Time, cost and their texts in the window and the report, the leg without
// speed, and report files that cannot be written.

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "app/PlannerState.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/PlanReport.hpp"
#include "plan/PlanWorld.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

TEST(PlanCost, TimeFormsAndCost) {
    struct Case {
        float hours;
        const char* windowLine;
        const char* reportLine;
        float cost;  // at 1000 a day
    };
    const Case cases[] = {
        {47.9f, "Mapping Time :   47.90 hr\n", "Mapping Time :   47.90 hr\n", 2000.0f},
        // A whole number of days is charged one more.
        {48.0f, "Mapping Time :   48.00 hr\n", "Mapping Time :   48.00 hr\n", 3000.0f},
        {48.1f, "Mapping Time : 2 days,  0.10 hr\n", "Mapping Time : 2 days,    0.10 hr\n", 3000.0f},
        {73.5f, "Mapping Time : 3 days,  1.50 hr\n", "Mapping Time : 3 days,    1.50 hr\n", 4000.0f},
        {0.0f, "Mapping Time :    0.00 hr\n", "Mapping Time :    0.00 hr\n", 1000.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hours);
        EXPECT_FLOAT_EQ(mappingTime(c.hours, 1000.0f).cost, c.cost);
        PlanTotals t;
        t.hours = c.hours;
        const std::vector<std::string> lines = planStatsWindowLines(PlanStatistics{}, t, 1000.0f);
        ASSERT_EQ(lines.size(), 9u);
        EXPECT_EQ(lines[7], c.windowLine);
        EXPECT_EQ(lines[8], "Approximate Cost   : " + formatCost(c.cost) + " \n");
        const std::string report = planReportText(PlanStatistics{}, t, 1000.0f);
        EXPECT_NE(report.find(c.reportLine), std::string::npos) << report;
        char cost[64];
        std::snprintf(cost, sizeof cost, "Estimated Cost :$%7.2f \n", static_cast<double>(c.cost));
        EXPECT_NE(report.find(cost), std::string::npos) << report;
    }
}

TEST(PlanCost, CostTexts) {
    struct Case {
        float cost;
        const char* text;
    };
    const Case cases[] = {
        {2500000.0f, "$2,500,000"}, {999999.0f, "$999,000"},   {1000999.0f, "$1,000,000"},
        {1001000.0f, "$1,001,000"}, {999.0f, "$0,000"},        {1234567890.0f, "$1234,567,000"},
        {-5.0f, "$0,000"},          {std::numeric_limits<float>::infinity(), "$0,000"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatCost(c.cost), c.text) << c.cost;
}

TEST(PlanCost, LegsWithoutSpeedAddNoTimeAndAreReported) {
    test::PlanWorld world;
    SurveyPlan& plan = world.build();
    for (double lon : {10.0, 11.0, 12.0, 13.0}) plan.addWaypoint(lon, 0.0, 0.0, 9.0f, 4.0f);
    const float lengths[] = {90.0f, 45.0f, 30.0f};
    const float speeds[] = {9.0f, 0.0f, 10.0f};
    int i = 0;
    for (Waypoint* w = plan.first(); w->next; w = w->next, ++i) {
        w->lengthNm = lengths[i];
        w->speed = speeds[i];
    }
    const PlanTotals t = planTotals(plan, 8.5f);
    EXPECT_FLOAT_EQ(t.distanceNm, 165.0f);
    EXPECT_FLOAT_EQ(t.hours, 13.0f);
    EXPECT_FLOAT_EQ(t.speedKnots, 120.0f / 13.0f) << "the mean of the legs that have a speed";
    EXPECT_TRUE(t.legWithoutSpeed);
    const std::vector<std::string> lines = planStatsWindowLines(PlanStatistics{}, t, 1000.0f);
    EXPECT_EQ(lines[6], "Distance  165.00 nm  at  9.23 kts (mean)\n");
    EXPECT_EQ(lines[8], kLegWithoutSpeedLine);
    EXPECT_NE(planReportText(PlanStatistics{}, t, 1000.0f).find(kLegWithoutSpeedLine), std::string::npos);

    plan.first()->next->speed = 5.0f;
    const PlanTotals fixed = planTotals(plan, 8.5f);
    EXPECT_FLOAT_EQ(fixed.hours, 22.0f);
    EXPECT_FALSE(fixed.legWithoutSpeed);
    EXPECT_EQ(planStatsWindowLines(PlanStatistics{}, fixed, 1000.0f).size(), 9u);
}

TEST(PlanCost, TheDistanceLineGivesTheLegsSpeed) {
    struct Row {
        std::vector<float> speeds;  // one a leg, legs of 10, 20, 30 ... nm
        float knots;
        const char* line;
    };
    const Row rows[] = {
        {{9.0f, 9.0f, 9.0f}, 9.0f, "Distance   60.00 nm  at  9.00 kts\n"},
        {{6.0f, 6.0f}, 6.0f, "Distance   30.00 nm  at  6.00 kts\n"},
        // 30 nm in 2 + 2 hours.
        {{5.0f, 10.0f}, 30.0f / 4.0f, "Distance   30.00 nm  at  7.50 kts (mean)\n"},
        {{}, 8.5f, "Distance    0.00 nm  at  8.50 kts\n"},
    };
    for (const Row& r : rows) {
        test::PlanWorld world;
        SurveyPlan& plan = world.build();
        for (std::size_t i = 0; i <= r.speeds.size() && !r.speeds.empty(); ++i)
            plan.addWaypoint(10.0 + static_cast<double>(i), 0.0, 0.0, 9.0f, 4.0f);
        int i = 0;
        for (Waypoint* w = plan.first(); w && w->next; w = w->next, ++i) {
            w->lengthNm = 10.0f * static_cast<float>(i + 1);
            w->speed = r.speeds[static_cast<std::size_t>(i)];
        }
        const PlanTotals t = planTotals(plan, 8.5f);
        EXPECT_FLOAT_EQ(t.speedKnots, r.knots) << r.line;
        EXPECT_EQ(planStatsWindowLines(PlanStatistics{}, t, 1000.0f)[6], r.line);
        EXPECT_NE(planReportText(PlanStatistics{}, t, 1000.0f).find(r.line), std::string::npos) << r.line;
    }
}

TEST(PlanReport, AreaLinesAndPercentage) {
    PlanStatistics s;
    s.totalMappedArea = 1234.5678;
    s.referenceOverlapArea = 234.5;
    s.selfOverlapArea = 123.45678;
    PlanTotals t;
    t.distanceNm = 12.345f;
    t.hours = 1.5f;
    t.speedKnots = 9.0f;
    EXPECT_EQ(planReportText(s, t, 45000.0f),
              "Total Mapped Area              : 1234.57 square km \n"
              "Overlap with GEBCO Mapped Area :  234.50 square km \n"
              "New Mapping                    : 1000.07 square km \n"
              "Self Overlap                   :  123.46 square km \n"
              "Self Overlap Percentage        :   10.00 percent\n"
              "Distance   12.35 nm  at  9.00 kts\n"
              "Mapping Time :    1.50 hr\n"
              "Estimated Cost :$45000.00 \n");
    const std::vector<std::string> lines = planStatsWindowLines(s, t, 45000.0f);
    EXPECT_EQ(lines[0], "  ");
    EXPECT_EQ(lines[1], "Total Mapped Area      : 1234.57 square km \n");
    EXPECT_EQ(lines[2], "Overlap GEBCO 2020     :  234.50 square km \n");
    EXPECT_EQ(lines[3], "New Mapping            : 1000.07 square km \n");
    EXPECT_EQ(lines[4], "Self Overlap           :  123.46 square km \n");
    EXPECT_EQ(lines[5], " ");
    EXPECT_EQ(lines[8], "Approximate Cost   : $45,000 \n");
}

TEST(PlanReport, WrittenBeforeAnyStatisticsShowsZeros) {
    test::TempDir dir;
    NullTextureSink sink;
    std::ostringstream out;
    PlannerState planner(out, sink, dir.path());
    ASSERT_TRUE(planner.writeReport(dir.file("plan_Report.txt")));
    const std::string text = dir.read("plan_Report.txt");
    EXPECT_EQ(text.rfind("Total Mapped Area              :    0.00 square km \n"
                         "Overlap with GEBCO Mapped Area :    0.00 square km \n"
                         "New Mapping                    :    0.00 square km \n"
                         "Self Overlap                   :    0.00 square km \n"
                         "Self Overlap Percentage        :    0.00 percent\n"
                         "Distance    0.00 nm  at  9.00 kts\n",
                         0),
              0u)
        << text;
}

TEST(PlanReport, UnwritableReportIsReportedAndThePlanStillSaves) {
    test::TempDir dir;
    NullTextureSink sink;
    std::ostringstream out;
    PlannerState planner(out, sink, dir.path());
    planner.plan->addWaypoint(10.0, 0.0, 0.0, 9.0f, 4.0f);
    planner.plan->addWaypoint(11.0, 0.0, 0.0, 9.0f, 4.0f);

    const std::string badReport = dir.file("no/such/folder/plan_Report.txt");
    EXPECT_FALSE(planner.writeReport(badReport));
    EXPECT_NE(out.str().find("CANNOT CREATE " + badReport + "\n"), std::string::npos) << out.str();
    EXPECT_TRUE(planner.savePlanFiles(dir.file("plan")));
    EXPECT_FALSE(dir.read("plan.csv").empty());

    // A report that exists is replaced whole, never left half-written.
    dir.write("old_Report.txt", "earlier report\n");
    ASSERT_TRUE(planner.writeReport(dir.file("old_Report.txt")));
    const std::string replaced = dir.read("old_Report.txt");
    EXPECT_EQ(replaced.rfind("Total Mapped Area              : ", 0), 0u) << replaced;
    EXPECT_EQ(replaced.find("earlier report"), std::string::npos);
}

}  // namespace
}  // namespace tessarin
