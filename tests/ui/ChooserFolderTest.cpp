// The in-window chooser's listing and choice, on a real folder tree.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.hpp"
#include "ui/ChooserFolder.hpp"

namespace tessarin {
namespace {

std::vector<std::string> names(const ChooserFolder& f) {
    std::vector<std::string> out;
    for (const ChooserEntry& e : f.entries()) out.push_back(e.folder ? e.name + "/" : e.name);
    return out;
}

std::string noSlash(const std::string& p) { return p.substr(0, p.size() - 1); }

TEST(ChooserFolder, ASaveTakesAListedNameWithoutTheExtensionAddedAgain) {
    ChooserFolder csv(".", "*.csv");
    struct Case {
        const char* listed;
        const char* taken;
    };
    const Case cases[] = {{"trip.csv", "trip"}, {"TRIP.CSV", "TRIP"}, {"trip.csv.csv", "trip.csv"},
                          {"notes.txt", "notes.txt"}, {".csv", ".csv"}};
    for (const Case& c : cases) EXPECT_EQ(csv.nameToSave(c.listed), c.taken) << c.listed;
    EXPECT_EQ(ChooserFolder(".", "*").nameToSave("trip.csv"), "trip.csv");
}

TEST(ChooserFolder, ListsFoldersThenMatchingFiles) {
    test::TempDir dir;
    for (const char* f : {"b.csv", "a.csv", "notes.txt", "c.CSV", ".hidden.csv", "zeta/x.csv", "alpha/y.shp"}) {
        dir.write(f, "x");
    }
    ChooserFolder folder(dir.path(), "*.csv");
    EXPECT_EQ(folder.folder(), noSlash(dir.path()));
    // Extensions match in any case.
    EXPECT_EQ(names(folder), (std::vector<std::string>{"../", "alpha/", "zeta/", "a.csv", "b.csv", "c.CSV"}));

    ASSERT_TRUE(folder.enter("zeta"));
    EXPECT_EQ(names(folder), (std::vector<std::string>{"../", "x.csv"}));
    ASSERT_TRUE(folder.enter(".."));
    EXPECT_EQ(folder.folder(), noSlash(dir.path()));
    EXPECT_FALSE(folder.enter("missing"));
    EXPECT_EQ(folder.folder(), noSlash(dir.path()));
    EXPECT_FALSE(folder.message().empty());

    ChooserFolder shapes(dir.path() + "alpha", "*.shp");
    EXPECT_EQ(names(shapes), (std::vector<std::string>{"../", "y.shp"}));
    ChooserFolder root("/", "*.csv");
    ASSERT_FALSE(root.entries().empty());
    EXPECT_NE(root.entries()[0].name, "..");
}

TEST(ChooserFolder, ConfirmingANamedEntry) {
    test::TempDir dir;
    dir.write("plans/a.csv", "x");
    ChooserFolder folder(dir.path(), "*.csv");
    using O = ChooserFolder::Outcome;
    struct Case {
        const char* typed;
        bool save;
        O outcome;
        std::string path;  // chosen, or the folder listed afterwards
    };
    const Case cases[] = {
        {"", true, O::Nothing, ""},
        {"plans", false, O::EnteredFolder, dir.path() + "plans"},
        {"a.csv", false, O::Chosen, dir.path() + "plans/a.csv"},
        {"b.csv", false, O::Nothing, ""},             // opening needs an existing file
        {"b", true, O::Chosen, dir.path() + "plans/b"},  // saving takes the name as typed
        {"../new", true, O::Chosen, dir.path() + "new"},
        {"/tmp", true, O::EnteredFolder, "/tmp"},
    };
    for (const Case& c : cases) {
        std::string path;
        EXPECT_EQ(folder.confirm(c.typed, c.save, path), c.outcome) << c.typed;
        if (c.outcome == O::Chosen) {
            EXPECT_EQ(path, c.path) << c.typed;
        } else if (c.outcome == O::EnteredFolder) {
            EXPECT_EQ(folder.folder(), c.path) << c.typed;
        } else {
            EXPECT_TRUE(path.empty());
        }
    }
}

}  // namespace
}  // namespace tessarin
