// The desktop chooser's contract, with a stand-in program in zenity's place:
// the arguments it gets, the path it prints, and cancel or failure as "".

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.hpp"
#include "ui/ZenityFileChooser.hpp"

namespace tessarin {
namespace {

TEST(ZenityFileChooser, ArgumentsNameOneFilter) {
    const FileFilter csv{"Comma-separated values files (*.csv)", "*.csv"};
    EXPECT_EQ(ZenityFileChooser::arguments(false, csv),
              (std::vector<std::string>{"--file-selection",
                                        "--file-filter=Comma-separated values files (*.csv) | *.csv"}));
    EXPECT_EQ(ZenityFileChooser::arguments(true, csv).at(1), "--save");
}

TEST(ZenityFileChooser, ChosenPathCancelAndFailure) {
    test::TempDir dir;
    // The stand-in records its arguments and answers as the script says.
    struct Case {
        const char* body;
        std::string expected;
    };
    const Case cases[] = {
        {"printf '%s\\n' \"/data/plan one\"; exit 0", "/data/plan one"},
        {"exit 1", ""},                         // cancelled
        {"echo /half/chosen; exit 5", ""},      // failed
        {"printf '/no/newline'; exit 0", "/no/newline"},
    };
    for (const Case& c : cases) {
        dir.write("zenity", std::string("#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/args\"\n") + c.body + "\n");
        ASSERT_EQ(chmod(dir.file("zenity").c_str(), 0755), 0);
        ZenityFileChooser chooser(dir.file("zenity"));
        EXPECT_EQ(chooser.saveFile({"CSV", "*.csv"}), c.expected) << c.body;
        EXPECT_EQ(dir.read("args"), "--file-selection --save --file-filter=CSV | *.csv --title=Save file\n");
    }
    ZenityFileChooser missing(dir.file("no-such-program"));
    EXPECT_EQ(missing.openFile({"CSV", "*.csv"}), "");
}

class StandIn : public FileChooser {
public:
    std::string openFile(const FileFilter&) override { return "window:" + takeTitle(false); }
    std::string saveFile(const FileFilter&) override { return "window:" + takeTitle(true); }
    bool confirmReplace(const std::vector<std::string>&) override { return true; }
};

TEST(ZenityFileChooser, AFailingZenityHandsOverToTheWindowChooser) {
    test::TempDir dir;
    struct Case {
        const char* body;
        bool fallsBack;
    };
    const Case cases[] = {
        {"echo 'cannot open display: :99' >&2; exit 1", true},
        {"kill -SEGV $$", true},
        {"exit 255", true},
        {"echo 'Gtk-WARNING: theme' >&2; exit 1", false},  // a plain cancel
    };
    for (const Case& c : cases) {
        dir.write("zenity", std::string("#!/bin/sh\n") + c.body + "\n");
        ASSERT_EQ(chmod(dir.file("zenity").c_str(), 0755), 0);
        ZenityFileChooser chooser(dir.file("zenity"), std::make_unique<StandIn>());
        chooser.setTitle("Load plan");
        EXPECT_EQ(chooser.openFile({"CSV", "*.csv"}), c.fallsBack ? "window:Load plan" : "") << c.body;
        EXPECT_EQ(chooser.usingFallback(), c.fallsBack) << c.body;
        // Once failed, zenity is not tried again.
        if (c.fallsBack) {
            EXPECT_EQ(chooser.saveFile({"CSV", "*.csv"}), "window:Save file");
        }
    }
    // The question before replacing: Replace is 0, Keep is 1.
    dir.write("zenity", "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/args\"\nexit 1\n");
    ZenityFileChooser asking(dir.file("zenity"));
    EXPECT_FALSE(asking.confirmReplace({"/d/a&b.csv"}));
    EXPECT_NE(dir.read("args").find("--question"), std::string::npos);
    EXPECT_NE(dir.read("args").find("/d/a&amp;b.csv"), std::string::npos);
    EXPECT_TRUE(asking.confirmReplace({}));
}

}  // namespace
}  // namespace tessarin
