// The --view option: taken out of the command line, checked, and applied.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppState.hpp"
#include "app/StartView.hpp"
#include "earth/MapProjection.hpp"

namespace tessarin {
namespace {

struct Args {
    std::vector<std::string> words;
    std::vector<char*> argv;
    int argc = 0;
    explicit Args(std::vector<std::string> w) : words(std::move(w)) {
        for (std::string& s : words) argv.push_back(s.data());
        argv.push_back(nullptr);
        argc = static_cast<int>(words.size());
    }
    std::vector<std::string> left() const {
        std::vector<std::string> out;
        for (int i = 0; i < argc; ++i) out.push_back(argv[static_cast<std::size_t>(i)]);
        return out;
    }
};

TEST(StartView, TakesTheOptionAndLeavesTheRest) {
    Args a({"tessarin", "-display", ":1", "--view", "-136", "21.5", "18", "-sync"});
    StartView view;
    std::string error;
    ASSERT_TRUE(takeStartView(a.argc, a.argv.data(), view, error)) << error;
    EXPECT_EQ(a.left(), (std::vector<std::string>{"tessarin", "-display", ":1", "-sync"}));
    EXPECT_EQ(a.argv[4], nullptr);
    EXPECT_TRUE(view.given);

    AppState app;
    applyStartView(view, app);
    EXPECT_EQ(app.viewCentreLon, -136.0f);
    EXPECT_NEAR(app.viewCentreY, mapY(21.5), 1e-5);
    EXPECT_EQ(app.zoom, 18.0f);
    EXPECT_EQ(app.panStartLon, app.viewCentreLon);
    EXPECT_EQ(app.panStartY, app.viewCentreY);

    Args none({"tessarin"});
    StartView absent;
    ASSERT_TRUE(takeStartView(none.argc, none.argv.data(), absent, error));
    AppState defaults;
    applyStartView(absent, defaults);
    EXPECT_EQ(defaults.viewCentreLon, -30.0f);
    EXPECT_EQ(defaults.viewCentreY, 20.0f);
    EXPECT_EQ(defaults.zoom, 5.0f);
}

TEST(StartView, RefusesBadValues) {
    const std::vector<std::vector<std::string>> bad = {
        {"tessarin", "--view"},
        {"tessarin", "--view", "1", "2"},
        {"tessarin", "--view", "east", "2", "3"},
        {"tessarin", "--view", "1", "2", "3x"},
        {"tessarin", "--view", "1", "nan", "3"},
        {"tessarin", "--view", "1", "89", "3"},
        {"tessarin", "--view", "1", "2", "0"},
        {"tessarin", "--view", "1", "2", "-4"},
        {"tessarin", "--view", "600", "2", "4"},
    };
    for (const auto& words : bad) {
        Args a(words);
        StartView view;
        std::string error;
        EXPECT_FALSE(takeStartView(a.argc, a.argv.data(), view, error)) << words.size();
        EXPECT_NE(error.find("--view"), std::string::npos);
        EXPECT_FALSE(view.given);
    }
}

}  // namespace
}  // namespace tessarin
