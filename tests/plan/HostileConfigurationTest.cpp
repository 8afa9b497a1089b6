// config.txt that is not a text file, is a folder or cannot be read: one
// clear line, and every setting keeps its default.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "plan/Configuration.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

TEST(HostileConfiguration, UnusableFileKeepsEveryDefault) {
    struct Case {
        const char* what;
        std::function<void(const test::TempDir& dir)> make;
        const char* console;
    };
    const std::string pngBytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR boat_speed 20 end", 35);
    const std::vector<Case> cases = {
        {"binary", [&](const test::TempDir& d) { d.write("config.txt", pngBytes); },
         "yes\nconfig.txt is not a text file; every setting keeps its default\n"},
        {"binary after good lines",
         [](const test::TempDir& d) { d.write("config.txt", std::string("boat_speed 20\n\x01\x02 end\n")); },
         "yes\nconfig.txt is not a text file; every setting keeps its default\n"},
        {"a folder", [](const test::TempDir& d) { std::filesystem::create_directories(d.file("config.txt")); },
         "cannot open config.txt\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        c.make(dir);
        Configuration config;
        std::ostringstream out;
        EXPECT_FALSE(loadConfiguration(dir.file("config.txt"), out, config));
        EXPECT_EQ(out.str(), c.console);
        const Configuration defaults;
        EXPECT_EQ(config.boatSpeed, defaults.boatSpeed);
        EXPECT_EQ(config.depthMultiplier, defaults.depthMultiplier);
        EXPECT_EQ(config.extinctionTable, defaults.extinctionTable);
    }
}

// Text outside ASCII (a file name in UTF-8) is still text, and CR LF line
// ends are blanks.
TEST(HostileConfiguration, TextBeyondAsciiIsStillRead) {
    test::TempDir dir;
    dir.write("config.txt", "extinction_table Kurve_\xc3\xbc.txt\r\nboat_speed 11\r\nend\r\n");
    Configuration config;
    std::ostringstream out;
    EXPECT_TRUE(loadConfiguration(dir.file("config.txt"), out, config));
    EXPECT_EQ(config.extinctionTable, "Kurve_\xc3\xbc.txt");
    EXPECT_FLOAT_EQ(config.boatSpeed, 11.0f);
}

TEST(HostileConfiguration, UnreadableFileIsReportedAsNotOpened) {
    test::TempDir dir;
    dir.write("config.txt", "boat_speed 20\nend\n");
    std::filesystem::permissions(dir.file("config.txt"), std::filesystem::perms::none);
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop a read";
    Configuration config;
    std::ostringstream out;
    EXPECT_FALSE(loadConfiguration(dir.file("config.txt"), out, config));
    EXPECT_EQ(out.str(), "cannot open config.txt\n");
    EXPECT_FLOAT_EQ(config.boatSpeed, 9.0f);
}

}  // namespace
}  // namespace tessarin
