#include <iostream>
#include <string>
#include <vector>

#include "LinesCommand.hpp"
#include "ProfileCommand.hpp"

// tessarin-plan COMMAND ...: one function per command.
int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const std::vector<std::string> args(argv + (argc > 1 ? 2 : 1), argv + argc);
    if (command == "profile") return tessarin::runProfile(args, std::cerr);
    if (command == "lines") return tessarin::runLines(args, std::cerr);
    std::cerr << "tessarin-plan: " << (command.empty() ? "a command is needed" : "unknown command " + command) << "\n"
              << tessarin::kProfileUsage << "\n"
              << tessarin::kLinesUsage << "\n";
    return 2;
}
