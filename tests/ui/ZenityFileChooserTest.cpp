// The desktop chooser's contract, with a stand-in program in zenity's place:
// the arguments it gets, the path it prints, and cancel or failure as "".

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

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

}  // namespace
}  // namespace tessarin
