#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "plan/Configuration.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

struct Read {
    Configuration config;
    std::string echo;
};

Read readText(const std::string& text) {
    Read r;
    std::istringstream in(text);
    std::ostringstream out;
    readConfiguration(in, out, r.config);
    r.echo = out.str();
    return r;
}

TEST(Configuration, EmptyFileKeepsEveryDefault) {
    for (const char* text : {"", "end", "   \n\n end \n"}) {
        const Read r = readText(text);
        EXPECT_FLOAT_EQ(r.config.boatSpeed, 9.0f);
        EXPECT_FLOAT_EQ(r.config.depthMultiplier, 4.0f);
        EXPECT_FLOAT_EQ(r.config.turnRate, 60.0f);
        EXPECT_FLOAT_EQ(r.config.fillOverlap, 10.0f);
        EXPECT_FLOAT_EQ(r.config.edgeOverlap, 10.0f);
        EXPECT_FLOAT_EQ(r.config.dayRate, 45000.0f);
        EXPECT_EQ(r.config.extinctionTable, "EMdefault.txt");
        // (360 / 60) * (9 * 0.5144) / 6.283184
        EXPECT_NEAR(r.config.turnRadiusMetres(), 4.4209, 5e-5);
    }
}

TEST(Configuration, KeysOnOneLineInAnyOrder) {
    const Read r = readText("turn_rate 30 boat_speed 12 end");
    EXPECT_FLOAT_EQ(r.config.turnRate, 30.0f);
    EXPECT_FLOAT_EQ(r.config.boatSpeed, 12.0f);
    EXPECT_EQ(r.echo, "turn_rate\nboat_speed\nboat speed READ 12\nend\n");
}

TEST(Configuration, EchoLinesOfEveryKey) {
    const Read r = readText(
        "boat_speed 10.5\ndepth_multiplier 5\nturn_rate 20\nfill_overlap 15\n"
        "edge_overlap 12.25\nextinction_table EM124.txt\nday_rate 52000\nend\n");
    EXPECT_EQ(r.echo,
              "boat_speed\nboat speed READ 10.5\n"
              "depth_multiplier\ndep Mult 5\n"
              "turn_rate\n"
              "fill_overlap\n"
              "edge_overlap\nLines overlap 12.25\n"
              "extinction_table\nExtinction Curve File EM124.txt\n"
              "day_rate\nDay Rate 52000\n"
              "end\n");
    EXPECT_FLOAT_EQ(r.config.fillOverlap, 15.0f);
    EXPECT_EQ(r.config.extinctionTable, "EM124.txt");
}

TEST(Configuration, UnknownKeyAndItsValueAreEchoedAndSkipped) {
    const Read r = readText("colour blue depth_multiplier 3 end");
    EXPECT_EQ(r.echo, "colour\nblue\ndepth_multiplier\ndep Mult 3\nend\n");
    EXPECT_FLOAT_EQ(r.config.depthMultiplier, 3.0f);
}

TEST(Configuration, RepeatedKeyLastValueWins) {
    const Read r = readText("boat_speed 7 boat_speed 11 end");
    EXPECT_FLOAT_EQ(r.config.boatSpeed, 11.0f);
}

TEST(Configuration, MissingEndStopsAtEndOfFile) {
    const Read r = readText("day_rate 1000 edge_overlap 20");
    EXPECT_FLOAT_EQ(r.config.dayRate, 1000.0f);
    EXPECT_FLOAT_EQ(r.config.edgeOverlap, 20.0f);
}

TEST(Configuration, NothingAfterEndIsRead) {
    const Read r = readText("end boat_speed 3");
    EXPECT_FLOAT_EQ(r.config.boatSpeed, 9.0f);
    EXPECT_EQ(r.echo, "end\n");
}

TEST(Configuration, ValueThatIsNotANumberIsReadAsTheNextWord) {
    // The field keeps its value; the unparsed word is then read as a key.
    const Read r = readText("boat_speed depth_multiplier 6 end");
    EXPECT_FLOAT_EQ(r.config.boatSpeed, 9.0f);
    EXPECT_FLOAT_EQ(r.config.depthMultiplier, 6.0f);
    EXPECT_EQ(r.echo, "boat_speed\nboat speed READ 9\ndepth_multiplier\ndep Mult 6\nend\n");
}

TEST(Configuration, ValuesThatCannotBeMeantAreRefused) {
    // A zero speed or turn rate would make the turn radius and every leg time
    // infinite; infinities and NaN are never meant anywhere.
    const Read r = readText("boat_speed 0 turn_rate -5 day_rate inf edge_overlap nan depth_multiplier 3 end");
    EXPECT_FLOAT_EQ(r.config.boatSpeed, 9.0f);
    EXPECT_FLOAT_EQ(r.config.turnRate, 60.0f);
    EXPECT_FLOAT_EQ(r.config.dayRate, 45000.0f);
    EXPECT_FLOAT_EQ(r.config.edgeOverlap, 10.0f);
    EXPECT_FLOAT_EQ(r.config.depthMultiplier, 3.0f);
    EXPECT_NE(r.echo.find("Ignoring boat_speed 0, keeping 9\nboat speed READ 9\n"), std::string::npos) << r.echo;
    EXPECT_NE(r.echo.find("Ignoring turn_rate -5, keeping 60\n"), std::string::npos) << r.echo;
    EXPECT_TRUE(std::isfinite(r.config.turnRadiusMetres()));
}

TEST(Configuration, OverLongWordsAreCut) {
    const std::string longKey(300, 'k');
    const std::string longName(500, 'n');
    const Read r = readText(longKey + " extinction_table " + longName + " end");
    EXPECT_EQ(r.echo.substr(0, 20), std::string(19, 'k') + "\n");
    EXPECT_EQ(r.config.extinctionTable, std::string(99, 'n'));
    // A key hidden past the cut of an over-long word is not honoured.
    const Read r2 = readText(std::string(19, 'x') + "boat_speed 3 end");
    EXPECT_FLOAT_EQ(r2.config.boatSpeed, 9.0f);
}

TEST(Configuration, MissingFileReportsAndKeepsDefaults) {
    test::TempDir dir;
    Configuration c;
    std::ostringstream out;
    EXPECT_FALSE(loadConfiguration(dir.file("config.txt"), out, c));
    EXPECT_EQ(out.str(), "cannot open config.txt\n");
    EXPECT_FLOAT_EQ(c.boatSpeed, 9.0f);

    dir.write("config.txt", "depth_multiplier\n5\nend\n");
    std::ostringstream out2;
    EXPECT_TRUE(loadConfiguration(dir.file("config.txt"), out2, c));
    EXPECT_EQ(out2.str(), "yes\ndepth_multiplier\ndep Mult 5\nend\n");
    EXPECT_FLOAT_EQ(c.depthMultiplier, 5.0f);
}

}  // namespace
}  // namespace tessarin
