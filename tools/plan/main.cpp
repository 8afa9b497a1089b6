// tessarin-plan COMMAND ...: one function per command, each in its own file.

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "FillCommand.hpp"
#include "ImportCommand.hpp"
#include "LinesCommand.hpp"
#include "ProfileCommand.hpp"

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv, std::ostream& out, std::ostream& err);
    const char* summary;
};

// argv[0] is the command's own name.
std::vector<std::string> argumentsAfter(int argc, char** argv) { return {argv + 1, argv + argc}; }

int profile(int argc, char** argv, std::ostream&, std::ostream& err) {
    return tessarin::runProfile(argumentsAfter(argc, argv), err);
}

int fill(int argc, char** argv, std::ostream& out, std::ostream& err) {
    return tessarin::runFill(argumentsAfter(argc, argv), out, err);
}

int lines(int argc, char** argv, std::ostream&, std::ostream& err) {
    return tessarin::runLines(argumentsAfter(argc, argv), err);
}

const Command kCommands[] = {
    {"import", tessarin::runImport, "import AREA --out NAME.csv [--feature N]   polygon of a GIS file"},
    {"profile", profile, "profile PLAN --out FILE.csv [--step METRES]   depth and swath along the plan"},
    {"fill", fill, "fill AREA --out NAME [--heading DEG|--fastest ...]   a survey design over the polygon"},
    {"lines", lines, "lines PLAN --out FILE.csv   the plan's legs in sailing order"},
};

int usage(std::ostream& err) {
    err << "usage: tessarin-plan COMMAND ...\n";
    for (const Command& c : kCommands) err << "  " << c.summary << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage(std::cerr);
    for (const Command& c : kCommands)
        if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1, std::cout, std::cerr);
    std::cerr << "tessarin-plan: unknown command " << argv[1] << "\n";
    return usage(std::cerr);
}
