// tessarin-plan COMMAND ...: one function per command, each in its own file.

#include <cstring>
#include <iostream>

#include "ImportCommand.hpp"

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv, std::ostream& out, std::ostream& err);
    const char* summary;
};

const Command kCommands[] = {
    {"import", tessarin::runImport, "import AREA --out NAME.csv [--feature N]   polygon of a GIS file"},
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
