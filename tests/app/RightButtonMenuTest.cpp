// The right-button menu's window is hidden after every use, and the menu is
// attached or detached only while closed, following the dialogs.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/RightButtonMenu.hpp"

namespace tessarin {
namespace {

// A script of words: "open" and "close" (the library's reports), "dialog"
// and "done" (a dialog drawn in the window opens and closes), "round" (a
// round of events ended), "choose" (an entry is chosen). The result lists
// what the menu asked of the library and whether choices were carried out.
std::string run(const std::string& script) {
    std::string log;
    RightButtonMenu menu({[&] { log += "hide "; }, [&](bool on) { log += on ? "attach " : "detach "; }});
    std::istringstream words(script);
    std::string w;
    while (words >> w) {
        if (w == "open") menu.statusChanged(true);
        if (w == "close") menu.statusChanged(false);
        if (w == "dialog") menu.setModal(true);
        if (w == "done") menu.setModal(false);
        if (w == "round") menu.tend();
        if (w == "choose") log += menu.takesChoices() ? "taken " : "ignored ";
    }
    log += menu.attached() ? "(attached)" : "(detached)";
    return log;
}

TEST(RightButtonMenuTest, HidesAfterUseAndAttachesOnlyWhileClosed) {
    struct Case {
        const char* script;
        const char* expected;
    } cases[] = {
        {"round round", "(attached)"},
        // Opened and closed by events read together: hidden once after the round.
        {"open close round round", "hide (attached)"},
        {"open round round close round", "hide (attached)"},
        {"open choose close round", "taken hide (attached)"},
        {"dialog choose done", "detach ignored attach (attached)"},
        // A dialog opened over an open menu: detached only once it closed.
        {"open dialog round choose", "ignored (attached)"},
        {"open dialog round close round", "hide detach (detached)"},
        {"open dialog done round close round", "hide (attached)"},
        {"dialog open close round done", "detach hide attach (attached)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.script), c.expected) << c.script;
    }
}

}  // namespace
}  // namespace tessarin
